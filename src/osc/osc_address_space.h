#pragma once

#include "osc/osc_packet.h"
#include "protocol/device_uid.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace varento {

class Session;

namespace osc {

// What a message did: the replies for its sender and whether it edited a unit
// (edits are echoed to the other subscribed clients).
struct Outcome {
    std::vector<Message> replies;
    // The edit as it went to the unit (its id in the address, the values taken),
    // for the other clients; none when nothing was edited.
    std::optional<Message> edit;
    std::optional<DeviceUid> unit; // none: the edit concerns every client (a project)
    // Units whose state a file load replaced: their subscribers get it anew.
    std::vector<DeviceUid> reloaded;
};

// The OSC address space over the session's typed unit edits, so a remote edit is
// the edit a window makes: the same frames, pacing and journal entries. Units are
// addressed by id (32 hexadecimal digits) or by their name in the device list:
// /varento/unit/<id-or-name>/<what>. A value out of range or an unknown address is
// answered on /varento/error (address, reason) and changes nothing.
class AddressSpace : public QObject {
    Q_OBJECT

public:
    // A fader drag reaches the unit at most this often; so do remote gains and levels.
    static constexpr int kPaceMs = 100;

    explicit AddressSpace(Session& session, QObject* parent = nullptr);

    // `origin` names the client in the journal ("OSC 192.168.1.20:9001").
    Outcome handle(const Message& message, const QString& origin, bool readOnly);

    // The unit an address names, if it is online.
    std::optional<DeviceUid> unitNamed(const QString& idOrName) const;
    static QString idText(const DeviceUid& uid);

    static Message error(const std::string& address, const QString& reason);

private:
    using Handler = std::optional<QString> (AddressSpace::*)(const DeviceUid&, const Message&);
    struct Command {
        const char* name;
        int argc; // arguments taken (at least)
        Handler handler;
        bool micInputs = false; // only for units with microphone inputs
        int optionalArgs = 0;   // taken after those when given
    };
    static const Command* findCommand(const QString& name);

    std::optional<QString> route(const DeviceUid& unit, const Message& m);
    std::optional<QString> gain(const DeviceUid& unit, const Message& m);
    std::optional<QString> p48(const DeviceUid& unit, const Message& m);
    std::optional<QString> pad(const DeviceUid& unit, const Message& m);
    std::optional<QString> level(const DeviceUid& unit, const Message& m);
    std::optional<QString> gainsEnabled(const DeviceUid& unit, const Message& m);
    std::optional<QString> muteAll(const DeviceUid& unit, const Message& m);
    std::optional<QString> trip(const DeviceUid& unit, const Message& m);
    std::optional<QString> untrip(const DeviceUid& unit, const Message& m);
    std::optional<QString> identify(const DeviceUid& unit, const Message& m);
    std::optional<QString> preset(const DeviceUid& unit, const Message& m);
    Outcome project(const Message& m);
    std::optional<QString> inputSwitch(const DeviceUid& unit, const Message& m, std::uint8_t bit);

    std::vector<Message> unitList() const;

    // Gains and levels: the first value goes at once, later ones within kPaceMs
    // wait and only the newest of them is sent.
    enum class Paced { Gain, Level };
    using PaceKey = std::tuple<DeviceUid, Paced, int>;
    struct Waiting {
        std::uint8_t value;
        QString origin;
    };
    void sendPaced(const PaceKey& key, std::uint8_t value);
    void sendNow(const PaceKey& key, std::uint8_t value, const QString& origin);
    void flushPaced();

    Session& session_;
    QString origin_;                  // the client of the message being handled
    std::vector<DeviceUid> reloaded_; // by the message being handled
    std::map<PaceKey, QElapsedTimer> lastSent_;
    std::map<PaceKey, Waiting> waiting_;
    QTimer paceTimer_;
};

// One number argument, whole and within min..max.
std::optional<int> wholeIn(const Arg& arg, int min, int max);

} // namespace osc
} // namespace varento
