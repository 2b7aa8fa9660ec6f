#include "ui/dialogs/report_list.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace varento {

ReportList::ReportList(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Editing opens "Edit Label"; the list itself never edits in place.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
}

void ReportList::setColumnWidths(std::span<const int> widths) {
    // The given widths at least; wider where this platform's font needs it, so
    // ids and type names are never cut.
    int total = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const int column = static_cast<int>(i);
        const int width =
            std::max({widths[i], sizeHintForColumn(column), header()->sectionSizeHint(column)});
        setColumnWidth(column, width);
        total += width;
    }
    setMinimumWidth(total);
}

int ReportList::selectedRow() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList{};
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ReportList::selectRow(int row) {
    const QModelIndex at = model() ? model()->index(row, 0) : QModelIndex{};
    if (at.isValid()) {
        setCurrentIndex(at);
        selectionModel()->select(at,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void ReportList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit deleteRequested(selectedRow());
    } else if (event->key() == Qt::Key_F2) {
        if (selectedRow() >= 0) {
            emit editRequested(selectedRow());
        }
    } else {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid()) {
        emit editRequested(at.row());
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        pressedAt_ = event->position().toPoint();
        const QModelIndex at = indexAt(pressedAt_);
        pressedRow_ = at.isValid() ? at.row() : -1;
        dropGap_ = -1;
    }
}

void ReportList::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // A row held for dragging keeps its selection: the list's own drag-select
    // would show another row as the one being moved.
    if (rowDragging_ && pressedRow_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        if (dropGap_ >= 0 ||
            (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
            dropGap_ = gapAt(at);
            viewport()->update();
        }
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void ReportList::mouseReleaseEvent(QMouseEvent* event) {
    const int from = pressedRow_;
    const int gap = dropGap_;
    pressedRow_ = -1;
    dropGap_ = -1;
    if (gap >= 0) {
        viewport()->update();
        event->accept();
        if (event->button() == Qt::LeftButton) {
            emit rowDropped(from, gap);
        }
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

// The gap nearest the point: the upper half of a row is the gap above it, the lower
// half the one below; below the last row, the end.
int ReportList::gapAt(QPoint point) const {
    const int rows = model() ? model()->rowCount() : 0;
    const QModelIndex at = indexAt(QPoint(1, point.y()));
    if (at.isValid()) {
        return at.row() + (point.y() > visualRect(at).center().y() ? 1 : 0);
    }
    return rows > 0 && point.y() < visualRect(model()->index(0, 0)).top() ? 0 : rows;
}

int ReportList::gapY(int gap) const {
    const int rows = model()->rowCount();
    return gap < rows ? visualRect(model()->index(gap, 0)).top()
                      : visualRect(model()->index(rows - 1, 0)).bottom() + 1;
}

void ReportList::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (dropGap_ < 0 || model() == nullptr || model()->rowCount() == 0) {
        return;
    }
    // Where the row will land: a line across the list.
    QPainter p(viewport());
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const int y = gapY(dropGap_);
    p.drawLine(0, y, viewport()->width(), y);
}

} // namespace varento
