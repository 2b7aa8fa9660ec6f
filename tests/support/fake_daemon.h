#pragma once

// A stand-in for a Ravnet daemon inside the private network namespace: answers
// "QQ" on the control port with "QR" + its data port, records the "O" datagrams
// on its data port and sends "I" + frame there.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <memory>

namespace varento::testing {

inline QHostAddress daemonGroup() {
    return QHostAddress(QStringLiteral("224.7.7.7"));
}

inline std::unique_ptr<QUdpSocket> groupSocket(quint16 port) {
    auto s = std::make_unique<QUdpSocket>();
    if (!s->bind(QHostAddress::AnyIPv4, port,
                 QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint) ||
        !s->joinMulticastGroup(daemonGroup())) {
        return nullptr;
    }
    return s;
}

class FakeDaemon {
public:
    explicit FakeDaemon(quint16 dataPort, bool answerQueries = true)
        : port_(dataPort), control_(groupSocket(7777)), data_(groupSocket(dataPort)) {
        QObject::connect(control_.get(), &QUdpSocket::readyRead, [this, answerQueries] {
            while (control_->hasPendingDatagrams()) {
                const QByteArray d = control_->receiveDatagram().data();
                if (d == "QQ") {
                    ++queries;
                    if (answerQueries) {
                        announce();
                    }
                }
            }
        });
        QObject::connect(data_.get(), &QUdpSocket::readyRead, [this] {
            while (data_->hasPendingDatagrams()) {
                const QByteArray d = data_->receiveDatagram().data();
                if (d.startsWith('O')) {
                    received.push_back(d);
                }
            }
        });
    }

    bool ok() const { return control_ && data_; }
    quint16 port() const { return port_; }

    void announce() { control(QByteArray("QR") + QByteArray::number(port_)); }
    void withdraw() { control(QByteArray("VV") + QByteArray::number(port_)); }
    void control(const QByteArray& datagram) {
        control_->writeDatagram(datagram, daemonGroup(), 7777);
    }
    void deliver(const QByteArray& frame) { data(QByteArray("I") + frame); }
    void data(const QByteArray& datagram) { data_->writeDatagram(datagram, daemonGroup(), port_); }

    int queries = 0;
    QList<QByteArray> received; // "O" datagrams, the letter included

private:
    quint16 port_;
    std::unique_ptr<QUdpSocket> control_;
    std::unique_ptr<QUdpSocket> data_;
};

} // namespace varento::testing
