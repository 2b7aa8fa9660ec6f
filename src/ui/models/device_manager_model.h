#pragma once

#include "devices/device_manager.h"

#include <QAbstractTableModel>
#include <QString>

namespace varento {

class Interaction;

// The device manager's list as a table for the view: the five columns of the rows,
// and the user's actions with their messages and question.
class DeviceManagerModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnWidths[DeviceManager::ColumnCount] = {40, 100, 220, 220, 80};

    DeviceManagerModel(DeviceList& list, Interaction& interaction, QObject* parent = nullptr);

    // Opening: an empty list is reported and the dialog ends at once.
    static bool canOpen(const DeviceList& list, Interaction& interaction);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The Delete key on a row (-1: none selected): online units are refused with
    // the message, offline ones go after Yes. True when the row went.
    bool requestDelete(int row);
    QString name(int row) const;
    void rename(int row, const QString& name);
    // A drag released at a gap between rows (rowCount(): after the last).
    bool drop(int from, int gap);
    // Cancel: the entries as they were when the dialog opened.
    void putBack() { manager_.revert(); }

    const DeviceManager& manager() const { return manager_; }

private:
    DeviceManager manager_;
    Interaction& interaction_;
};

} // namespace varento
