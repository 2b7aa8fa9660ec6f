#pragma once

#include "ui/models/fader_model.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace varento {

// The vertical fader of the gain window ("Fader", 25 x 240) and of the
// meterbridge ("Fader Long", 25 x 272): a label box, a track with the knob and a
// value box. It draws its model and hands it the mouse, wheel and keys; the rules
// and every notification to the owner live in FaderModel (see model()).
//
// Typical owner wiring:
//   auto* fader = Fader::create(this, FaderModel::Kind::Gain, channel, x, label);
//   connect(&fader->model(), &FaderModel::moved, this, ...);  // move the selection
//   connect(&fader->model(), &FaderModel::commit, this, ...); // send to the unit
//   fader->model().setPosition(FaderModel::gainPosition(gain)); // from the unit
class Fader : public QWidget {
    Q_OBJECT
public:
    using Kind = FaderModel::Kind;
    // The track bitmap starts this far below the fader's top, under the label box.
    static constexpr int kTrackY = 20;

    // A visible fader at (x, 290) for "Fader" or (x, 280) for "Fader Long".
    static Fader* create(QWidget* parent, Kind kind, int id, int x, const QString& label);

    Fader(Kind kind, int id, QWidget* parent = nullptr);

    FaderModel& model() { return model_; }
    const FaderModel& model() const { return model_; }
    int id() const { return model_.id(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The model keeps its own time; the widget tells it the time before each input
    // and wakes up at its next deadline.
    void syncClock();
    void reschedule();
    int trackBitmap() const;

    FaderModel model_;
    QElapsedTimer clock_;
    QTimer wake_;
};

} // namespace varento
