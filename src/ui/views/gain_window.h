#pragma once

#include "ui/controls/meter_clock.h"
#include "ui/models/gain_model.h"

#include <QPoint>
#include <QWidget>

#include <array>
#include <vector>

class QComboBox;

namespace varento {

class Fader;
class LevelMeter;
class MyButton;
class Scroller;
class Session;

// "Gain Window": the 32 microphone strips of the current unit (meter, gain fader,
// P48, PAD) with the GPO bar, the display options, the Switch Device column and
// the project keys, scrolled sideways. It draws and forwards; GainModel has the
// rules.
class GainWindow : public QWidget {
    Q_OBJECT
public:
    // Control ids of the bottom bar and the column on the right.
    enum Id {
        Gpo1 = 500,
        Gpo2 = 501,
        InvertGpo = 502,
        PeakHold = 503,
        GainValue = 504,
        ReferenceLevel = 505,
        SwitchDevice1 = 506,
        Save = 510,
        SaveAs = 511,
        Load = 512,
    };
    static constexpr int kP48First = 32;
    static constexpr int kPadFirst = 64;

    explicit GainWindow(Session& session, QWidget* parent = nullptr);
    ~GainWindow() override;

    GainModel& model() { return model_; }
    Fader* fader(int c) const { return faders_.at(static_cast<size_t>(c)); }
    LevelMeter* meter(int c) const { return meters_.at(static_cast<size_t>(c)); }
    MyButton* button(int id) const;
    int scrollOffset() const { return scroll(); }
    MeterClock& meterClock() { return clock_; }

    // The unit's meter entries 96-127 into the 32 meters.
    void updateMeters();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    MyButton* addButton(int id, QPoint at, const std::array<int, 5>& bitmaps, bool toggle,
                        const QColor& textColour, const QString& text, int fontSize);
    void buttonClicked(int id, int state);
    void syncControls();
    int scroll() const;
    void placeControls();
    void resetPeaks();
    void drawChannelNumbers(QPainter& p) const;
    void drawScales(QPainter& p) const;
    void drawPanels(QPainter& p) const;

    Session& session_;
    MeterClock clock_;
    GainModel model_;
    std::vector<LevelMeter*> meters_;
    std::vector<Fader*> faders_;
    std::vector<MyButton*> p48_;
    std::vector<MyButton*> pad_;
    std::vector<MyButton*> buttons_;
    QComboBox* referenceLevel_ = nullptr;
    Scroller* scroller_ = nullptr;
    // Every child with its place before scrolling.
    std::vector<std::pair<QWidget*, QPoint>> placed_;
};

} // namespace varento
