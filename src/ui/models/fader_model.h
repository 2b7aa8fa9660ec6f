#pragma once

#include <QObject>
#include <QString>
#include <Qt>

#include <optional>

namespace varento {

// The rules of one fader, without drawing: where the knob may stand, what value a
// position means, the text shown for it, and what each mouse, wheel and key input
// does. Both fader kinds share this one class; the widget only draws and forwards.
//
// Coordinates are window pixels of the fader (label box at the top, y 0..19).
// Positions are the knob's top edge; the knob is kKnobHeight tall.
//
// The model never reads a clock. Whoever drives it (the widget, or a test) calls
// advanceTo() with the current time in milliseconds before each input and when
// nextDeadline() is reached; scheduleChanged() tells the driver the deadline moved.
//
// Owner side: connect moved(), commit() and labelChanged() to turn the user's
// changes into unit edits, connect the selection requests to the owner's
// selection, and set the position, selection, activity, PAD and display options
// from the unit's state. The owner's setters only emit changed(), never moved()
// or commit(), so setting a fader from the unit does not echo back to it.
class FaderModel : public QObject {
    Q_OBJECT

public:
    enum class Kind {
        Gain,  // "Fader": microphone pre-amplifier gain, 8..63 dB
        Level, // "Fader Long": output level, +18 dB down to OFF
    };

    static constexpr int kKnobHeight = 36;
    static constexpr int kLabelLimit = 16;
    static constexpr int kCommitIntervalMs = 100;
    static constexpr int kPopupAfterPointerMs = 2500;
    static constexpr int kPopupAfterKeyMs = 1500;
    static constexpr int kHoverFirstMs = 400; // the system's default hover time
    static constexpr int kHoverMs = 200;

    FaderModel(Kind kind, int id, QObject* parent = nullptr);

    Kind kind() const { return kind_; }
    int id() const { return id_; }

    // ---- geometry of the kind ----
    int height() const;        // window height: 240 or 272
    int topLimit() const;      // 20 or 21
    int bottomLimit() const;   // 185 or 214
    int step() const;          // wheel and arrow step: 3 or 2
    int unityPosition() const; // 95 or 57
    int valueBoxTop() const;   // 219 or 252
    bool knobContains(int y) const { return position_ < y && y < position_ + kKnobHeight; }

    // ---- values ----
    // Gain in dB at a "Fader" position (computed in single precision as the unit expects).
    static int gainAt(int position);
    // The position of a unit gain; gainAt(gainPosition(g)) == g for 8..63, gains
    // beyond that stand at the ends.
    static int gainPosition(int gain);
    // Output level in dB at a "Fader Long" position; below -90 means off.
    static int levelAt(int position);
    // The position of a unit level, held to the travel: 57 - 2a down to -69, 123 - a
    // below. -69..-71, which the scale skips, read back as -72 / -68 / -68.
    static int levelPosition(int level);

    int gainValue() const { return gainAt(position_); }
    int levelValue() const { return levelAt(position_); }
    // The value as shown in the value box and the pop-up.
    QString valueText() const;

    // ---- state the owner sets (no notifications) ----
    int position() const { return position_; }
    void setPosition(int position);
    // Moves a follower of the selection: shows the pop-up, clamps, no snapping.
    void addOffset(int delta);
    bool selected() const { return selected_; }
    void setSelected(bool on);
    bool active() const { return active_; }
    void setActive(bool on);
    // "Fader" only: the channel's PAD switch, the referenced form and its level.
    bool pad() const { return pad_; }
    void setPad(bool on);
    int displayFlags() const { return displayFlags_; }
    void setDisplayFlags(int flags);
    int referenceLevel() const { return referenceLevel_; }
    void setReferenceLevel(int level);
    QString label() const { return label_; }
    void setLabel(const QString& label); // at most kLabelLimit characters kept

    // ---- what the widget draws ----
    bool popupVisible() const { return popupVisible_; }
    bool dragging() const { return dragState_ != DragNone; }
    int lastDelta() const { return lastDelta_; }

    // ---- time ----
    qint64 now() const { return now_; }
    // Runs every timer that falls due up to `ms`, in order.
    void advanceTo(qint64 ms);
    std::optional<qint64> nextDeadline() const;

    // ---- inputs, in window pixels ----
    void leftPress(int y, Qt::KeyboardModifiers modifiers);
    void leftRelease();
    // Any pointer movement, with or without a button held.
    void pointerMove(int y);
    void pointerEnter(int y);
    void pointerLeave();
    void doubleClick(int y);
    // True when the press is on the label box: the widget then edits the label
    // and hands the result to labelEdited().
    bool rightPress(int y);
    void labelEdited(const QString& text);
    // A wheel turn in eighths of a degree (120 a notch), positive away from the
    // user: one step a whole notch, parts of a notch added up.
    static constexpr int kWheelNotch = 120;
    void wheel(int angleDelta);
    // Returns whether the key means something to a fader.
    bool keyPress(int key, Qt::KeyboardModifiers modifiers);

signals:
    // The user moved the knob by `delta` pixels (positive = down). The owner
    // moves the other selected faders by the same offset.
    void moved(int delta);
    // The change should now be sent to the unit.
    void commit();
    // The user edited the label (also when the dialog was cancelled).
    void labelChanged();

    // Requests to the owner's selection.
    void clearSelectionRequested();
    void selectAnchorRequested();    // this fader becomes the anchor and takes the focus
    void extendSelectionRequested(); // from the anchor to this fader
    void toggleSelectionRequested();
    void selectAllRequested(); // "Fader Long": every fader, anchor = the last
    // Clear the selection and make fader `id` the anchor with the focus.
    void neighbourRequested(int id);

    // Something drawn changed.
    void changed();
    void scheduleChanged();

private:
    enum DragState { DragNone = 0, Dragging = 1, Grabbed = 2 };

    int clamp(int position) const;
    int snap(int position) const;
    void moveBy(int newPosition); // records the delta for moved()
    void commitIfMoved();
    void unityToggle();
    void showPopupFor(int ms);
    void setDeadline(std::optional<qint64>& deadline, std::optional<qint64> value);

    Kind kind_;
    int id_;
    int position_;
    int committedPosition_;
    int wheelRest_ = 0;
    int unityReturnPosition_;
    int lastDelta_ = 0;
    DragState dragState_ = DragNone;
    int grabOffset_ = 0;
    bool leftDown_ = false;
    bool popupVisible_ = false;
    bool active_ = true;
    bool selected_ = false;
    bool pad_ = false;
    int displayFlags_ = 0;
    int referenceLevel_ = 0;
    QString label_;

    qint64 now_ = 0;
    int hoverY_ = 0;
    std::optional<qint64> commitAt_;
    std::optional<qint64> popupHideAt_;
    std::optional<qint64> hoverAt_;
};

} // namespace varento
