#include "protocol/frame_builders.h"

#include <algorithm>
#include <functional>
#include <span>

namespace varento {

namespace {

// Appends to the frame being built; the buffer is large enough for the longest frame.
class FrameWriter {
public:
    FrameWriter(FrameBuffer& out, const DeviceUid& uid, std::uint8_t command) : out_(out) {
        put(kFrameStart);
        for (std::uint8_t b : uid.bytes) {
            put(b);
        }
        put(command);
    }

    void put(std::uint8_t byte) { out_[static_cast<std::size_t>(length_++)] = byte; }
    void put(int byte) { put(static_cast<std::uint8_t>(byte)); }

    void pair(int parameter, std::uint8_t value) {
        put(parameter);
        put(value);
    }

    void routingEntry(const DeviceRecord& r, int slot) {
        const std::uint8_t source = r.routeSource[static_cast<std::size_t>(slot)];
        const std::uint8_t flags = r.routeFlags[static_cast<std::size_t>(slot)];
        put((slot >> 7) & 1);
        put(slot & 0x7F);
        put((source >> 7) | flags);
        put(source & 0x7F);
    }

    void gainEntry(int index, std::uint8_t value) {
        put(index >> 7);
        put(index & 0x7F);
        put((value >> 7) & 1);
        put(value & 0x7F);
    }

    int finish(std::uint8_t end = kFrameEnd) {
        put(end);
        return length_;
    }

private:
    FrameBuffer& out_;
    int length_ = 0;
};

int buildRequest(FrameBuffer& out, const DeviceUid& uid, std::uint8_t command) {
    return FrameWriter(out, uid, command).finish();
}

// An index outside the table yields a frame without entries rather than reading past it.
int buildGainEntries(FrameBuffer& out, const DeviceRecord& r, int base,
                     std::span<const std::uint8_t> values, int first, int count) {
    FrameWriter w(out, r.uid, cmd::setGains);
    if (first >= 0 && first + count <= static_cast<int>(values.size())) {
        for (int i = first; i < first + count; ++i) {
            w.gainEntry(base + i, values[static_cast<std::size_t>(i)]);
        }
    }
    return w.finish();
}

} // namespace

int buildDiscover(FrameBuffer& out) {
    return buildRequest(out, DeviceUid::broadcast(), cmd::discover);
}
int buildRequestParams(FrameBuffer& out, const DeviceRecord& r) {
    return buildRequest(out, r.uid, cmd::requestParams);
}
int buildRequestLevels(FrameBuffer& out, const DeviceRecord& r) {
    return buildRequest(out, r.uid, cmd::requestLevels);
}
int buildRequestRouting(FrameBuffer& out, const DeviceRecord& r) {
    return buildRequest(out, r.uid, cmd::requestRouting);
}
int buildRequestGains(FrameBuffer& out, const DeviceRecord& r) {
    return buildRequest(out, r.uid, cmd::requestGains);
}

int buildSetParam(FrameBuffer& out, const DeviceRecord& r, int parameter) {
    FrameWriter w(out, r.uid, cmd::setParams);
    if (parameter >= 0 && parameter <= param::last) {
        w.pair(parameter, parameter == param::model ? r.model : r.at(parameter));
    }
    return w.finish();
}

int buildSetLedDimEdit(FrameBuffer& out, const DeviceRecord& r) {
    FrameWriter w(out, r.uid, cmd::setParams);
    w.pair(param::ledDim1, r.ledDimEdit1);
    w.pair(param::ledDim2, r.ledDimEdit2);
    return w.finish();
}

int buildSetDisplay(FrameBuffer& out, const DeviceRecord& r) {
    FrameWriter w(out, r.uid, cmd::setParams);
    if (r.model == 18 || r.model == 19) {
        w.pair(param::aesOptions, r.at(param::statusLeds));
    } else {
        w.pair(param::ledDim1, r.at(param::ledDim1));
        w.pair(param::ledDim2, r.at(param::ledDim2));
    }
    return w.finish();
}

int buildSetCalibration(FrameBuffer& out, const DeviceRecord& r) {
    FrameWriter w(out, r.uid, cmd::setParams);
    w.pair(param::calibration1High, static_cast<std::uint8_t>((r.calibration1 >> 7) & 0x7F));
    w.pair(param::calibration1Low, static_cast<std::uint8_t>(r.calibration1 & 0x7F));
    w.pair(param::calibration2High, static_cast<std::uint8_t>((r.calibration2 >> 7) & 0x7F));
    w.pair(param::calibration2Low, static_cast<std::uint8_t>(r.calibration2 & 0x7F));
    w.pair(param::calibrationOptions, r.at(param::calibrationOptions));
    return w.finish(kCalibrationEnd);
}

int buildSetCalibration2(FrameBuffer& out, const DeviceRecord& r) {
    FrameWriter w(out, r.uid, cmd::setParams);
    w.pair(param::calibration2High, static_cast<std::uint8_t>((r.calibration2 >> 7) & 0x7F));
    w.pair(param::calibration2Low, static_cast<std::uint8_t>(r.calibration2 & 0x7F));
    return w.finish(kCalibrationEnd);
}

int buildSetRoutingAll(FrameBuffer& out, const DeviceRecord& r) {
    return buildSetRoutingRange(out, r, packRoutingRange(0, kWireRouteSlots - 1));
}

int buildSetRoutingRange(FrameBuffer& out, const DeviceRecord& r, int packedFirstLast) {
    // The packed last slot can name up to 255, but only 192 slots exist on the wire
    // and 256 entries would not fit the send buffer.
    const int first = packedFirstLast >> 8;
    const int last = std::min(packedFirstLast & 0xFF, kWireRouteSlots - 1);
    FrameWriter w(out, r.uid, cmd::setRouting);
    for (int slot = std::max(first, 0); slot <= last; ++slot) {
        w.routingEntry(r, slot);
    }
    return w.finish();
}

int buildSetInputGain(FrameBuffer& out, const DeviceRecord& r, int input) {
    return buildGainEntries(out, r, kInputGainBase, r.inputGain, input, 1);
}
int buildSetInputGains(FrameBuffer& out, const DeviceRecord& r) {
    return buildGainEntries(out, r, kInputGainBase, r.inputGain, 0, kInputCount);
}
int buildSetInputSwitch(FrameBuffer& out, const DeviceRecord& r, int input) {
    return buildGainEntries(out, r, kInputSwitchBase, r.inputSwitch, input, 1);
}
int buildSetInputSwitches(FrameBuffer& out, const DeviceRecord& r) {
    return buildGainEntries(out, r, kInputSwitchBase, r.inputSwitch, 0, kInputCount);
}
int buildSetChannelGain(FrameBuffer& out, const DeviceRecord& r, int channel) {
    return buildGainEntries(out, r, kChannelGainBase, r.channelGain, channel, 1);
}
int buildSetChannelGains(FrameBuffer& out, const DeviceRecord& r) {
    return buildGainEntries(out, r, kChannelGainBase, r.channelGain, 0, kChannelGainCount);
}

namespace {

using Builder = std::function<int(FrameBuffer&)>;

std::vector<SequenceStep> buildSequence(std::initializer_list<std::pair<Builder, int>> steps) {
    std::vector<SequenceStep> out;
    FrameBuffer buffer{};
    for (const auto& [build, pause] : steps) {
        const int length = build(buffer);
        out.push_back({{buffer.begin(), buffer.begin() + length}, pause});
    }
    return out;
}

} // namespace

std::vector<SequenceStep> sendAllSettingsSequence(const DeviceRecord& c) {
    auto setParam = [&c](int p) { return [&c, p](FrameBuffer& b) { return buildSetParam(b, c, p); }; };
    return buildSequence({
        {setParam(param::clockRate), 20},
        {setParam(param::ioOptions), 20},
        {setParam(param::routingA), 20},
        {setParam(param::routingB), 20},
        {setParam(param::srcEnable), 20},
        {setParam(param::fanSlowTemp), 20},
        {setParam(param::fanFastTemp), 20},
        {setParam(param::madiFormat), 20},
        {setParam(param::remoteOptions), 20},
        {setParam(param::delayOptions), 20},
        {[&c](FrameBuffer& b) { return buildSetDisplay(b, c); }, 20},
    });
}

std::vector<SequenceStep> identifySequence(const DeviceRecord& c) {
    return buildSequence({{[&c](FrameBuffer& b) { return buildSetParam(b, c, param::remoteOptions); }, 20}});
}

std::vector<SequenceStep> calibrationSequence(const DeviceRecord& c) {
    return buildSequence({
        {[&c](FrameBuffer& b) { return buildSetCalibration(b, c); }, 50},
        {[&c](FrameBuffer& b) { return buildSetCalibration2(b, c); }, 20},
    });
}

} // namespace varento
