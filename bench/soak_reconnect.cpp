// A headless application session over the network link against varento-emu with
// three units behind two daemons, the emulator killed and restarted every few
// minutes, alternately with
// SIGTERM (its daemons withdraw: the link is lost and reconnects) and SIGKILL (the
// units fall silent, "\tNo Response!", until they answer again on the same port).
// Counts reconnects and compares the current unit with the emulator after each.
//
// Run by scripts/soak inside its private network namespace, or by hand in one:
//   unshare -n sh -c 'ip link set lo up; ip link set lo multicast on;
//     ip route add 224.0.0.0/4 dev lo;
//     VARENTO_NETNS=1 build/plain/bench/bench_soak_reconnect --run-minutes 6'
// The last line reads "soak-reconnect: cycles=.. reconnects=.. mismatches=.. ...".
//
// The comparison: the session's current unit against `varento-cli dump UID --json`,
// a second client in another process that gathers the unit afresh. Compared are the
// settings the unit only changes when told (parameters 0-8 and 13-15 whole, bit 6 of
// 17 and 19-21, the others being status the emulator moves by itself), the routing
// of outputs 0..191 with its flags, and the input gains, input switches and channel
// gains. Before each kill the current unit is edited away from the power-on state
// (and checked), so after a restart, which starts from power-on, only a session that
// read the unit again can agree with it. The session's copy is taken before the
// second client asks: the unit's replies to it reach the session as well.
//
// Meanwhile the second client also runs a full discovery every minute
// (`varento-cli --link network discover`), as a second engineer on the network
// would. The run fails on any message box, any edit the unit did not take, and
// any unit switched under the session by the other client's discoveries.
#include "app/session.h"
#include "core/parameters.h"
#include "core/text_format.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

using namespace varento;

namespace {

constexpr int kEmulatorDownMs = 10000; // over three supervision periods
constexpr int kReconnectMs = 60000;    // a reconnect taking longer counts as failed
constexpr int kRegatherMs = 20000;     // after answers resume, gathering must follow
constexpr int kSettleMs = 3000;        // edits sent and polled back before a check
constexpr int kDiscoveryEveryMs = 60000; // the second client's full discovery

struct Options {
    double runMinutes = 30;
    double restartMinutes = 2;
};

bool wait(const std::function<bool()>& condition, int ms) {
    return QTest::qWaitFor(condition, ms);
}

void idle(int ms) {
    QTest::qWait(ms);
}

class Emulator {
public:
    bool start() {
        process_.setProgram(QStringLiteral(VARENTO_EMU_PATH));
        // The three default units dealt out to two daemons: 0, 1, 0.
        process_.setArguments({QStringLiteral("network"), QStringLiteral("--daemons"),
                               QStringLiteral("2")});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        output_.clear();
        process_.start();
        return wait(
                   [this] {
                       output_ += process_.readAll();
                       return output_.contains("ready") ||
                              process_.state() == QProcess::NotRunning;
                   },
                   10000) &&
               process_.state() == QProcess::Running;
    }

    // SIGTERM withdraws the daemons; SIGKILL leaves them unanswering.
    void stop(int signal) {
        if (process_.state() == QProcess::NotRunning) {
            return;
        }
        ::kill(static_cast<pid_t>(process_.processId()), signal);
        wait([this] { return process_.state() == QProcess::NotRunning; }, 10000);
    }

    ~Emulator() { stop(SIGTERM); }

private:
    QProcess process_;
    QByteArray output_;
};

// The second client: varento-cli with a data folder of its own.
void asSecondClient(QProcess& cli, const QString& dataFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VARENTO_DATA_DIR"), dataFolder);
    cli.setProcessEnvironment(env);
}

// The unit as a second client reads it; an empty object when it could not.
QJsonObject dumpUnit(const DeviceUid& uid, const QString& dataFolder) {
    QProcess cli;
    asSecondClient(cli, dataFolder);
    cli.start(QStringLiteral(VARENTO_CLI_PATH),
              {"--link", "network", "--timeout", "10", "dump", cli::uidHex(uid), "--json"});
    // The session keeps running meanwhile: its loop must not stall.
    wait([&] { return cli.state() == QProcess::NotRunning; }, 30000);
    if (cli.state() != QProcess::NotRunning) {
        cli.kill();
        cli.waitForFinished();
        return {};
    }
    const QJsonArray units = QJsonDocument::fromJson(cli.readAllStandardOutput())
                                 .object()
                                 .value(QStringLiteral("units"))
                                 .toArray();
    for (const QJsonValue& unit : units) {
        if (unit.toObject().value(QStringLiteral("uid")).toString() == cli::uidHex(uid)) {
            return unit.toObject();
        }
    }
    return {};
}

template <std::size_t N>
void compareArray(const char* name, const std::array<std::uint8_t, N>& ours, std::size_t count,
                  const QJsonObject& theirs, QStringList& differences) {
    const QJsonArray values = theirs.value(QLatin1String(name)).toArray();
    if (static_cast<std::size_t>(values.size()) < count) {
        differences << QStringLiteral("%1: %2 values read").arg(name).arg(values.size());
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int value = values[static_cast<qsizetype>(i)].toInt();
        if (ours[i] != value) {
            differences << QStringLiteral("%1[%2]: session %3, unit %4")
                               .arg(name)
                               .arg(i)
                               .arg(ours[i])
                               .arg(value);
        }
    }
}

// The rule in the comment at the top; an empty list when they agree.
QStringList differences(const DeviceRecord& ours, const QJsonObject& theirs) {
    if (theirs.isEmpty()) {
        return {QStringLiteral("the second client could not read the unit")};
    }
    QStringList out;
    const QJsonObject parameters = theirs.value(QStringLiteral("parameters")).toObject();
    for (int number : {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15, 17, 19, 20, 21}) {
        const char* name = cli::parameterInfo(number)->name;
        const int mask = number >= 17 ? 0x40 : 0xFF;
        const int value = parameters.value(QLatin1String(name)).toInt(-1);
        if (value < 0 || (ours.at(number) & mask) != (value & mask)) {
            out << QStringLiteral("%1: session %2, unit %3").arg(name).arg(ours.at(number)).arg(value);
        }
    }
    compareArray("routeSource", ours.routeSource, kWireRouteSlots, theirs, out);
    compareArray("routeFlags", ours.routeFlags, kWireRouteSlots, theirs, out);
    compareArray("inputGain", ours.inputGain, kInputCount, theirs, out);
    compareArray("inputSwitch", ours.inputSwitch, kInputCount, theirs, out);
    compareArray("channelGain", ours.channelGain, kChannelGainCount, theirs, out);
    return out;
}

class Soak {
public:
    Soak(const Options& options, const QString& folder)
        : options_(options), cliFolder_(folder + "/cli"),
          session_(ui_, SessionPaths{(folder + "/app").toStdString(),
                                     (folder + "/app").toStdString()}) {
        QObject::connect(&session_, &Session::statusAlarmChanged,
                         [this](bool noResponse) { silent_ = noResponse; });
        QObject::connect(&session_, &Session::gatheringFinished, [this] { ++gathered_; });
        asSecondClient(discovery_, cliFolder_);
        QObject::connect(&discovery_, &QProcess::finished, [this](int code) {
            discoveries_ += code == 0 ? 1 : 0;
        });
        discoveryTimer_.setInterval(kDiscoveryEveryMs);
        QObject::connect(&discoveryTimer_, &QTimer::timeout, [this] { discoverAsSecondClient(); });
    }

    int run();

private:
    bool connectFirst();
    // Picks a unit, edits it away from power-on and checks that the unit took it.
    void editCurrentUnit(int cycle);
    // Kills and restarts the emulator; false when the session did not come back.
    bool restart(int cycle);
    bool check(const char* when, int cycle);
    // A full discovery by the second client, left to run beside the session.
    void discoverAsSecondClient() {
        if (discovery_.state() == QProcess::NotRunning) {
            discovery_.start(QStringLiteral(VARENTO_CLI_PATH),
                             {"--link", "network", "--timeout", "10", "discover"});
        }
    }
    static void say(const QString& line) {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout); // scripts/soak shows the progress as it comes
    }

    Options options_;
    QString cliFolder_;
    testing::ScriptedInteraction ui_;
    Session session_;
    Emulator emulator_;
    QProcess discovery_;
    QTimer discoveryTimer_;
    int discoveries_ = 0;
    bool silent_ = false;
    int gathered_ = 0;
    int reconnects_ = 0;
    int mismatches_ = 0;
    int editsLost_ = 0;
    int notRegathered_ = 0;
    int switchedByOtherClient_ = 0;
    int failures_ = 0;
};

bool Soak::connectFirst() {
    if (!emulator_.start()) {
        say(QStringLiteral("varento-emu did not start"));
        return false;
    }
    session_.command(command_id::enableNetwork);
    session_.setReconnectAutomatically(true);
    session_.connectOrDisconnect();
    return wait([this] { return session_.unitsGathered(); }, 30000);
}

void Soak::editCurrentUnit(int cycle) {
    const int units = static_cast<int>(session_.unitSelectorItems().size());
    const int index = cycle % std::max(units, 1);
    session_.selectUnit(index);
    const DeviceUid uid = session_.current().uid;
    // Power-on values: slow fan 50, routes set, input gains 8, channel gains 0. Every
    // fourth cycle from the second leaves the parameters alone: a restarted unit
    // then differs from the session in its routing and gains only.
    UnitEditor edit = session_.editor();
    if (cycle % 4 != 2) {
        edit.setParameter(param::fanSlowTemp, static_cast<std::uint8_t>(40 + cycle % 8));
    }
    edit.setRoute(cycle % 32, kNoSource);
    edit.setInputGain(cycle % kInputCount, static_cast<std::uint8_t>(20 + cycle % 40));
    edit.setChannelGain(cycle % kChannelGainCount, static_cast<std::uint8_t>(1 + cycle % 20));
    idle(kSettleMs);
    if (!check("after the edits", cycle)) {
        ++editsLost_;
    }
    // A unit switched under the session by the second client's discovery is a
    // failure; the edited unit is chosen again for the kill.
    if (session_.current().uid != uid) {
        ++switchedByOtherClient_;
        session_.selectUnit(index);
    }
}

bool Soak::restart(int cycle) {
    const bool term = cycle % 2 == 1;
    const DeviceUid uid = session_.current().uid;
    const int gatheredBefore = gathered_;
    emulator_.stop(term ? SIGTERM : SIGKILL);
    QElapsedTimer down;
    down.start();
    idle(kEmulatorDownMs);
    const bool noticed = term ? session_.reconnecting() : silent_;
    if (!emulator_.start()) {
        say(QStringLiteral("cycle %1: varento-emu did not start again").arg(cycle));
        return false;
    }
    // SIGTERM: the link comes back and gathers; SIGKILL: the units answer again.
    const bool back =
        noticed &&
        (term ? wait([&] { return !session_.reconnecting() && gathered_ > gatheredBefore; },
                     kReconnectMs)
              : wait([this] { return !silent_; }, kReconnectMs));
    const qint64 downMs = down.elapsed();
    if (!back) {
        say(QStringLiteral("cycle %1 (%2): %3")
                .arg(cycle)
                .arg(term ? "SIGTERM" : "SIGKILL")
                .arg(noticed ? QStringLiteral("no reconnect within %1 s").arg(kReconnectMs / 1000)
                             : QStringLiteral("the loss went unnoticed")));
        return false;
    }
    ++reconnects_;
    say(QStringLiteral("cycle %1 (%2): back after %3 ms")
            .arg(cycle)
            .arg(term ? "SIGTERM" : "SIGKILL")
            .arg(downMs));
    if (!wait([&] { return gathered_ > gatheredBefore; }, kRegatherMs)) {
        ++notRegathered_;
        say(QStringLiteral("cycle %1 (%2): the units answer again but were not gathered again")
                .arg(cycle)
                .arg(term ? "SIGTERM" : "SIGKILL"));
    }
    if (session_.current().uid != uid) {
        ++mismatches_;
        say(QStringLiteral("cycle %1: the current unit is %2, was %3")
                .arg(cycle)
                .arg(cli::uidHex(session_.current().uid), cli::uidHex(uid)));
    } else if (!check("after the reconnect", cycle)) {
        ++mismatches_;
    }
    return true;
}

bool Soak::check(const char* when, int cycle) {
    const DeviceRecord ours = session_.current(); // as it stood when the read began
    const QStringList found = differences(ours, dumpUnit(ours.uid, cliFolder_));
    if (found.isEmpty()) {
        return true;
    }
    say(QStringLiteral("cycle %1: %2 difference(s) %3: %4")
            .arg(cycle)
            .arg(found.size())
            .arg(when, found.mid(0, 6).join(QStringLiteral("; "))));
    return false;
}

int Soak::run() {
    if (!connectFirst()) {
        say(QStringLiteral("soak-reconnect: the first connect failed"));
        return 1;
    }
    // Half a minute out of step with the restarts, which fall on whole minutes.
    QTimer::singleShot(kDiscoveryEveryMs / 2, &discoveryTimer_, [this] {
        discoverAsSecondClient();
        discoveryTimer_.start();
    });
    const int cycles = std::max(1, static_cast<int>(options_.runMinutes / options_.restartMinutes));
    const qint64 periodMs = static_cast<qint64>(options_.restartMinutes * 60000);
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        editCurrentUnit(cycle);
        idle(static_cast<int>(std::max<qint64>(0, cycle * periodMs - clock.elapsed())));
        if (!restart(cycle)) {
            ++failures_;
        }
    }
    discoveryTimer_.stop();
    discovery_.waitForFinished(15000);
    const std::size_t messages = ui_.messages.size();
    say(QStringLiteral("soak-reconnect: cycles=%1 reconnects=%2 mismatches=%3 edits-lost=%4 "
                       "not-regathered=%5 failed=%6 messages=%7 switched-by-other-client=%8 "
                       "discoveries=%9")
            .arg(cycles)
            .arg(reconnects_)
            .arg(mismatches_)
            .arg(editsLost_)
            .arg(notRegathered_)
            .arg(failures_)
            .arg(messages)
            .arg(switchedByOtherClient_)
            .arg(discoveries_));
    for (const auto& m : ui_.messages) {
        say(QStringLiteral("  message: %1: %2").arg(m.title, m.text.simplified()));
    }
    const bool met = failures_ + mismatches_ + notRegathered_ + editsLost_ +
                         switchedByOtherClient_ ==
                     0 &&
                     messages == 0;
    return met ? 0 : 1;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const double value = std::atof(argv[i + 1]);
        if (value <= 0) {
            return false;
        }
        if (std::strcmp(argv[i], "--run-minutes") == 0) {
            options.runMinutes = value;
        } else if (std::strcmp(argv[i], "--restart-minutes") == 0) {
            options.restartMinutes = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs("usage: bench_soak_reconnect [--run-minutes N] [--restart-minutes M]\n", stderr);
        return 2;
    }
    if (std::getenv("VARENTO_NETNS") == nullptr) {
        std::fputs("bench_soak_reconnect: run it inside a private network namespace (see the "
                   "comment at the top of bench/soak_reconnect.cpp)\n",
                   stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    Soak soak(options, folder.path());
    return soak.run();
}
