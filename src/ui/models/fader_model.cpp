#include "ui/models/fader_model.h"

#include <cmath>

namespace varento {

namespace {

constexpr int kGainFirstId = 0;
constexpr int kGainLastId = 31;
constexpr int kLevelFirstId = 5000;
constexpr int kLevelLastId = 5063;

} // namespace

FaderModel::FaderModel(Kind kind, int id, QObject* parent)
    : QObject(parent), kind_(kind), id_(id), position_(kind == Kind::Gain ? 0 : 23),
      committedPosition_(position_),
      // Until a first toggle remembers a position, a second one stays at unity
      // instead of jumping to an arbitrary place.
      unityReturnPosition_(unityPosition()) {}

int FaderModel::height() const {
    return kind_ == Kind::Gain ? 240 : 272;
}

int FaderModel::topLimit() const {
    return kind_ == Kind::Gain ? 20 : 21;
}

int FaderModel::bottomLimit() const {
    return kind_ == Kind::Gain ? height() - 55 : height() - 58;
}

int FaderModel::step() const {
    return kind_ == Kind::Gain ? 3 : 2;
}

int FaderModel::unityPosition() const {
    return kind_ == Kind::Gain ? 95 : 57;
}

int FaderModel::valueBoxTop() const {
    return kind_ == Kind::Gain ? 219 : 252;
}

int FaderModel::gainAt(int position) {
    // Single precision on purpose: the positions of the unit's gains were chosen
    // against this rounding.
    const float value = static_cast<float>(185 - position) / 3.0f + 8.0f;
    return static_cast<int>(std::ceil(value));
}

int FaderModel::gainPosition(int gain) {
    return gain > 8 ? 209 - 3 * qMin(gain, 63) : 185;
}

int FaderModel::levelAt(int position) {
    return position < 195 ? (57 - position) / 2 : 123 - position;
}

int FaderModel::levelPosition(int level) {
    // -69..-71 fall in the scale's gap and keep the unit's own positions: -69 at
    // 195 (reads -72), -70 and -71 at 193 and 194 (read -68).
    if (level >= -69) {
        return 57 - 2 * qMin(level, 18);
    }
    return 123 - qMax(level, -91);
}

QString FaderModel::valueText() const {
    if (kind_ == Kind::Level) {
        const int level = levelValue();
        return level < -90 ? QStringLiteral("OFF") : QString::number(level);
    }
    int shown = 8 - gainValue();
    if (pad_) {
        shown += 30;
    }
    if (displayFlags_ & 1) {
        shown = referenceLevel_ - shown;
    }
    return QString::number(shown);
}

void FaderModel::setPosition(int position) {
    committedPosition_ = position;
    if (position_ != position) {
        position_ = position;
        emit changed();
    }
}

void FaderModel::addOffset(int delta) {
    showPopupFor(kPopupAfterPointerMs);
    position_ = clamp(position_ + delta);
    committedPosition_ = position_; // the leader's commit sends it
    emit changed();
}

// A knob that has not moved since its last commit sends nothing: a click on a
// fader standing where the scale has no mark, or one held still after a drag.
void FaderModel::commitIfMoved() {
    if (position_ != committedPosition_) {
        committedPosition_ = position_;
        emit commit();
    }
}

void FaderModel::setSelected(bool on) {
    if (selected_ != on) {
        selected_ = on;
        emit changed();
    }
}

void FaderModel::setActive(bool on) {
    active_ = on;
    if (!on) {
        // A drag cut short by the owner must not keep committing, and its release
        // is ignored now.
        dragState_ = DragNone;
        leftDown_ = false;
        setDeadline(commitAt_, std::nullopt);
    }
    emit changed();
}

void FaderModel::setPad(bool on) {
    pad_ = on;
    emit changed();
}

void FaderModel::setDisplayFlags(int flags) {
    displayFlags_ = flags;
    emit changed();
}

void FaderModel::setReferenceLevel(int level) {
    referenceLevel_ = level;
    emit changed();
}

void FaderModel::setLabel(const QString& label) {
    label_ = label.left(kLabelLimit);
    emit changed();
}

int FaderModel::clamp(int position) const {
    if (kind_ == Kind::Gain) {
        position = qMax(position, 20);
    } else if (position <= 20) {
        position = 21;
    }
    return qMin(position, bottomLimit());
}

int FaderModel::snap(int position) const {
    // Thirds of the gain scale; the clamped ends 20 and 185 become 21 and 186.
    switch (position % 3) {
    case 1:
        return position - 1;
    case 2:
        return position + 1;
    default:
        return position;
    }
}

void FaderModel::moveBy(int newPosition) {
    lastDelta_ = newPosition - position_;
    position_ = newPosition;
}

void FaderModel::unityToggle() {
    const int target = position_ == unityPosition() ? unityReturnPosition_ : unityPosition();
    if (position_ != unityPosition()) {
        unityReturnPosition_ = position_;
    }
    moveBy(target);
    emit moved(lastDelta_);
    emit changed();
    commitIfMoved();
}

void FaderModel::showPopupFor(int ms) {
    popupVisible_ = true;
    setDeadline(popupHideAt_, now_ + ms);
}

void FaderModel::setDeadline(std::optional<qint64>& deadline, std::optional<qint64> value) {
    if (deadline != value) {
        deadline = value;
        emit scheduleChanged();
    }
}

std::optional<qint64> FaderModel::nextDeadline() const {
    std::optional<qint64> next;
    for (const auto& deadline : {commitAt_, popupHideAt_, hoverAt_}) {
        if (deadline && (!next || *deadline < *next)) {
            next = deadline;
        }
    }
    return next;
}

void FaderModel::advanceTo(qint64 ms) {
    while (true) {
        const std::optional<qint64> next = nextDeadline();
        if (!next || *next > ms) {
            break;
        }
        now_ = qMax(now_, *next);
        if (commitAt_ == next) {
            setDeadline(commitAt_, *commitAt_ + kCommitIntervalMs);
            if (dragState_ == Dragging) {
                commitIfMoved();
            }
        } else if (popupHideAt_ == next) {
            setDeadline(popupHideAt_, std::nullopt);
            popupVisible_ = false;
            emit changed();
        } else {
            setDeadline(hoverAt_, std::nullopt);
            if (active_ && knobContains(hoverY_)) {
                showPopupFor(kPopupAfterPointerMs);
                emit changed();
            }
        }
    }
    now_ = qMax(now_, ms);
}

void FaderModel::leftPress(int y, Qt::KeyboardModifiers modifiers) {
    if (!active_) {
        return;
    }
    leftDown_ = true;
    popupVisible_ = true;
    if (modifiers & Qt::ControlModifier) {
        emit toggleSelectionRequested();
    } else if (modifiers & Qt::ShiftModifier) {
        emit extendSelectionRequested();
    } else {
        if (!selected_) {
            emit clearSelectionRequested();
        }
        emit selectAnchorRequested();
    }
    const int trackBottom = kind_ == Kind::Gain ? 220 : 249;
    if (y >= 20 && y <= trackBottom && knobContains(y)) {
        dragState_ = Grabbed;
        grabOffset_ = y - position_;
        setDeadline(commitAt_, now_ + kCommitIntervalMs);
    }
    emit changed();
}

void FaderModel::pointerMove(int y) {
    hoverY_ = y;
    setDeadline(hoverAt_, now_ + kHoverMs);
    if (!leftDown_ || !active_ || dragState_ == DragNone) {
        return;
    }
    int target = clamp(y - grabOffset_);
    if (kind_ == Kind::Gain) {
        target = snap(target);
    }
    dragState_ = Dragging;
    popupVisible_ = true;
    moveBy(target);
    emit moved(lastDelta_);
    emit changed();
}

void FaderModel::pointerEnter(int y) {
    hoverY_ = y;
    setDeadline(hoverAt_, now_ + kHoverFirstMs);
}

void FaderModel::pointerLeave() {
    setDeadline(hoverAt_, std::nullopt);
    emit changed();
}

void FaderModel::leftRelease() {
    // Also the release that ends a double-click: the output-level fader commits
    // on every release.
    if (!active_) {
        return;
    }
    setDeadline(commitAt_, std::nullopt);
    if (kind_ == Kind::Level || dragState_ == Dragging) {
        commitIfMoved();
    }
    dragState_ = DragNone;
    leftDown_ = false;
    showPopupFor(kPopupAfterPointerMs);
    emit changed();
}

void FaderModel::doubleClick(int y) {
    if (active_ && knobContains(y)) {
        unityToggle();
    }
}

bool FaderModel::rightPress(int y) {
    return active_ && y <= 20;
}

void FaderModel::labelEdited(const QString& text) {
    setLabel(text);
    emit labelChanged();
}

void FaderModel::wheel(int angleDelta) {
    if (!active_ || angleDelta == 0) {
        return;
    }
    // A touchpad sends many small deltas: only whole notches move the knob, one
    // step each, and a swipe's notches leave as one commit.
    if ((wheelRest_ > 0) != (angleDelta > 0)) {
        wheelRest_ = 0; // turned back: the part notch of the other way is dropped
    }
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / kWheelNotch;
    wheelRest_ %= kWheelNotch;
    if (notches == 0) {
        return;
    }
    int target = clamp(position_ - notches * step());
    if (kind_ == Kind::Gain) {
        target = snap(target);
    }
    moveBy(target);
    emit moved(lastDelta_);
    commitIfMoved();
    showPopupFor(kPopupAfterPointerMs);
    emit changed();
}

bool FaderModel::keyPress(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    bool known = true;
    if (active_ && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        moveBy(clamp(position_ + (key == Qt::Key_Up ? -step() : step())));
        commitIfMoved();
        emit moved(lastDelta_);
    } else if (active_ && key == Qt::Key_0 && keypad) {
        // The whole travel is reported so every selected fader reaches its bottom too.
        position_ = bottomLimit();
        lastDelta_ = bottomLimit() - 20;
        emit moved(lastDelta_);
        committedPosition_ = position_;
        emit commit(); // the followers may still be on their way down
    } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const bool left = key == Qt::Key_Left;
        const int first = kind_ == Kind::Gain ? kGainFirstId : kLevelFirstId;
        const int last = kind_ == Kind::Gain ? kGainLastId : kLevelLastId;
        if (left ? id_ != first : id_ != last) {
            emit neighbourRequested(left ? id_ - 1 : id_ + 1);
        }
    } else if (kind_ == Kind::Level && active_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        unityToggle();
    } else if (kind_ == Kind::Level && key == Qt::Key_A) {
        emit selectAllRequested();
    } else if (kind_ == Kind::Level && key == Qt::Key_C) {
        emit clearSelectionRequested();
    } else {
        known = false;
    }
    if (active_) {
        showPopupFor(kPopupAfterKeyMs);
    }
    emit changed();
    return known;
}

} // namespace varento
