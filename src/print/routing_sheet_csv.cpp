#include "print/routing_sheet.h"

#include "protocol/catalog.h"

#include <QSaveFile>
#include <QStringList>

namespace varento {

namespace {

// Quoted where a spreadsheet needs it: a separator, a quote or a line end.
QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString sheetCsv(const std::vector<SheetUnit>& units) {
    QString out = QStringLiteral("unit id,unit name,model,bank,output,output label,source,"
                                 "source label,source on buses\r\n");
    for (const SheetUnit& unit : units) {
        const DeviceRecord& r = unit.record;
        const QString id = sheetUnitId(r.uid);
        for (int output = 0; output < kWireRouteSlots; ++output) {
            const OutputBank& bank = outputBankOf(output);
            const int source = r.routeSource[static_cast<std::size_t>(output)];
            // The buses the source is summed onto: bit b+1 of the source channel's flags.
            QStringList buses;
            for (int bus = 0; source < kWireRouteSlots && bus < kBusCount; ++bus) {
                if ((r.routeFlags[static_cast<std::size_t>(source)] & (1u << (bus + 1))) != 0) {
                    buses << QString::number(bus + 1);
                }
            }
            const QStringList cells{
                id,
                unit.name,
                QString::fromLatin1(typeName(r.model)),
                QString::fromLatin1(bank.name),
                QString::number(output - bank.first + 1),
                outputLabel(r, output),
                source == kNoSource ? QString() : QString::number(source),
                source == kNoSource ? QString() : sourceLabel(r, source).value_or(QString()),
                buses.join(QLatin1Char(' '))};
            QStringList row;
            for (const QString& cell : cells) {
                row << csvCell(cell);
            }
            out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
    }
    return out;
}

std::optional<QString> writeSheetCsv(const QString& path, const std::vector<SheetUnit>& units) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sheetCsv(units).toUtf8()) < 0 ||
        !file.commit()) {
        return QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    }
    return std::nullopt;
}

} // namespace varento
