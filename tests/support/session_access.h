#pragma once

#include "app/session.h"

namespace varento {

// Tests stand in for the unit: they set what a reply would have set. Views and
// the command line have no such access; they edit through Session's editor.
struct SessionTestAccess {
    static DeviceRecord& unit(Session& session) { return session.currentRecord(); }
};

} // namespace varento
