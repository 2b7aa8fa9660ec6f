#include "network_daemons.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QVariant>

namespace varento::emu {

namespace {

// The same set-up for the control socket and every data socket, so that the
// application and the daemons can share each port on one machine.
bool openGroupSocket(QUdpSocket& socket, quint16 port, QString& error) {
    if (!socket.bind(QHostAddress::AnyIPv4, port,
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error = QStringLiteral("cannot bind UDP port %1: %2").arg(port).arg(socket.errorString());
        return false;
    }
    if (!socket.joinMulticastGroup(kGroup)) {
        error = QStringLiteral("cannot join %1 on port %2: %3 (is there a multicast route?)")
                    .arg(kGroup.toString())
                    .arg(port)
                    .arg(socket.errorString());
        socket.close();
        return false;
    }
    socket.setSocketOption(QAbstractSocket::MulticastLoopbackOption, QVariant(1));
    socket.setSocketOption(QAbstractSocket::MulticastTtlOption, QVariant(128));
    return true;
}

QString controlText(const QByteArray& datagram) {
    return QString::fromLatin1(datagram.left(16).toPercentEncoding("", "", '%'));
}

} // namespace

NetworkDaemons::NetworkDaemons(const Options& options, QObject* parent)
    : QObject(parent), options_(options) {
    auto split = unitsPerDaemon(options_);
    for (int i = 0; i < options_.daemons; ++i) {
        Daemon d;
        d.port = static_cast<quint16>(options_.dataPort + i);
        d.units = std::move(split[static_cast<std::size_t>(i)]);
        daemons_.push_back(std::move(d));
    }
}

NetworkDaemons::~NetworkDaemons() {
    withdrawAll();
}

bool NetworkDaemons::start(QString& error) {
    if (!openGroupSocket(control_, kControlPort, error)) {
        return false;
    }
    connect(&control_, &QUdpSocket::readyRead, this, &NetworkDaemons::readControl);
    for (std::size_t i = 0; i < daemons_.size(); ++i) {
        Daemon& d = daemons_[i];
        d.socket = std::make_unique<QUdpSocket>();
        if (!openGroupSocket(*d.socket, d.port, error)) {
            for (auto& other : daemons_) {
                other.socket.reset();
            }
            control_.close();
            return false;
        }
        QUdpSocket* socket = d.socket.get();
        const quint16 port = d.port;
        auto wire =
            std::make_unique<EmulatedWire>(d.units, options_.faults, options_.seed + 1000003 * i);
        d.driver = new LineDriver(
            std::move(wire), QStringLiteral("daemon %1 port %2").arg(i).arg(port), options_.trace,
            [socket, port](const Frame& frame) {
                QByteArray datagram(1, 'I');
                datagram.append(reinterpret_cast<const char*>(frame.data()),
                                static_cast<qsizetype>(frame.size()));
                socket->writeDatagram(datagram, kGroup, port);
            },
            this);
        connect(socket, &QUdpSocket::readyRead, this, [this, i] { readData(daemons_[i]); });
    }
    for (const auto& w : options_.faults.withdrawals) {
        QTimer::singleShot(static_cast<int>(w.after.count()), this,
                           [this, daemon = w.daemon] { withdraw(daemon); });
    }
    return true;
}

void NetworkDaemons::sendControl(const QByteArray& datagram) {
    if (options_.trace) {
        traceText(QStringLiteral("control"), false, controlText(datagram));
    }
    control_.writeDatagram(datagram, kGroup, kControlPort);
}

void NetworkDaemons::readControl() {
    while (control_.hasPendingDatagrams()) {
        const QByteArray data = control_.receiveDatagram().data();
        // Only the query needs an answer; "QR" and "VV" are our own or another daemon's.
        if (!data.startsWith("QQ")) {
            continue;
        }
        if (options_.trace) {
            traceText(QStringLiteral("control"), true, controlText(data));
        }
        for (const Daemon& d : daemons_) {
            if (d.socket) {
                sendControl("QR" + QByteArray::number(d.port));
            }
        }
    }
}

void NetworkDaemons::readData(Daemon& d) {
    while (d.socket && d.socket->hasPendingDatagrams()) {
        const QByteArray data = d.socket->receiveDatagram().data();
        // "I" datagrams are our own replies coming back through the group.
        if (data.isEmpty() || data[0] != 'O') {
            continue;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData()) + 1;
        d.driver->receive(
            std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(data.size() - 1)));
    }
}

void NetworkDaemons::withdraw(int daemon) {
    if (daemon < 0 || daemon >= daemonCount()) {
        return;
    }
    Daemon& d = daemons_[static_cast<std::size_t>(daemon)];
    if (!d.socket) {
        return;
    }
    if (control_.state() == QAbstractSocket::BoundState) {
        sendControl("VV" + QByteArray::number(d.port));
    }
    d.socket->close();
    d.socket.reset();
    say(QStringLiteral("daemon %1 on port %2 withdrawn").arg(daemon).arg(d.port));
}

void NetworkDaemons::withdrawNext() {
    for (int i = 0; i < daemonCount(); ++i) {
        if (daemons_[static_cast<std::size_t>(i)].socket) {
            withdraw(i);
            return;
        }
    }
}

void NetworkDaemons::withdrawAll() {
    for (int i = 0; i < daemonCount(); ++i) {
        withdraw(i);
    }
}

} // namespace varento::emu
