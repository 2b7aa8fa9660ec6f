#pragma once

#include "app/spare_switch.h"
#include "ui/models/button_window_model.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace varento {

class Session;

// The "DR Trigger Button Window" without widgets: 32 channel buttons and the
// spare-input list, for the unit shown. A press switches the outputs of that
// microphone input over to the spare input, or back; the switch itself is the
// session's, so the window and the command line act alike.
class DrTriggerModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kSpareListId = 501;

    // `mainWindow` takes the commands the main window keeps (154 with the spare).
    DrTriggerModel(Session& session, std::function<void(int id, int param)> mainWindow,
                   QObject* parent = nullptr);

    // Button i has id i and shows label 32 + i.
    static const std::vector<PanelButton>& buttons();
    static const std::vector<PanelCaption>& captions();
    static QStringList spareItems();

    // The spare input chosen, -1 until the user picks one.
    int spareChannel() const { return spareChannel_; }
    // The list chooses the spare; not while the unit shown has a switch-over,
    // whose way back gives its outputs back to the channel from this spare.
    bool spareSelectable() const;
    void selectSpare(int index);

    // A channel button pressed: the unit shown switches over, or back.
    void press(int channel);
    // 2 for the channel the unit's routing confirms switched over, 4 (inactive)
    // on a unit that cannot switch, else 0.
    int look(int channel) const;
    // A key that is not lit but marked: its step still runs, or it failed.
    enum class Mark { None, Pending, Failed };
    Mark mark(int channel) const;
    // What the last press or the unit's answer said, for the window's status line.
    const QString& statusText() const { return status_; }
    // The texts of the 32 buttons: labels 32..63 of the current unit.
    QStringList drTriggerLabels() const;
    // The current unit can switch: it has microphone inputs.
    bool usable() const;

signals:
    void looksChanged();
    void labelsChanged();
    void statusChanged(const QString& text);

private:
    Session& session_;
    std::function<void(int, int)> mainWindow_;
    int spareChannel_;
    QString status_;
};

} // namespace varento
