#pragma once

#include "app/unit_edit.h"

#include <QString>

namespace varento {

// The switch in words: "matrix mode", "all outputs muted", ...
QString unitFlagName(UnitFlag flag);

// One line for the journal on what an edit sent to `unit` (the record after the
// edit): which parameter, output range, input or channel, and the value it took.
// Outputs, sources, inputs and channels count from 1, as the windows show them.
QString describeEdit(const UnitEdit& edit, const DeviceRecord& unit);

} // namespace varento
