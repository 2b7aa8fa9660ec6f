#pragma once

#include "cli_interaction.h"
#include "command_line.h"
#include "console.h"
#include "wire_watch.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

class QEventLoop;

namespace varento {
class Session;
}

namespace varento::cli {

// Runs one command that talks to units, over a Session whose link is already
// chosen: connects, waits for the units on the event loop (never sleeping), acts
// through the session's own flows and prints the result.
class Runner : public QObject {
    Q_OBJECT

public:
    Runner(Session& session, CliInteraction& ui, Console& console, const CommandLine& line);
    ~Runner() override;

    // The exit status.
    int run();
    // Ctrl+C: every wait ends at once.
    void interrupt();

private:
    int discover();
    int dump();
    int setParameter();
    int route();
    int routeTable();
    int routeBus();
    int routeSheet(); // runner_sheet.cpp
    int oscServer();
    int gain();
    int spareSwitch(bool trip);
    int tripStatus();
    int labelsExport();
    int labelsImport();
    int presetSave();
    int presetLoad();
    int projectSave();
    int projectLoad();
    int projectCompare(); // runner_compare.cpp
    // Reads the preset or project file the way the session will and reports what
    // would make its load fail or change nothing; the unit is not touched then.
    bool checkPresetFile(std::uint8_t fileType);
    int monitor();
    int devices();

    // Connect and wait until discovery has found its units. When they are not
    // `required`, finding none is only noted.
    bool connectAndDiscover(bool required = true);
    // Wait until every discovered unit was read; units that stayed silent are left
    // out of answered().
    bool gatherAll();
    bool answered(const DeviceUid& uid) const;
    // Makes the unit current; reports and returns false when it is not online.
    bool selectTarget(const DeviceUid& uid);
    QString onlineUnitsText() const;

    // Runs the event loop until `done` holds or `timeoutMs` passes (never when it is
    // negative). With `restartOnReply` every received frame restarts the time.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs, bool restartOnReply = false);
    // Until a `reply` arrives to a `request` sent from now on.
    bool waitForFreshReply(const DeviceUid& uid, std::uint8_t request, std::uint8_t reply);
    bool waitForSends();

    void progress(const QString& text);
    void endProgress();
    int fail(int status, const QString& sentence);
    // A flow that ran through the session: its messages are printed already.
    int flowStatus(const QString& done);
    QString seconds() const;

    Session& session_;
    CliInteraction& ui_;
    Console& console_;
    const CommandLine& line_;
    WireWatch watch_;
    QEventLoop* loop_ = nullptr;
    bool interrupted_ = false;
    QString progressText_;
};

} // namespace varento::cli
