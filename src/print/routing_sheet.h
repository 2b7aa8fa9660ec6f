#pragma once

#include "app/routing_labels.h"
#include "protocol/device_record.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QPainter;
class QRectF;

namespace varento {

// One unit on the sheet: its record (routing and labels) and how it is called.
struct SheetUnit {
    DeviceRecord record;
    QString name; // the device list's name, or the unit id
};

enum class SheetPaper { A4, Letter };

// The unit id as the sheet prints it: 32 upper-case hexadecimal digits.
QString sheetUnitId(const DeviceUid& uid);

// One page per output bank and unit, in that order: bank b of unit u is page
// u * kOutputBanks.size() + b.
int sheetPageCount(const std::vector<SheetUnit>& units);

// Draws one page into `page` (in points): the unit's name, id, model, firmware and
// the date; the bank's table (output, its label, the source it takes, the source's
// label); the bus sums.
void paintSheetPage(QPainter& painter, const QRectF& page, const SheetUnit& unit,
                    const OutputBank& bank, const QDateTime& date);

// The whole sheet as a PDF; or its first page as a PNG picture (150 dpi) for a
// document. The reason when the file cannot be written.
std::optional<QString> writeSheetPdf(const QString& path, const std::vector<SheetUnit>& units,
                                     SheetPaper paper, const QDateTime& date);
std::optional<QString> writeSheetPng(const QString& path, const std::vector<SheetUnit>& units,
                                     SheetPaper paper, const QDateTime& date);

// For a spreadsheet: a head row, then 192 rows per unit (one per output).
QString sheetCsv(const std::vector<SheetUnit>& units);
std::optional<QString> writeSheetCsv(const QString& path, const std::vector<SheetUnit>& units);

// By the file's extension: .pdf, .png or .csv.
std::optional<QString> writeSheet(const QString& path, const std::vector<SheetUnit>& units,
                                  SheetPaper paper, const QDateTime& date);

} // namespace varento
