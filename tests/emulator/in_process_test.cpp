// The in-process API as the application's demo mode and tests use it: the
// application's own builders and handler talk to an EmulatedWire, no sockets.
#include "unit/fault_injector.h"

#include "protocol/frame_builders.h"
#include "protocol/handle_frame.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::emu;
using std::chrono::milliseconds;

namespace {

struct Application {
    // Sends the frame in `buffer` and applies every reply; the change codes notified.
    std::vector<int> exchange(EmulatedWire& wire, int length) {
        std::vector<int> codes;
        for (const Outgoing& out :
             wire.receive(std::span(buffer.data(), static_cast<std::size_t>(length))).frames) {
            delays.push_back(out.delay);
            const FrameOutcome o = handleFrame(out.frame, current, shadow, discovered);
            EXPECT_EQ(o.result, frame_result::accepted);
            codes.push_back(o.changeCode);
        }
        return codes;
    }
    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList discovered;
    FrameBuffer buffer{};
    std::vector<milliseconds> delays;
};

using Codes = std::vector<int>;

} // namespace

TEST(InProcess, DiscoverGatherPollAndEditLikeTheApplication) {
    FaultPlan plan;
    plan.delay = milliseconds(80);
    EmulatedWire wire(defaultUnits(), plan);
    Application app;
    resetToPowerOnDefaults(app.current);
    auto& b = app.buffer;
    EXPECT_EQ(app.exchange(wire, buildDiscover(b)), Codes{change::unitList});
    ASSERT_EQ(app.discovered.count(), 3);
    for (const DeviceRecord& node : app.discovered) { // gathering, as after a connect
        app.current = node;
        clearShadow(app.shadow);
        EXPECT_EQ(app.exchange(wire, buildRequestParams(b, app.current)),
                  Codes{change::parameters});
        EXPECT_EQ(app.exchange(wire, buildRequestRouting(b, app.current)), Codes{change::routing});
        EXPECT_EQ(app.exchange(wire, buildRequestGains(b, app.current)), Codes{change::gains});
        EXPECT_EQ(app.current.model, node.model);
    }
    // Polling: a repeated parameter reply changes nothing; meters move with time.
    EXPECT_EQ(app.exchange(wire, buildRequestParams(b, app.current)), Codes{change::none});
    EXPECT_EQ(app.exchange(wire, buildRequestLevels(b, app.current)), Codes{change::levels});
    const auto before = app.current.levelDb;
    wire.advance(milliseconds(500));
    app.exchange(wire, buildRequestLevels(b, app.current));
    EXPECT_NE(app.current.levelDb, before);
    // A routing edit shows in the next routing reply and silences that output's meter.
    app.current.routeSource[1] = kNoSource;
    EXPECT_TRUE(
        app.exchange(wire, buildSetRoutingRange(b, app.current, packRoutingRange(1, 1))).empty());
    clearShadow(app.shadow);
    EXPECT_EQ(app.exchange(wire, buildRequestRouting(b, app.current)), Codes{change::routing});
    EXPECT_EQ(app.current.routeSource[1], kNoSource);
    app.exchange(wire, buildRequestLevels(b, app.current));
    EXPECT_EQ(app.current.levelDb[1], -255.0f);
    // Every reply carries its delay as data, for the link to schedule.
    EXPECT_EQ(app.delays, std::vector<milliseconds>(app.delays.size(), milliseconds(80)));
}
