#pragma once

#include <QTreeView>

#include <span>

namespace varento {

// The report-style list of the device manager and the labels dialog: full-row
// selection (single unless the dialog asks for more), fixed column widths, no
// sorting. Editing, Delete and a row dragged onto another are handed to the dialog
// as row numbers of the model shown.
class ReportList : public QTreeView {
    Q_OBJECT

public:
    explicit ReportList(QWidget* parent = nullptr);

    void setColumnWidths(std::span<const int> widths);
    void setRowDragging(bool on) { rowDragging_ = on; }
    // The selected row, -1 for none.
    int selectedRow() const;
    void selectRow(int row);

signals:
    // A double click on a row, or the in-place edit key on the selected one.
    void editRequested(int row);
    void deleteRequested(int row);
    // A row dragged (past the platform's drag distance) and released at a gap
    // between rows: 0 before the first, rowCount after the last.
    void rowDropped(int from, int gap);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int gapAt(QPoint point) const;
    int gapY(int gap) const;

    bool rowDragging_ = false;
    int pressedRow_ = -1; // the row a press landed on, -1 when it missed the rows
    QPoint pressedAt_;
    int dropGap_ = -1; // while a drag runs: where the row would land
};

} // namespace varento
