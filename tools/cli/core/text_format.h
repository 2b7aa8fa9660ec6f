#pragma once

#include "protocol/device_uid.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace varento::cli {

// A unit id as 32 upper-case hexadecimal digits, two per byte.
QString uidHex(const DeviceUid& uid);
// An object as indented JSON text.
QString jsonText(const QJsonObject& object);
// 32 hexadecimal digits in either case; every byte 00..7F, as on the wire.
std::optional<DeviceUid> parseUidHex(std::string_view text);

// "0x1F".
QString hexByte(std::uint8_t value);
// "F0 0C 02 ..." (with spaces) or "F00C02..." (without).
QString hexBytes(std::span<const std::uint8_t> bytes, bool spaced = false);

// Hexadecimal text to bytes: spaces, commas, colons and "0x" prefixes between the
// bytes are allowed. Returns nothing and says why in `error` on anything else.
std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text, QString& error);

// Rows of `perRow` cells after a caption, each row labelled with the numbers of its
// first and last cell: "  inputGain    1-8    :  8  8 12 ...". Cells are padded to the
// widest one (numbers to the right, text to the left).
void appendGrid(QString& out, const QString& caption, const QStringList& cells, int firstNumber,
                int perRow, bool alignLeft = false);

// One "  name   value" line with the name padded to `width`.
void appendField(QString& out, const QString& name, const QString& value, int width = 24);

template <typename Range> QStringList numberCells(const Range& values) {
    QStringList cells;
    for (const auto v : values) {
        cells << QString::number(v);
    }
    return cells;
}

template <typename Range> QJsonArray jsonNumbers(const Range& values) {
    QJsonArray array;
    for (const auto v : values) {
        array.append(static_cast<double>(v));
    }
    return array;
}

// A level in dB to two decimals: enough for a meter, short in JSON.
double roundedDb(float db);

} // namespace varento::cli
