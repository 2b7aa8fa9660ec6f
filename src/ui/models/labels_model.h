#pragma once

#include "protocol/device_uid.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

#include <vector>

namespace varento {

class Session;

// The "Labels" list: one row per label of the unit that was current when it
// was made ("No.", "Label", "I/O Type"), and of that unit only. Edits go through
// the unit editor, so each is stored and handed to every window at once; the
// list follows the session's labels.
class LabelsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Number, Label, IoType, ColumnCount };
    static constexpr int kColumnWidths[ColumnCount] = {40, 120, 100};
    static constexpr int kEditLimit = 17; // the "Edit Label" field; 16 characters come back

    explicit LabelsModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const DeviceUid& unit() const { return unit_; }
    QString label(int row) const;
    void setLabel(int row, const QString& text);

    // A column from a spreadsheet into the labels from `row` on, a cell each (the
    // first cell of each row; cells quoted as spreadsheets quote them): at most 16
    // characters of each, an empty cell an empty label. It stops where an import
    // stops, before the bus labels (or at the last label when it starts on one), and
    // says how many cells were not used. More than one label changed is asked
    // first. A character a label cannot hold refuses the whole paste, named.
    bool paste(int row, const QString& text, QChar separator = u'\t');

    // Undo of the pastes and edits made through this list, last first.
    bool canUndo() const { return !undo_.empty(); }
    void undo();

    // The labels of the rows as one spreadsheet column.
    QString copyText(const QList<int>& rows) const;

signals:
    void undoChanged();

private:
    struct Step {
        int first;
        QStringList before;
    };
    void remember(int first, int count);

    Session& session_;
    DeviceUid unit_;
    std::vector<Step> undo_;
};

// Narrows the rows to those whose number, label or I/O type contains the text,
// in any case ("MADI 2", "Kick").
class LabelsFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit LabelsFilter(LabelsModel& source, QObject* parent = nullptr);
    void setText(const QString& text);
    // The label row of a row shown.
    int labelRow(int shownRow) const;
};

} // namespace varento
