#pragma once

#include "protocol/device_record.h"

#include <QString>

#include <string>
#include <string_view>

namespace varento {

// Labels and device names are Windows-1252 bytes, as files from earlier
// installations hold them; the UI works with QString. Convert only at that border.
QString fromWindows1252(std::string_view bytes);
// Characters outside the code page become '?'.
std::string toWindows1252(const QString& text);

QString labelText(const Label& label);
// Cut to 16 characters. Anything a label file could not read back (control
// characters, CR, LF, tab, bytes 1252 leaves undefined) becomes '?', so one edit can
// never make the unit's whole store unreadable.
void setLabelText(Label& label, const QString& text);

} // namespace varento
