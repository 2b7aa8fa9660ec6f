#pragma once

#include "files/journal_file.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <vector>

namespace varento {

// The "Journal" window's list: the journal's entries, oldest first, newest last,
// all of them or those of one unit. Entries recorded while the window is open are
// added at the end; a unit seen for the first time becomes a new choice of the
// unit filter, after the others, so the choice made stays.
class JournalModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Event, Unit, Text, ColumnCount };
    static constexpr int kColumnWidths[ColumnCount] = {170, 110, 400, 290};
    static constexpr const char* kAllUnits = "All units";

    // `unitName` gives the name a unit id is known by (as the unit selector shows
    // it), empty for none.
    explicit JournalModel(std::function<QString(const QString& unit)> unitName = {},
                          QObject* parent = nullptr);

    void load(std::vector<JournalEntry> entries);
    void append(const JournalEntry& entry);

    // "All units", then each unit of the journal by its name (its id when it has none).
    QStringList unitChoices() const;
    int selectedUnit() const { return selected_; }
    void selectUnit(int choice);

    const JournalEntry& entryAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void unitChoicesChanged();

private:
    bool shows(const JournalEntry& entry) const;
    bool noteUnit(const std::string& unit);
    void refilter();

    std::function<QString(const QString&)> unitName_;
    std::vector<JournalEntry> entries_;
    std::vector<std::size_t> shown_; // indices into entries_
    std::vector<std::string> units_; // in order of first appearance
    int selected_ = 0;               // 0: all units
};

} // namespace varento
