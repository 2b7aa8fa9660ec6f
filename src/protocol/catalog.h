#pragma once

#include "protocol/discovered_list.h"

#include <cstdint>
#include <optional>
#include <string>

namespace varento {

enum class FrontPanel { None, Base, Extended };

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
