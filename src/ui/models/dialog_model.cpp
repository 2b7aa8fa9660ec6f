#include "ui/models/dialog_model.h"

#include <utility>

namespace varento {

namespace {
const ControlState kMissing{false, false, false, -1, {}, {}};
} // namespace

const ControlState& DialogModel::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? kMissing : it->second;
}

std::vector<int> DialogModel::controlIds() const {
    std::vector<int> ids;
    ids.reserve(controls_.size());
    for (const auto& [id, state] : controls_) {
        ids.push_back(id);
    }
    return ids;
}

QString DialogModel::currentText(int id) const {
    const ControlState& c = control(id);
    return c.currentIndex >= 0 && c.currentIndex < c.items.size() ? c.items.at(c.currentIndex)
                                                                  : QString();
}

void DialogModel::addControl(int id, ControlState initial) {
    controls_[id] = std::move(initial);
}

template <typename F> void DialogModel::change(int id, F&& edit) {
    const auto it = controls_.find(id);
    if (it == controls_.end()) {
        return; // a control the other template has
    }
    if (edit(it->second)) {
        emit controlChanged(id);
    }
}

void DialogModel::setEnabled(int id, bool enabled) {
    change(id, [enabled](ControlState& c) { return std::exchange(c.enabled, enabled) != enabled; });
}

void DialogModel::setVisible(int id, bool visible) {
    change(id, [visible](ControlState& c) { return std::exchange(c.visible, visible) != visible; });
}

void DialogModel::setChecked(int id, bool checked) {
    change(id, [checked](ControlState& c) { return std::exchange(c.checked, checked) != checked; });
}

void DialogModel::checkRadio(int id, std::initializer_list<int> group) {
    for (int other : group) {
        setChecked(other, other == id);
    }
}

void DialogModel::setItems(int id, const QStringList& items) {
    change(id, [&items](ControlState& c) {
        if (c.items == items) {
            return false;
        }
        c.items = items;
        c.currentIndex = -1;
        return true;
    });
}

void DialogModel::setCurrentIndex(int id, int index) {
    change(id, [index](ControlState& c) {
        const int valid = index >= 0 && index < c.items.size() ? index : -1;
        return std::exchange(c.currentIndex, valid) != valid;
    });
}

void DialogModel::setText(int id, const QString& text) {
    change(id, [&text](ControlState& c) {
        if (c.text == text) {
            return false;
        }
        c.text = text;
        return true;
    });
}

void DialogModel::setTitle(const QString& title) {
    if (title_ != title) {
        title_ = title;
        emit titleChanged(title_);
    }
}

} // namespace varento
