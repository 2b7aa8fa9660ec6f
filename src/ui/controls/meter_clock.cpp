#include "ui/controls/meter_clock.h"

#include "ui/controls/level_meter.h"

#include <algorithm>

namespace varento {

MeterClock::MeterClock(QObject* parent) : QObject(parent) {
    elapsed_.start();
    timer_.setInterval(kTickMs);
    // Precise, so the steps keep their 20 ms spacing instead of drifting by 5 %.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MeterClock::tick);
}

MeterClock::~MeterClock() = default;

qint64 MeterClock::now() const {
    return source_ ? source_() : elapsed_.elapsed();
}

void MeterClock::setTimeSource(std::function<qint64()> source) {
    source_ = std::move(source);
}

void MeterClock::attach(LevelMeter* meter) {
    meters_.push_back(meter);
}

void MeterClock::detach(LevelMeter* meter) {
    std::erase(meters_, meter);
    if (meters_.empty()) {
        setRunning(false);
    }
}

void MeterClock::wake() {
    setRunning(true);
}

void MeterClock::tick() {
    const qint64 t = now();
    bool busy = false;
    for (LevelMeter* meter : meters_) {
        if (meter->isVisible()) {
            busy = meter->advanceTo(t) || busy;
        }
    }
    setRunning(busy);
}

void MeterClock::setRunning(bool running) {
    if (running == timer_.isActive()) {
        return;
    }
    if (running) {
        timer_.start();
    } else {
        timer_.stop();
    }
    emit runningChanged(running);
}

} // namespace varento
