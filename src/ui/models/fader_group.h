#pragma once

#include "ui/models/fader_model.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace varento {

// A row of faders that the user edits together: the selection with its anchor,
// and the group move. When a selected fader moves, the other selected faders
// follow by the same offset; while such a group move goes on no single value is
// committed, and one commitAll() follows kGroupCommitDelayMs after the last step,
// so a drag over many channels costs the unit one message instead of dozens.
// The gain window and the meterbridge own one each.
//
// The group connects itself to the faders' reports and answers their selection
// requests; the owner connects to the signals below to store and send values.
// Time comes from `clock` (milliseconds, monotonic): the group wakes itself with
// a timer and runDue() commits once the clock has passed the deadline, so a test
// can step a manual clock and call runDue() itself.
class FaderGroup : public QObject {
    Q_OBJECT

public:
    static constexpr int kGroupCommitDelayMs = 150;
    using Clock = std::function<qint64()>;

    explicit FaderGroup(Clock clock = {}, QObject* parent = nullptr);

    // The owner's faders in strip order; their order is the selection's index.
    void attach(const std::vector<FaderModel*>& faders);
    int count() const { return static_cast<int>(faders_.size()); }
    FaderModel* fader(int index) const { return faders_.at(static_cast<size_t>(index)); }

    // Which faders the window shows (all, until told): navigation, select-all,
    // ranges and group moves stop at the shown ones; a hidden fader leaves the
    // selection.
    void setShown(const std::vector<bool>& shown);
    bool isShown(int index) const;

    // ---- selection ----
    bool isSelected(int index) const;
    std::optional<int> anchor() const { return anchor_; }
    void clearSelection();
    void add(int index); // becomes the anchor
    void addAndFocus(int index);
    void remove(int index);
    // Clears, then selects from the anchor to `index` (or just `index` without an
    // anchor); `index` becomes the anchor.
    void selectRange(int index);
    void selectAll(); // the last fader becomes the anchor
    std::vector<bool> selection() const { return selected_; }
    // For owners that keep one selection per unit (the gain window's pages).
    void restoreSelection(const std::vector<bool>& flags, std::optional<int> anchor);

    // ---- group move ----
    bool groupMovePending() const { return deadline_.has_value(); }
    std::optional<qint64> nextDeadline() const { return deadline_; }
    void runDue();
    // Ends a pending group move at once: with `commit`, commitAll() now instead of
    // after the delay (the owner is about to leave the unit the move was made on);
    // without, the moved values are dropped (they no longer belong to the unit).
    void finishGroupMove(bool commit);

signals:
    // The user's move changed this fader's value (the moved fader and each
    // follower): the owner takes the value into its copy of the unit's state.
    void valueMoved(int index);
    // Send this fader's value to the unit.
    void commitOne(int index);
    // A group move ended: send every value in one message.
    void commitAll();
    void labelChanged(int index);
    // Give this fader the keyboard focus (and scroll it into view).
    void focusRequested(int index);

private:
    int indexOfId(int id) const;
    void setFlag(int index, bool on);
    void onMoved(int index, int delta);
    void onCommit(int index);

    Clock clock_;
    std::vector<FaderModel*> faders_;
    std::vector<bool> selected_;
    std::vector<bool> shown_;
    std::optional<int> anchor_;
    std::optional<qint64> deadline_;
    QTimer wake_;
};

} // namespace varento
