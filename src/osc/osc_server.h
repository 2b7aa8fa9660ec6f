#pragma once

#include "osc/osc_address_space.h"
#include "osc/osc_settings.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <map>
#include <memory>
#include <optional>

namespace varento {

class Session;

namespace osc {

// The OSC server: one UDP socket on the chosen address and port, read on the main
// thread in bounded slices so a flood never stalls the window. Clients outside
// the allow-list, malformed packets and (read only) edits are refused and counted.
// A client that sends /varento/subscribe [unit] [port] gets the unit's changes (at
// the port given, else at the port it sent from) until it unsubscribes or nothing
// came from its address for kSilenceMs; each edit is echoed to every subscription
// but the one it came from. Live gains, levels and routing come from the unit the
// program shows (the one it polls); a subscription to another unit gets its state
// and the edits made to it. Replies go to the sender and to the subscriptions of its address, so a
// tool that sends from passing ports still hears them.
class Server : public QObject {
    Q_OBJECT

public:
    static constexpr int kSilenceMs = 60000;
    static constexpr int kLevelsEveryMs = 50;
    static constexpr int kDatagramsPerSlice = 100;
    // Each subscription costs a stream of levels: a client cannot ask for more.
    static constexpr int kMaxSubscribers = 16;
    static constexpr int kMaxSubscribersPerAddress = 4;

    explicit Server(Session& session, QObject* parent = nullptr);

    // Opens (or closes, when not enabled) the socket as set; the reason when the
    // address or port cannot be opened.
    std::optional<QString> apply(const Settings& settings);
    const Settings& settings() const { return settings_; }
    bool listening() const { return socket_ != nullptr; }
    quint16 port() const { return socket_ ? socket_->localPort() : 0; }

    int refusedPackets() const { return refused_; }
    // Where the presets and projects a client names are looked for.
    QString fileFolder() const;
    int handledMessages() const { return handled_; }
    int subscriberCount() const { return static_cast<int>(subscribers_.size()); }

signals:
    void countersChanged();

private:
    struct Client {
        QHostAddress address;
        quint16 port = 0;
        friend bool operator<(const Client& a, const Client& b) {
            return std::pair(a.address.toString(), a.port) <
                   std::pair(b.address.toString(), b.port);
        }
    };
    struct Subscriber {
        std::optional<DeviceUid> unit; // none: the unit shown
        QElapsedTimer seen;
        QElapsedTimer levelsSent;
    };

    void readSlice();
    void receive(const QByteArray& datagram, const Client& from);
    void handle(const Message& message, const Client& from);
    bool allowed(const QHostAddress& address) const;
    void refuse();
    void send(const Message& message, const Client& to);
    void reply(const Message& message, const Client& to);
    void subscribe(const Message& message, const Client& from);
    void dropSilent();

    // Feedback.
    std::optional<DeviceUid> shownUnit() const;
    bool wants(const Subscriber& s, const DeviceUid& unit) const;
    void toSubscribersOf(const DeviceUid& unit, const Message& message,
                         const Client* except = nullptr);
    // The unit's record as it stands: to one client, or to its subscribers.
    void sendGains(const DeviceUid& unit, const Client* only = nullptr);
    void sendRouting(const DeviceUid& unit, const Client* only = nullptr);
    void shownGainsChanged();
    void shownRoutingChanged();
    void sendLevels();
    void sendSwitchOver(const DeviceUid& unit, const Client* only = nullptr);
    void sendState(const DeviceUid& unit, const Client& to);
    void shownUnitChanged();
    std::string linkText() const;
    void sendLink();

    Session& session_;
    AddressSpace space_;
    Settings settings_;
    std::unique_ptr<QUdpSocket> socket_;
    std::map<Client, Subscriber> subscribers_;
    QTimer silence_;
    bool sliceQueued_ = false;
    int refused_ = 0;
    int handled_ = 0;
};

} // namespace osc
} // namespace varento
