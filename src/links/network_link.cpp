#include "links/network_link.h"

#include "links/datagram.h"
#include "links/group_interfaces.h"

#include <QUdpSocket>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace varento {

namespace {

const QString kNetworkError = QStringLiteral("Network Error");
// A readyRead handles at most this many datagrams before yielding to the event
// loop, so a flood cannot stall it.
constexpr int kDatagramsPerTurn = 64;

} // namespace

QHostAddress NetworkLink::groupAddress() {
    return QHostAddress(QStringLiteral("224.7.7.7"));
}

NetworkLink::NetworkLink(Interaction& ui, QObject* parent) : FrameLink(parent), ui_(ui) {
    queryTimer_.setInterval(kQueryIntervalMs);
    connect(&queryTimer_, &QTimer::timeout, this, [this] {
        if (queriesSent_ < queryCount_) {
            sendQuery();
        } else {
            finishQueries();
        }
    });
    rescanTimer_.setInterval(kInterfaceRescanMs);
    connect(&rescanTimer_, &QTimer::timeout, this, &NetworkLink::rescanInterfaces);
}

NetworkLink::~NetworkLink() {
    queryTimer_.stop();
    rescanTimer_.stop();
    for (auto& socket : dataSockets_) {
        socket.reset();
    }
    control_.reset();
}

void NetworkLink::retire(std::unique_ptr<QUdpSocket>& socket) {
    if (!socket) {
        return;
    }
    // The socket may be the sender of the signal being handled right now, so it is
    // closed at once and deleted later; as our child it cannot outlive the link.
    QUdpSocket* s = socket.release();
    s->disconnect(this);
    s->close();
    s->setParent(this);
    s->deleteLater();
}

void NetworkLink::setQueryBurst(int count, int intervalMs) {
    queryCount_ = count < 1 ? 1 : count;
    queryTimer_.setInterval(intervalMs);
}

std::unique_ptr<QUdpSocket> NetworkLink::openGroupSocket(quint16 port) {
    auto socket = std::make_unique<QUdpSocket>();
    // Qt creates the socket and sets the address reuse as part of bind.
    if (!socket->bind(QHostAddress::AnyIPv4, port,
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        const auto error = socket->error();
        const bool notCreated = error == QAbstractSocket::SocketResourceError ||
                                error == QAbstractSocket::UnsupportedSocketOperationError;
        std::fputs(notCreated ? "Failed to open socket\n" : "Failed to bind socket\n",
                   diagnostics_);
        return nullptr;
    }
    if (!joinGroup(*socket)) {
        std::fputs("Failed to add IP Membership\n", diagnostics_);
        return nullptr;
    }
    socket->setSocketOption(QAbstractSocket::MulticastTtlOption, 128);
    if (socket->socketOption(QAbstractSocket::MulticastTtlOption).toInt() != 128) {
        std::fputs("Failed to set Multicast TTL\n", diagnostics_);
        return nullptr;
    }
    return socket;
}

// Joins on every interface that carries the group; one of them is enough (a card
// going away in this moment is no failure). Without any, the system picks one.
bool NetworkLink::joinGroup(QUdpSocket& socket) const {
    if (interfaces_.empty()) {
        return socket.joinMulticastGroup(groupAddress());
    }
    bool joined = false;
    for (const QNetworkInterface& iface : interfaces_) {
        joined = socket.joinMulticastGroup(groupAddress(), iface) || joined;
    }
    return joined;
}

// One "QQ" out of each interface; the number of queries that left.
int NetworkLink::sendQueries(const std::vector<QNetworkInterface>& through) {
    static const QByteArray query("QQ");
    const auto sendOut = [this](const QNetworkInterface& iface) {
        control_->setMulticastInterface(iface);
        return control_->writeDatagram(query, groupAddress(), kControlPort) == query.size();
    };
    if (through.empty()) {
        return sendOut(QNetworkInterface()) ? 1 : 0;
    }
    int sent = 0;
    for (const QNetworkInterface& iface : through) {
        sent += sendOut(iface) ? 1 : 0;
    }
    return sent;
}

// Interfaces that came up are joined and asked for their daemons; those that went
// away are left quietly. A daemon whose interface went away is asked for again,
// in case it is reachable through another one.
void NetworkLink::rescanInterfaces() {
    if (!control_) {
        return;
    }
    std::vector<QNetworkInterface> now = groupInterfaces();
    const std::vector<QNetworkInterface> gone = missingFrom(interfaces_, now);
    const std::vector<QNetworkInterface> added = missingFrom(now, interfaces_);
    interfaces_ = std::move(now);
    const auto forEachSocket = [this](const auto& action) {
        action(*control_);
        for (auto& socket : dataSockets_) {
            if (socket) {
                action(*socket);
            }
        }
    };
    for (const QNetworkInterface& iface : gone) {
        forEachSocket([&](QUdpSocket& s) { s.leaveMulticastGroup(groupAddress(), iface); });
    }
    for (const QNetworkInterface& iface : added) {
        forEachSocket([&](QUdpSocket& s) { s.joinMulticastGroup(groupAddress(), iface); });
    }
    const bool daemonLost = std::any_of(gone.begin(), gone.end(), [this](const auto& iface) {
        return std::find(daemonInterfaces_.begin(), daemonInterfaces_.end(), iface.index()) !=
               daemonInterfaces_.end();
    });
    if (daemonLost) {
        sendQueries(interfaces_);
    } else if (!added.empty()) {
        sendQueries(added);
    }
}

void NetworkLink::stopFollowingInterfaces() {
    rescanTimer_.stop();
    interfaces_.clear();
}

int NetworkLink::open() {
    if (control_) {
        // Already searching or connected: the burst is not repeated.
        QMetaObject::invokeMethod(
            this, [this] { emit opened(0); }, Qt::QueuedConnection);
        return 0;
    }
    emit statusText(QStringLiteral("Opening Network socket..."));
    selected_ = 0;
    interfaces_ = groupInterfaces();
    control_ = openGroupSocket(kControlPort);
    if (!control_) {
        interfaces_.clear();
        ui_.inform(kNetworkError, QStringLiteral("Unable to open network socket!"),
                   MessageIcon::Error);
        return -1;
    }
    emit statusText(QStringLiteral("Connecting to Ravnet Daemon..."));
    connect(control_.get(), &QUdpSocket::readyRead, this, &NetworkLink::readControl);
    controlReading_ = true;

    queriesSent_ = 0;
    sendQuery();
    if (!control_) {
        return -1; // the first query failed and has been shown
    }
    queryTimer_.start();
    rescanTimer_.start();
    return 0;
}

void NetworkLink::sendQuery() {
    // The burst fails only when no interface took the query: a card going away
    // meanwhile is not the link failing.
    if (sendQueries(interfaces_) == 0) {
        const bool first = queriesSent_ == 0;
        failOpen(QStringLiteral("Failed to send query!"));
        if (!first) {
            emit opened(-1);
        }
        return;
    }
    ++queriesSent_;
}

void NetworkLink::failOpen(const QString& text) {
    queryTimer_.stop();
    ui_.inform(kNetworkError, text, MessageIcon::Error);
    stopControlReading();
    closeDataSockets();
    retire(control_);
    stopFollowingInterfaces();
}

void NetworkLink::finishQueries() {
    queryTimer_.stop();
    if (table_.count() == 0) {
        // Searching goes on: later announcements still enter the table.
        emit statusText(QStringLiteral("No Ravnet Daemon found"));
        emit opened(0);
        return;
    }
    emit statusText(
        QStringLiteral("Connecting to Ravnet Daemon on port %1.").arg(table_.portAt(selected_)));
    active_ = true;
    emit opened(0);
}

void NetworkLink::close() {
    if (!control_) {
        return;
    }
    active_ = false;
    queryTimer_.stop();
    stopControlReading();
    closeDataSockets();
    retire(control_);
    stopFollowingInterfaces();
    emit statusText(QStringLiteral("Not connected"));
}

void NetworkLink::closeDataSockets() {
    for (auto& socket : dataSockets_) {
        retire(socket);
    }
    daemonInterfaces_.fill(0);
    table_.clear();
}

bool NetworkLink::isOpen() const {
    return control_ != nullptr;
}

int NetworkLink::sendTo(int index, std::span<const std::uint8_t> frame) {
    QUdpSocket* socket =
        table_.isLive(index) ? dataSockets_[static_cast<std::size_t>(index)].get() : nullptr;
    if (socket == nullptr || frame.size() >= static_cast<std::size_t>(kMaxDatagramSize)) {
        return -1;
    }
    QByteArray datagram;
    datagram.reserve(static_cast<qsizetype>(frame.size()) + 1);
    datagram.append('O');
    datagram.append(reinterpret_cast<const char*>(frame.data()),
                    static_cast<qsizetype>(frame.size()));
    const auto port = static_cast<quint16>(table_.portAt(index));
    return socket->writeDatagram(datagram, groupAddress(), port) == datagram.size() ? 0 : -1;
}

int NetworkLink::selectDaemon(int index) {
    if (!table_.isLive(index)) {
        return -1;
    }
    // Delivery follows `selected_` at once; datagrams still queued on the old
    // daemon's socket are read and dropped there.
    selected_ = index;
    active_ = true;
    emit statusText(
        QStringLiteral("Connected to Ravnet Daemon on port %1").arg(table_.portAt(index)));
    return 0;
}

QNetworkDatagram NetworkLink::receiveDatagram(QUdpSocket& socket, qint64 maxSize) {
    return socket.receiveDatagram(maxSize);
}

// Reads one datagram into `buffer` and the index of the interface it came through
// (0 when the system does not say); false when nothing could be read. Datagrams
// longer than the protocol allows are consumed and left empty.
bool NetworkLink::readOne(QUdpSocket& socket, std::vector<std::uint8_t>& buffer,
                          int& interfaceIndex, bool& error) {
    error = false;
    if (socket.pendingDatagramSize() < 0) {
        return false;
    }
    const QNetworkDatagram datagram = receiveDatagram(socket, kMaxDatagramSize + 1);
    if (!datagram.isValid()) {
        error = true;
        return false;
    }
    const QByteArray data = datagram.data();
    interfaceIndex = static_cast<int>(datagram.interfaceIndex());
    // Longer than any datagram of ours: kept empty, so it is ignored.
    if (data.size() > kMaxDatagramSize) {
        buffer.clear();
    } else {
        buffer.assign(data.begin(), data.end());
    }
    return true;
}

void NetworkLink::readControl() {
    std::vector<std::uint8_t> buffer;
    for (int n = 0; n < kDatagramsPerTurn && control_ && controlReading_; ++n) {
        bool error = false;
        int interfaceIndex = 0;
        if (!readOne(*control_, buffer, interfaceIndex, error)) {
            if (error) {
                stopControlReading();
                ui_.inform(kNetworkError, QStringLiteral("Network read failed!"),
                           MessageIcon::Error);
            }
            return;
        }
        const ClassifiedDatagram d = classifyDatagram(buffer);
        if (d.kind == DatagramClass::Announcement && d.port) {
            announce(*d.port, interfaceIndex);
        } else if (d.kind == DatagramClass::Withdrawal && d.port) {
            withdraw(*d.port);
        }
    }
    if (control_ && controlReading_ && control_->hasPendingDatagrams()) {
        QMetaObject::invokeMethod(this, &NetworkLink::readControl, Qt::QueuedConnection);
    }
}

void NetworkLink::stopControlReading() {
    // The control reading ends for good until the next Connect: unread datagrams
    // must not call us back, or the reader would be queued again and again.
    controlReading_ = false;
    if (control_) {
        disconnect(control_.get(), &QUdpSocket::readyRead, this, &NetworkLink::readControl);
    }
}

// The daemon's "O" datagrams leave through the interface it answered on: the
// system's default route may lead elsewhere.
void NetworkLink::sendThrough(int index, int interfaceIndex) {
    daemonInterfaces_[static_cast<std::size_t>(index)] = interfaceIndex;
    dataSockets_[static_cast<std::size_t>(index)]->setMulticastInterface(
        QNetworkInterface::interfaceFromIndex(interfaceIndex));
}

void NetworkLink::announce(quint16 port, int interfaceIndex) {
    int index = table_.indexOf(port);
    if (index >= 0 && interfaceIndex != 0 &&
        !containsInterface(interfaces_, daemonInterfaces_[static_cast<std::size_t>(index)])) {
        // Its interface went away and it answers through another one.
        sendThrough(index, interfaceIndex);
    }
    if (index >= 0 && table_.isLive(selected_)) {
        // A daemon we know answering a query, maybe another computer's: the
        // daemon in use and the units found stay.
        return;
    }
    if (index < 0) {
        index = table_.freeIndex();
        if (index < 0) {
            return; // a 33rd daemon: refused, the table stays as it is
        }
        auto socket = openGroupSocket(port);
        if (!socket) {
            return;
        }
        connect(socket.get(), &QUdpSocket::readyRead, this, [this, index] { readData(index); });
        dataSockets_[static_cast<std::size_t>(index)] = std::move(socket);
        table_.occupy(index, port);
        sendThrough(index, interfaceIndex);
    }
    // The daemon in use stays selected when another one appears (a second
    // computer's): its units are found by the session without moving the unit
    // shown. Without one in use the link starts over at the first daemon: the
    // lowest live entry, since entry 0 may have been freed by a withdrawal.
    if (!active_ || !table_.isLive(selected_)) {
        selected_ = table_.liveIndices().front();
    }
    emit daemonAnnounced(index);
}

void NetworkLink::withdraw(quint16 port) {
    const int index = table_.withdraw(port);
    if (index >= 0) {
        retire(dataSockets_[static_cast<std::size_t>(index)]);
        daemonInterfaces_[static_cast<std::size_t>(index)] = 0;
    }
    emit statusText(QStringLiteral("Connection to Ravnet daemon terminated!"));
    emit daemonWithdrawn(index);
}

void NetworkLink::readData(int index) {
    std::vector<std::uint8_t> buffer;
    for (int n = 0; n < kDatagramsPerTurn; ++n) {
        QUdpSocket* socket = dataSockets_[static_cast<std::size_t>(index)].get();
        if (socket == nullptr) {
            return;
        }
        bool error = false;
        int interfaceIndex = 0;
        if (!readOne(*socket, buffer, interfaceIndex, error)) {
            if (error && active_ && index == selected_) {
                active_ = false;
                ui_.inform(kNetworkError, QStringLiteral("Daemon read failed!"),
                           MessageIcon::Error);
            }
            return;
        }
        if (!active_) {
            continue;
        }
        // Two interfaces on one network (a wired and a wireless card on the same
        // LAN) each receive every datagram of the daemon. Only the copy through the
        // interface the daemon answered on is delivered: comparing contents instead
        // would also drop a unit's equal replies (levels that did not change).
        const int expected = daemonInterfaces_[static_cast<std::size_t>(index)];
        if (expected != 0 && interfaceIndex != 0 && interfaceIndex != expected) {
            continue;
        }
        if (classifyDatagram(buffer).kind == DatagramClass::Incoming) {
            const QByteArray frame(reinterpret_cast<const char*>(buffer.data()) + 1,
                                   static_cast<qsizetype>(buffer.size()) - 1);
            if (index == selected_) {
                emit frameReceived(frame);
            } else {
                emit otherDaemonFrame(index, frame);
            }
        }
    }
    QUdpSocket* socket = dataSockets_[static_cast<std::size_t>(index)].get();
    if (socket != nullptr && socket->hasPendingDatagrams()) {
        QMetaObject::invokeMethod(
            this, [this, index] { readData(index); }, Qt::QueuedConnection);
    }
}

} // namespace varento
