#include "protocol/catalog.h"

namespace varento {

namespace {

bool oneOf(int model, std::initializer_list<int> models) {
    for (int m : models) {
        if (m == model) {
            return true;
        }
    }
    return false;
}

bool atLeast(int major, int minor, int wantMajor, int wantMinor) {
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

} // namespace

const char* typeName(int model) {
    switch (model) {
    case 5:
        return "DUOCHEST";
    case 6:
        return "DUOCHEST.PX";
    case 8:
        return "VARENTO";
    case 9:
        return "VARENTO.PX";
    case 10:
        return "VARENTO.PX SRC";
    case 11:
        return "VARENTO.LC";
    case 12:
        return "VARENTO 2";
    case 13:
        return "VARENTO 2.PX";
    case 14:
        return "VARENTO 2.PX SRC";
    case 18:
        return "VARENTO.AES";
    case 19:
        return "VARENTO.AES SRC";
    case 20:
        return "VARENTO 2.AD";
    case 21:
        return "VARENTO 2.DA";
    case 22:
        return "DUOCHEST.PL";
    case 24:
        return "VARENTO.LC Corvel";
    default:
        return "N/A";
    }
}

FrontPanel frontPanel(int model) {
    if (oneOf(model, {8, 11, 12, 20, 21, 24})) {
        return FrontPanel::Base;
    }
    if (oneOf(model, {9, 10, 13, 14, 18, 19})) {
        return FrontPanel::Extended;
    }
    return FrontPanel::None;
}

bool hasRedundancyOptions(int model) {
    return oneOf(model, {11, 12, 20, 21, 24});
}
bool hasSampleRateConverter(int model) {
    return oneOf(model, {10, 14, 19});
}
bool isAesModel(int model) {
    return model == 18 || model == 19;
}
bool hasMicInputs(int model) {
    return model == 11 || model == 24;
}

ModelCapabilities capabilities(int model, std::int8_t firmwareMajor, std::int8_t firmwareMinor) {
    ModelCapabilities c;
    c.frontPanel = frontPanel(model);
    c.matrixButton = !oneOf(model, {5, 6, 22});
    c.meterbridge = c.matrixButton && !isAesModel(model);
    if (oneOf(model, {9, 10, 13, 14})) {
        c.meterbridgeGroups = 4;
    } else if (c.frontPanel == FrontPanel::Base) {
        c.meterbridgeGroups = 2;
    }
    switch (model) {
    case 8:
    case 12:
        c.matrixBanks = MatrixBanks::Base;
        break;
    case 11:
    case 24:
        c.matrixBanks = MatrixBanks::Lc;
        break;
    case 9:
    case 10:
        c.matrixBanks = MatrixBanks::Px;
        break;
    case 13:
    case 14:
        c.matrixBanks = MatrixBanks::Px2;
        break;
    case 18:
    case 19:
        c.matrixBanks = MatrixBanks::Aes;
        break;
    case 20:
        c.matrixBanks = MatrixBanks::Ad;
        break;
    case 21:
        c.matrixBanks = MatrixBanks::Da;
        break;
    default:
        break;
    }
    const bool sumFirmware = firmwareMajor < 0 || atLeast(firmwareMajor, firmwareMinor, 6, 2);
    c.sumBuses = oneOf(model, {8, 12, 9, 10, 13, 14}) && sumFirmware;
    c.micInputs = hasMicInputs(model);
    c.srcRow = hasSampleRateConverter(model);
    return c;
}

int typeNameAt(const DiscoveredList& list, int position, std::string& out) {
    const DeviceRecord* node = list.at(position);
    out = node ? typeName(node->model) : "N/A";
    return node ? 0 : -1;
}

bool extendedRoutingSupported(int model, std::int8_t major, std::int8_t minor) {
    switch (model) {
    case 11:
        return major < 0 || atLeast(major, minor, 3, 1);
    case 12:
    case 13:
    case 14:
        return major < 0 || major >= 4;
    case 18:
    case 19:
        return major < 0 || atLeast(major, minor, 2, 1);
    case 20:
    case 21:
        return (major != 0 && major != 1) || minor >= 2;
    case 24:
        return (major != 0 && major != 1) || (major == 1 && minor >= 1);
    default:
        return false;
    }
}

std::optional<std::string> firmwareWarning(int model, std::int8_t major, std::int8_t minor) {
    static const std::string kPrefix = "Your device is not up to date. Some functions of this "
                                       "software might not work as expected. ";
    if (major < 0) {
        return std::nullopt;
    }
    const char* text = nullptr;
    switch (model) {
    case 11:
        if (major <= 3 || (major == 4 && minor < 6)) {
            text = "Please update VARENTO.LC firmware to version 4.6 or higher.";
        }
        break;
    case 24:
        if (major <= 1 || (major == 2 && minor < 1)) {
            text = "Please update VARENTO.LC Corvel remote firmware to version 2.1 or higher.";
        }
        break;
    case 18:
    case 19:
        if (major <= 1 || (major == 2 && minor < 7)) {
            text = "Please update firmware to version 2.7 or higher.";
        }
        break;
    case 20:
    case 21:
        if (major == 0 || (major == 1 && minor < 4)) {
            text = "Please update firmware to version 1.4 or higher.";
        }
        break;
    default:
        if (major <= 5) {
            text = "Please update VARENTO firmware to version 6.4 or higher.";
        } else if (major == 6 && minor < 6) {
            text = "Please update VARENTO firmware to version 6.6 or higher.";
        }
        break;
    }
    if (text == nullptr) {
        return std::nullopt;
    }
    return kPrefix + text;
}

} // namespace varento
