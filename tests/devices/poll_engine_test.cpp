#include "devices/poll_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varento;

namespace {

char letter(PollRequest r) {
    switch (r) {
    case PollRequest::None:
        return '.';
    case PollRequest::Discover:
        return 'D';
    case PollRequest::Parameters:
        return 'P';
    case PollRequest::Levels:
        return 'L';
    case PollRequest::Routing:
        return 'R';
    case PollRequest::Gains:
        return 'G';
    }
    return '?';
}

// Runs ticks, answering each request at once when `answered` is set, and returns
// the requests as letters ('.' for a tick that sent nothing).
std::string run(PollEngine& engine, int ticks, bool answered, PollContext context = {}) {
    std::string out;
    for (int i = 0; i < ticks; ++i) {
        const PollStep step = engine.tick(context);
        out += letter(step.request);
        if (answered && step.request != PollRequest::None) {
            const int code = step.request == PollRequest::Gains ? 4 : 1;
            engine.dataArrived(code, context.discoveredCount);
        }
    }
    return out;
}

} // namespace

TEST(PollEngine, SteadyStateCycleOfEighteen) {
    PollEngine engine;
    engine.askParametersNext();
    const std::string cycle = "PLLLLLPLLLLLLLLLLG";
    EXPECT_EQ(run(engine, 54, true), cycle + cycle + cycle);
}

TEST(PollEngine, UnansweredRequestIsFollowedOnTheSixthTick) {
    PollEngine engine;
    engine.askParametersNext();
    EXPECT_EQ(run(engine, 13, false), "P.....L.....L");
}

TEST(PollEngine, RoutingOnDemandReturnsIntoTheCycle) {
    PollEngine engine;
    engine.askParametersNext();
    run(engine, 3, true); // P L L
    engine.askRoutingNext();
    EXPECT_EQ(run(engine, 5, true), "RLLLP");
}

TEST(PollEngine, NothingDuringBulkTransfer) {
    PollEngine engine;
    engine.askParametersNext();
    PollContext busy;
    busy.bulkTransfer = true;
    EXPECT_EQ(run(engine, 20, true, busy), std::string(20, '.'));
    EXPECT_EQ(engine.phase(), PollPhase::Parameters);
    EXPECT_EQ(run(engine, 1, true), "P");
}

TEST(PollEngine, DiscoveryRepeatsUntilAnswered) {
    PollEngine engine;
    engine.beginDiscovery(false);
    PollContext context;
    context.selectedDaemon = 0;
    std::string out;
    for (int i = 0; i < 13; ++i) {
        const PollStep step = engine.tick(context);
        out += letter(step.request);
        if (step.request == PollRequest::Discover) {
            EXPECT_EQ(step.searchDaemon, 0);
        }
    }
    EXPECT_EQ(out, "D.....D.....D");
    engine.discoveryAnswered(false);
    EXPECT_EQ(engine.phase(), PollPhase::GatherParameters);
    EXPECT_EQ(engine.pendingMark(), 0);
}

TEST(PollEngine, GatheringAsksEveryUnitThenPolls) {
    PollEngine engine;
    engine.beginDiscovery(false);
    PollContext context;
    context.discoveredCount = 2;
    engine.tick(context);
    engine.discoveryAnswered(false);

    std::vector<int> gathered;
    std::string out;
    bool ended = false;
    for (int i = 0; i < 7; ++i) {
        const PollStep step = engine.tick(context);
        out += letter(step.request);
        if (step.gatherUnit) {
            gathered.push_back(*step.gatherUnit);
            EXPECT_TRUE(engine.gathering(context.discoveredCount) || *step.gatherUnit == 2);
        }
        const int code = step.request == PollRequest::Gains ? 4 : 1;
        ended = engine.dataArrived(code, context.discoveredCount);
        EXPECT_EQ(ended, i == 5) << "tick " << i;
    }
    EXPECT_EQ(out, "PRGPRGP");
    EXPECT_EQ(gathered, (std::vector<int>{1, 2}));
    EXPECT_FALSE(engine.gathering(context.discoveredCount));
}

TEST(PollEngine, UnansweredGatheringMovesOn) {
    PollEngine engine;
    engine.beginDiscovery(false);
    PollContext context;
    context.discoveredCount = 1;
    engine.tick(context);
    engine.discoveryAnswered(false);
    EXPECT_EQ(run(engine, 19, false, context), "P.....R.....G.....P");
}

TEST(PollEngine, SweepAsksEachDaemonOnceThenGathersEveryUnit) {
    PollEngine engine;
    engine.beginDiscovery(true);
    PollContext context;
    context.daemonCount = 2;
    context.selectedDaemon = 0;

    PollStep step = engine.tick(context);
    EXPECT_EQ(step.request, PollRequest::Discover);
    EXPECT_EQ(step.selectDaemon, 0);
    // A unit answers on daemon 0; the answer does not end the sweep.
    context.discoveredCount = 1;
    engine.discoveryAnswered(true);
    EXPECT_EQ(engine.phase(), PollPhase::SweepDaemons);
    EXPECT_FALSE(engine.gathering(context.discoveredCount)); // gathering text stays hidden

    EXPECT_EQ(run(engine, 5, false, context), ".....");
    step = engine.tick(context);
    EXPECT_EQ(step.selectDaemon, 1);
    EXPECT_EQ(step.searchDaemon, 1);
    context.selectedDaemon = 1;
    context.discoveredCount = 3;

    EXPECT_EQ(run(engine, 5, false, context), ".....");
    step = engine.tick(context);
    EXPECT_EQ(step.request, PollRequest::None);
    EXPECT_TRUE(step.sweepFoundUnits);
    EXPECT_EQ(engine.phase(), PollPhase::GatherParameters);
    EXPECT_TRUE(engine.gathering(context.discoveredCount));

    std::string out = run(engine, 9, true, context);
    EXPECT_EQ(out, "PRGPRGPRG");
    EXPECT_EQ(engine.phase(), PollPhase::Parameters);
}

// A discovery replaced by a sweep (a daemon announced meanwhile): the answer to
// the old request comes before the sweep has asked anyone and does not cut the
// sweep short, or the new daemon's units would never be asked for.
TEST(PollEngine, AnAnswerBeforeTheSweepsFirstTurnLeavesTheSweepRunning) {
    PollEngine engine;
    engine.beginDiscovery(false);
    PollContext context;
    context.daemonCount = 1;
    EXPECT_EQ(engine.tick(context).request, PollRequest::Discover);
    context.daemonCount = 2;
    engine.beginDiscovery(true);
    context.discoveredCount = 1;
    engine.discoveryAnswered(true);
    EXPECT_TRUE(engine.sweeping());
    std::vector<int> asked;
    for (int i = 0; i < 13; ++i) {
        const PollStep step = engine.tick(context);
        if (step.selectDaemon) {
            asked.push_back(*step.selectDaemon);
        }
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 1}));
    EXPECT_EQ(engine.phase(), PollPhase::GatherParameters);
}

TEST(PollEngine, EmptySweepStartsAgainAtDaemonZero) {
    PollEngine engine;
    engine.beginDiscovery(true);
    PollContext context;
    context.daemonCount = 2;
    std::vector<int> asked;
    for (int i = 0; i < 30; ++i) {
        const PollStep step = engine.tick(context);
        if (step.selectDaemon) {
            asked.push_back(*step.selectDaemon);
            context.selectedDaemon = *step.selectDaemon;
        }
        if (step.resetSelectedDaemon) {
            context.selectedDaemon = 0;
        }
        EXPECT_FALSE(step.sweepFoundUnits);
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 0, 1, 0}));
}

// Gathering must end even when the last unit's gains reply never comes, comes
// empty, or comes late: otherwise the last unit stays current behind the selector.
TEST(PollEngine, GatheringEndsWhateverTheLastGainsReplyDid) {
    const auto gatherOneUnit = [](PollEngine& engine, const PollContext& context) {
        engine.beginDiscovery(false);
        engine.tick(context);
        engine.discoveryAnswered(false);
        for (const char expected : std::string("PRG")) {
            const PollStep step = engine.tick(context);
            EXPECT_EQ(letter(step.request), expected);
            EXPECT_FALSE(step.endGathering);
            if (expected != 'G') {
                engine.dataArrived(expected == 'P' ? 1 : 2, context.discoveredCount);
            }
        }
    };
    PollContext context;
    context.discoveredCount = 1;

    PollEngine lost;
    gatherOneUnit(lost, context);
    EXPECT_EQ(run(lost, 5, false, context), ".....");
    PollStep step = lost.tick(context);
    EXPECT_TRUE(step.endGathering);
    EXPECT_EQ(step.request, PollRequest::Parameters);
    EXPECT_FALSE(lost.tick(context).endGathering);

    PollEngine empty;
    gatherOneUnit(empty, context);
    EXPECT_FALSE(empty.dataArrived(0, context.discoveredCount));
    EXPECT_TRUE(empty.tick(context).endGathering);

    PollEngine answered;
    gatherOneUnit(answered, context);
    EXPECT_TRUE(answered.dataArrived(4, context.discoveredCount));
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(answered.tick(context).endGathering);
    }
}
