#include "osc/osc_settings.h"

#include <QHostAddress>
#include <QSettings>

namespace varento::osc {

Settings loadSettings(const QSettings& store) {
    Settings s;
    s.enabled = store.value(QStringLiteral("OSC/Enabled"), s.enabled).toBool();
    const int port = store.value(QStringLiteral("OSC/Port"), s.port).toInt();
    s.port = port >= 1 && port <= 65535 ? port : s.port;
    const QString address = store.value(QStringLiteral("OSC/Address"), s.address).toString();
    // A stored address that is not one keeps the server on loopback.
    s.address = QHostAddress(address).isNull() ? s.address : address;
    for (const QString& a : store.value(QStringLiteral("OSC/Allowed")).toStringList()) {
        if (!QHostAddress(a).isNull()) {
            s.allowed << a;
        }
    }
    s.readOnly = store.value(QStringLiteral("OSC/ReadOnly"), s.readOnly).toBool();
    return s;
}

void saveSettings(QSettings& store, const Settings& s) {
    store.setValue(QStringLiteral("OSC/Enabled"), s.enabled);
    store.setValue(QStringLiteral("OSC/Port"), s.port);
    store.setValue(QStringLiteral("OSC/Address"), s.address);
    store.setValue(QStringLiteral("OSC/Allowed"), s.allowed);
    store.setValue(QStringLiteral("OSC/ReadOnly"), s.readOnly);
}

} // namespace varento::osc
