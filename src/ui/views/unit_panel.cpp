#include "ui/views/unit_panel.h"

#include "app/session.h"
#include "protocol/catalog.h"
#include "ui/skin/skin.h"

#include <QLocale>
#include <QPainter>

namespace varento {

namespace {

QFont panelFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QString clockText(std::uint8_t clock) {
    static const char* const sources[] = {"INT", "AES", "WCK", "MADI"};
    const QLocale de(QLocale::German, QLocale::Germany);
    double rate = clock & 0x08 ? 44.1 : 48.0;
    rate *= clock & 0x40 ? 4 : clock & 0x20 ? 2 : 1;
    return QStringLiteral("%1  %2 kHz")
        .arg(QString::fromLatin1(sources[clock & 3]),
             de.toString(rate, 'f', rate == 48 || rate == 96 || rate == 192 ? 0 : 1));
}

// Green to the reference, amber above -6 dB, red at the top.
QColor segmentColour(int segment, int segments) {
    const double position = static_cast<double>(segment) / segments;
    if (position > 0.92) {
        return QColor(235, 60, 45);
    }
    if (position > 0.8) {
        return skin::kLedAmber;
    }
    return skin::kLedGreen;
}

} // namespace

UnitPanel::UnitPanel(Session& session, QSize size, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("unitPanel"));
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const auto repaint = [this] {
        if (isVisible()) {
            update();
        }
    };
    connect(&session_, &Session::parametersChanged, this, repaint);
    connect(&session_, &Session::levelsChanged, this, repaint);
    connect(&session_, &Session::unitIdentified, this, repaint);
}

void UnitPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    drawPlate(p);
    // The window may be taller than the part of it the device view shows.
    const int shown =
        parentWidget() ? std::min(height(), parentWidget()->height() - y()) : height();
    const int meterTop = 130;
    const int meterHeight = std::max(20, (shown - meterTop - 30) / 2);
    drawMeters(p, QRect(58, meterTop, width() - 116, meterHeight), 0, QStringLiteral("IN"));
    drawMeters(p, QRect(58, meterTop + meterHeight + 12, width() - 116, meterHeight), 64,
               QStringLiteral("OUT"));
}

void UnitPanel::drawPlate(QPainter& p) {
    const QRectF plate = rect();
    QLinearGradient shade(plate.topLeft(), plate.bottomLeft());
    shade.setColorAt(0, QColor(78, 80, 84));
    shade.setColorAt(1, QColor(58, 60, 64));
    p.fillRect(plate, shade);
    // Rack ears with their screws.
    for (const qreal x : {0.0, plate.width() - 34.0}) {
        const QRectF ear(x, 0, 34, plate.height());
        QLinearGradient metal(ear.topLeft(), ear.topRight());
        metal.setColorAt(0, QColor(120, 124, 130));
        metal.setColorAt(1, QColor(92, 96, 102));
        p.fillRect(ear, metal);
        for (const qreal y : {24.0, 96.0}) {
            QRadialGradient screw(QPointF(x + 17, y), 7);
            screw.setColorAt(0, QColor(210, 212, 216));
            screw.setColorAt(1, QColor(60, 62, 66));
            p.setPen(QPen(QColor(40, 40, 44), 1));
            p.setBrush(screw);
            p.drawEllipse(QPointF(x + 17, y), 6, 6);
            p.drawLine(QPointF(x + 13, y), QPointF(x + 21, y));
        }
    }

    const DeviceRecord& unit = session_.current();
    p.setPen(skin::kPanelText);
    p.setFont(panelFont(34, QFont::Bold));
    p.drawText(QRectF(58, 20, 400, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VARENTO"));
    p.setFont(panelFont(13));
    p.setPen(skin::kLedBlue);
    p.drawText(QRectF(60, 64, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(typeName(unit.model)));

    const int major = static_cast<std::int8_t>(unit.at(param::firmwareMajor));
    const int minor = static_cast<std::int8_t>(unit.at(param::firmwareMinor));
    const int temperature = unit.at(param::temperature);
    const QString rows[][2] = {
        {QStringLiteral("CLOCK"), clockText(unit.at(param::clockRate))},
        {QStringLiteral("FIRMWARE"), major == 0 && minor == 0
                                         ? QStringLiteral("N/A")
                                         : QStringLiteral("%1.%2").arg(major).arg(minor)},
        {QStringLiteral("TEMP"),
         temperature == 0 ? QStringLiteral("N/A") : QStringLiteral("%1°C").arg(temperature)},
    };
    const qreal left = width() - 300;
    for (int i = 0; i < 3; ++i) {
        const qreal y = 24 + i * 26;
        const QRectF display(left + 86, y - 2, 160, 22);
        p.setFont(panelFont(10, QFont::Bold));
        p.setPen(QColor(170, 174, 180));
        p.drawText(QRectF(left, y, 80, 18), Qt::AlignRight | Qt::AlignVCenter, rows[i][0]);
        p.setPen(QPen(QColor(30, 30, 32), 1));
        p.setBrush(QColor(16, 22, 30));
        p.drawRoundedRect(display, 3, 3);
        p.setFont(panelFont(12, QFont::Bold));
        p.setPen(skin::kLedBlue.lighter(120));
        p.drawText(display.adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, rows[i][1]);
    }
    p.setPen(QPen(QColor(100, 104, 110), 1));
    p.drawLine(QPointF(50, 112), QPointF(width() - 50, 112));
}

void UnitPanel::drawMeters(QPainter& p, const QRect& area, int first, const QString& caption) {
    const DeviceRecord& unit = session_.current();
    constexpr int kMeters = 64;
    constexpr int kSegments = 24;
    constexpr double kFloorDb = -60.0;
    const double pitch = static_cast<double>(area.width() - 30) / kMeters;
    p.setFont(panelFont(10, QFont::Bold));
    p.setPen(QColor(170, 174, 180));
    p.drawText(QRect(area.left(), area.top(), 28, area.height()), Qt::AlignLeft | Qt::AlignVCenter,
               caption);
    p.setPen(Qt::NoPen);
    const double segmentHeight = static_cast<double>(area.height()) / kSegments;
    for (int m = 0; m < kMeters; ++m) {
        const double db = unit.levelDb[static_cast<std::size_t>(first + m)];
        const int lit =
            static_cast<int>(std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0) * kSegments + 0.5);
        const double x = area.left() + 30 + m * pitch;
        for (int s = 0; s < kSegments; ++s) {
            const QRectF segment(x, area.bottom() - (s + 1) * segmentHeight + 1, pitch - 2,
                                 segmentHeight - 1.5);
            const QColor colour = segmentColour(s, kSegments);
            p.setBrush(s < lit ? colour : colour.darker(520));
            p.drawRect(segment);
        }
    }
}

} // namespace varento
