#include "osc/osc_address_space.h"

#include "app/cp1252.h"
#include "app/data_folder.h"
#include "app/session.h"
#include "protocol/catalog.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <variant>

namespace varento::osc {

namespace {

const QString kUnitPrefix = QStringLiteral("/varento/unit/");

// The edits of one message carry their client into the journal.
class OriginScope {
public:
    OriginScope(Session& session, const QString& origin) : session_(session) {
        session_.setEditOrigin(origin);
    }
    ~OriginScope() { session_.setEditOrigin({}); }
    OriginScope(const OriginScope&) = delete;
    OriginScope& operator=(const OriginScope&) = delete;

private:
    Session& session_;
};

std::optional<bool> onOff(const Arg& arg) {
    const auto v = wholeIn(arg, 0, 1);
    return v ? std::optional<bool>(*v == 1) : std::nullopt;
}

QString range(const char* what, int min, int max) {
    return QStringLiteral("%1 must be a whole number %2..%3").arg(what).arg(min).arg(max);
}

// A file of the data folder named by a client, or why it cannot be.
std::variant<QString, std::filesystem::path> namedFile(const Session& session, const Arg& arg,
                                                       const char* extension) {
    if (arg.isNumber()) {
        return QStringLiteral("takes a file name");
    }
    const auto path = fileInFolder(session.paths().dataFolder, QString::fromStdString(arg.text),
                                   QString::fromLatin1(extension));
    if (!path) {
        return QStringLiteral("\"%1\" does not name a file in the data folder")
            .arg(QString::fromStdString(arg.text));
    }
    return *path;
}

// The optional part of a preset: "all" (or none given, `only` stays empty),
// "settings", "matrix" or "gains". False for anything else.
bool presetPart(const Message& m, std::optional<PresetKind>& only) {
    if (m.args.size() < 2 || (!m.args[1].isNumber() && m.args[1].text == "all")) {
        return true;
    }
    for (const PresetKind kind : {PresetKind::Settings, PresetKind::Matrix, PresetKind::Gains}) {
        if (!m.args[1].isNumber() && m.args[1].text == presetKindName(kind)) {
            only = kind;
            return true;
        }
    }
    return false;
}

// The edit as it went out: numbers whole, names as given.
Message echoOf(std::string path, const Message& m, std::size_t count) {
    Message edit{std::move(path), {}};
    for (std::size_t i = 0; i < std::min(count, m.args.size()); ++i) {
        const Arg& arg = m.args[i];
        edit.args.push_back(
            arg.isNumber() ? Arg::of(static_cast<std::int32_t>(std::lround(arg.number))) : arg);
    }
    return edit;
}

} // namespace

std::optional<int> wholeIn(const Arg& arg, int min, int max) {
    if (!arg.isNumber() || !std::isfinite(arg.number) || arg.number != std::floor(arg.number) ||
        arg.number < min || arg.number > max) {
        return std::nullopt;
    }
    return static_cast<int>(arg.number);
}

AddressSpace::AddressSpace(Session& session, QObject* parent) : QObject(parent), session_(session) {
    paceTimer_.setSingleShot(true);
    connect(&paceTimer_, &QTimer::timeout, this, &AddressSpace::flushPaced);
}

QString AddressSpace::idText(const DeviceUid& uid) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(uid.bytes.data()),
                                          static_cast<qsizetype>(uid.bytes.size()))
                                   .toHex()
                                   .toUpper());
}

Message AddressSpace::error(const std::string& address, const QString& reason) {
    return {"/varento/error", {Arg::of(address), Arg::of(reason.toStdString())}};
}

std::optional<DeviceUid> AddressSpace::unitNamed(const QString& idOrName) const {
    for (const DeviceRecord& unit : session_.discovered()) {
        if (idText(unit.uid).compare(idOrName, Qt::CaseInsensitive) == 0) {
            return unit.uid;
        }
    }
    for (const KnownDevice& entry : session_.deviceList()) {
        if (fromWindows1252(entry.userName) == idOrName && session_.unit(entry.uid) != nullptr) {
            return entry.uid;
        }
    }
    return std::nullopt;
}

const AddressSpace::Command* AddressSpace::findCommand(const QString& name) {
    static const Command kCommands[] = {
        {"route", 2, &AddressSpace::route},
        {"gain", 2, &AddressSpace::gain, true},
        {"p48", 2, &AddressSpace::p48, true},
        {"pad", 2, &AddressSpace::pad, true},
        {"level", 2, &AddressSpace::level},
        {"gains_enabled", 1, &AddressSpace::gainsEnabled},
        {"mute_all", 1, &AddressSpace::muteAll},
        {"trip", 2, &AddressSpace::trip, true},
        {"untrip", 1, &AddressSpace::untrip},
        {"identify", 0, &AddressSpace::identify},
        {"preset", 1, &AddressSpace::preset, false, 1},
    };
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name)) {
            return &c;
        }
    }
    return nullptr;
}

Outcome AddressSpace::handle(const Message& message, const QString& origin, bool readOnly) {
    Outcome outcome;
    const QString path = QString::fromStdString(message.path);
    if (path == QLatin1String("/varento/units")) {
        outcome.replies = unitList();
        return outcome;
    }
    const auto refuse = [&](const QString& reason) {
        outcome.replies.push_back(error(message.path, reason));
        return outcome;
    };
    if (path == QLatin1String("/varento/project")) {
        if (readOnly) {
            return refuse(QStringLiteral("this server is read only"));
        }
        origin_ = origin;
        const OriginScope scope(session_, origin);
        return project(message);
    }
    if (!path.startsWith(kUnitPrefix)) {
        return refuse(QStringLiteral("unknown address"));
    }
    const QStringList parts = path.mid(kUnitPrefix.size()).split(QLatin1Char('/'));
    const Command* command = parts.size() == 2 ? findCommand(parts[1]) : nullptr;
    if (command == nullptr) {
        return refuse(QStringLiteral("unknown address"));
    }
    if (readOnly) {
        return refuse(QStringLiteral("this server is read only"));
    }
    const auto unit = unitNamed(parts[0]);
    if (!unit) {
        return refuse(QStringLiteral("no unit online is called \"%1\"").arg(parts[0]));
    }
    if (static_cast<int>(message.args.size()) < command->argc) {
        return refuse(QStringLiteral("takes %1 argument(s)").arg(command->argc));
    }
    if (command->micInputs && !hasMicInputs(session_.unit(*unit)->model)) {
        return refuse(QStringLiteral("the unit has no microphone inputs"));
    }
    origin_ = origin;
    reloaded_.clear();
    const OriginScope scope(session_, origin);
    if (const auto reason = (this->*command->handler)(*unit, message)) {
        return refuse(*reason);
    }
    outcome.edit = echoOf((kUnitPrefix + idText(*unit) + '/' + parts[1]).toStdString(), message,
                          static_cast<std::size_t>(command->argc + command->optionalArgs));
    outcome.unit = unit;
    outcome.reloaded = std::move(reloaded_);
    return outcome;
}

std::vector<Message> AddressSpace::unitList() const {
    std::vector<Message> out;
    for (const DeviceRecord& unit : session_.discovered()) {
        out.push_back({"/varento/units",
                       {Arg::of(idText(unit.uid).toStdString()),
                        Arg::of(session_.unitName(unit.uid).toStdString()),
                        Arg::of(std::string(typeName(unit.model)))}});
    }
    if (out.empty()) {
        out.push_back({"/varento/units", {}});
    }
    return out;
}

// ---- the edits ---------------------------------------------------------------------------

std::optional<QString> AddressSpace::route(const DeviceUid& unit, const Message& m) {
    const auto output = wholeIn(m.args[0], 0, kWireRouteSlots - 1);
    const auto source = wholeIn(m.args[1], 0, 255);
    if (!output || !source) {
        return output ? range("the source", 0, 255) : range("the output", 0, 191);
    }
    session_.editor(unit).setRoute(*output, static_cast<std::uint8_t>(*source));
    return std::nullopt;
}

std::optional<QString> AddressSpace::gain(const DeviceUid& unit, const Message& m) {
    const auto input = wholeIn(m.args[0], 1, kInputCount);
    const auto db = wholeIn(m.args[1], 8, 63);
    if (!input || !db) {
        return input ? range("the gain in dB", 8, 63) : range("the input", 1, 32);
    }
    sendPaced({unit, Paced::Gain, *input - 1}, static_cast<std::uint8_t>(*db));
    return std::nullopt;
}

std::optional<QString> AddressSpace::inputSwitch(const DeviceUid& unit, const Message& m,
                                                 std::uint8_t bit) {
    const DeviceRecord* record = session_.unit(unit);
    const auto input = wholeIn(m.args[0], 1, kInputCount);
    const auto on = onOff(m.args[1]);
    if (!input || !on) {
        return input ? QStringLiteral("the switch must be 0 or 1") : range("the input", 1, 32);
    }
    const std::uint8_t now = record->inputSwitch[static_cast<std::size_t>(*input - 1)];
    session_.editor(unit).setInputSwitch(*input - 1,
                                         static_cast<std::uint8_t>(*on ? now | bit : now & ~bit));
    return std::nullopt;
}

std::optional<QString> AddressSpace::p48(const DeviceUid& unit, const Message& m) {
    return inputSwitch(unit, m, 0x02);
}

std::optional<QString> AddressSpace::pad(const DeviceUid& unit, const Message& m) {
    return inputSwitch(unit, m, 0x01);
}

// Output levels in dB as the faders show them: -91 is off, +18 the top.
std::optional<QString> AddressSpace::level(const DeviceUid& unit, const Message& m) {
    const auto output = wholeIn(m.args[0], 1, kChannelGainCount);
    if (!output) {
        return range("the output", 1, 64);
    }
    const Arg& value = m.args[1];
    if (!value.isNumber() || !std::isfinite(value.number) || value.number < -91 ||
        value.number > 18) {
        return QStringLiteral("the level must be -91 (off) .. 18 dB");
    }
    const auto db = static_cast<std::int8_t>(std::lround(value.number));
    sendPaced({unit, Paced::Level, *output - 1}, static_cast<std::uint8_t>(db));
    return std::nullopt;
}

std::optional<QString> AddressSpace::gainsEnabled(const DeviceUid& unit, const Message& m) {
    const auto on = onOff(m.args[0]);
    if (!on) {
        return QStringLiteral("takes 0 or 1");
    }
    session_.editor(unit).setFlag(UnitFlag::GainsEnabled, *on);
    return std::nullopt;
}

std::optional<QString> AddressSpace::muteAll(const DeviceUid& unit, const Message& m) {
    const auto on = onOff(m.args[0]);
    if (!on) {
        return QStringLiteral("takes 0 or 1");
    }
    session_.editor(unit).setFlag(UnitFlag::OutputsMuted, *on);
    return std::nullopt;
}

std::optional<QString> AddressSpace::trip(const DeviceUid& unit, const Message& m) {
    const auto channel = wholeIn(m.args[0], 1, kInputCount);
    const auto spare = wholeIn(m.args[1], 1, kInputCount);
    if (!channel || !spare || *channel == *spare) {
        return QStringLiteral("takes a channel and another spare input, each 1..32");
    }
    if (!session_.spareSwitcher().trip(unit, *channel - 1, *spare - 1)) {
        return QStringLiteral("the switch-over cannot start now");
    }
    return std::nullopt;
}

std::optional<QString> AddressSpace::untrip(const DeviceUid& unit, const Message& m) {
    const auto channel = wholeIn(m.args[0], 1, kInputCount);
    if (!channel) {
        return range("the channel", 1, 32);
    }
    if (!session_.spareSwitcher().untrip(unit, *channel - 1)) {
        return QStringLiteral("the channel is not switched over");
    }
    return std::nullopt;
}

std::optional<QString> AddressSpace::identify(const DeviceUid& unit, const Message&) {
    session_.editor(unit).identify(*session_.unit(unit));
    return std::nullopt;
}

// A preset of the data folder, all of it or one part: the frames of Load All (or
// Load Settings, Matrix, Gains).
std::optional<QString> AddressSpace::preset(const DeviceUid& unit, const Message& m) {
    std::optional<PresetKind> only;
    if (!presetPart(m, only)) {
        return QStringLiteral("the part must be all, settings, matrix or gains");
    }
    const auto file = namedFile(session_, m.args[0], ".vpf");
    if (const auto* reason = std::get_if<QString>(&file)) {
        return *reason;
    }
    const Session::FileLoad load =
        session_.loadPresetFile(unit, toQString(std::get<std::filesystem::path>(file)), only);
    if (!load.error.isEmpty()) {
        return load.error;
    }
    reloaded_ = load.units;
    return std::nullopt;
}

// A project of the data folder into its units that are online; "gains" loads their
// gains alone. The sender learns how many of its units took it.
Outcome AddressSpace::project(const Message& m) {
    Outcome outcome;
    const auto refuse = [&](const QString& reason) {
        outcome.replies.push_back(error(m.path, reason));
        return outcome;
    };
    if (m.args.empty()) {
        return refuse(QStringLiteral("takes 1 argument(s)"));
    }
    const bool gainsOnly = m.args.size() > 1 && !m.args[1].isNumber() && m.args[1].text == "gains";
    if (m.args.size() > 1 && !gainsOnly && (m.args[1].isNumber() || m.args[1].text != "all")) {
        return refuse(QStringLiteral("the part must be all or gains"));
    }
    const auto file = namedFile(session_, m.args[0], ".vrj");
    if (const auto* reason = std::get_if<QString>(&file)) {
        return refuse(*reason);
    }
    const Session::FileLoad load =
        session_.loadProjectFile(toQString(std::get<std::filesystem::path>(file)), gainsOnly);
    if (!load.error.isEmpty()) {
        return refuse(load.error);
    }
    outcome.replies.push_back({"/varento/project/loaded",
                               {m.args[0], Arg::of(static_cast<std::int32_t>(load.units.size())),
                                Arg::of(static_cast<std::int32_t>(load.datasets))}});
    outcome.edit = echoOf(m.path, m, 2);
    outcome.reloaded = load.units;
    return outcome;
}

// ---- pacing ------------------------------------------------------------------------------

void AddressSpace::sendPaced(const PaceKey& key, std::uint8_t value) {
    const auto last = lastSent_.find(key);
    if (last == lastSent_.end() || last->second.elapsed() >= kPaceMs) {
        waiting_.erase(key);
        sendNow(key, value, origin_);
        return;
    }
    waiting_[key] = {value, origin_};
    const int wait = static_cast<int>(std::max<qint64>(1, kPaceMs - last->second.elapsed()));
    if (!paceTimer_.isActive() || paceTimer_.remainingTime() > wait) {
        paceTimer_.start(wait);
    }
}

void AddressSpace::sendNow(const PaceKey& key, std::uint8_t value, const QString& origin) {
    const auto& [unit, kind, channel] = key;
    lastSent_[key].start();
    const OriginScope scope(session_, origin);
    if (kind == Paced::Gain) {
        session_.editor(unit).setInputGain(channel, value);
    } else {
        session_.editor(unit).setChannelGain(channel, value);
    }
}

void AddressSpace::flushPaced() {
    std::map<PaceKey, Waiting> due;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        if (lastSent_[it->first].elapsed() >= kPaceMs) {
            due.insert(*it);
            it = waiting_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [key, waiting] : due) {
        sendNow(key, waiting.value, waiting.origin);
    }
    if (!waiting_.empty()) {
        paceTimer_.start(10);
    }
}

} // namespace varento::osc
