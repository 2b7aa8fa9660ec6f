#include "app/clipboard_table.h"

namespace varento {

namespace {

std::vector<QStringList> parse(const QString& text, QChar separator, bool quoting) {
    const QChar quote(u'"');
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false; // something of the row was read since its last line end
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != quote) {
                cell += c;
            } else if (i + 1 < n && text[i + 1] == quote) {
                cell += quote;
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (quoting && c == quote && cell.isEmpty()) {
            quoted = true;
            cellStarted = true;
        } else if (c == separator) {
            row << cell;
            cell.clear();
            cellStarted = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            row << cell;
            rows.push_back(row);
            row.clear();
            cell.clear();
            cellStarted = false;
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted) {
        return {}; // a quote that never closes: not quoting, see below
    }
    if (cellStarted || !cell.isEmpty() || !row.isEmpty()) {
        row << cell;
        rows.push_back(row);
    }
    return rows;
}

} // namespace

std::vector<QStringList> parseClipboardTable(const QString& text, QChar separator) {
    std::vector<QStringList> rows = parse(text, separator, true);
    // Plain lines with an opening quote and no closing one ("Kick): the quotes are
    // text, or the rest of the clipboard would run into one label.
    return rows.empty() ? parse(text, separator, false) : rows;
}

QStringList firstColumn(const std::vector<QStringList>& rows) {
    QStringList column;
    for (const QStringList& row : rows) {
        column << row.value(0);
    }
    return column;
}

QString columnText(const QStringList& cells) {
    QString text;
    for (const QString& cell : cells) {
        const bool quote = cell.startsWith(u'"') || cell.contains(u'\t') || cell.contains(u',');
        text += quote ? QLatin1Char('"') +
                            QString(cell).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                            QLatin1Char('"')
                      : cell;
        text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace varento
