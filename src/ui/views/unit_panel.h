#pragma once

#include <QWidget>

namespace varento {

class Session;

// The device view until the front-panel windows arrive: the unit's name, clock,
// firmware and temperature, and its 128 level meters on an anthracite rack plate.
class UnitPanel : public QWidget {
    Q_OBJECT
public:
    UnitPanel(Session& session, QSize size, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawPlate(QPainter& p);
    void drawMeters(QPainter& p, const QRect& area, int first, const QString& caption);

    Session& session_;
};

} // namespace varento
