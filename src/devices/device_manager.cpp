#include "devices/device_manager.h"

#include <algorithm>
#include <iterator>

namespace varento {

namespace {

std::string stateText(const KnownDevice& entry) {
    return entry.presence == presence::online ? "Online" : "Offline";
}

} // namespace

DeviceManager::DeviceManager(DeviceList& list) : list_(list) {
    int number = 0;
    for (const KnownDevice& entry : list_) {
        rows_.push_back({std::to_string(++number), entry.typeName, entry.userName,
                         unitIdText(entry.uid), stateText(entry), entry.uid});
        opened_.push_back(entry);
    }
}

void DeviceManager::revert() {
    for (const KnownDevice& was : opened_) {
        KnownDevice* entry = list_.find(was.uid);
        if (entry == nullptr) {
            continue;
        }
        entry->position = was.position;
        entry->userName = was.userName;
        if (entry->presence == presence::markedForRemoval) {
            entry->presence = was.presence;
        }
    }
}

const std::string& DeviceManager::text(int index, Column column) const {
    const Row& r = row(index);
    switch (column) {
    case Pos:
        return r.pos;
    case Device:
        return r.typeName;
    case Name:
        return r.userName;
    case UniqueId:
        return r.uniqueId;
    case State:
    case ColumnCount:
        break;
    }
    return r.state;
}

int DeviceManager::rowOf(const DeviceUid& uid) const {
    for (int i = 0; i < rowCount(); ++i) {
        if (row(i).uid == uid) {
            return i;
        }
    }
    return -1;
}

KnownDevice& DeviceManager::entryFor(const DeviceUid& uid) const {
    if (KnownDevice* entry = list_.find(uid)) {
        return *entry;
    }
    return *std::prev(list_.end());
}

DeviceManager::DeleteCheck DeviceManager::checkDelete(int index) const {
    if (index < 0 || index >= rowCount()) {
        return DeleteCheck::NoRow;
    }
    return entryFor(row(index).uid).presence == presence::online ? DeleteCheck::Online
                                                                 : DeleteCheck::Ask;
}

void DeviceManager::deleteRow(int index) {
    if (checkDelete(index) != DeleteCheck::Ask) {
        return;
    }
    entryFor(row(index).uid).presence = presence::markedForRemoval;
    rows_.erase(rows_.begin() + index);
    renumber();
}

void DeviceManager::rename(int index, std::string_view name) {
    if (index < 0 || index >= rowCount()) {
        return;
    }
    Row& r = rows_[static_cast<std::size_t>(index)];
    r.userName = name;
    entryFor(r.uid).userName = name;
}

bool DeviceManager::drop(int from, int gap) {
    if (gap < 0 || gap > rowCount()) {
        return false;
    }
    // Below its own place the row's removal shifts the gap up by one.
    return moveTo(from, gap > from ? gap - 1 : gap);
}

bool DeviceManager::moveTo(int from, int to) {
    if (from < 0 || from >= rowCount() || to < 0 || to >= rowCount() || from == to) {
        return false;
    }
    const auto first = rows_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    renumber();
    return true;
}

void DeviceManager::renumber() {
    for (int i = 0; i < rowCount(); ++i) {
        Row& r = rows_[static_cast<std::size_t>(i)];
        entryFor(r.uid).position = i + 1;
        r.pos = std::to_string(i + 1);
    }
}

void DeviceManager::accept(DeviceList& list) {
    list.removeMarked();
    list.sortByPosition();
}

} // namespace varento
