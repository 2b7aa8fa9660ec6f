#pragma once

#include "protocol/device_uid.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace varento {

class Session;

// Reads units afresh before their records are trusted: parameters, routing and
// gains, one request at a time, each waiting for its reply from the moment the
// request left. A unit that misses one reply counts as not answering; the others
// go on.
class UnitReader : public QObject {
    Q_OBJECT

public:
    static constexpr int kReplyMs = 1500;

    using Done = std::function<void(const std::set<DeviceUid>& answered)>;
    UnitReader(Session& session, std::vector<DeviceUid> units, Done done,
               QObject* parent = nullptr);

    void start();
    // Requests sent so far, out of all (units x 3): for a progress bar.
    int stepsDone() const { return step_; }
    int stepCount() const { return static_cast<int>(units_.size()) * 3; }
    double elapsedMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

signals:
    void progressed();

private:
    void next();
    void replyTaken(const DeviceUid& unit, std::uint8_t reply);
    void timedOut();

    Session& session_;
    std::vector<DeviceUid> units_;
    Done done_;
    std::set<DeviceUid> missed_;
    int step_ = 0;
    std::uint8_t awaited_ = 0;
    QTimer timeout_;
    QElapsedTimer clock_;
    bool finished_ = false;
};

} // namespace varento
