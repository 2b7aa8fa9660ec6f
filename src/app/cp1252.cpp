#include "app/cp1252.h"

#include "files/label_file.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cstring>

namespace varento {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1. The five unassigned bytes map
// to the C1 controls of the same value, as the system's conversion does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t toUnicode(std::uint8_t b) {
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80u] : char16_t{b};
}

char toByte(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<char>(u);
    }
    const auto it = std::find(kHigh.begin(), kHigh.end(), u);
    return it == kHigh.end() ? '?' : static_cast<char>(0x80 + (it - kHigh.begin()));
}

} // namespace

QString fromWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        text.append(QChar(toUnicode(static_cast<std::uint8_t>(c))));
    }
    return text;
}

std::string toWindows1252(const QString& text) {
    // By code point, so a character outside the BMP is one '?' and not two.
    std::string bytes;
    for (char32_t u : text.toUcs4()) {
        bytes += toByte(u);
    }
    return bytes;
}

QString composed(const QString& text) {
    return text.normalized(QString::NormalizationForm_C);
}

std::optional<QString> firstUnkeptCharacter(const QString& text) {
    for (const char32_t u : composed(text).toUcs4()) {
        const char byte = toByte(u);
        if ((byte == '?' && u != U'?') || !isLabelPrintable(static_cast<std::uint8_t>(byte))) {
            return QString::fromUcs4(&u, 1);
        }
    }
    return std::nullopt;
}

QString unkeptCharacterText(const QString& character) {
    const char32_t u = character.toUcs4().value(0);
    // A control character is named by its code only.
    const QString shown = u < 0x20 || u == 0x7F ? QString() : "\"" + character + "\" ";
    const QString code = QString::number(static_cast<uint>(u), 16).toUpper().rightJustified(4, '0');
    return shown + QStringLiteral("(U+%1) cannot be kept: labels and unit names hold only the "
                                  "printable characters of Windows-1252.")
                       .arg(code);
}

QString labelText(const Label& label) {
    const auto end = std::find(label.begin(), label.begin() + kLabelChars, '\0');
    return fromWindows1252(
        std::string_view(label.data(), static_cast<std::size_t>(end - label.begin())));
}

void setLabelText(Label& label, const QString& text) {
    std::string bytes = toWindows1252(composed(text));
    bytes.resize(std::min<std::size_t>(bytes.size(), kLabelChars));
    for (char& c : bytes) {
        if (!isLabelPrintable(static_cast<std::uint8_t>(c))) {
            c = '?';
        }
    }
    label.fill('\0');
    std::memcpy(label.data(), bytes.data(), bytes.size());
}

} // namespace varento
