#include "print/routing_sheet.h"

#include "app/parameters.h"
#include "files/label_file.h"
#include "protocol/catalog.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace varento {

namespace {

constexpr int kPdfDpi = 300;
constexpr int kPngDpi = 150;
constexpr double kMarginPt = 36; // half an inch

QString sourceCell(int source) {
    if (source == kNoSource) {
        return QStringLiteral("-");
    }
    const QString channel = sourceChannelName(source);
    return channel.isEmpty() ? QString::number(source) : channel;
}

QFont font(double points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QPageSize pageSize(SheetPaper paper) {
    return QPageSize(paper == SheetPaper::Letter ? QPageSize::Letter : QPageSize::A4);
}

const OutputBank& bankOfPage(int page) {
    return kOutputBanks[static_cast<std::size_t>(page) % kOutputBanks.size()];
}

} // namespace

QString sheetUnitId(const DeviceUid& uid) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(uid.bytes.data()), 16).toHex().toUpper());
}

int sheetPageCount(const std::vector<SheetUnit>& units) {
    return static_cast<int>(units.size() * kOutputBanks.size());
}

void paintSheetPage(QPainter& painter, const QRectF& page, const SheetUnit& unit,
                    const OutputBank& bank, const QDateTime& date) {
    const double pt = painter.device()->logicalDpiY() / 72.0;
    const QRectF area =
        page.adjusted(kMarginPt * pt, kMarginPt * pt, -kMarginPt * pt, -kMarginPt * pt);
    const DeviceRecord& r = unit.record;
    painter.fillRect(page, Qt::white);
    painter.setPen(Qt::black);
    double y = area.top();
    const auto line = [&](const QString& text, const QFont& f) {
        painter.setFont(f);
        const double h = QFontMetricsF(f, painter.device()).height();
        painter.drawText(QRectF(area.left(), y, area.width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                         text);
        y += h;
    };
    line(QStringLiteral("Routing - %1").arg(unit.name), font(15, true));
    line(QStringLiteral("%1   id %2   firmware %3.%4   %5")
             .arg(QString::fromLatin1(typeName(r.model)), sheetUnitId(r.uid))
             .arg(r.at(param::firmwareMajor))
             .arg(r.at(param::firmwareMinor))
             .arg(date.toString(QStringLiteral("yyyy-MM-dd hh:mm"))),
         font(9));
    y += 6 * pt;
    line(QStringLiteral("%1 1-%2").arg(QString::fromLatin1(bank.name)).arg(bank.count),
         font(11, true));
    y += 2 * pt;

    // The bus sums take the foot of the page; the table what is left, up to 12 pt a row.
    const QFont cellFont = font(7.5);
    const double busLine = QFontMetricsF(cellFont, painter.device()).height() * 1.2;
    const double busBlock = busLine * (kBusCount + 1) + 6 * pt;
    const double rowHeight =
        std::min(12 * pt, (area.bottom() - busBlock - y) / static_cast<double>(bank.count + 1));
    const double columns[] = {0, 0.1, 0.4, 0.7}; // output, its label, source, source label
    const auto row = [&](const QStringList& cells, bool head, bool shaded) {
        if (shaded) {
            painter.fillRect(QRectF(area.left(), y, area.width(), rowHeight),
                             QColor(236, 236, 236));
        }
        painter.setFont(head ? font(7.5, true) : cellFont);
        for (int c = 0; c < 4; ++c) {
            const double x = area.left() + columns[c] * area.width() + 3 * pt;
            const double w = (c < 3 ? columns[c + 1] - columns[c] : 1 - columns[c]) * area.width();
            painter.drawText(QRectF(x, y, w - 6 * pt, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             cells[c]);
        }
        y += rowHeight;
    };
    row({QStringLiteral("Output"), QStringLiteral("Output label"), QStringLiteral("Source"),
         QStringLiteral("Source label")},
        true, false);
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    for (int k = 0; k < bank.count; ++k) {
        const int output = bank.first + k;
        const int source = r.routeSource[static_cast<std::size_t>(output)];
        row({QString::number(k + 1), outputLabel(r, output), sourceCell(source),
             source == kNoSource ? QString() : sourceLabel(r, source).value_or(QString())},
            false, k % 2 == 1);
    }

    y = area.bottom() - busBlock + 6 * pt;
    line(QStringLiteral("Bus sums"), font(9, true));
    painter.setFont(cellFont);
    const QFontMetricsF metrics(cellFont, painter.device());
    for (int bus = 0; bus < kBusCount; ++bus) {
        QStringList sources;
        for (const int s : sourcesOnBus(r, bus)) {
            sources << QStringLiteral("%1 %2").arg(sourceChannelName(s),
                                                   sourceLabel(r, s).value_or(""));
        }
        const QString text =
            QStringLiteral("%1 \"%2\": %3")
                .arg(sourceChannelName(kFirstBus + bus),
                     sourceLabel(r, kFirstBus + bus).value_or(""),
                     sources.isEmpty() ? QStringLiteral("nothing") : sources.join(", "));
        painter.drawText(QRectF(area.left(), y, area.width(), busLine),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(text, Qt::ElideRight, area.width()));
        y += busLine;
    }
}

std::optional<QString> writeSheetPdf(const QString& path, const std::vector<SheetUnit>& units,
                                     SheetPaper paper, const QDateTime& date) {
    if (units.empty()) {
        return QStringLiteral("there is no unit to print");
    }
    QPdfWriter writer(path);
    writer.setResolution(kPdfDpi);
    writer.setPageSize(pageSize(paper));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("Routing sheet"));
    writer.setCreator(QStringLiteral("VARENTO Remote"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return QStringLiteral("%1 cannot be written").arg(path);
    }
    const QRectF page = writer.pageLayout().fullRectPixels(kPdfDpi);
    for (int p = 0; p < sheetPageCount(units); ++p) {
        if (p > 0) {
            writer.newPage();
        }
        paintSheetPage(painter, page, units[static_cast<std::size_t>(p) / kOutputBanks.size()],
                       bankOfPage(p), date);
    }
    if (!painter.end()) {
        return QStringLiteral("%1 could not be written to the end").arg(path);
    }
    return std::nullopt;
}

std::optional<QString> writeSheetPng(const QString& path, const std::vector<SheetUnit>& units,
                                     SheetPaper paper, const QDateTime& date) {
    if (units.empty()) {
        return QStringLiteral("there is no unit to print");
    }
    const QSize size = pageSize(paper).sizePixels(kPngDpi);
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(kPngDpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paintSheetPage(painter, QRectF(QPointF(0, 0), QSizeF(size)), units.front(),
                       kOutputBanks.front(), date);
    }
    if (!image.save(path, "PNG")) {
        return QStringLiteral("%1 cannot be written").arg(path);
    }
    return std::nullopt;
}

std::optional<QString> writeSheet(const QString& path, const std::vector<SheetUnit>& units,
                                  SheetPaper paper, const QDateTime& date) {
    if (units.empty()) {
        return QStringLiteral("there is no unit to print");
    }
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".pdf"))) {
        return writeSheetPdf(path, units, paper, date);
    }
    if (lower.endsWith(QLatin1String(".png"))) {
        return writeSheetPng(path, units, paper, date);
    }
    if (lower.endsWith(QLatin1String(".csv"))) {
        return writeSheetCsv(path, units);
    }
    return QStringLiteral("%1: the sheet is written as .pdf, .png or .csv").arg(path);
}

} // namespace varento
