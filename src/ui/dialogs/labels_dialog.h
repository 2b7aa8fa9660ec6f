#pragma once

#include "ui/models/labels_model.h"

#include <QDialog>

class QLineEdit;

namespace varento {

class ReportList;

// "Labels": every channel label of the current unit. A double click (or the
// in-place edit key) edits a label through "Edit Label" and stores it; a filter
// narrows the rows; Paste fills consecutive labels from the selected row.
class LabelsDialog : public QDialog {
    Q_OBJECT

public:
    explicit LabelsDialog(Session& session, QWidget* parent = nullptr);

    ReportList* list() const { return list_; }
    QLineEdit* filter() const { return filterField_; }

private:
    void edit(int shownRow);
    void paste(int shownRow);

    LabelsModel model_;
    LabelsFilter shown_;
    QLineEdit* filterField_;
    ReportList* list_;
};

} // namespace varento
