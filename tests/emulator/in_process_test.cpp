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

class Application {
public:
    explicit Application(EmulatedWire& wire) : wire_(wire) { resetToPowerOnDefaults(current); }

    // Sends one frame and applies every reply; returns the change codes notified.
    std::vector<int> exchange(int length) {
        std::vector<int> codes;
        const Delivery d =
            wire_.receive(std::span(buffer.data(), static_cast<std::size_t>(length)));
        for (const Outgoing& out : d.frames) {
            delays.push_back(out.delay);
            const FrameOutcome o = handleFrame(out.frame, current, shadow, discovered);
            EXPECT_EQ(o.result, frame_result::accepted);
            if (o.notify) {
                codes.push_back(o.changeCode);
            }
        }
        return codes;
    }

    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList discovered;
    FrameBuffer buffer{};
    std::vector<milliseconds> delays;

private:
    EmulatedWire& wire_;
};

} // namespace

TEST(InProcess, DiscoverGatherPollAndEditLikeTheApplication) {
    EmulatedWire wire(defaultUnits());
    Application app(wire);
    EXPECT_EQ(app.exchange(buildDiscover(app.buffer)), std::vector<int>{change::unitList});
    ASSERT_EQ(app.discovered.count(), 3);

    // Gathering: every unit's parameters, routing and gains, shadow cleared between units.
    for (const DeviceRecord& node : app.discovered) {
        ASSERT_EQ(app.discovered.select(node.uid, app.current), 0);
        clearShadow(app.shadow);
        EXPECT_EQ(app.exchange(buildRequestParams(app.buffer, app.current)),
                  std::vector<int>{change::parameters});
        EXPECT_EQ(app.exchange(buildRequestRouting(app.buffer, app.current)),
                  std::vector<int>{change::routing});
        EXPECT_EQ(app.exchange(buildRequestGains(app.buffer, app.current)),
                  std::vector<int>{change::gains});
        EXPECT_EQ(app.current.model, node.model);
    }

    // Polling the LC: meters move between level requests, a repeat of the
    // parameters reports no change.
    ASSERT_EQ(app.discovered.select(defaultUnits()[2].uid, app.current), 0);
    EXPECT_EQ(app.exchange(buildRequestParams(app.buffer, app.current)),
              std::vector<int>{change::none});
    EXPECT_EQ(app.exchange(buildRequestLevels(app.buffer, app.current)),
              std::vector<int>{change::levels});
    const auto before = app.current.levelDb;
    wire.advance(milliseconds(500));
    app.exchange(buildRequestLevels(app.buffer, app.current));
    EXPECT_NE(app.current.levelDb, before);

    // A routing edit (output 1 unrouted) shows in the next routing reply and on its meter.
    app.current.routeSource[1] = kNoSource;
    EXPECT_TRUE(app.exchange(buildSetRoutingRange(app.buffer, app.current, packRoutingRange(1, 1)))
                    .empty());
    clearShadow(app.shadow);
    EXPECT_EQ(app.exchange(buildRequestRouting(app.buffer, app.current)),
              std::vector<int>{change::routing});
    EXPECT_EQ(app.current.routeSource[1], kNoSource);
    app.exchange(buildRequestLevels(app.buffer, app.current));
    EXPECT_EQ(app.current.levelDb[1], -255.0f);
    EXPECT_TRUE(app.delays.size() > 10 && app.delays.back() == milliseconds(0));
}

TEST(InProcess, FaultsReachTheApplicationAsData) {
    FaultPlan plan;
    plan.delay = milliseconds(80);
    plan.dropEvery = 2;
    EmulatedWire wire(defaultUnits(), plan);
    Application app(wire);
    app.current.uid = defaultUnits()[0].uid;
    EXPECT_EQ(app.exchange(buildRequestParams(app.buffer, app.current)).size(), 1u);
    EXPECT_TRUE(app.exchange(buildRequestParams(app.buffer, app.current)).empty()); // dropped
    EXPECT_EQ(app.delays, std::vector<milliseconds>{milliseconds(80)});
}
