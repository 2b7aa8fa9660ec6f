#pragma once

#include "ui/models/level_meter_model.h"

#include <QPixmap>
#include <QWidget>

namespace varento {

class MeterClock;

// The "Levelmeter" control: a 25 x 220 vertical bar with over indication, peak
// line and a numeric read-out. The owner feeds it the unit's meter values; the
// shared clock animates the fall. It only draws and forwards clicks to its model,
// and repaints its bar or its read-out only when what they show changed.
class LevelMeter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 25;
    static constexpr int kHeight = 220;
    // The skin's fully lit and dark bars.
    static constexpr int kLitBitmap = 193;
    static constexpr int kUnlitBitmap = 192;

    // `clock` drives the fall of this meter and must outlive it.
    explicit LevelMeter(MeterClock& clock, QWidget* parent = nullptr);
    ~LevelMeter() override;

    // A new meter value in dB (levelMeterFeed).
    void feed(float db);
    // The peak drops to the level drawn now (levelMeterResetPeak).
    void resetPeak();
    // The read-out follows the peak (orange, red from 0 dB) instead of the level.
    void setShowPeak(bool on);

    const LevelMeterModel& model() const { return model_; }
    QSize sizeHint() const override { return {kWidth, kHeight}; }

signals:
    // A double-click: the owner resets the peaks of all its meters.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class MeterClock;
    // Steps the model to `now` and repaints what changed; true while still falling.
    bool advanceTo(qint64 now);
    // Schedules the repaint of the bar or the box if the model's look differs
    // from the one drawn.
    void repaintChanged();
    // The read-out box for the look drawn, shared by all meters showing the same.
    QPixmap boxPixmap(qreal ratio) const;
    QPixmap renderBox(qreal ratio) const;

    MeterClock& clock_;
    LevelMeterModel model_;
    MeterLook drawn_;
    // A value came in that the next tick draws.
    bool stale_ = false;

    // The read-out box as drawn last; null when its text or colour changed.
    QPixmap box_;
    struct Bars {
        qreal ratio = 0;
        QPixmap lit;
        QPixmap unlit;
    } bars_;
};

} // namespace varento
