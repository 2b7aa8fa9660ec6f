#pragma once

#include "protocol/discovered_list.h"

#include <cstdint>
#include <optional>
#include <string>

namespace varento {

enum class FrontPanel { None, Base, Extended };

// How the matrix offers its banks: the models that share a row of bank buttons.
enum class MatrixBanks {
    Standard, // banks 0..3 as the window creates them
    Base,     // 8, 12: banks 1..3 and SUM
    Lc,       // 11, 24: banks 1..3
    Px,       // 9, 10: banks 1..3, 0 and SUM
    Px2,      // 13, 14: as Px, banks 4 and 5 with extended routing
    Aes,      // 18, 19: banks 0..3 named "AES 1..32" / "AES 33..64"
    Ad,       // 20: bank 1 among the sources only
    Da,       // 21: bank 1 among the outputs only
};

// What a unit of one model has. Windows, the main window and the CLI ask this
// instead of listing model codes.
struct ModelCapabilities {
    FrontPanel frontPanel = FrontPanel::None; // None: no unit windows at all
    bool matrixButton = false; // the top bar offers the matrix (usable with a front panel)
    MatrixBanks matrixBanks = MatrixBanks::Standard;
    bool sumBuses = false;     // the SUM bank; needs firmware 6.2
    bool meterbridge = false;  // the meterbridge button and window
    int meterbridgeGroups = 0; // groups of 32 strips: 4, 2 or none
    bool micInputs = false;    // 32 pre-amplifier inputs: the gain window
    bool srcRow = false;       // sample-rate converter indicators and settings
};

// Firmware matters only for the SUM buses; a negative major means "not known yet".
ModelCapabilities capabilities(int model, std::int8_t firmwareMajor = -1,
                               std::int8_t firmwareMinor = 0);

// "N/A" for codes that name no model.
const char* typeName(int model);
FrontPanel frontPanel(int model);
bool hasRedundancyOptions(int model); // redundancy and remote-over-MADI settings
bool hasSampleRateConverter(int model);
bool isAesModel(int model);
bool hasMicInputs(int model); // the gain window's units

// Writes the type name of the n-th unit (from 0) into `out`; -1 and "N/A" past the end.
int typeNameAt(const DiscoveredList& list, int position, std::string& out);

// Version bytes are compared as signed values.
bool extendedRoutingSupported(int model, std::int8_t major, std::int8_t minor);

// The firmware update text due for this version, if any.
std::optional<std::string> firmwareWarning(int model, std::int8_t major, std::int8_t minor);

} // namespace varento
