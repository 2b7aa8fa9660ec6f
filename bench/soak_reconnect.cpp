// A headless application session over the network link against varento-emu acting
// as two daemons, the first with one unit behind it and the second with two, the
// emulator killed and restarted every few minutes, alternately with SIGTERM (its
// daemons withdraw: the link is lost and reconnects) and SIGKILL (the units fall
// silent, "\tNo Response!", until they answer again on the same ports). Each cycle
// edits the next of the three units in turn, so units behind either daemon are
// edited, killed under and compared. Counts reconnects and compares the current
// unit with the emulator after each; after each restart every unit must be found
// again behind its own daemon.
//
// Run by scripts/soak inside its private network namespace, or by hand in one:
//   unshare -n sh -c 'ip link set lo up; ip link set lo multicast on;
//     ip route add 224.0.0.0/4 dev lo;
//     VARENTO_NETNS=1 build/plain/bench/bench_soak_reconnect --run-minutes 6'
// The last line reads "soak-reconnect: cycles=.. reconnects=.. mismatches=.. ...
// discoveries=..".
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
// Besides its dumps the second client runs a full discovery through both daemons
// every minute for the whole run (`varento-cli --link network discover`, with a
// data folder of its own), as a second engineer on the same network would; its
// queries and the units' answers reach the session too. The run fails on a
// reconnect that does not come back, a mismatch, units not gathered again, any
// message box shown to the user, any edit the unit did not take, and any change of
// the unit shown that the session was not asked for while the emulator ran (the
// other client's discoveries and dumps being all that happens then).
#include "app/link_set.h"
#include "app/session.h"
#include "app/parameters.h"
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
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>

using namespace varento;

namespace {

constexpr int kEmulatorDownMs = 10000;   // over three supervision periods
constexpr int kReconnectMs = 60000;      // a reconnect taking longer counts as failed
constexpr int kRegatherMs = 20000;       // after answers resume, gathering must follow
constexpr int kSettleMs = 3000;          // edits sent and polled back before a check
constexpr int kDiscoveryEveryMs = 60000; // the second client's full discovery
constexpr int kDaemons = 2;

// The emulator's three default units, the first behind daemon 0 and the other two
// behind daemon 1, so that most of the work goes through the second daemon.
struct SoakUnit {
    const char* config; // as varento-emu --unit reads it
    const char* uid;
    int daemon;
};
constexpr std::array<SoakUnit, 3> kUnits{{
    {"12:0C0201000A050F030B0804060E0D0701:6.6@0", "0C0201000A050F030B0804060E0D0701", 0},
    {"14:0E0201000A050F030B0804060E0D0702:6.6@1", "0E0201000A050F030B0804060E0D0702", 1},
    {"11:0B0201000A050F030B0804060E0D0703:4.6@1", "0B0201000A050F030B0804060E0D0703", 1},
}};

DeviceUid uidOf(const SoakUnit& unit) {
    return *cli::parseUidHex(unit.uid);
}

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
        QStringList args{QStringLiteral("network"), QStringLiteral("--daemons"),
                         QString::number(kDaemons)};
        for (const SoakUnit& unit : kUnits) {
            args << QStringLiteral("--unit") << QLatin1String(unit.config);
        }
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        output_.clear();
        process_.start();
        return wait(
                   [this] {
                       output_ += process_.readAll();
                       return output_.contains("ready") || process_.state() == QProcess::NotRunning;
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

    bool running() const { return process_.state() == QProcess::Running; }

    ~Emulator() { stop(SIGTERM); }

private:
    QProcess process_;
    QByteArray output_;
};

// The second client: varento-cli with the data folder given.
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
        const char* name = parameterInfo(number)->name;
        const int mask = number >= 17 ? 0x40 : 0xFF;
        const int value = parameters.value(QLatin1String(name)).toInt(-1);
        if (value < 0 || (ours.at(number) & mask) != (value & mask)) {
            out << QStringLiteral("%1: session %2, unit %3")
                       .arg(name)
                       .arg(ours.at(number))
                       .arg(value);
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
          session_(ui_,
                   SessionPaths{(folder + "/app").toStdString(), (folder + "/app").toStdString()}) {
        QObject::connect(&session_, &Session::statusAlarmChanged,
                         [this](bool noResponse) { silent_ = noResponse; });
        QObject::connect(&session_, &Session::gatheringFinished, [this] { ++gathered_; });
        QObject::connect(&session_, &Session::currentUnitChanged,
                         [this](const DeviceUid& uid) { currentUnitChanged(uid); });
        asSecondClient(discovery_, folder + "/cli-discover");
        QObject::connect(
            &discovery_, &QProcess::finished,
            [this](int code, QProcess::ExitStatus status) { discoveryFinished(code, status); });
        QObject::connect(&discoveryTimer_, &QTimer::timeout, [this] {
            discoveryTimer_.setInterval(kDiscoveryEveryMs);
            discoverAsSecondClient();
        });
    }

    int run();

private:
    bool connectFirst();
    // Shows the unit, as the user picking it in the selector; false when it is not there.
    bool choose(const DeviceUid& uid);
    // Shows the next unit in turn, edits it away from power-on and checks that the
    // unit took it.
    void editNextUnit(int cycle);
    // Kills and restarts the emulator; false when the session did not come back.
    bool restart(int cycle);
    bool check(const char* when, int cycle);
    // What is amiss with the units found: each unit once, behind its own daemon.
    QStringList unitsOutOfPlace();
    // The unit shown changed: while the emulator runs only we may change it.
    void currentUnitChanged(const DeviceUid& uid);
    // A full discovery by the second client, left to run beside the session.
    void discoverAsSecondClient();
    void discoveryFinished(int code, QProcess::ExitStatus status);
    QString unitName(const DeviceUid& uid) const;
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
    QElapsedTimer clock_;
    std::optional<DeviceUid> chosen_; // the unit we showed last
    bool choosing_ = false;
    bool restarting_ = false;
    bool silent_ = false;
    int gathered_ = 0;
    int reconnects_ = 0;
    int mismatches_ = 0;
    int editsLost_ = 0;
    int notRegathered_ = 0;
    int switchedByOtherClient_ = 0;
    int failures_ = 0;
    int discoveriesStarted_ = 0;
    int discoveries_ = 0; // those that ran to the end and listed the units
};

QString Soak::unitName(const DeviceUid& uid) const {
    for (std::size_t i = 0; i < kUnits.size(); ++i) {
        if (uidOf(kUnits[i]) == uid) {
            return QStringLiteral("unit %1 (daemon %2)").arg(i).arg(kUnits[i].daemon);
        }
    }
    return cli::uidHex(uid);
}

bool Soak::connectFirst() {
    if (!emulator_.start()) {
        say(QStringLiteral("varento-emu did not start"));
        return false;
    }
    session_.command(command_id::enableNetwork);
    session_.setReconnectAutomatically(true);
    session_.connectOrDisconnect();
    if (!wait([this] { return session_.unitsGathered() && unitsOutOfPlace().isEmpty(); }, 30000)) {
        const QStringList amiss = unitsOutOfPlace();
        say(QStringLiteral("the first connect: %1")
                .arg(amiss.isEmpty() ? QStringLiteral("the units were not gathered")
                                     : amiss.join(QStringLiteral("; "))));
        return false;
    }
    return true;
}

QStringList Soak::unitsOutOfPlace() {
    QStringList out;
    const int daemons = session_.links().daemonCount();
    if (daemons != kDaemons) {
        out << QStringLiteral("%1 daemon(s) found").arg(daemons);
    }
    if (session_.discovered().count() != static_cast<int>(kUnits.size())) {
        out << QStringLiteral("%1 unit(s) found").arg(session_.discovered().count());
    }
    for (const SoakUnit& unit : kUnits) {
        const DeviceRecord* record = session_.unit(uidOf(unit));
        if (record == nullptr) {
            out << QStringLiteral("%1 not found").arg(unitName(uidOf(unit)));
        } else if (record->daemonIndex != unit.daemon) {
            out << QStringLiteral("%1 found behind daemon %2")
                       .arg(unitName(uidOf(unit)))
                       .arg(record->daemonIndex);
        }
    }
    return out;
}

bool Soak::choose(const DeviceUid& uid) {
    const int items = static_cast<int>(session_.unitSelectorItems().size());
    for (int index = 0; index < items; ++index) {
        DeviceUid online;
        if (session_.deviceList().onlineId(index + 1, online) == 0 && online == uid) {
            chosen_ = uid;
            choosing_ = true;
            session_.selectUnit(index);
            choosing_ = false;
            return session_.currentUnit() == uid && session_.current().uid == uid;
        }
    }
    return false;
}

void Soak::currentUnitChanged(const DeviceUid& uid) {
    if (choosing_ || restarting_ || !chosen_ || uid == *chosen_) {
        return;
    }
    // A unit switched by another client's discovery (or dump) is a failure: nothing
    // but the second client happens now, the emulator running undisturbed.
    ++switchedByOtherClient_;
    say(QStringLiteral("%1 s: the unit shown switched to %2 from %3 (the second client %4)")
            .arg(clock_.elapsed() / 1000)
            .arg(unitName(uid), unitName(*chosen_),
                 discovery_.state() != QProcess::NotRunning ? QStringLiteral("discovering")
                                                            : QStringLiteral("not discovering")));
}

void Soak::discoverAsSecondClient() {
    if (discovery_.state() != QProcess::NotRunning) {
        say(QStringLiteral("%1 s: the second client's last discovery still runs")
                .arg(clock_.elapsed() / 1000));
        return;
    }
    ++discoveriesStarted_;
    discovery_.start(QStringLiteral(VARENTO_CLI_PATH),
                     {"--link", "network", "--timeout", "10", "--json", "discover"});
}

void Soak::discoveryFinished(int code, QProcess::ExitStatus status) {
    const QJsonArray units = QJsonDocument::fromJson(discovery_.readAllStandardOutput())
                                 .object()
                                 .value(QStringLiteral("units"))
                                 .toArray();
    const QString problem = QString::fromLocal8Bit(discovery_.readAllStandardError()).simplified();
    if (status == QProcess::NormalExit && code == 0) {
        ++discoveries_;
        if (units.size() == static_cast<qsizetype>(kUnits.size())) {
            return;
        }
    }
    // Expected while the emulator is down; worth a line all the same.
    say(QStringLiteral("%1 s: the second client's discovery %2 (exit %3, %4 unit(s)%5)%6")
            .arg(clock_.elapsed() / 1000)
            .arg(status == QProcess::NormalExit ? QStringLiteral("ended")
                                                : QStringLiteral("crashed"))
            .arg(code)
            .arg(units.size())
            .arg(restarting_ ? QStringLiteral(", during a restart") : QString())
            .arg(problem.isEmpty() ? QString() : QStringLiteral(": ") + problem.left(200)));
}

void Soak::editNextUnit(int cycle) {
    const DeviceUid uid = uidOf(kUnits[static_cast<std::size_t>(cycle) % kUnits.size()]);
    restarting_ = false;
    if (!choose(uid)) {
        ++editsLost_;
        say(QStringLiteral("cycle %1: %2 could not be shown (selector: %3)")
                .arg(cycle)
                .arg(unitName(uid), session_.unitSelectorItems().join(QStringLiteral(", "))));
        return;
    }
    // Power-on values: slow fan 50, routes set, input gains 8, channel gains 0. Every
    // fourth cycle from the second leaves the parameters alone: a restarted unit
    // then differs from the session in its routing and gains only.
    UnitEditor edit = session_.editor();
    bool taken = true;
    if (cycle % 4 != 2) {
        taken = edit.setParameter(param::fanSlowTemp, static_cast<std::uint8_t>(40 + cycle % 8)) &&
                taken;
    }
    taken = edit.setRoute(cycle % 32, kNoSource) && taken;
    taken =
        edit.setInputGain(cycle % kInputCount, static_cast<std::uint8_t>(20 + cycle % 40)) && taken;
    taken =
        edit.setChannelGain(cycle % kChannelGainCount, static_cast<std::uint8_t>(1 + cycle % 20)) &&
        taken;
    if (!taken) {
        say(QStringLiteral("cycle %1: the session refused an edit of %2")
                .arg(cycle)
                .arg(unitName(uid)));
    }
    idle(kSettleMs);
    if (!check("after the edits", cycle) || !taken) {
        ++editsLost_;
    }
}

bool Soak::restart(int cycle) {
    const bool term = cycle % 2 == 1;
    const char* how = term ? "SIGTERM" : "SIGKILL";
    // A unit switched meanwhile was counted; the edited one is shown again for the kill.
    if (chosen_ && session_.currentUnit() != *chosen_) {
        choose(*chosen_);
    }
    const DeviceUid uid = session_.current().uid;
    const int gatheredBefore = gathered_;
    restarting_ = true;
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
                .arg(how)
                .arg(noticed ? QStringLiteral("no reconnect within %1 s").arg(kReconnectMs / 1000)
                             : QStringLiteral("the loss went unnoticed")));
        return false; // restarting_ stays until the next cycle shows a unit
    }
    ++reconnects_;
    say(QStringLiteral("cycle %1 (%2): back after %3 ms, %4 shown")
            .arg(cycle)
            .arg(how)
            .arg(downMs)
            .arg(unitName(uid)));
    if (!wait([&] { return gathered_ > gatheredBefore && unitsOutOfPlace().isEmpty(); },
              kRegatherMs)) {
        ++notRegathered_;
        const QStringList amiss = unitsOutOfPlace();
        say(QStringLiteral("cycle %1 (%2): the units answer again but %3")
                .arg(cycle)
                .arg(how)
                .arg(gathered_ > gatheredBefore ? amiss.join(QStringLiteral("; "))
                                                : QStringLiteral("were not gathered again")));
    }
    if (session_.current().uid != uid) {
        ++mismatches_;
        say(QStringLiteral("cycle %1: the current unit is %2, was %3")
                .arg(cycle)
                .arg(unitName(session_.current().uid), unitName(uid)));
    } else if (!check("after the reconnect", cycle)) {
        ++mismatches_;
    }
    restarting_ = false;
    return true;
}

bool Soak::check(const char* when, int cycle) {
    const DeviceRecord ours = session_.current(); // as it stood when the read began
    const QStringList found = differences(ours, dumpUnit(ours.uid, cliFolder_));
    if (found.isEmpty()) {
        return true;
    }
    say(QStringLiteral("cycle %1: %2 difference(s) %3 in %4: %5")
            .arg(cycle)
            .arg(found.size())
            .arg(QLatin1String(when), unitName(ours.uid),
                 found.mid(0, 6).join(QStringLiteral("; "))));
    return false;
}

int Soak::run() {
    clock_.start();
    // The second client discovers from the start to the end, every minute from half
    // a minute on: out of step with restarts on whole minutes, so that not every
    // discovery meets an emulator that is down.
    discoveryTimer_.start(kDiscoveryEveryMs / 2);
    if (!connectFirst()) {
        say(QStringLiteral("soak-reconnect: the first connect failed"));
        return 1;
    }
    const int cycles = std::max(1, static_cast<int>(options_.runMinutes / options_.restartMinutes));
    const qint64 periodMs = static_cast<qint64>(options_.restartMinutes * 60000);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        editNextUnit(cycle);
        idle(static_cast<int>(std::max<qint64>(0, cycle * periodMs - clock_.elapsed())));
        if (!restart(cycle)) {
            ++failures_;
            if (!emulator_.running()) {
                break; // nothing to run against
            }
        }
    }
    discoveryTimer_.stop();
    if (!wait([this] { return discovery_.state() == QProcess::NotRunning; }, 20000)) {
        discovery_.kill();
        wait([this] { return discovery_.state() == QProcess::NotRunning; }, 5000);
    }
    // A discovery that never listed the units exercised nothing: the run says so.
    const bool discovered = discoveriesStarted_ == 0 || discoveries_ > 0;
    if (!discovered) {
        say(QStringLiteral("none of the second client's %1 discoveries listed the units")
                .arg(discoveriesStarted_));
    }
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
    const bool met = failures_ == 0 && mismatches_ == 0 && notRegathered_ == 0 && editsLost_ == 0 &&
                     switchedByOtherClient_ == 0 && messages == 0 && discovered;
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
