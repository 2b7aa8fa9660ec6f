#include "app/parameters.h"

#include "protocol/catalog.h"
#include "protocol/device_record.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace varento {

namespace {

constexpr std::array<ParameterInfo, kParameterCount> kParameters = {{
    {0, "clockRate", Settable::Yes},
    {1, "ioOptions", Settable::Yes},
    {2, "madiFormat", Settable::Yes},
    {3, "routingA", Settable::Yes},
    {4, "routingB", Settable::Yes},
    {5, "srcEnable", Settable::Yes},
    {6, "fanSlowTemp", Settable::Yes},
    {7, "fanFastTemp", Settable::Yes},
    {8, "remoteOptions", Settable::Yes},
    {9, "calibration1High", Settable::Calibration},
    {10, "calibration1Low", Settable::Calibration},
    {11, "calibration2High", Settable::Calibration},
    {12, "calibration2Low", Settable::Calibration},
    {13, "ledDim1", Settable::Yes},
    {14, "ledDim2", Settable::Yes},
    {15, "aesOptions", Settable::Yes},
    {16, "syncStatus", Settable::ReadOnly},
    {17, "param17", Settable::Yes},
    {18, "calibrationOptions", Settable::Calibration},
    {19, "param19", Settable::Yes},
    {20, "gainOptions", Settable::Yes},
    {21, "delayOptions", Settable::Yes},
    {22, "syncStatus2", Settable::ReadOnly},
    {23, "temperature", Settable::ReadOnly},
    {24, "statusLeds", Settable::ReadOnly},
    {25, "model", Settable::ReadOnly},
    {26, "param26", Settable::Unused},
    {27, "firmwareMajor", Settable::ReadOnly},
    {28, "firmwareMinor", Settable::ReadOnly},
}};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

QString clockRateText(std::uint8_t value) {
    QStringList parts;
    switch (value & 0x78) {
    case 0x08:
        parts << "44.1 kHz";
        break;
    case 0x10:
        parts << "48 kHz";
        break;
    case 0x28:
        parts << "88.2 kHz";
        break;
    case 0x30:
        parts << "96 kHz";
        break;
    case 0x48:
        parts << "176.4 kHz";
        break;
    case 0x50:
        parts << "192 kHz";
        break;
    default:
        parts << "rate bits " + QString::number(value & 0x78, 16).toUpper();
        break;
    }
    static const char* const kSources[] = {"internal clock", "AES clock", "word clock",
                                           "MADI clock"};
    parts << kSources[value & 0x03];
    if ((value & 0x04) != 0) {
        parts << "word clock terminated";
    }
    return parts.join(", ");
}

} // namespace

const ParameterInfo* parameterInfo(int number) {
    if (number < 0 || number >= kParameterCount) {
        return nullptr;
    }
    return &kParameters[static_cast<std::size_t>(number)];
}

std::optional<int> parameterNumber(std::string_view text) {
    int number = -1;
    const char* end = text.data() + text.size();
    if (const auto [ptr, ec] = std::from_chars(text.data(), end, number);
        !text.empty() && ec == std::errc{} && ptr == end) {
        return parameterInfo(number) != nullptr ? std::optional(number) : std::nullopt;
    }
    for (const ParameterInfo& p : kParameters) {
        if (sameIgnoringCase(text, p.name)) {
            return p.number;
        }
    }
    return std::nullopt;
}

QString parameterMeaning(int number, std::uint8_t value) {
    switch (number) {
    case param::clockRate:
        return clockRateText(value);
    case param::temperature:
        return value == 0 ? QString("N/A") : QString("%1 \u00B0C").arg(value);
    case param::model:
        return QString::fromLatin1(typeName(value));
    default:
        return {};
    }
}

} // namespace varento
