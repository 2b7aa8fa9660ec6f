#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <map>
#include <vector>

namespace varento {

class Session;

// One bitmap button of a panel of 100 x 67 buttons: its id, caption, place and
// whether it keeps its state after a click.
struct PanelButton {
    int id;
    QString text;
    QPoint position;
    bool toggle = true;
};

// A caption painted on the panel; with a `width`, squeezed to fit it.
struct PanelCaption {
    QString text;
    QPoint position;
    int width = 0;
};

// The commissioning panel ("Button Window") without widgets: the 32 microphone
// inputs in four groups of eight at maximum or minimum gain, P48 and PAD per
// group, GPO1 and GPO2, and the factory preset after a question.
class ButtonWindowModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kGroups = 4;
    static constexpr int kGroupSize = 8;
    static constexpr int kGainMax = 63;
    static constexpr int kGainMin = 8;
    static constexpr int kGroupPauseMs = 50;
    static constexpr int kScrollRange = 710;
    static constexpr int kScrollStep = 25;

    // Button ids: per group g, gainMax + g and so on.
    static constexpr int gainMax = 200;
    static constexpr int gainMin = 204;
    static constexpr int p48 = 208;
    static constexpr int pad = 212;
    static constexpr int factoryPreset = 300;
    static constexpr int gpo1 = 500;
    static constexpr int gpo2 = 501;

    // `mainWindow` takes the commands the main window runs (40022).
    ButtonWindowModel(Session& session, std::function<void(int id)> mainWindow,
                      QObject* parent = nullptr);

    static const std::vector<PanelButton>& buttons();
    static const std::vector<PanelCaption>& captions();

    // A click on button `id`, which the button reports as turned on (2) or off (0).
    void click(int id, int newState);
    // The look a button takes after the last click: 2 on, 0 off.
    int look(int id) const;

signals:
    void looksChanged();

private:
    void gainGroup(int group, bool max);
    void switchGroup(int group, std::uint8_t bit, bool on);
    void gpo(std::uint8_t bit, bool on);
    void factoryPresetClicked();

    Session& session_;
    std::function<void(int)> mainWindow_;
    std::map<int, int> looks_;
};

} // namespace varento
