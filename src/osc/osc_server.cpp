#include "osc/osc_server.h"

#include "app/data_folder.h"
#include "app/session.h"
#include "app/spare_switcher.h"

#include <QNetworkDatagram>

namespace varento::osc {

namespace {

const char* phaseWord(SwitchPhase phase) {
    switch (phase) {
    case SwitchPhase::None:
        return "none";
    case SwitchPhase::Switching:
        return "switching";
    case SwitchPhase::Switched:
        return "switched";
    case SwitchPhase::Returning:
        return "returning";
    case SwitchPhase::Failed:
        return "failed";
    case SwitchPhase::Unconfirmed:
        return "unconfirmed";
    }
    return "none";
}

std::string unitAddress(const DeviceUid& unit, const char* what) {
    return "/varento/unit/" + AddressSpace::idText(unit).toStdString() + "/" + what;
}

} // namespace

Server::Server(Session& session, QObject* parent)
    : QObject(parent), session_(session), space_(session) {
    silence_.setInterval(5000);
    connect(&silence_, &QTimer::timeout, this, &Server::dropSilent);
    connect(&session_, &Session::gainsChanged, this, &Server::shownGainsChanged);
    connect(&session_, &Session::levelsChanged, this, &Server::sendLevels);
    connect(&session_, &Session::routingChanged, this, &Server::shownRoutingChanged);
    connect(&session_, &Session::connectedChanged, this, &Server::sendLink);
    connect(&session_, &Session::statusAlarmChanged, this, &Server::sendLink);
    connect(&session_.spareSwitcher(), &SpareSwitcher::changed, this,
            [this](const DeviceUid& unit) { sendSwitchOver(unit); });
    connect(&session_, &Session::currentUnitChanged, this, &Server::shownUnitChanged);
}

// A new socket is bound before the old one goes: settings that cannot be opened
// leave a running server as it was. The same settings again change nothing.
std::optional<QString> Server::apply(const Settings& settings) {
    if (settings == settings_ && settings.enabled == listening() && settings.port != 0) {
        return std::nullopt;
    }
    std::unique_ptr<QUdpSocket> fresh;
    if (settings.enabled) {
        const QHostAddress address(settings.address);
        if (address.isNull()) {
            return QStringLiteral("\"%1\" is not an address to listen on.").arg(settings.address);
        }
        fresh = std::make_unique<QUdpSocket>();
        if (!fresh->bind(address, static_cast<quint16>(settings.port))) {
            return QStringLiteral("OSC cannot listen on %1 port %2: %3")
                .arg(settings.address)
                .arg(settings.port)
                .arg(fresh->errorString());
        }
        connect(fresh.get(), &QUdpSocket::readyRead, this, &Server::readSlice);
    }
    settings_ = settings;
    socket_ = std::move(fresh);
    subscribers_.clear();
    if (socket_) {
        silence_.start();
    } else {
        silence_.stop();
    }
    emit countersChanged();
    return std::nullopt;
}

QString Server::fileFolder() const {
    return toQString(session_.paths().dataFolder);
}

bool Server::allowed(const QHostAddress& address) const {
    // Listening on loopback means this computer only, whatever address a datagram
    // from it carries.
    if (QHostAddress(settings_.address).isLoopback() && !address.isLoopback()) {
        return false;
    }
    if (settings_.allowed.isEmpty()) {
        return true;
    }
    for (const QString& a : settings_.allowed) {
        if (QHostAddress(a).isEqual(address, QHostAddress::TolerantConversion)) {
            return true;
        }
    }
    return false;
}

void Server::refuse() {
    ++refused_;
    emit countersChanged();
}

// A slice of the waiting datagrams, then back to the event loop: the window keeps
// drawing whatever a client sends.
void Server::readSlice() {
    sliceQueued_ = false;
    if (!socket_) {
        return;
    }
    for (int n = 0; n < kDatagramsPerSlice && socket_->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket_->receiveDatagram();
        receive(datagram.data(),
                {datagram.senderAddress(), static_cast<quint16>(datagram.senderPort())});
    }
    if (socket_->hasPendingDatagrams() && !sliceQueued_) {
        sliceQueued_ = true;
        QTimer::singleShot(0, this, &Server::readSlice);
    }
}

void Server::receive(const QByteArray& datagram, const Client& from) {
    if (!allowed(from.address)) {
        refuse();
        return;
    }
    const Packet packet =
        decodePacket(std::span(reinterpret_cast<const std::uint8_t*>(datagram.constData()),
                               static_cast<std::size_t>(datagram.size())));
    if (packet.error != PacketError::None) {
        refuse();
        return;
    }
    for (auto& [client, s] : subscribers_) {
        if (client.address == from.address) {
            s.seen.start();
        }
    }
    for (const Message& message : packet.messages) {
        handle(message, from);
    }
}

void Server::handle(const Message& message, const Client& from) {
    ++handled_;
    if (message.path == "/varento/subscribe") {
        subscribe(message, from);
        return;
    }
    if (message.path == "/varento/unsubscribe") {
        const std::optional<int> port =
            message.args.empty() ? std::nullopt : wholeIn(message.args[0], 1, 65535);
        if (!message.args.empty() && !port) {
            refuse();
            reply(AddressSpace::error(message.path, QStringLiteral("the port must be 1..65535")),
                  from);
            return;
        }
        std::erase_if(subscribers_, [&](const auto& entry) {
            return entry.first.address == from.address && (!port || entry.first.port == *port);
        });
        emit countersChanged();
        return;
    }
    const QString origin = QStringLiteral("OSC %1:%2").arg(from.address.toString()).arg(from.port);
    const Outcome outcome = space_.handle(message, origin, settings_.readOnly);
    for (const Message& answer : outcome.replies) {
        if (answer.path == "/varento/error") {
            refuse();
        }
        reply(answer, from);
    }
    if (outcome.edit && outcome.unit) {
        toSubscribersOf(*outcome.unit, *outcome.edit, &from);
    } else if (outcome.edit) {
        for (const auto& [client, s] : subscribers_) {
            if (client.address != from.address || client.port != from.port) {
                send(*outcome.edit, client);
            }
        }
    }
    // The unit shown tells its own changes (its views follow them too).
    for (const DeviceUid& unit : outcome.reloaded) {
        if (unit != shownUnit()) {
            sendGains(unit);
            sendRouting(unit);
        }
    }
}

void Server::subscribe(const Message& message, const Client& from) {
    std::optional<DeviceUid> unit;
    Client to = from;
    for (const Arg& arg : message.args) {
        if (!arg.isNumber()) {
            unit = space_.unitNamed(QString::fromStdString(arg.text));
            if (!unit) {
                refuse();
                reply(AddressSpace::error(message.path,
                                          QStringLiteral("no unit online is called \"%1\"")
                                              .arg(QString::fromStdString(arg.text))),
                      from);
                return;
            }
        } else if (const auto port = wholeIn(arg, 1, 65535)) {
            to.port = static_cast<quint16>(*port);
        } else {
            refuse();
            reply(AddressSpace::error(message.path, QStringLiteral("the port must be 1..65535")),
                  from);
            return;
        }
    }
    if (subscribers_.find(to) == subscribers_.end()) {
        const auto fromAddress =
            std::count_if(subscribers_.begin(), subscribers_.end(),
                          [&](const auto& e) { return e.first.address == to.address; });
        if (static_cast<int>(subscribers_.size()) >= kMaxSubscribers ||
            fromAddress >= kMaxSubscribersPerAddress) {
            refuse();
            reply(AddressSpace::error(message.path, QStringLiteral("too many subscriptions")),
                  from);
            return;
        }
    }
    Subscriber& s = subscribers_[to];
    s.unit = unit;
    s.seen.start();
    s.levelsSent.invalidate();
    emit countersChanged();
    // What the unit holds now, so the client starts from the truth.
    send({"/varento/link", {Arg::of(linkText())}}, to);
    if (const auto wanted = unit ? unit : shownUnit()) {
        sendState(*wanted, to);
    }
}

void Server::sendState(const DeviceUid& unit, const Client& to) {
    sendGains(unit, &to);
    sendRouting(unit, &to);
    sendSwitchOver(unit, &to);
}

// Subscribers that follow the unit shown start again from the new one's state.
void Server::shownUnitChanged() {
    const auto shown = shownUnit();
    if (!shown) {
        return;
    }
    for (const auto& [client, s] : subscribers_) {
        if (!s.unit) {
            sendState(*shown, client);
        }
    }
}

void Server::dropSilent() {
    bool dropped = false;
    for (auto it = subscribers_.begin(); it != subscribers_.end();) {
        if (it->second.seen.elapsed() > kSilenceMs) {
            it = subscribers_.erase(it);
            dropped = true;
        } else {
            ++it;
        }
    }
    if (dropped) {
        emit countersChanged();
    }
}

void Server::reply(const Message& message, const Client& to) {
    send(message, to);
    for (const auto& [client, s] : subscribers_) {
        if (client.address == to.address && client.port != to.port) {
            send(message, client);
        }
    }
}

void Server::send(const Message& message, const Client& to) {
    const std::vector<std::uint8_t> bytes = encodeMessage(message);
    if (!socket_) {
        return;
    }
    socket_->writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qint64>(bytes.size()), to.address, to.port);
}

// ---- feedback ----------------------------------------------------------------------------

std::optional<DeviceUid> Server::shownUnit() const {
    const DeviceUid shown = session_.currentUnit();
    return session_.unit(shown) != nullptr ? std::optional(shown) : std::nullopt;
}

// A subscription names its unit, or follows the unit shown.
bool Server::wants(const Subscriber& s, const DeviceUid& unit) const {
    return s.unit ? *s.unit == unit : shownUnit() == unit;
}

void Server::toSubscribersOf(const DeviceUid& unit, const Message& message, const Client* except) {
    for (const auto& [client, s] : subscribers_) {
        if (wants(s, unit) && (except == nullptr || client.address != except->address ||
                               client.port != except->port)) {
            send(message, client);
        }
    }
}

void Server::shownGainsChanged() {
    if (const auto unit = shownUnit(); unit && !subscribers_.empty()) {
        sendGains(*unit);
    }
}

void Server::shownRoutingChanged() {
    if (const auto unit = shownUnit(); unit && !subscribers_.empty()) {
        sendRouting(*unit);
    }
}

// Input gains, switches (bit 1 P48, bit 0 PAD) and output levels in dB.
void Server::sendGains(const DeviceUid& unit, const Client* only) {
    const DeviceRecord* r = session_.unit(unit);
    if (r == nullptr) {
        return;
    }
    Message m{unitAddress(unit, "gains"), {}};
    for (const std::uint8_t gain : r->inputGain) {
        m.args.push_back(Arg::of(static_cast<std::int32_t>(gain)));
    }
    for (const std::uint8_t bits : r->inputSwitch) {
        m.args.push_back(Arg::of(static_cast<std::int32_t>(bits)));
    }
    for (const std::uint8_t level : r->channelGain) {
        m.args.push_back(Arg::of(static_cast<std::int32_t>(static_cast<std::int8_t>(level))));
    }
    only != nullptr ? send(m, *only) : toSubscribersOf(unit, m);
}

void Server::sendLevels() {
    const auto unit = shownUnit();
    if (!unit || subscribers_.empty()) {
        return;
    }
    const DeviceRecord& r = session_.current();
    std::optional<Message> m;
    for (auto& [client, s] : subscribers_) {
        if (!wants(s, *unit) ||
            (s.levelsSent.isValid() && s.levelsSent.elapsed() < kLevelsEveryMs)) {
            continue;
        }
        if (!m) {
            m = Message{unitAddress(*unit, "levels"), {}};
            for (const float db : r.levelDb) {
                m->args.push_back(Arg::of(db));
            }
        }
        s.levelsSent.start();
        send(*m, client);
    }
}

void Server::sendRouting(const DeviceUid& unit, const Client* only) {
    const DeviceRecord* r = session_.unit(unit);
    if (r == nullptr) {
        return;
    }
    Message m{unitAddress(unit, "routing"), {}};
    for (int slot = 0; slot < kWireRouteSlots; ++slot) {
        m.args.push_back(
            Arg::of(static_cast<std::int32_t>(r->routeSource[static_cast<std::size_t>(slot)])));
    }
    only != nullptr ? send(m, *only) : toSubscribersOf(unit, m);
}

void Server::sendSwitchOver(const DeviceUid& unit, const Client* only) {
    if (subscribers_.empty()) {
        return;
    }
    const SpareSwitcher& switcher = session_.spareSwitcher();
    const auto record = switcher.switchOver(unit);
    const Message m{unitAddress(unit, "switch"),
                    {Arg::of(std::string(phaseWord(switcher.phase(unit)))),
                     Arg::of(static_cast<std::int32_t>(record ? record->channel + 1 : 0)),
                     Arg::of(static_cast<std::int32_t>(record ? record->spare + 1 : 0))}};
    only != nullptr ? send(m, *only) : toSubscribersOf(unit, m);
}

std::string Server::linkText() const {
    return !session_.state().isConnected ? "Not Connected"
           : session_.noResponse()       ? "No Response!"
                                         : "Connected";
}

void Server::sendLink() {
    const Message m{"/varento/link", {Arg::of(linkText())}};
    for (const auto& [client, s] : subscribers_) {
        send(m, client);
    }
}

} // namespace varento::osc
