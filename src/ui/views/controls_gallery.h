#pragma once

#include "ui/controls/meter_clock.h"

#include <QWidget>

namespace varento {

// A sheet of the faders and level meters in the states a user meets (selected,
// pop-up, PAD, inactive; meters from silence to over with their peak lines), for
// reviewing the controls and for the README's picture: varento-remote --gallery.
class ControlsGallery : public QWidget {
    Q_OBJECT
public:
    explicit ControlsGallery(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void addFaders();
    void addMeters();

    MeterClock clock_;
    qint64 now_ = 0;
};

} // namespace varento
