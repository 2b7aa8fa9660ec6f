#pragma once

#include <optional>

namespace varento {

// What one tick of the 100 ms poll timer asks the session to do.
enum class PollRequest { None, Discover, Parameters, Levels, Routing, Gains };

struct PollStep {
    PollRequest request = PollRequest::None;
    // Discovery: the daemon whose units the answer will be stamped with.
    std::optional<int> searchDaemon;
    // Sweep: select this daemon (restart its data socket) before asking.
    std::optional<int> selectDaemon;
    // Sweep found nothing: the selected daemon goes back to 0 without a restart.
    bool resetSelectedDaemon = false;
    // Sweep finished with units: select the unit chosen in the device selector.
    bool selectUnitFromSelector = false;
    // Gathering: select the n-th (from 1) online device list entry first.
    std::optional<int> gatherUnit;
    bool clearShadow = false;
};

// Everything outside the engine that a tick depends on.
struct PollContext {
    bool bulkTransfer = false;
    int discoveredCount = 0;
    int daemonCount = 0;
    int selectedDaemon = 0;
};

// The conversation with the units as a pure state machine: discovery (6), the
// sweep over several daemons (7), gathering (8..10) and steady polling (1, 2, 4, 5).
// At most one request is outstanding; an unanswered one is followed after six ticks.
class PollEngine {
public:
    static constexpr int kWaitTicks = 5;

    // Begins discovery after a link was opened (7 when several daemons answer).
    void beginDiscovery(bool severalDaemons);
    // Restart without disconnecting; the caller clears the discovered units.
    void restartDiscovery() { pollPhase = 6; }

    PollStep tick(const PollContext& context);

    // A reply was handled (change code 0..5). Returns true when it was the gains
    // reply that ends the gathering of the last unit.
    bool dataArrived(int changeCode, int discoveredCount);
    // A discovery answer found an online unit.
    void discoveryAnswered(bool networkLink);

    // Whether the top bar shows its gathering text; never while daemons are swept.
    bool gathering(int discoveredCount) const {
        return pollPhase != 7 && gatheringIndex < discoveredCount;
    }

    int pollPhase = 0;
    int pendingMark = 0;
    int waitCounter = 0;
    int levelCounter = 0;
    int gatheringIndex = 0;

private:
    PollStep sweep(const PollContext& context);
};

} // namespace varento
