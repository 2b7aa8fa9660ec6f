#pragma once

#include "protocol/device_record.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace varento {

// Labels and device names are Windows-1252 bytes, as files from earlier
// installations hold them; the UI works with QString. Convert only at that border.
QString fromWindows1252(std::string_view bytes);
// Characters outside the code page become '?'.
std::string toWindows1252(const QString& text);

// One rule for every label and unit name the user types, pastes or scripts: accents
// typed as a letter and a combining mark are composed first (NFC); then a character
// outside Windows-1252, or one a label file could not read back (tab, control
// characters), is refused, never turned into '?' unseen.
QString composed(const QString& text);
// The first such character of the composed text, none when every one can be kept.
std::optional<QString> firstUnkeptCharacter(const QString& text);
// "\"Ω\" (U+03A9) cannot be kept: ..." naming the character.
QString unkeptCharacterText(const QString& character);

QString labelText(const Label& label);
// Cut to 16 characters. Anything a label file could not read back (control
// characters, CR, LF, tab, bytes 1252 leaves undefined) becomes '?', so one edit can
// never make the unit's whole store unreadable.
void setLabelText(Label& label, const QString& text);

} // namespace varento
