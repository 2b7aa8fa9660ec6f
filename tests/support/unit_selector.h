#pragma once

#include "app/session.h"

namespace varento::testing {

// The device selector's item of the first unit of a type ("VARENTO.LC"), -1 if none.
inline int selectorIndexOf(const Session& session, const QString& typeName) {
    const QStringList items = session.unitSelectorItems();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].startsWith(typeName + " - ")) {
            return i;
        }
    }
    return -1;
}

} // namespace varento::testing
