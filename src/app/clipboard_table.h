#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <vector>

namespace varento {

// Rows of cells as spreadsheets put them on the clipboard: cells split by
// `separator` (a tab; a comma for CSV), rows by CR LF, LF or CR. A cell that starts
// with a quote runs to its closing quote, "" inside it standing for one quote, and
// may hold separators and line breaks; a quote that never closes is taken as text.
// A line end after the last row adds no row, so a single column of plain lines
// reads as one cell per line.
std::vector<QStringList> parseClipboardTable(const QString& text, QChar separator);

// The first cell of each row: the column a paste of labels takes.
QStringList firstColumn(const std::vector<QStringList>& rows);

// One column for a spreadsheet: a row per cell, CR LF after each; a cell that a
// spreadsheet would read otherwise (a leading quote, a separator) is quoted.
QString columnText(const QStringList& cells);

} // namespace varento
