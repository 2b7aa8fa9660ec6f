#pragma once

#include "protocol/routing_table.h"

#include <array>
#include <cstdint>
#include <vector>

namespace varento {

inline constexpr int kBankSize = 32;
inline constexpr int kSumBank = 6; // bank of the four buses 192..195
inline constexpr int kBusCount = 4;
inline constexpr int kFirstBus = 192;
inline constexpr std::uint8_t kCellRouted = 1, kCellFree = 255;

// Columns grow to the right, rows downwards.
enum class LineDirection {
    DownRight = 1, // also a drag that has not moved
    Right = 4,
    Down = 8,
    UpRight = 16,
    Left = 32,
    Up = 64,
    UpLeft = 128,
    DownLeft = 256,
};

// A cell within the shown banks: column and row 0..31.
struct GridCell {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

// The bank shown as columns (outputs) and the one shown as rows (sources).
struct Banks {
    int output = 1;
    int source = 2;
    friend bool operator==(const Banks&, const Banks&) = default;
};

// The output range an edit changed, for the routing frame: lowest..highest output
// (lowest >= 192: the whole table).
struct RoutedRange {
    int lowest = 0;
    int highest = 0;
    bool wholeTable() const { return lowest >= kWireRouteSlots; }
    friend bool operator==(const RoutedRange&, const RoutedRange&) = default;
};

// The matrix as the window shows it: cell (source, output) is routed when the
// output takes that source, or, for the bus outputs 192..195, when the source is
// summed onto that bus.
class RoutingGrid {
public:
    RoutingGrid();

    // Rebuilds every cell from the table.
    void load(const RoutingTable& table);
    std::uint8_t cell(int source, int output) const;
    // The cell of the shown banks.
    std::uint8_t cell(Banks banks, GridCell at) const;

    // The single-cell edit and the line edit; they change `table` and the grid
    // together. `startValue` (the start cell's value at the press) decides whether
    // they route or unroute. A start outside the four buses of a SUM bank changes
    // nothing.
    RoutedRange cellEdit(Banks banks, GridCell cell, std::uint8_t startValue, RoutingTable& table);
    RoutedRange lineEdit(Banks banks, GridCell start, GridCell end, LineDirection direction,
                         std::uint8_t startValue, RoutingTable& table);

    // The cells a line covers, in order from the start (the drag preview), cut at
    // the grid and SUM-bank edges. A vertical line outside the SUM output bank is
    // not offered; it is taken as the down-right diagonal.
    std::vector<GridCell> lineCells(Banks banks, GridCell start, GridCell end,
                                    LineDirection direction) const;

    // The drag direction from the start cell to the cell under the mouse; the
    // vertical lines only when the outputs are the SUM bank.
    static LineDirection directionOf(GridCell start, GridCell current, bool sumOutputBank);

    // Whether a cell of the shown banks can be edited at all: in a SUM bank only
    // the first four columns or rows can.
    static bool editable(Banks banks, GridCell at);

private:
    void apply(Banks banks, GridCell at, bool route, RoutingTable& table);

    std::vector<std::uint8_t> cells_; // source * 256 + output
};

// A source bank has a channel summed onto some bus (its caption's "+" marker).
bool bankHasSums(const RoutingTable& table, int sourceBank);

} // namespace varento
