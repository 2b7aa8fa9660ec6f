#include "ui/models/journal_model.h"

#include <algorithm>

namespace varento {

JournalModel::JournalModel(std::function<QString(const QString&)> unitName, QObject* parent)
    : QAbstractTableModel(parent), unitName_(std::move(unitName)) {}

bool JournalModel::noteUnit(const std::string& unit) {
    if (unit.empty() || std::find(units_.begin(), units_.end(), unit) != units_.end()) {
        return false;
    }
    units_.push_back(unit);
    return true;
}

bool JournalModel::shows(const JournalEntry& entry) const {
    return selected_ == 0 || entry.unit == units_[static_cast<std::size_t>(selected_ - 1)];
}

void JournalModel::refilter() {
    shown_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (shows(entries_[i])) {
            shown_.push_back(i);
        }
    }
}

void JournalModel::load(std::vector<JournalEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    const std::string chosen =
        selected_ > 0 ? units_[static_cast<std::size_t>(selected_ - 1)] : std::string();
    units_.clear();
    for (const JournalEntry& entry : entries_) {
        noteUnit(entry.unit);
    }
    // The unit chosen stays chosen when the new entries still name it.
    const auto it = std::find(units_.begin(), units_.end(), chosen);
    selected_ =
        chosen.empty() || it == units_.end() ? 0 : static_cast<int>(it - units_.begin()) + 1;
    refilter();
    endResetModel();
    emit unitChoicesChanged();
}

void JournalModel::append(const JournalEntry& entry) {
    entries_.push_back(entry);
    if (noteUnit(entry.unit)) {
        emit unitChoicesChanged();
    }
    if (!shows(entry)) {
        return;
    }
    const int row = static_cast<int>(shown_.size());
    beginInsertRows({}, row, row);
    shown_.push_back(entries_.size() - 1);
    endInsertRows();
}

QStringList JournalModel::unitChoices() const {
    QStringList choices{QString::fromLatin1(kAllUnits)};
    for (const std::string& unit : units_) {
        const QString id = QString::fromStdString(unit);
        const QString name = unitName_ ? unitName_(id) : QString();
        choices << (name.isEmpty() ? id : name);
    }
    return choices;
}

void JournalModel::selectUnit(int choice) {
    if (choice < 0 || choice > static_cast<int>(units_.size()) || choice == selected_) {
        return;
    }
    beginResetModel();
    selected_ = choice;
    refilter();
    endResetModel();
}

const JournalEntry& JournalModel::entryAt(int row) const {
    return entries_[shown_[static_cast<std::size_t>(row)]];
}

int JournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const JournalEntry& entry = entryAt(index.row());
    switch (index.column()) {
    case Time: {
        // The wall clock as read; the offset stays in the tooltip.
        const QString time = QString::fromStdString(entry.time);
        return role == Qt::ToolTipRole ? time : time.left(23).replace('T', ' ');
    }
    case Event:
        return QString::fromStdString(entry.kind);
    case Unit: {
        const QString id = QString::fromStdString(entry.unit);
        const QString name = unitName_ && !id.isEmpty() ? unitName_(id) : QString();
        return name.isEmpty() ? id : name;
    }
    case Text:
        return QString::fromStdString(entry.text);
    default:
        return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kTitles[ColumnCount] = {"Time", "Event", "Unit", "Text"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}

} // namespace varento
