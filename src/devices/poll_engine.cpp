#include "devices/poll_engine.h"

namespace varento {

void PollEngine::beginDiscovery(bool severalDaemons) {
    pollPhase = severalDaemons ? 7 : 6;
    pendingMark = 0;
    waitCounter = 0;
    levelCounter = 0;
    gatheringIndex = 0;
}

PollStep PollEngine::tick(const PollContext& context) {
    PollStep step;
    if (context.bulkTransfer) {
        return step;
    }
    if (pendingMark != 0 && waitCounter < kWaitTicks) {
        ++waitCounter;
        return step;
    }
    waitCounter = 0;
    switch (pollPhase) {
    case 0:
        pollPhase = 1;
        break;
    case 1:
        step.request = PollRequest::Parameters;
        pendingMark = 1;
        pollPhase = 5;
        break;
    case 2:
        step.request = PollRequest::Routing;
        pendingMark = 2;
        pollPhase = 5;
        break;
    case 4:
        step.request = PollRequest::Gains;
        pendingMark = 4;
        pollPhase = 1;
        break;
    case 5:
        step.request = PollRequest::Levels;
        pendingMark = 5;
        ++levelCounter;
        if (levelCounter == 5) {
            pollPhase = 1;
        } else if (levelCounter >= 15) {
            levelCounter = 0;
            pollPhase = 4;
        }
        break;
    case 6:
        gatheringIndex = 0;
        pendingMark = 6;
        step.searchDaemon = context.selectedDaemon;
        step.request = PollRequest::Discover;
        break;
    case 7:
        return sweep(context);
    case 8:
        step.gatherUnit = gatheringIndex + 1;
        ++gatheringIndex;
        pendingMark = 8;
        step.request = PollRequest::Parameters;
        pollPhase = 9;
        break;
    case 9:
        pendingMark = 9;
        step.request = PollRequest::Routing;
        pollPhase = 10;
        break;
    case 10:
        pendingMark = 10;
        step.request = PollRequest::Gains;
        if (gatheringIndex < context.discoveredCount) {
            pollPhase = 8;
        } else {
            ++gatheringIndex;
            pollPhase = 1;
        }
        step.clearShadow = true;
        break;
    default:
        break;
    }
    return step;
}

PollStep PollEngine::sweep(const PollContext& context) {
    PollStep step;
    // Keeps the gathering text hidden while daemons are still being asked.
    gatheringIndex = context.discoveredCount;
    const int last = context.daemonCount - 1;
    int daemon = context.selectedDaemon;
    bool finished = daemon >= last;
    if (pendingMark == 7 && !finished) {
        ++daemon; // the previous tick asked this daemon: on to the next
    }
    if (!finished) {
        pendingMark = 7;
        step.searchDaemon = daemon;
        step.selectDaemon = daemon;
        step.request = PollRequest::Discover;
        return step;
    }
    pendingMark = 0;
    if (context.discoveredCount == 0) {
        step.resetSelectedDaemon = true;
        return step;
    }
    // Every unit found by the sweep is gathered, as after a single discovery.
    gatheringIndex = 0;
    step.selectUnitFromSelector = true;
    pollPhase = 8;
    return step;
}

bool PollEngine::dataArrived(int changeCode, int discoveredCount) {
    bool endOfGathering = false;
    if (changeCode == 4 && pendingMark == 10 && gatheringIndex >= discoveredCount) {
        endOfGathering = true;
    }
    if (changeCode != 3 && changeCode != 6) {
        pendingMark = 0;
    }
    return endOfGathering;
}

void PollEngine::discoveryAnswered(bool networkLink) {
    if (networkLink && pendingMark == 7) {
        return; // the sweep goes on; it moves to gathering itself
    }
    pollPhase = 8;
    pendingMark = 0;
}

} // namespace varento
