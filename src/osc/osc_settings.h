#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace varento::osc {

// How the OSC server is set up; stored with the other settings.
struct Settings {
    bool enabled = false;
    int port = 9000;
    QString address = QStringLiteral("127.0.0.1"); // where it listens; loopback by default
    QStringList allowed;   // client addresses let in; empty: everyone who can reach it
    bool readOnly = false; // feedback and queries, no edits

    friend bool operator==(const Settings&, const Settings&) = default;
};

Settings loadSettings(const QSettings& store);
void saveSettings(QSettings& store, const Settings& settings);

} // namespace varento::osc
