#include "runner.h"

#include "app/parameters.h"
#include "frame_decoder.h"
#include "text_format.h"
#include "unit_report.h"

#include "app/data_folder.h"
#include "app/label_flows.h"
#include "app/session.h"
#include "app/spare_switch.h"
#include "files/label_store.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "osc/osc_server.h"
#include "protocol/catalog.h"
#include "protocol/frame.h"
#include "protocol/frame_builders.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace varento::cli {

Runner::Runner(Session& session, CliInteraction& ui, Console& console, const CommandLine& line)
    : session_(session), ui_(ui), console_(console), line_(line), watch_(session.links()) {
    ui_.setReplacements(line.replacements);
    // A command ends when its link fails; only a monitor may be told to wait it out.
    session_.setReconnectAutomatically(line.reconnect);
}

Runner::~Runner() = default;

void Runner::interrupt() {
    interrupted_ = true;
    if (loop_ != nullptr) {
        loop_->quit();
    }
}

int Runner::run() {
    int status = exit_status::ok;
    switch (line_.command) {
    case Command::Discover:
        status = discover();
        break;
    case Command::Dump:
        status = dump();
        break;
    case Command::Set:
        status = setParameter();
        break;
    case Command::Route:
        status = route();
        break;
    case Command::RouteTable:
        status = routeTable();
        break;
    case Command::RouteBus:
        status = routeBus();
        break;
    case Command::Gain:
        status = gain();
        break;
    case Command::LabelsExport:
        status = labelsExport();
        break;
    case Command::LabelsImport:
        status = labelsImport();
        break;
    case Command::PresetSave:
        status = presetSave();
        break;
    case Command::PresetLoad:
        status = presetLoad();
        break;
    case Command::ProjectSave:
        status = projectSave();
        break;
    case Command::ProjectLoad:
        status = projectLoad();
        break;
    case Command::RouteSheet:
        status = routeSheet();
        break;
    case Command::ProjectCompare:
        status = projectCompare();
        break;
    case Command::Monitor:
        status = monitor();
        break;
    case Command::DevicesList:
    case Command::DevicesRename:
    case Command::DevicesMove:
    case Command::DevicesRemove:
        status = devices();
        break;
    case Command::Trip:
    case Command::Untrip:
        status = spareSwitch(line_.command == Command::Trip);
        break;
    case Command::TripStatus:
        status = tripStatus();
        break;
    case Command::Osc:
        status = oscServer();
        break;
    default:
        status = fail(exit_status::usage, "This command does not talk to units.");
        break;
    }
    endProgress();
    if (interrupted_ && line_.command != Command::Monitor) {
        console_.err("varento-cli: interrupted.\n");
        return exit_status::interrupted;
    }
    return status;
}

// ---- waiting -----------------------------------------------------------------------------

bool Runner::waitUntil(const std::function<bool()>& done, int timeoutMs, bool restartOnReply) {
    if (interrupted_ || done()) {
        return !interrupted_;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject context;
    auto check = [&] {
        if (done()) {
            loop.quit();
        }
    };
    connect(&watch_, &WireWatch::frame, &context, [&](const QByteArray&, bool received) {
        if (received && restartOnReply && timeoutMs >= 0) {
            deadline.start(timeoutMs);
        }
        check();
    });
    connect(&session_, &Session::connectedChanged, &context, check);
    connect(&session_, &Session::unitListChanged, &context, check);
    connect(&session_, &Session::gatheringChanged, &context, check);
    connect(&session_, &Session::discoveryFinished, &context, check);
    connect(&session_, &Session::gatheringFinished, &context, check);
    connect(&session_.sendQueue(), &SendQueue::busyChanged, &context, check);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs >= 0) {
        deadline.start(timeoutMs);
    }
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
    return !interrupted_ && done();
}

bool Runner::waitForFreshReply(const DeviceUid& uid, std::uint8_t request, std::uint8_t reply) {
    const int requestsBefore = watch_.sent(uid, request);
    std::optional<int> repliesAtRequest;
    return waitUntil(
        [&] {
            if (!repliesAtRequest && watch_.sent(uid, request) > requestsBefore) {
                repliesAtRequest = watch_.received(uid, reply);
            }
            return session_.state().isConnected && repliesAtRequest &&
                   watch_.received(uid, reply) > *repliesAtRequest;
        },
        line_.timeoutMs);
}

bool Runner::waitForSends() {
    return waitUntil([this] { return !session_.sendQueue().busy(); }, line_.timeoutMs);
}

// ---- connecting and gathering ---------------------------------------------------------------

bool Runner::connectAndDiscover(bool required) {
    progress("Connecting...");
    session_.connectOrDisconnect();
    if (!session_.state().isConnected) {
        // The link has said why.
        return false;
    }
    progress("Discovering units...");
    // The session says when every unit of the answer (and of a sweep over several
    // daemons) is in.
    const bool found =
        waitUntil([this] { return !session_.state().isConnected || session_.unitsDiscovered(); },
                  line_.timeoutMs);
    if (!found || !session_.state().isConnected) {
        if (!interrupted_ && ui_.errorsShown() == 0) {
            fail(exit_status::noAnswer,
                 QString(required ? "No unit answered within %1 s."
                                  : "No unit answered within %1 s; every unit is offline.")
                     .arg(seconds()));
        }
        return false;
    }
    return true;
}

bool Runner::answered(const DeviceUid& uid) const {
    return watch_.received(uid, cmd::paramsReply) > 0 &&
           watch_.received(uid, cmd::routingReply) > 0 && watch_.received(uid, cmd::gainsReply) > 0;
}

bool Runner::gatherAll() {
    // The session ends gathering itself, also when a unit's last reply is lost;
    // units that did not answer are reported by the commands.
    const auto finished = [this] {
        if (!session_.state().isConnected || session_.unitsGathered()) {
            return true;
        }
        if (session_.gathering()) {
            const int count = session_.discovered().count();
            progress(QString("Gathering unit %1 of %2...")
                         .arg(std::min(session_.pollEngine().gatheringIndex(), count))
                         .arg(count));
        }
        return false;
    };
    const bool done = waitUntil(finished, line_.timeoutMs, true);
    if (!session_.state().isConnected) {
        return false;
    }
    if (!done && !interrupted_) {
        fail(exit_status::noAnswer,
             QString("The units stopped answering while they were read (no reply for %1 s).")
                 .arg(seconds()));
    }
    return done;
}

QString Runner::onlineUnitsText() const {
    QStringList uids;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (entry.presence == presence::online) {
            uids << uidHex(entry.uid);
        }
    }
    return uids.isEmpty() ? QString("none") : uids.join(", ");
}

bool Runner::selectTarget(const DeviceUid& uid) {
    int index = 0;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (entry.presence != presence::online) {
            continue;
        }
        if (entry.uid == uid) {
            if (!answered(uid)) {
                fail(exit_status::noAnswer, QString("Unit %1 did not answer.").arg(uidHex(uid)));
                return false;
            }
            session_.selectUnit(index);
            return session_.current().uid == uid;
        }
        ++index;
    }
    fail(exit_status::noAnswer, QString("No unit with the id %1 answered; the units online are %2.")
                                    .arg(uidHex(uid), onlineUnitsText()));
    return false;
}

// ---- commands ----------------------------------------------------------------------------

int Runner::discover() {
    if (!connectAndDiscover()) {
        return exit_status::noAnswer;
    }
    std::vector<FoundUnit> units;
    for (const KnownDevice& entry : session_.deviceList()) {
        const DeviceRecord* node = session_.discovered().find(entry.uid);
        if (entry.presence != presence::online || node == nullptr) {
            continue;
        }
        units.push_back({entry.uid, node->model, node->at(param::firmwareMajor),
                         node->at(param::firmwareMinor), entry});
    }
    endProgress();
    if (line_.json) {
        QJsonArray array;
        for (const FoundUnit& unit : units) {
            array.append(foundUnitToJson(unit));
        }
        console_.out(jsonText(QJsonObject{{"units", array}}));
    } else {
        console_.out(foundUnitsToText(units));
    }
    return exit_status::ok;
}

int Runner::dump() {
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    std::vector<DeviceUid> targets;
    for (const KnownDevice& entry : session_.deviceList()) {
        if (entry.presence == presence::online && (!line_.uid || *line_.uid == entry.uid)) {
            targets.push_back(entry.uid);
        }
    }
    if (line_.uid && targets.empty()) {
        return fail(exit_status::noAnswer,
                    QString("No unit with the id %1 answered; the units online are %2.")
                        .arg(uidHex(*line_.uid), onlineUnitsText()));
    }
    std::vector<UnitState> states;
    QStringList silent;
    int n = 0;
    for (const DeviceUid& uid : targets) {
        progress(QString("Reading the levels of unit %1 of %2...").arg(++n).arg(targets.size()));
        if (!answered(uid)) {
            silent << uidHex(uid);
            continue;
        }
        selectTarget(uid);
        const bool levels = waitForFreshReply(uid, cmd::requestLevels, cmd::levelsReply);
        if (interrupted_) {
            return exit_status::interrupted;
        }
        if (!levels) {
            silent << uidHex(uid);
        }
        const KnownDevice* known = session_.deviceList().find(uid);
        states.push_back(
            {session_.current(), known ? std::optional(*known) : std::nullopt, levels});
    }
    endProgress();
    if (line_.json) {
        QJsonArray array;
        for (const UnitState& state : states) {
            array.append(unitStateToJson(state));
        }
        console_.out(jsonText(QJsonObject{{"units", array}}));
    } else {
        QString text;
        for (const UnitState& state : states) {
            text += (text.isEmpty() ? "" : "\n") + unitStateToText(state);
        }
        console_.out(text);
    }
    if (!silent.isEmpty()) {
        return fail(
            exit_status::noAnswer,
            QString("%1 did not answer.")
                .arg(silent.size() == 1 ? "Unit " + silent[0] : "Units " + silent.join(", ")));
    }
    return exit_status::ok;
}

int Runner::setParameter() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    const auto value = static_cast<std::uint8_t>(line_.value);
    session_.editor().setParameter(line_.parameter, value);
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The parameter could not be sent.");
    }
    session_.pollEngine().askParametersNext();
    const QString name =
        QString("%1 (%2)").arg(parameterInfo(line_.parameter)->name).arg(line_.parameter);
    if (!waitForFreshReply(*line_.uid, cmd::requestParams, cmd::paramsReply)) {
        return fail(exit_status::noAnswer,
                    QString("Sent %1 = %2 to %3, but the unit did not answer afterwards.")
                        .arg(name, hexByte(value), uidHex(*line_.uid)));
    }
    const std::uint8_t reported = session_.current().at(line_.parameter);
    console_.out(QString("%1 %2 = %3, the unit reports %4\n")
                     .arg(uidHex(*line_.uid), name, hexByte(value), hexByte(reported)));
    if (reported != value) {
        console_.err(QString("varento-cli: warning: the unit keeps %1 at %2.\n")
                         .arg(name, hexByte(reported)));
    }
    return exit_status::ok;
}

int Runner::route() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    const auto output = static_cast<std::size_t>(line_.index);
    session_.editor().setRoute(line_.index, static_cast<std::uint8_t>(line_.value));
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The routing could not be sent.");
    }
    const auto sourceText = [](int source) {
        return source == kNoSource ? QString("none") : QString::number(source);
    };
    if (!waitForFreshReply(*line_.uid, cmd::requestRouting, cmd::routingReply)) {
        return fail(exit_status::noAnswer,
                    QString("Routed output %1 of %2 to source %3, but the unit did not answer "
                            "afterwards.")
                        .arg(line_.index)
                        .arg(uidHex(*line_.uid), sourceText(line_.value)));
    }
    const int reported = session_.current().routeSource[output];
    console_.out(QString("%1 output %2 <- source %3, the unit reports %4\n")
                     .arg(uidHex(*line_.uid))
                     .arg(line_.index)
                     .arg(sourceText(line_.value), sourceText(reported)));
    if (reported != line_.value) {
        console_.err(QString("varento-cli: warning: the unit keeps output %1 on source %2.\n")
                         .arg(line_.index)
                         .arg(sourceText(reported)));
    }
    return exit_status::ok;
}

int Runner::routeBus() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    const DeviceRecord& unit = session_.current();
    if (!capabilities(unit.model, static_cast<std::int8_t>(unit.at(param::firmwareMajor)),
                      static_cast<std::int8_t>(unit.at(param::firmwareMinor)))
             .sumBuses) {
        return fail(exit_status::usage, QString("Unit %1 (%2) has no summing buses.")
                                            .arg(uidHex(*line_.uid), typeName(unit.model)));
    }
    const int bus = *line_.bus;
    const auto onBus = [&] {
        return (session_.current().routeFlags[static_cast<std::size_t>(line_.value)] &
                (1u << (bus + 1))) != 0;
    };
    const auto stateText = [](bool on) { return on ? QString("on") : QString("off"); };
    session_.editor().setBusMember(line_.value, bus, line_.on);
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The routing could not be sent.");
    }
    if (!waitForFreshReply(*line_.uid, cmd::requestRouting, cmd::routingReply)) {
        return fail(exit_status::noAnswer,
                    QString("Set source %1 %2 bus %3 of %4, but the unit did not answer "
                            "afterwards.")
                        .arg(line_.value)
                        .arg(line_.on ? "onto" : "off")
                        .arg(bus + 1)
                        .arg(uidHex(*line_.uid)));
    }
    const bool reported = onBus();
    console_.out(QString("%1 bus %2 source %3 %4, the unit reports %5\n")
                     .arg(uidHex(*line_.uid))
                     .arg(bus + 1)
                     .arg(line_.value)
                     .arg(stateText(line_.on), stateText(reported)));
    if (reported != line_.on) {
        console_.err(QString("varento-cli: warning: the unit keeps source %1 %2 bus %3.\n")
                         .arg(line_.value)
                         .arg(reported ? "on" : "off")
                         .arg(bus + 1));
    }
    return exit_status::ok;
}

int Runner::routeTable() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    endProgress();
    // Selecting the unit loaded its labels from its store.
    const DeviceRecord& unit = session_.current();
    if (line_.json) {
        const KnownDevice* known = session_.deviceList().find(*line_.uid);
        console_.out(jsonText(routingToJson(unit, known ? std::optional(*known) : std::nullopt)));
    } else {
        console_.out(routingToText(unit));
    }
    return exit_status::ok;
}

int Runner::gain() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    const DeviceRecord& current = session_.current();
    const auto value = static_cast<std::uint8_t>(line_.value);
    const auto [table, channel] = gainIndexName(line_.index);
    const auto slot = static_cast<std::size_t>(channel - 1);
    const std::uint8_t* field = nullptr;
    UnitEditor editor = session_.editor();
    if (line_.index < kInputSwitchBase) {
        field = &current.inputGain[slot];
        editor.setInputGain(channel - 1, value);
    } else if (line_.index < kChannelGainBase) {
        field = &current.inputSwitch[slot];
        editor.setInputSwitch(channel - 1, value);
    } else {
        field = &current.channelGain[slot];
        editor.setChannelGain(channel - 1, value);
    }
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The gain could not be sent.");
    }
    session_.pollEngine().askGainsNext();
    const QString name = QString("%1 %2 (index %3)").arg(table).arg(channel).arg(line_.index);
    // Channel gains are signed dB.
    const auto shown = [&](std::uint8_t v) {
        return line_.index < kChannelGainBase ? QString::number(v)
                                              : QString("%1 dB").arg(static_cast<std::int8_t>(v));
    };
    if (!waitForFreshReply(*line_.uid, cmd::requestGains, cmd::gainsReply)) {
        return fail(exit_status::noAnswer,
                    QString("Sent %1 = %2 to %3, but the unit did not answer afterwards.")
                        .arg(name, shown(value), uidHex(*line_.uid)));
    }
    const std::uint8_t reported = *field;
    console_.out(QString("%1 %2 = %3, the unit reports %4\n")
                     .arg(uidHex(*line_.uid), name, shown(value), shown(reported)));
    if (reported != value) {
        console_.err(
            QString("varento-cli: warning: the unit keeps %1 at %2.\n").arg(name, shown(reported)));
    }
    return exit_status::ok;
}

// The trigger window's press from a script: the session's switch-over, built
// from the routing read just before and proven by the routing read back.
int Runner::spareSwitch(bool trip) {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    const DeviceUid& uid = *line_.uid;
    const int channel = line_.index;
    if (!hasMicInputs(session_.current().model)) {
        return fail(exit_status::usage,
                    QString("Unit %1 (%2) has no microphone inputs to switch over.")
                        .arg(uidHex(uid), typeName(session_.current().model)));
    }
    SpareSwitcher& switcher = session_.spareSwitcher();
    QString said;
    QObject context;
    connect(&switcher, &SpareSwitcher::said, &context,
            [&](const DeviceUid& unit, const QString& text) {
                if (unit == uid) {
                    said = text;
                }
            });
    std::optional<bool> confirmed;
    connect(&switcher, &SpareSwitcher::finished, &context, [&](const DeviceUid& unit, bool ok) {
        if (unit == uid) {
            confirmed = ok;
        }
    });
    const auto recorded = switcher.switchOver(uid);
    if (!trip && recorded && line_.spare && *line_.spare != recorded->spare) {
        return fail(exit_status::noAnswer,
                    QString("Input %1 of %2 is switched over to spare input %3, not %4: nothing "
                            "was sent.")
                        .arg(channel + 1)
                        .arg(uidHex(uid))
                        .arg(recorded->spare + 1)
                        .arg(*line_.spare + 1));
    }
    const bool started =
        trip ? switcher.trip(uid, channel, *line_.spare) : switcher.untrip(uid, channel);
    if (!started) {
        return fail(exit_status::noAnswer, said);
    }
    if (!waitUntil([&] { return confirmed.has_value(); }, -1)) {
        return exit_status::noAnswer;
    }
    if (!*confirmed) {
        return fail(exit_status::noAnswer, said);
    }
    // What the unit's routing proved, as the trigger window says it.
    console_.out(QString("%1 %2\n").arg(uidHex(uid), said));
    return exit_status::ok;
}

int Runner::tripStatus() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    endProgress();
    // Gathering read the unit's routing, which checked the recorded switch-over.
    const auto switchOver = session_.spareSwitcher().switchOver(*line_.uid);
    const QString id = uidHex(*line_.uid);
    if (line_.json) {
        QJsonObject o{{"uid", id}, {"switchedOver", switchOver.has_value()}};
        if (switchOver) {
            QJsonArray outputs;
            for (const int output : switchOver->outputs) {
                outputs.append(output);
            }
            o.insert("channel", switchOver->channel + 1);
            o.insert("spare", switchOver->spare + 1);
            o.insert("outputs", outputs);
        }
        console_.out(jsonText(o));
    } else if (switchOver) {
        console_.out(QString("%1 input %2 is switched over to spare input %3: %4\n")
                         .arg(id)
                         .arg(switchOver->channel + 1)
                         .arg(switchOver->spare + 1)
                         .arg(outputListText(switchOver->outputs)));
    } else {
        console_.out(QString("%1 nothing is switched over\n").arg(id));
    }
    return exit_status::ok;
}

int Runner::flowStatus(const QString& done) {
    // The flows ask and report through the interaction; only the outcome is left.
    if (const auto& unanswered = ui_.unansweredQuestion()) {
        return fail(exit_status::usage, *unanswered + " Give --yes to answer yes.");
    }
    if (ui_.errorsShown() > 0) {
        return exit_status::file;
    }
    if (!done.isEmpty()) {
        console_.out(done + "\n");
    }
    return exit_status::ok;
}

int Runner::labelsExport() {
    // Labels live on this computer: a unit edited here before is exported from its
    // store, online or not. Only a unit never seen needs to answer (its defaults
    // are made then).
    DeviceRecord stored;
    stored.uid = *line_.uid;
    const bool inStore =
        readLabelFile(labelStorePath(session_.paths().dataFolder, stored.uid), stored.labels)
            .status == LabelFileStatus::Ok;
    ui_.resetRecord();
    ui_.setFile(line_.file);
    if (inStore) {
        fillMissingBusLabels(stored.labels);
        storeCustomLabels(stored, ui_);
    } else {
        if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
            return exit_status::noAnswer;
        }
        endProgress();
        session_.command(command_id::exportLabels);
    }
    return flowStatus(
        QString("Exported the 388 labels of %1 to %2.").arg(uidHex(*line_.uid), line_.file));
}

int Runner::labelsImport() {
    const QFileInfo info(line_.file);
    if (!info.isFile() || !info.isReadable()) {
        return fail(exit_status::file,
                    QString("Cannot read the label file %1: %2.")
                        .arg(line_.file, info.exists() ? "it is not a readable file"
                                                       : "there is no such file"));
    }
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    endProgress();
    ui_.resetRecord();
    ui_.setFile(line_.file);
    session_.command(command_id::importLabels);
    return flowStatus(
        QString("Imported labels 1 to 384 of %1 from %2.").arg(uidHex(*line_.uid), line_.file));
}

bool Runner::checkPresetFile(std::uint8_t fileType) {
    const std::string problem = presetFileProblem(readPresetFile(toPath(line_.file)), fileType);
    if (!problem.empty()) {
        fail(exit_status::file,
             QString("%1: %2.").arg(line_.file, QString::fromStdString(problem)));
        return false;
    }
    return true;
}

int Runner::presetSave() {
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    endProgress();
    ui_.resetRecord();
    ui_.setFile(line_.file);
    session_.savePreset();
    return flowStatus(QString("Saved the settings, routing and gains of %1 to %2.")
                          .arg(uidHex(*line_.uid), line_.file));
}

int Runner::presetLoad() {
    if (!checkPresetFile(kPresetFileType)) {
        return exit_status::file;
    }
    if (!connectAndDiscover() || !gatherAll() || !selectTarget(*line_.uid)) {
        return exit_status::noAnswer;
    }
    endProgress();
    ui_.resetRecord();
    ui_.setFile(line_.file);
    QString what;
    std::uint8_t request = cmd::requestGains;
    switch (line_.part) {
    case PresetPart::Settings:
        session_.loadSettings();
        what = "settings";
        request = cmd::requestParams;
        break;
    case PresetPart::Matrix:
        session_.loadMatrix();
        what = "routing";
        request = cmd::requestRouting;
        break;
    case PresetPart::Gains:
        session_.loadGainSettings();
        what = "gains";
        break;
    case PresetPart::All:
        session_.loadAll();
        what = "settings, routing and gains";
        break;
    }
    if (ui_.unansweredQuestion() || ui_.errorsShown() > 0) {
        return flowStatus({});
    }
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The preset could not be sent.");
    }
    // Ask at once for what was loaded, as proof that the unit is still there.
    PollEngine& poll = session_.pollEngine();
    if (request == cmd::requestParams) {
        poll.askParametersNext();
    } else if (request == cmd::requestRouting) {
        poll.askRoutingNext();
    } else {
        poll.askGainsNext();
    }
    const std::uint8_t reply = request == cmd::requestParams    ? cmd::paramsReply
                               : request == cmd::requestRouting ? cmd::routingReply
                                                                : cmd::gainsReply;
    if (!waitForFreshReply(*line_.uid, request, reply)) {
        return fail(exit_status::noAnswer,
                    QString("Sent the %1 of %2 to %3, but the unit did not answer afterwards.")
                        .arg(what, line_.file, uidHex(*line_.uid)));
    }
    return flowStatus(
        QString("Loaded the %1 of %2 into %3.").arg(what, line_.file, uidHex(*line_.uid)));
}

int Runner::projectSave() {
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    endProgress();
    ui_.resetRecord();
    ui_.setFile(line_.file);
    session_.command(command_id::saveProjectAs);
    return flowStatus(QString("Saved the project of %1 unit(s) to %2.")
                          .arg(session_.discovered().count())
                          .arg(line_.file));
}

int Runner::projectLoad() {
    if (!checkPresetFile(kProjectFileType)) {
        return exit_status::file;
    }
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    endProgress();
    // Which datasets find a unit: their own, or the one --map names for it.
    const PresetFileContent content = readPresetFile(toPath(line_.file));
    QStringList loaded;
    QStringList skipped;
    for (const ProjectDataset& dataset : decodeProjectData(content.data).datasets) {
        DeviceUid target = dataset.uid;
        for (const auto& [from, to] : line_.replacements) {
            if (from == dataset.uid) {
                target = to;
            }
        }
        const KnownDevice* own = session_.deviceList().find(dataset.uid);
        const KnownDevice* entry = own != nullptr && own->presence == presence::online
                                       ? own
                                       : session_.deviceList().find(target);
        (entry != nullptr && entry->presence == presence::online ? loaded : skipped)
            << uidHex(dataset.uid);
    }
    ui_.resetRecord();
    ui_.setFile(line_.file);
    session_.command(line_.part == PresetPart::Gains ? command_id::loadProjectGains
                                                     : command_id::loadProject);
    if (ui_.errorsShown() > 0) {
        return exit_status::file;
    }
    if (!waitForSends()) {
        return fail(exit_status::noAnswer, "The project could not be sent.");
    }
    console_.out(QString("Loaded %1 of the %2 dataset(s) of %3 (%4).\n")
                     .arg(loaded.size())
                     .arg(loaded.size() + skipped.size())
                     .arg(line_.file, line_.part == PresetPart::Gains
                                          ? "gains and switches"
                                          : "settings, routing and gains"));
    if (!skipped.isEmpty()) {
        return fail(exit_status::noAnswer,
                    QString("%1 dataset(s) found no unit online.").arg(skipped.size()));
    }
    return exit_status::ok;
}

int Runner::monitor() {
    QObject context;
    const auto print = [this](const QString& text) { console_.out(text); };
    connect(&watch_, &WireWatch::frame, &context, [&](const QByteArray& bytes, bool received) {
        const DecodedFrame frame =
            decodeFrame({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size())});
        print(monitorLine(QDateTime::currentDateTime(), received, frame, line_.json, line_.hex));
    });
    QString status; // each retry of a lost link says the same: printed once
    connect(&session_, &Session::statusTextChanged, &context, [&](int field, const QString& text) {
        if (field == 2 && text != status) {
            status = text;
            print(statusLine(QDateTime::currentDateTime(), text.trimmed(), line_.json));
        }
    });
    session_.connectOrDisconnect();
    if (!session_.state().isConnected) {
        return exit_status::noAnswer;
    }
    // Without a number of seconds, until Ctrl+C; without --reconnect, also until the
    // link fails.
    const bool lost =
        waitUntil([this] { return !session_.state().isConnected && !session_.reconnecting(); },
                  line_.seconds ? static_cast<int>(*line_.seconds * 1000) : -1);
    if (lost) {
        return fail(exit_status::noAnswer, "The link failed.");
    }
    if (watch_.receivedTotal() == 0) {
        return fail(exit_status::noAnswer, "No unit answered.");
    }
    return exit_status::ok;
}

// A rack PC without a screen in the show-control chain: the units are found and
// read, then the OSC server runs until Ctrl+C (or the seconds given).
int Runner::oscServer() {
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    endProgress();
    osc::Settings settings;
    settings.enabled = true;
    settings.port = line_.oscPort.value_or(settings.port);
    settings.address = line_.oscListen.isEmpty() ? settings.address : line_.oscListen;
    settings.allowed = line_.oscAllowed;
    settings.readOnly = line_.readOnly;
    osc::Server server(session_);
    if (const auto error = server.apply(settings)) {
        return fail(exit_status::usage, *error);
    }
    console_.out(QString("OSC on %1 port %2%3; %4 unit(s) online. Ctrl+C stops.\n")
                     .arg(settings.address)
                     .arg(server.port())
                     .arg(settings.readOnly ? " (read only)" : "")
                     .arg(session_.discovered().count()));
    waitUntil([this] { return !session_.state().isConnected && !session_.reconnecting(); },
              line_.seconds ? static_cast<int>(*line_.seconds * 1000) : -1);
    console_.out(QString("%1 message(s) handled, %2 packet(s) refused.\n")
                     .arg(server.handledMessages())
                     .arg(server.refusedPackets()));
    return exit_status::ok;
}

// ---- output ------------------------------------------------------------------------------

void Runner::progress(const QString& text) {
    if (!console_.stderrIsTerminal || text == progressText_) {
        return;
    }
    console_.err("\r\x1b[K" + text);
    progressText_ = text;
}

void Runner::endProgress() {
    if (!progressText_.isEmpty()) {
        console_.err("\r\x1b[K");
        progressText_.clear();
    }
}

int Runner::fail(int status, const QString& sentence) {
    endProgress();
    console_.err("varento-cli: " + sentence + "\n");
    return status;
}

QString Runner::seconds() const {
    return QString::number(line_.timeoutMs / 1000.0, 'g', 4);
}

} // namespace varento::cli
