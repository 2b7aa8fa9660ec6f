#include "app/cp1252.h"

#include "files/label_file.h"
#include "files/windows1252.h"

#include <QList>

#include <algorithm>
#include <cstring>

namespace varento {

namespace {

char16_t toUnicode(std::uint8_t b) {
    return windows1252ToUnicode(b);
}

char toByte(char32_t u) {
    return static_cast<char>(unicodeToWindows1252(u).value_or('?'));
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
