#pragma once

#include "ui/models/device_manager_model.h"

#include <QDialog>

namespace varento {

class ReportList;

// "Device Manager": the device list as five columns. Delete removes an offline
// unit, a double click renames, dragging a row reorders. Edits go into the
// entries at once; OK (accepted) lets the caller remove, sort and refill, and
// Cancel, Escape or the close box put every entry back as it was.
class DeviceManagerDialog : public QDialog {
    Q_OBJECT

public:
    DeviceManagerDialog(DeviceList& list, Interaction& interaction, QWidget* parent = nullptr);

    DeviceManagerModel& model() { return model_; }
    ReportList* list() const { return list_; }

    void done(int result) override;

private:
    void rename(int row);
    void moveRow(int from, int gap);

    DeviceManagerModel model_;
    ReportList* list_;
};

} // namespace varento
