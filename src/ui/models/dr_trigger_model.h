#pragma once

#include "app/spare_switch.h"
#include "ui/models/button_window_model.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace varento {

class Session;

// The "DR Trigger Button Window" without widgets: 32 channel buttons and the
// spare-input list. A press switches every route of that microphone input over to
// the spare input, or back; the switch itself is Session's, so the window, its
// menu item and the command line act alike.
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

    int spareChannel() const { return spareChannel_; }
    // The list chooses the spare; not while a channel is switched over to it, since
    // the way back takes every route of the spare input.
    bool spareSelectable() const;
    void selectSpare(int index);

    // A channel button pressed: switches over when nothing is, else back.
    void press(int channel);
    // 2 for the channel switched over, 4 (inactive) on a unit that cannot switch,
    // else 0.
    int look(int channel) const;
    // The texts of the 32 buttons: labels 32..63 of the current unit.
    QStringList drTriggerLabels() const;
    // The current unit can switch: it has microphone inputs.
    bool usable() const;

signals:
    void looksChanged();
    void labelsChanged();

private:
    Session& session_;
    std::function<void(int, int)> mainWindow_;
    int spareChannel_;
};

} // namespace varento
