#include "devices/poll_engine.h"

namespace varento {

void PollEngine::beginDiscovery(bool severalDaemons) {
    phase_ = severalDaemons ? PollPhase::SweepDaemons : PollPhase::Discover;
    pendingMark_ = 0;
    waitCounter_ = 0;
    levelCounter_ = 0;
    gatheringIndex_ = 0;
    endPending_ = false;
    sweepNext_ = 0;
}

PollStep PollEngine::tick(const PollContext& context) {
    PollStep step;
    if (context.bulkTransfer) {
        return step;
    }
    if (pendingMark_ != 0 && waitCounter_ < kWaitTicks) {
        ++waitCounter_;
        return step;
    }
    waitCounter_ = 0;
    if (endPending_) {
        // The last gains reply was lost, late or empty: gathering ends anyway.
        endPending_ = false;
        step.endGathering = true;
    }
    switch (phase_) {
    case PollPhase::Idle:
        phase_ = PollPhase::Parameters;
        break;
    case PollPhase::Parameters:
        step.request = PollRequest::Parameters;
        pendingMark_ = 1;
        phase_ = PollPhase::Levels;
        break;
    case PollPhase::Routing:
        step.request = PollRequest::Routing;
        pendingMark_ = 2;
        phase_ = PollPhase::Levels;
        break;
    case PollPhase::Gains:
        step.request = PollRequest::Gains;
        pendingMark_ = 4;
        phase_ = PollPhase::Parameters;
        break;
    case PollPhase::Levels:
        step.request = PollRequest::Levels;
        pendingMark_ = 5;
        ++levelCounter_;
        if (levelCounter_ == 5) {
            phase_ = PollPhase::Parameters;
        } else if (levelCounter_ >= 15) {
            levelCounter_ = 0;
            phase_ = PollPhase::Gains;
        }
        break;
    case PollPhase::Discover:
        gatheringIndex_ = 0;
        pendingMark_ = 6;
        step.searchDaemon = context.selectedDaemon;
        step.request = PollRequest::Discover;
        break;
    case PollPhase::SweepDaemons:
        return sweep(context);
    case PollPhase::GatherParameters:
        step.gatherUnit = gatheringIndex_ + 1;
        ++gatheringIndex_;
        pendingMark_ = 8;
        step.request = PollRequest::Parameters;
        phase_ = PollPhase::GatherRouting;
        break;
    case PollPhase::GatherRouting:
        pendingMark_ = 9;
        step.request = PollRequest::Routing;
        phase_ = PollPhase::GatherGains;
        break;
    case PollPhase::GatherGains:
        pendingMark_ = 10;
        step.request = PollRequest::Gains;
        if (gatheringIndex_ < context.discoveredCount) {
            phase_ = PollPhase::GatherParameters;
        } else {
            ++gatheringIndex_;
            phase_ = PollPhase::Parameters;
            endPending_ = true;
        }
        break;
    }
    return step;
}

// Every sweep asks every daemon from the first one, whichever is selected when
// it begins: one send and five waiting ticks each.
PollStep PollEngine::sweep(const PollContext& context) {
    PollStep step;
    // Keeps the gathering text hidden while daemons are still being asked.
    gatheringIndex_ = context.discoveredCount;
    if (sweepNext_ < context.daemonCount) {
        pendingMark_ = 7;
        step.searchDaemon = sweepNext_;
        step.selectDaemon = sweepNext_;
        step.request = PollRequest::Discover;
        ++sweepNext_;
        return step;
    }
    pendingMark_ = 0;
    sweepNext_ = 0;
    if (context.discoveredCount == 0) {
        step.resetSelectedDaemon = true;
        return step;
    }
    // Every unit found by the sweep is gathered, as after a single discovery.
    gatheringIndex_ = 0;
    step.sweepFoundUnits = true;
    phase_ = PollPhase::GatherParameters;
    return step;
}

bool PollEngine::dataArrived(int changeCode, int discoveredCount) {
    bool endOfGathering = false;
    if (changeCode == 4 && pendingMark_ == 10 && gatheringIndex_ >= discoveredCount &&
        endPending_) {
        endOfGathering = true;
        endPending_ = false;
    }
    if (changeCode != 3 && changeCode != 6) {
        pendingMark_ = 0;
    }
    return endOfGathering;
}

void PollEngine::discoveryAnswered(bool networkLink) {
    // Also an answer that arrives between the daemons' turns (a late one, or one
    // to the discovery the sweep replaced): the sweep goes on and moves to
    // gathering itself.
    if (networkLink && sweeping()) {
        return;
    }
    phase_ = PollPhase::GatherParameters;
    pendingMark_ = 0;
}

} // namespace varento
