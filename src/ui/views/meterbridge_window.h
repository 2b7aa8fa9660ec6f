#pragma once

#include "ui/controls/meter_clock.h"
#include "ui/models/meterbridge_model.h"

#include <QWidget>

#include <vector>

class QScrollBar;

namespace varento {

class AppSettings;
class Fader;
class LevelMeter;
class MyButton;
class Scroller;
class Session;

// "Meterbridge Window": every input and output level of the current unit at a
// glance, with the 64 output level faders, "Enable Gains" and "Mute All Ouputs".
// A window of its own, often kept on a second screen for a whole show: it
// remembers its place and width. It scrolls sideways over its strips; a
// double-click on the background resets every held peak. The rules are the
// MeterbridgeModel's; this class draws and forwards.
class MeterbridgeWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGainsSwitchId = 601;
    static constexpr int kMuteSwitchId = 182;

    // `settings` keeps the window's place between runs (none: not kept). A window
    // with a parent stays a window of its own and goes with its parent.
    MeterbridgeWindow(Session& session, AppSettings* settings, QWidget* parent = nullptr);
    ~MeterbridgeWindow() override;

    MeterbridgeModel& model() { return model_; }
    MeterClock& meterClock() { return clock_; }
    LevelMeter* meter(int index) const { return meters_.at(static_cast<size_t>(index)); }
    Fader* fader(int index) const { return faders_.at(static_cast<size_t>(index)); }
    MyButton* gainsSwitch() const { return gains_; }
    MyButton* muteSwitch() const { return mute_; }
    // What scrolls: the strips, the faders and the switches.
    QWidget* surface() const { return surface_; }
    QScrollBar* scrollBar() const;
    int scrollOffset() const;
    // meterbridgeUpdateMeters: the current unit's 128 levels to the meters.
    void feedMeters();
    void resetPeaks();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void buildControls();
    void applyLayout();
    void syncSwitches();
    void focusFader(int index);
    void restorePlace();
    void savePlace();

    Session& session_;
    AppSettings* settings_;
    MeterClock clock_;
    MeterbridgeModel model_;
    QWidget* surface_ = nullptr;
    Scroller* scroller_ = nullptr;
    std::vector<LevelMeter*> meters_;
    std::vector<Fader*> faders_;
    MyButton* gains_ = nullptr;
    MyButton* mute_ = nullptr;
    bool shownOnce_ = false;
};

} // namespace varento
