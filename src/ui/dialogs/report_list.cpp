#include "ui/dialogs/report_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
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
        pressedRow_ = selectedRow();
    }
}

void ReportList::mouseReleaseEvent(QMouseEvent* event) {
    const int from = pressedRow_;
    pressedRow_ = -1;
    // Released on another row than the one picked up: that row moves there.
    const QModelIndex at = indexAt(event->position().toPoint());
    if (rowDragging_ && event->button() == Qt::LeftButton && from >= 0 && at.isValid() &&
        at.row() != from) {
        event->accept();
        emit rowDropped(from, at.row());
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

} // namespace varento
