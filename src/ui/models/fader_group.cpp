#include "ui/models/fader_group.h"

#include <QElapsedTimer>

namespace varento {

namespace {

FaderGroup::Clock monotonicClock() {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

} // namespace

FaderGroup::FaderGroup(Clock clock, QObject* parent)
    : QObject(parent), clock_(clock ? std::move(clock) : monotonicClock()) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &FaderGroup::runDue);
}

void FaderGroup::attach(const std::vector<FaderModel*>& faders) {
    faders_ = faders;
    selected_.assign(faders_.size(), false);
    anchor_.reset();
    for (int index = 0; index < count(); ++index) {
        FaderModel* fader = faders_[static_cast<size_t>(index)];
        connect(fader, &FaderModel::moved, this,
                [this, index](int delta) { onMoved(index, delta); });
        connect(fader, &FaderModel::commit, this, [this, index] { onCommit(index); });
        connect(fader, &FaderModel::labelChanged, this,
                [this, index] { emit labelChanged(index); });
        connect(fader, &FaderModel::clearSelectionRequested, this, &FaderGroup::clearSelection);
        connect(fader, &FaderModel::selectAnchorRequested, this,
                [this, index] { addAndFocus(index); });
        connect(fader, &FaderModel::extendSelectionRequested, this,
                [this, index] { selectRange(index); });
        connect(fader, &FaderModel::toggleSelectionRequested, this, [this, index] {
            if (isSelected(index)) {
                remove(index);
            } else {
                add(index);
            }
        });
        connect(fader, &FaderModel::selectAllRequested, this, &FaderGroup::selectAll);
        connect(fader, &FaderModel::neighbourRequested, this, [this, index](int id) {
            // The next shown fader that way; none past the last shown one.
            const int step = indexOfId(id) < index ? -1 : 1;
            int neighbour = indexOfId(id);
            while (neighbour >= 0 && neighbour < count() && !isShown(neighbour)) {
                neighbour += step;
            }
            if (neighbour >= 0 && neighbour < count()) {
                clearSelection();
                addAndFocus(neighbour);
            }
        });
    }
}

void FaderGroup::setShown(const std::vector<bool>& shown) {
    shown_ = shown;
    for (int index = 0; index < count(); ++index) {
        if (!isShown(index)) {
            setFlag(index, false);
            if (anchor_ == index) {
                anchor_.reset();
            }
        }
    }
}

bool FaderGroup::isShown(int index) const {
    return index >= 0 && index < count() &&
           (static_cast<size_t>(index) >= shown_.size() || shown_[static_cast<size_t>(index)]);
}

bool FaderGroup::isSelected(int index) const {
    return index >= 0 && index < count() && selected_[static_cast<size_t>(index)];
}

void FaderGroup::clearSelection() {
    for (int index = 0; index < count(); ++index) {
        setFlag(index, false);
    }
    anchor_.reset();
}

void FaderGroup::add(int index) {
    if (!isShown(index)) {
        return;
    }
    setFlag(index, true);
    anchor_ = index;
}

void FaderGroup::addAndFocus(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    add(index);
    emit focusRequested(index);
}

void FaderGroup::remove(int index) {
    if (index >= 0 && index < count()) {
        setFlag(index, false);
    }
}

void FaderGroup::selectRange(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    const std::optional<int> from = anchor_;
    clearSelection();
    const int first = from ? qMin(*from, index) : index;
    const int last = from ? qMax(*from, index) : index;
    for (int i = first; i <= last; ++i) {
        setFlag(i, isShown(i));
    }
    anchor_ = index;
}

void FaderGroup::selectAll() {
    for (int index = 0; index < count(); ++index) {
        setFlag(index, isShown(index));
        if (isShown(index)) {
            anchor_ = index; // the last shown one
        }
    }
}

void FaderGroup::restoreSelection(const std::vector<bool>& flags, std::optional<int> anchor) {
    for (int index = 0; index < count(); ++index) {
        setFlag(index, isShown(index) && static_cast<size_t>(index) < flags.size() &&
                           flags[static_cast<size_t>(index)]);
    }
    anchor_ = anchor && *anchor >= 0 && *anchor < count() ? anchor : std::nullopt;
}

void FaderGroup::runDue() {
    if (!deadline_) {
        return;
    }
    const qint64 now = clock_();
    if (now < *deadline_) {
        wake_.start(static_cast<int>(*deadline_ - now));
        return;
    }
    deadline_.reset();
    wake_.stop();
    emit commitAll();
}

void FaderGroup::finishGroupMove(bool commit) {
    if (!deadline_) {
        return;
    }
    deadline_.reset();
    wake_.stop();
    if (commit) {
        emit commitAll();
    }
}

int FaderGroup::indexOfId(int id) const {
    for (int index = 0; index < count(); ++index) {
        if (faders_[static_cast<size_t>(index)]->id() == id) {
            return index;
        }
    }
    return -1;
}

void FaderGroup::setFlag(int index, bool on) {
    selected_[static_cast<size_t>(index)] = on;
    faders_[static_cast<size_t>(index)]->setSelected(on);
}

void FaderGroup::onMoved(int index, int delta) {
    if (delta == 0) {
        return;
    }
    bool followed = false;
    for (int other = 0; other < count(); ++other) {
        if (other != index && isSelected(other)) {
            faders_[static_cast<size_t>(other)]->addOffset(delta);
            followed = true;
            emit valueMoved(other);
        }
    }
    emit valueMoved(index);
    if (followed || groupMovePending()) {
        deadline_ = clock_() + kGroupCommitDelayMs;
        wake_.start(kGroupCommitDelayMs);
    }
}

void FaderGroup::onCommit(int index) {
    if (!groupMovePending()) {
        emit commitOne(index);
    }
}

} // namespace varento
