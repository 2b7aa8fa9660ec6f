#pragma once

#include "app/interaction.h"
#include "links/daemon_table.h"
#include "links/frame_link.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

class QUdpSocket;

namespace varento {

// The link to the Ravnet daemons: UDP multicast on 224.7.7.7. The control socket
// (port 7777) finds the daemons; each daemon's data port carries "O" + frame out
// and "I" + frame in. The group is joined on every interface that carries it, and
// the interfaces are scanned again while open, so that a network card plugged in
// later is used too. Everything runs on the main thread from readyRead.
class NetworkLink : public FrameLink {
    Q_OBJECT
public:
    static constexpr quint16 kControlPort = 7777;
    static constexpr int kQueryCount = 50;
    static constexpr int kQueryIntervalMs = 20;
    // No portable notice of interface changes exists: they are looked for this often.
    static constexpr int kInterfaceRescanMs = 2000;
    static QHostAddress groupAddress();

    explicit NetworkLink(Interaction& ui, QObject* parent = nullptr);
    ~NetworkLink() override;

    // Connect. -1: failed, already shown; nothing follows. 0: the query burst runs
    // (50 "QQ", 20 ms apart) and `opened` reports the outcome, 0 or -1.
    int open();
    // Disconnect: acts only while open; ends with the status "Not connected".
    void close();
    // "O" + frame to the selected daemon's data port; 0, or -1 with nothing shown.
    int send(std::span<const std::uint8_t> frame) override { return sendTo(selected_, frame); }
    // The same to the data port of the daemon at `index` (a unit behind another
    // daemon than the selected one); -1 for an index that is not a live daemon.
    int sendTo(int index, std::span<const std::uint8_t> frame);
    // The control socket is open (searching or connected to a daemon).
    bool isOpen() const override;
    // Received frames are being delivered (a daemon was found and selected).
    bool isActive() const { return active_; }

    // Switches delivery and sending to the daemon at `index`; -1 for an index that
    // is not a live daemon (nothing changes).
    int selectDaemon(int index);
    int selectedDaemon() const { return selected_; }
    const DaemonTable& daemons() const { return table_; }
    // The interfaces the group is joined on while open (empty: the default one).
    const std::vector<QNetworkInterface>& joinedInterfaces() const { return interfaces_; }
    // Index of the interface the daemon at `index` is reached through; 0: not known.
    int interfaceOf(int index) const {
        return table_.isLive(index) ? daemonInterfaces_[static_cast<std::size_t>(index)] : 0;
    }

    // Tests shorten the burst and capture the set-up diagnostics.
    void setQueryBurst(int count, int intervalMs);
    void setInterfaceRescanInterval(int intervalMs) { rescanTimer_.setInterval(intervalMs); }
    void setDiagnosticStream(std::FILE* stream) { diagnostics_ = stream; }

protected:
    // Every datagram is read through here; an invalid datagram is a read failure.
    virtual QNetworkDatagram receiveDatagram(QUdpSocket& socket, qint64 maxSize);

signals:
    void opened(int result);
    void statusText(const QString& text);
    // A new or returning daemon (not a repeat of one in the table): the session
    // clears the discovered list (the selection is back at the first live daemon).
    void daemonAnnounced(int index);
    // A withdrawal; `index` is -1 when no entry served the port. The session
    // removes the units found through it and then runs Connect/Disconnect.
    void daemonWithdrawn(int index);
    // A message that came through a daemon other than the selected one. Only the
    // selected daemon's messages are the handler's; a unit behind another daemon
    // still answers a read made of it through its own.
    void otherDaemonFrame(int index, const QByteArray& frame);

private:
    std::unique_ptr<QUdpSocket> openGroupSocket(quint16 port);
    bool joinGroup(QUdpSocket& socket) const;
    int sendQueries(const std::vector<QNetworkInterface>& through);
    void rescanInterfaces();
    void stopFollowingInterfaces();
    void sendQuery();
    void finishQueries();
    void failOpen(const QString& text);
    void readControl();
    void stopControlReading();
    bool readOne(QUdpSocket& socket, std::vector<std::uint8_t>& buffer, int& interfaceIndex,
                 bool& error);
    void readData(int index);
    void announce(quint16 port, int interfaceIndex);
    void sendThrough(int index, int interfaceIndex);
    void withdraw(quint16 port);
    void closeDataSockets();
    void retire(std::unique_ptr<QUdpSocket>& socket);

    Interaction& ui_;
    std::FILE* diagnostics_ = stdout;
    std::unique_ptr<QUdpSocket> control_;
    std::array<std::unique_ptr<QUdpSocket>, DaemonTable::kCapacity> dataSockets_;
    // The interface each daemon answered through: its frames go out there and only
    // its datagrams arriving there are delivered. 0: not known.
    std::array<int, DaemonTable::kCapacity> daemonInterfaces_{};
    DaemonTable table_;
    // The interfaces the group is joined on; empty: the system's default one.
    std::vector<QNetworkInterface> interfaces_;
    QTimer rescanTimer_;
    QTimer queryTimer_;
    int queriesSent_ = 0;
    int queryCount_ = kQueryCount;
    int selected_ = 0;
    bool active_ = false;
    bool controlReading_ = false;
};

} // namespace varento
