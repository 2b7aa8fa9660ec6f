#pragma once

#include "protocol/routing_grid.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace varento::matrix_geometry {

// Where the matrix window puts things, in content coordinates (before scrolling).
inline constexpr int kGridX = 94;
inline constexpr int kGridY = 172;
inline constexpr int kCell = 20;
inline constexpr int kCells = 32;
inline constexpr int kSumCells = 4;
inline constexpr int kRowHeaderX = 30;
inline constexpr int kColumnHeaderTop = 112;
inline constexpr int kScrollRange = 810;
inline constexpr int kScrollStep = 20;
inline constexpr int kContentWidth = 810;

// The cell under a window point; in the SUM bank only the four bus columns (and,
// as source bank, the four bus rows) count.
std::optional<GridCell> cellAt(QPoint point, int scroll, bool sumOutputs, bool sumSources);
// The grid cell under a point, SUM limits left to the caller (edits clamp them).
std::optional<GridCell> gridCellAt(QPoint point, int scroll);
QRect cellRect(GridCell cell, int scroll);
// The row header (x 35..93) and the column header band of a point.
std::optional<int> rowHeaderAt(QPoint point, int scroll);
std::optional<int> columnHeaderAt(QPoint point, int scroll);

// Labels of exactly 10 characters take the middle font, shorter the large and
// longer the small one.
int labelPixelSize(int length);

} // namespace varento::matrix_geometry
