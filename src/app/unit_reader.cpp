#include "app/unit_reader.h"

#include "app/session.h"
#include "protocol/frame.h"

#include <QPointer>

#include <array>

namespace varento {

namespace {

struct Read {
    std::uint8_t request;
    std::uint8_t reply;
};
constexpr std::array<Read, 3> kReads = {{{cmd::requestParams, cmd::paramsReply},
                                         {cmd::requestRouting, cmd::routingReply},
                                         {cmd::requestGains, cmd::gainsReply}}};

} // namespace

UnitReader::UnitReader(Session& session, std::vector<DeviceUid> units, Done done, QObject* parent)
    : QObject(parent), session_(session), units_(std::move(units)), done_(std::move(done)) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(kReplyMs);
    connect(&timeout_, &QTimer::timeout, this, &UnitReader::timedOut);
    connect(&session_, &Session::replyTaken, this, &UnitReader::replyTaken);
}

void UnitReader::start() {
    clock_.start();
    step_ = 0;
    next();
}

void UnitReader::next() {
    while (step_ < stepCount()) {
        const DeviceUid& unit = units_[static_cast<std::size_t>(step_ / 3)];
        const Read& read = kReads[static_cast<std::size_t>(step_ % 3)];
        if (missed_.count(unit) != 0) {
            ++step_; // one missed reply is enough: its other reads would wait in vain
            continue;
        }
        awaited_ = read.reply;
        // The wait starts when the request has left: it may queue behind a load.
        const QPointer<UnitReader> self(this);
        const int step = step_;
        if (session_.requestFromUnit(unit, read.request, [self, step](int result) {
                if (self && self->step_ == step) {
                    result == 0 ? self->timeout_.start() : self->timedOut();
                }
            })) {
            return;
        }
        missed_.insert(unit);
        ++step_;
    }
    if (!finished_) {
        finished_ = true;
        std::set<DeviceUid> answered(units_.begin(), units_.end());
        for (const DeviceUid& unit : missed_) {
            answered.erase(unit);
        }
        emit progressed();
        done_(answered);
    }
}

void UnitReader::replyTaken(const DeviceUid& unit, std::uint8_t reply) {
    if (!timeout_.isActive() || reply != awaited_ ||
        unit != units_[static_cast<std::size_t>(step_ / 3)]) {
        return;
    }
    timeout_.stop();
    ++step_;
    emit progressed();
    next();
}

void UnitReader::timedOut() {
    missed_.insert(units_[static_cast<std::size_t>(step_ / 3)]);
    ++step_;
    emit progressed();
    next();
}

} // namespace varento
