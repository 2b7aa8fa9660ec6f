#include "ui/models/device_manager_model.h"

#include "app/cp1252.h"
#include "app/interaction.h"

namespace varento {

namespace text = device_manager_text;

DeviceManagerModel::DeviceManagerModel(DeviceList& list, Interaction& interaction, QObject* parent)
    : QAbstractTableModel(parent), manager_(list), interaction_(interaction) {}

bool DeviceManagerModel::canOpen(const DeviceList& list, Interaction& interaction) {
    if (list.empty()) {
        interaction.inform(text::emptyTitle, text::emptyText, MessageIcon::Error);
        return false;
    }
    return true;
}

int DeviceManagerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : manager_.rowCount();
}

int DeviceManagerModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DeviceManager::ColumnCount;
}

QVariant DeviceManagerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    return fromWindows1252(
        manager_.text(index.row(), static_cast<DeviceManager::Column>(index.column())));
}

QVariant DeviceManagerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"Pos", "Device", "Name", "Unique ID", "State"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= DeviceManager::ColumnCount) {
        return {};
    }
    return QString::fromLatin1(kCaptions[section]);
}

bool DeviceManagerModel::requestDelete(int row) {
    switch (manager_.checkDelete(row)) {
    case DeviceManager::DeleteCheck::NoRow:
        return false;
    case DeviceManager::DeleteCheck::Online:
        interaction_.inform(text::deleteTitle, text::onlineText, MessageIcon::None);
        return false;
    case DeviceManager::DeleteCheck::Ask:
        break;
    }
    if (interaction_.message(text::deleteTitle, text::askText, MessageIcon::Question,
                             MessageButtons::YesNo) != Answer::Yes) {
        return false;
    }
    beginResetModel();
    manager_.deleteRow(row);
    endResetModel();
    return true;
}

QString DeviceManagerModel::name(int row) const {
    return row >= 0 && row < manager_.rowCount() ? fromWindows1252(manager_.row(row).userName)
                                                 : QString();
}

void DeviceManagerModel::rename(int row, const QString& name) {
    manager_.rename(row, toWindows1252(name));
    emit dataChanged(index(row, DeviceManager::Name), index(row, DeviceManager::Name));
}

bool DeviceManagerModel::drop(int from, int gap) {
    beginResetModel();
    const bool moved = manager_.drop(from, gap);
    endResetModel();
    return moved;
}

} // namespace varento
