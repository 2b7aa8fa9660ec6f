#pragma once

#include <optional>

namespace varento {

// What one tick of the 100 ms poll timer asks the session to do.
enum class PollRequest { None, Discover, Parameters, Levels, Routing, Gains };

// What the next tick does. The numbers are the ones the units' documentation
// and the pending mark use.
enum class PollPhase {
    Idle = 0,
    Parameters = 1,
    Routing = 2, // one routing request, then back into the cycle
    Gains = 4,
    Levels = 5,
    Discover = 6,
    SweepDaemons = 7, // discovery over several network daemons
    GatherParameters = 8,
    GatherRouting = 9,
    GatherGains = 10,
};

struct PollStep {
    PollRequest request = PollRequest::None;
    // Discovery: the daemon whose units the answer will be stamped with.
    std::optional<int> searchDaemon;
    // Sweep: select this daemon (restart its data socket) before asking.
    std::optional<int> selectDaemon;
    // Sweep found nothing: the selected daemon goes back to 0 without a restart.
    bool resetSelectedDaemon = false;
    // Sweep finished with units: the selector is filled, the unit shown stays.
    bool sweepFoundUnits = false;
    // Gathering: read the n-th (from 1) online device list entry from here on.
    std::optional<int> gatherUnit;
    // The last unit's gains were asked for and no reply ended the gathering: end
    // it now, before this tick's request.
    bool endGathering = false;
};

// Everything outside the engine that a tick depends on.
struct PollContext {
    bool bulkTransfer = false;
    int discoveredCount = 0;
    int daemonCount = 0;
    int selectedDaemon = 0;
};

// The conversation with the units as a pure state machine: discovery, the sweep
// over several daemons, gathering and steady polling. At most one request is
// outstanding; an unanswered one is followed after six ticks.
class PollEngine {
public:
    static constexpr int kWaitTicks = 5;

    // Begins discovery after a link was opened (a sweep when several daemons answer).
    void beginDiscovery(bool severalDaemons);

    // Named turns of the steady conversation, for the session and its front
    // ends. Discovery and gathering are not cut short by them: a unit that is
    // not read to its end would never be.
    void askRoutingNext() { askNext(PollPhase::Routing); }
    void askParametersNext() { askNext(PollPhase::Parameters); }
    void askGainsNext() { askNext(PollPhase::Gains); }
    void askLevelsNext() { askNext(PollPhase::Levels); }

    PollStep tick(const PollContext& context);

    // A reply was handled (change code 0..5). Returns true when it was the gains
    // reply that ends the gathering of the last unit.
    bool dataArrived(int changeCode, int discoveredCount);
    // A discovery answer found an online unit.
    void discoveryAnswered(bool networkLink);

    PollPhase phase() const { return phase_; }
    int pendingMark() const { return pendingMark_; }
    int gatheringIndex() const { return gatheringIndex_; }
    // Discovery or the daemon sweep is running.
    bool discovering() const {
        return phase_ == PollPhase::Discover || phase_ == PollPhase::SweepDaemons;
    }
    // Daemons are asked one after the other; an answer does not end the sweep.
    bool sweeping() const { return phase_ == PollPhase::SweepDaemons; }
    // Whether the top bar shows its gathering text; never while daemons are swept.
    bool gathering(int discoveredCount) const {
        return phase_ != PollPhase::SweepDaemons && gatheringIndex_ < discoveredCount;
    }

private:
    PollStep sweep(const PollContext& context);
    void askNext(PollPhase phase) {
        if (phase_ < PollPhase::Discover) {
            phase_ = phase;
        }
    }

    PollPhase phase_ = PollPhase::Idle;
    int pendingMark_ = 0;
    int waitCounter_ = 0;
    int levelCounter_ = 0;
    int gatheringIndex_ = 0;
    bool endPending_ = false; // the last unit's gains were asked; gathering not ended yet
    int sweepNext_ = 0;       // position of the daemon the sweep asks next
};

} // namespace varento
