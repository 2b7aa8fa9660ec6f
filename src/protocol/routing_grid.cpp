#include "protocol/routing_grid.h"

#include <algorithm>

namespace varento {

namespace {

constexpr int kChannels = kRouteSlots;

std::size_t index(int source, int output) {
    return static_cast<std::size_t>(source) * kChannels + static_cast<std::size_t>(output);
}

int outputOf(Banks banks, GridCell at) {
    return kBankSize * banks.output + at.column;
}
int sourceOf(Banks banks, GridCell at) {
    return kBankSize * banks.source + at.row;
}

int columnLimit(Banks banks) {
    return banks.output == kSumBank ? kBusCount : kBankSize;
}
int rowLimit(Banks banks) {
    return banks.source == kSumBank ? kBusCount : kBankSize;
}

struct Step {
    int column;
    int row;
};

Step stepOf(LineDirection direction) {
    switch (direction) {
    case LineDirection::DownRight:
        return {1, 1};
    case LineDirection::Right:
        return {1, 0};
    case LineDirection::Down:
        return {0, 1};
    case LineDirection::UpRight:
        return {1, -1};
    case LineDirection::Left:
        return {-1, 0};
    case LineDirection::Up:
        return {0, -1};
    case LineDirection::UpLeft:
        return {-1, -1};
    case LineDirection::DownLeft:
        return {-1, 1};
    }
    return {1, 1};
}

// Horizontal lines and the down-left diagonal are as long as the columns moved,
// the others as the rows moved; an end behind the start gives no cells.
int lengthOf(LineDirection direction, GridCell start, GridCell end) {
    switch (direction) {
    case LineDirection::Right:
        return end.column - start.column + 1;
    case LineDirection::Left:
    case LineDirection::DownLeft:
        return start.column - end.column + 1;
    case LineDirection::DownRight:
    case LineDirection::Down:
        return end.row - start.row + 1;
    case LineDirection::UpRight:
    case LineDirection::Up:
    case LineDirection::UpLeft:
        return start.row - end.row + 1;
    }
    return 0;
}

} // namespace

RoutingGrid::RoutingGrid() : cells_(static_cast<std::size_t>(kChannels) * kChannels, kCellFree) {}

void RoutingGrid::load(const RoutingTable& table) {
    std::fill(cells_.begin(), cells_.end(), kCellFree);
    for (int output = 0; output < kWireRouteSlots; ++output) {
        const std::uint8_t source = table.sources[static_cast<std::size_t>(output)];
        // "No source" is not a row anyone sees.
        if (source != kNoSource) {
            cells_[index(source, output)] = kCellRouted;
        }
    }
    for (int source = 0; source < kChannels; ++source) {
        const std::uint8_t flags = table.flags[static_cast<std::size_t>(source)];
        for (int bus = 0; bus < kBusCount; ++bus) {
            if ((flags & (1u << (bus + 1))) != 0) {
                cells_[index(source, kFirstBus + bus)] = kCellRouted;
            }
        }
    }
}

std::uint8_t RoutingGrid::cell(int source, int output) const {
    if (source < 0 || source >= kChannels || output < 0 || output >= kChannels) {
        return kCellFree;
    }
    return cells_[index(source, output)];
}

std::uint8_t RoutingGrid::cell(Banks banks, GridCell at) const {
    return cell(sourceOf(banks, at), outputOf(banks, at));
}

bool RoutingGrid::editable(Banks banks, GridCell at) {
    return banks.output >= 0 && banks.output <= kSumBank && banks.source >= 0 &&
           banks.source <= kSumBank && at.column >= 0 && at.column < columnLimit(banks) &&
           at.row >= 0 && at.row < rowLimit(banks);
}

void RoutingGrid::apply(Banks banks, GridCell at, bool route, RoutingTable& table) {
    const int output = outputOf(banks, at);
    const int source = sourceOf(banks, at);
    const bool sum = banks.output == kSumBank;
    if (!sum) {
        // An output takes exactly one source; a bus sums any number of them.
        for (int s = 0; s < kChannels; ++s) {
            cells_[index(s, output)] = kCellFree;
        }
    }
    const auto o = static_cast<std::size_t>(output);
    const auto s = static_cast<std::size_t>(source);
    cells_[index(source, output)] = route ? kCellRouted : kCellFree;
    table.sources[o] = route ? static_cast<std::uint8_t>(source) : kNoSource;
    if (sum) {
        // Only the four bus columns carry a bus bit.
        const auto busBit = static_cast<std::uint8_t>(1u << (at.column + 1));
        table.flags[s] =
            static_cast<std::uint8_t>(route ? table.flags[s] | busBit : table.flags[s] & ~busBit);
    }
}

RoutedRange RoutingGrid::cellEdit(Banks banks, GridCell at, std::uint8_t startValue,
                                  RoutingTable& table) {
    const int output = outputOf(banks, at);
    if (editable(banks, at)) {
        apply(banks, at, startValue == kCellFree, table);
    }
    return {output, output};
}

RoutedRange RoutingGrid::lineEdit(Banks banks, GridCell start, GridCell end,
                                  LineDirection direction, std::uint8_t startValue,
                                  RoutingTable& table) {
    const bool route = startValue == kCellFree;
    // The frame covers the columns between start and release; a steep diagonal
    // can reach beyond the release column, and those outputs must travel too.
    int lowest = std::min(start.column, end.column);
    int highest = std::max(start.column, end.column);
    for (const GridCell& at : lineCells(banks, start, end, direction)) {
        apply(banks, at, route, table);
        lowest = std::min(lowest, at.column);
        highest = std::max(highest, at.column);
    }
    const int limit = columnLimit(banks) - 1;
    lowest = std::clamp(lowest, 0, limit);
    highest = std::clamp(highest, 0, limit);
    return {kBankSize * banks.output + lowest, kBankSize * banks.output + highest};
}

std::vector<GridCell> RoutingGrid::lineCells(Banks banks, GridCell start, GridCell end,
                                             LineDirection direction) const {
    std::vector<GridCell> cells;
    if (!editable(banks, start)) {
        return cells;
    }
    if (banks.output != kSumBank &&
        (direction == LineDirection::Down || direction == LineDirection::Up)) {
        direction = LineDirection::DownRight;
    }
    const Step step = stepOf(direction);
    const int length = lengthOf(direction, start, end);
    GridCell at = start;
    for (int k = 0; k < length && editable(banks, at); ++k) {
        cells.push_back(at);
        at.column += step.column;
        at.row += step.row;
    }
    return cells;
}

LineDirection RoutingGrid::directionOf(GridCell start, GridCell current, bool sumOutputBank) {
    const int j = start.column;
    const int h = start.row;
    const int i = current.column;
    const int f = current.row;
    if (f < h && j < i) {
        return LineDirection::UpRight;
    }
    if (i < j && h < f) {
        return LineDirection::DownLeft;
    }
    if (i > j && f == h) {
        return LineDirection::Right;
    }
    if (i < j && f == h) {
        return LineDirection::Left;
    }
    if (f < h && i < j) {
        return LineDirection::UpLeft;
    }
    if (sumOutputBank) {
        if (2 * (i - j) < f - h) {
            return LineDirection::Down;
        }
        if (f < h && i == j) {
            return LineDirection::Up;
        }
    }
    return LineDirection::DownRight;
}

bool bankHasSums(const RoutingTable& table, int sourceBank) {
    const int first = kBankSize * sourceBank;
    const int last =
        std::min(first + kBankSize, sourceBank == kSumBank ? kFirstBus + kBusCount : kRouteSlots);
    for (int s = std::max(first, 0); s < last; ++s) {
        if (table.flags[static_cast<std::size_t>(s)] != 0) {
            return true;
        }
    }
    return false;
}

} // namespace varento
