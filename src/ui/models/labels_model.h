#pragma once

#include "protocol/device_uid.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>

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

    // A column of names from the clipboard into the labels from `row` on, one line
    // each, read as a label file reads its lines: at most 16 characters taken, an
    // empty line an empty label, lines past the last label dropped. A character a
    // label file could not hold rejects the whole text with the import message.
    bool paste(int row, const QString& text);

private:
    Session& session_;
    DeviceUid unit_;
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
