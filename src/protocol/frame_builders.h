#pragma once

#include "protocol/device_record.h"
#include "protocol/frame.h"

#include <cstdint>
#include <vector>

namespace varento {

// Every builder writes one complete frame at the start of `out` and returns its length.
int buildDiscover(FrameBuffer& out);
int buildRequestParams(FrameBuffer& out, const DeviceRecord& record);
int buildRequestLevels(FrameBuffer& out, const DeviceRecord& record);
int buildRequestRouting(FrameBuffer& out, const DeviceRecord& record);
int buildRequestGains(FrameBuffer& out, const DeviceRecord& record);

// One pair: the parameter number and its byte as stored.
int buildSetParam(FrameBuffer& out, const DeviceRecord& record, int parameter);
int buildSetLedDimEdit(FrameBuffer& out, const DeviceRecord& record);
int buildSetDisplay(FrameBuffer& out, const DeviceRecord& record);
int buildSetCalibration(FrameBuffer& out, const DeviceRecord& record);
int buildSetCalibration2(FrameBuffer& out, const DeviceRecord& record);

int buildSetRoutingAll(FrameBuffer& out, const DeviceRecord& record);
// First and last slot packed as one integer: last in bits 0..7, first above.
constexpr int packRoutingRange(int first, int last) { return (first << 8) | (last & 0xFF); }
int buildSetRoutingRange(FrameBuffer& out, const DeviceRecord& record, int packedFirstLast);

int buildSetInputGain(FrameBuffer& out, const DeviceRecord& record, int input);
int buildSetInputGains(FrameBuffer& out, const DeviceRecord& record);
int buildSetInputSwitch(FrameBuffer& out, const DeviceRecord& record, int input);
int buildSetInputSwitches(FrameBuffer& out, const DeviceRecord& record);
int buildSetChannelGain(FrameBuffer& out, const DeviceRecord& record, int channel);
int buildSetChannelGains(FrameBuffer& out, const DeviceRecord& record);

// A frame of a multi-message send and the pause that follows it.
struct SequenceStep {
    std::vector<std::uint8_t> frame;
    int pauseAfterMs = 0;
};

// The frames of "send all settings", in order, each followed by 20 ms.
std::vector<SequenceStep> sendAllSettingsSequence(const DeviceRecord& current);
std::vector<SequenceStep> identifySequence(const DeviceRecord& current);
std::vector<SequenceStep> calibrationSequence(const DeviceRecord& current);

} // namespace varento
