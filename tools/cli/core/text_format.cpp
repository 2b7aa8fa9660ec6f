#include "text_format.h"

#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace varento::cli {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ':' || c == '\n' || c == '\r';
}

} // namespace

QString jsonText(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QString uidHex(const DeviceUid& uid) {
    return hexBytes(uid.bytes);
}

std::optional<DeviceUid> parseUidHex(std::string_view text) {
    DeviceUid uid;
    if (text.size() != 2 * uid.bytes.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < uid.bytes.size(); ++i) {
        const int hi = hexValue(text[2 * i]);
        const int lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0 || hi > 7) {
            return std::nullopt;
        }
        uid.bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return uid;
}

QString hexByte(std::uint8_t value) {
    return "0x" + QString("%1").arg(value, 2, 16, QChar('0')).toUpper();
}

QString hexBytes(std::span<const std::uint8_t> bytes, bool spaced) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size() * 3));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (spaced && i > 0) {
            out += ' ';
        }
        out += QString("%1").arg(bytes[i], 2, 16, QChar('0')).toUpper();
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text, QString& error) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            i += 2;
        }
        const int hi = i < text.size() ? hexValue(text[i]) : -1;
        const int lo = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
            const bool oddDigit = hi >= 0 && (i + 1 >= text.size() || isSeparator(text[i + 1]));
            error = oddDigit ? QString("the hexadecimal digit at position %1 has no partner; "
                                       "write every byte as two digits")
                                   .arg(i + 1)
                             : QString("\"%1\" at position %2 is not a hexadecimal digit")
                                   .arg(QString::fromUtf8(text.substr(hi < 0 ? i : i + 1, 1)))
                                   .arg(hi < 0 ? i + 1 : i + 2);
            return std::nullopt;
        }
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

void appendGrid(QString& out, const QString& caption, const QStringList& cells, int firstNumber,
                int perRow, bool alignLeft) {
    qsizetype width = 0;
    for (const QString& cell : cells) {
        width = std::max(width, cell.size());
    }
    const int last = firstNumber + static_cast<int>(cells.size()) - 1;
    const int rangeWidth = static_cast<int>(QString("%1-%2").arg(last).arg(last).size());
    for (qsizetype row = 0; row < cells.size(); row += perRow) {
        const qsizetype end = std::min(cells.size(), row + perRow);
        const int from = firstNumber + static_cast<int>(row);
        const int to = firstNumber + static_cast<int>(end) - 1;
        const QString range =
            from == to ? QString::number(from) : QString("%1-%2").arg(from).arg(to);
        QString line =
            "  " + caption.leftJustified(14) + " " + range.leftJustified(rangeWidth) + " :";
        for (qsizetype i = row; i < end; ++i) {
            line += ' ';
            line += alignLeft ? cells[i].leftJustified(width) : cells[i].rightJustified(width);
        }
        while (line.endsWith(' ')) {
            line.chop(1);
        }
        out += line + '\n';
    }
}

void appendField(QString& out, const QString& name, const QString& value, int width) {
    QString line = "  " + name.leftJustified(width) + " " + value;
    while (line.endsWith(' ')) {
        line.chop(1);
    }
    out += line + '\n';
}

double roundedDb(float db) {
    return std::round(static_cast<double>(db) * 100.0) / 100.0;
}

} // namespace varento::cli
