#pragma once

#include "protocol/device_uid.h"

#include <QByteArray>
#include <QObject>

#include <array>
#include <cstdint>
#include <map>

namespace varento {
class LinkSet;
}

namespace varento::cli {

// Counts the frames that cross the selected link, per unit and command, so a
// front end can wait for "a reply to a request sent after my edit".
class WireWatch : public QObject {
    Q_OBJECT

public:
    explicit WireWatch(LinkSet& links, QObject* parent = nullptr);

    int sent(const DeviceUid& uid, std::uint8_t command) const;
    int received(const DeviceUid& uid, std::uint8_t command) const;
    int receivedTotal() const { return receivedTotal_; }

signals:
    // After the counts were updated.
    void frame(const QByteArray& bytes, bool received);

private:
    using Key = std::array<std::uint8_t, 17>; // uid and command

    void count(const QByteArray& bytes, bool received);
    static Key keyOf(const DeviceUid& uid, std::uint8_t command);

    std::map<Key, int> sent_;
    std::map<Key, int> received_;
    int receivedTotal_ = 0;
};

} // namespace varento::cli
