#pragma once

#include "ui/models/labels_model.h"

#include <QDialog>

class QLineEdit;

namespace varento {

class ReportList;

// "Labels": every channel label of the current unit. A double click (or the
// in-place edit key) edits a label through "Edit Label" and stores it; a filter
// narrows the rows. Its Edit menu pastes a spreadsheet column into consecutive
// labels from the first selected row, copies the selected labels as a column, and
// undoes the pastes and edits made here until the dialog closes.
class LabelsDialog : public QDialog {
    Q_OBJECT

public:
    explicit LabelsDialog(Session& session, QWidget* parent = nullptr);

    ReportList* list() const { return list_; }
    QLineEdit* filter() const { return filterField_; }
    LabelsModel& model() { return model_; }

private:
    void buildEditMenu();
    void edit(int shownRow);
    void paste();
    void copy();
    QList<int> selectedLabelRows() const;

    LabelsModel model_;
    LabelsFilter shown_;
    QLineEdit* filterField_;
    ReportList* list_;
};

} // namespace varento
