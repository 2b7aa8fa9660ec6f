#include "links/demo_link.h"

#include "unit/emulated_rack.h"
#include "unit/unit_config.h"

#include <chrono>

namespace varento {

DemoLink::DemoLink(const std::vector<emu::UnitConfig>& units, QObject* parent)
    : FrameLink(parent), rack_(std::make_unique<emu::EmulatedRack>(units)) {
    replyTimer_.setSingleShot(true);
    replyTimer_.setInterval(kReplyDelayMs);
    connect(&replyTimer_, &QTimer::timeout, this, &DemoLink::deliverNext);
    advanceTimer_.setInterval(kAdvanceMs);
    connect(&advanceTimer_, &QTimer::timeout, this, &DemoLink::advance);
    advanceTimer_.start();
    clock_.start();
}

DemoLink::~DemoLink() = default;

int DemoLink::send(std::span<const std::uint8_t> frame) {
    if (!answering_) {
        return 0;
    }
    for (const emu::Frame& reply : rack_->receive(frame)) {
        pending_.emplace_back(reinterpret_cast<const char*>(reply.data()),
                              static_cast<qsizetype>(reply.size()));
    }
    if (!pending_.empty() && !replyTimer_.isActive()) {
        replyTimer_.start();
    }
    return 0;
}

void DemoLink::deliverNext() {
    if (pending_.empty()) {
        return;
    }
    const QByteArray frame = std::move(pending_.front());
    pending_.pop_front();
    emit frameReceived(frame);
    if (!pending_.empty()) {
        replyTimer_.start();
    }
}

void DemoLink::advance() {
    const auto elapsed = std::chrono::milliseconds(clock_.restart());
    rack_->advance(elapsed);
}

std::vector<emu::UnitConfig> demoUnits(const std::vector<int>& models) {
    if (models.empty()) {
        return emu::defaultUnits();
    }
    std::vector<emu::UnitConfig> units;
    for (std::size_t i = 0; i < models.size(); ++i) {
        emu::UnitConfig unit;
        unit.model = static_cast<std::uint8_t>(models[i] & 0x7F);
        for (std::size_t b = 0; b < unit.uid.bytes.size(); ++b) {
            unit.uid.bytes[b] = static_cast<std::uint8_t>((b * 5 + i * 3 + unit.model) & 0x0F);
        }
        unit.uid.bytes[15] = static_cast<std::uint8_t>(i & 0x0F);
        unit.uid.bytes[14] = static_cast<std::uint8_t>((i >> 4) & 0x0F);
        // Firmware recent enough for every model: no update warning in the demo.
        unit.firmwareMajor = 6;
        unit.firmwareMinor = 6;
        units.push_back(unit);
    }
    return units;
}

} // namespace varento
