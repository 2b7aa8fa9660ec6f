#include "ui/models/matrix_geometry.h"

#include <algorithm>

namespace varento::matrix_geometry {

std::optional<GridCell> gridCellAt(QPoint point, int scroll) {
    const int x = point.x();
    const int y = point.y();
    if (x < kGridX + 1 || x > 731 || y <= kGridY - scroll || y >= 807 - scroll) {
        return std::nullopt;
    }
    return GridCell{(x - kGridX) / kCell, (y + scroll - kGridY) / kCell};
}

std::optional<GridCell> cellAt(QPoint point, int scroll, bool sumOutputs, bool sumSources) {
    const auto cell = gridCellAt(point, scroll);
    if (!cell || (sumOutputs && cell->column >= kSumCells) ||
        (sumSources && cell->row >= kSumCells)) {
        return std::nullopt;
    }
    return cell;
}

QRect cellRect(GridCell cell, int scroll) {
    return {kGridX + kCell * cell.column, kGridY + kCell * cell.row - scroll, kCell, kCell};
}

std::optional<int> rowHeaderAt(QPoint point, int scroll) {
    if (point.x() < 35 || point.x() > 93) {
        return std::nullopt;
    }
    const int y = point.y() + scroll - kGridY;
    if (y < 0 || y >= kCells * kCell) {
        return std::nullopt;
    }
    return y / kCell;
}

std::optional<int> columnHeaderAt(QPoint point, int scroll) {
    const int x = point.x();
    const int y = point.y();
    if (x < kGridX + 1 || x > 731 || y <= kColumnHeaderTop - scroll || y >= kGridY - scroll) {
        return std::nullopt;
    }
    return (x - kGridX) / kCell;
}

int labelPixelSize(int length) {
    if (length == 10) {
        return 11;
    }
    return length < 10 ? 13 : 10;
}

} // namespace varento::matrix_geometry
