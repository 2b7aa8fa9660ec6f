// The matrix grid and its edit rules, on tables built here.
#include "protocol/routing_grid.h"

#include <gtest/gtest.h>

using namespace varento;

namespace {

using D = LineDirection;

// Output i takes source i, as after power-on; no sums.
RoutingTable straightTable() {
    RoutingTable t;
    t.sources.fill(kNoSource);
    t.flags.fill(0);
    for (int o = 0; o < kWireRouteSlots; ++o) {
        t.sources[static_cast<std::size_t>(o)] = static_cast<std::uint8_t>(o);
    }
    return t;
}

RoutingTable emptyTable() {
    RoutingTable t;
    t.sources.fill(kNoSource);
    t.flags.fill(0);
    return t;
}

class RoutingGridTest : public ::testing::Test {
protected:
    void SetUp() override { grid.load(table); }

    RoutingTable table = straightTable();
    RoutingGrid grid;
};

// Every column of an ordinary bank holds at most one routed cell, as the table says.
void expectGridMatches(const RoutingGrid& grid, const RoutingTable& table) {
    RoutingGrid fresh;
    fresh.load(table);
    for (int s = 0; s < kRouteSlots; ++s) {
        for (int o = 0; o < kFirstBus + kBusCount; ++o) {
            ASSERT_EQ(grid.cell(s, o), fresh.cell(s, o)) << "source " << s << " output " << o;
        }
    }
}

} // namespace

TEST_F(RoutingGridTest, LoadMarksSourcesAndBusBitsOnly) {
    table.sources[40] = kNoSource;
    table.flags[70] = 0x02 | 0x10; // BUS 1 and BUS 4
    table.flags[71] = 0x01 | 0x20; // bits that name no bus
    grid.load(table);
    EXPECT_EQ(grid.cell(39, 39), kCellRouted);
    EXPECT_EQ(grid.cell(40, 40), kCellFree);
    EXPECT_EQ(grid.cell(kNoSource, 40), kCellFree);
    EXPECT_EQ(grid.cell(70, 192), kCellRouted);
    EXPECT_EQ(grid.cell(70, 193), kCellFree);
    EXPECT_EQ(grid.cell(70, 195), kCellRouted);
    for (int bus = 0; bus < kBusCount; ++bus) {
        EXPECT_EQ(grid.cell(71, kFirstBus + bus), kCellFree);
    }
    // A reload forgets what the previous table had.
    grid.load(emptyTable());
    EXPECT_EQ(grid.cell(39, 39), kCellFree);
    EXPECT_EQ(grid.cell(70, 192), kCellFree);
    // Outside the grid nothing is routed.
    EXPECT_EQ(grid.cell(-1, 0), kCellFree);
    EXPECT_EQ(grid.cell(0, 256), kCellFree);
}

TEST_F(RoutingGridTest, CellEditReplacesTheSourceOfAnOrdinaryOutput) {
    const Banks banks{1, 2}; // outputs 32..63, sources 64..95
    // Output 37 took source 37 (bank 1); clicking row 9 of bank 2 replaces it.
    EXPECT_EQ(grid.cellEdit(banks, {5, 9}, kCellFree, table), (RoutedRange{37, 37}));
    EXPECT_EQ(table.sources[37], 73);
    EXPECT_EQ(grid.cell(73, 37), kCellRouted);
    EXPECT_EQ(grid.cell(37, 37), kCellFree);
    expectGridMatches(grid, table);

    // Clicking the routed cell leaves the output without a source.
    EXPECT_EQ(grid.cellEdit(banks, {5, 9}, grid.cell(banks, {5, 9}), table), (RoutedRange{37, 37}));
    EXPECT_EQ(table.sources[37], kNoSource);
    for (int s = 0; s < kRouteSlots; ++s) {
        EXPECT_EQ(grid.cell(s, 37), kCellFree);
    }
    EXPECT_EQ(table.flags, emptyTable().flags);
}

TEST_F(RoutingGridTest, SumBankKeepsSeveralSourcesOnABus) {
    const Banks sum{kSumBank, 2};
    const RoutedRange first = grid.cellEdit(sum, {1, 3}, kCellFree, table);
    grid.cellEdit(sum, {1, 4}, kCellFree, table);
    EXPECT_TRUE(first.wholeTable());
    // Both stay on BUS 2, and the ordinary routing is untouched.
    EXPECT_EQ(grid.cell(67, 193), kCellRouted);
    EXPECT_EQ(grid.cell(68, 193), kCellRouted);
    EXPECT_EQ(table.flags[67], 0x04);
    EXPECT_EQ(table.flags[68], 0x04);
    EXPECT_EQ(table.sources[67], 67);
    expectGridMatches(grid, table);

    // Unsumming one leaves the other.
    grid.cellEdit(sum, {1, 3}, kCellRouted, table);
    EXPECT_EQ(table.flags[67], 0);
    EXPECT_EQ(grid.cell(68, 193), kCellRouted);

    // Beyond the fourth bus there is nothing to edit.
    const RoutingTable before = table;
    grid.cellEdit(sum, {4, 3}, kCellFree, table);
    grid.cellEdit({1, kSumBank}, {3, 4}, kCellFree, table);
    EXPECT_EQ(table, before);
    expectGridMatches(grid, table);
}

TEST_F(RoutingGridTest, FullDiagonalRoutesABankOntoABankInOneRange) {
    const Banks banks{1, 2};
    const GridCell start{0, 0}, end{31, 31};
    const D direction = RoutingGrid::directionOf(start, end, false);
    EXPECT_EQ(direction, D::DownRight);
    EXPECT_EQ(grid.lineEdit(banks, start, end, direction, kCellFree, table), (RoutedRange{32, 63}));
    for (int k = 0; k < kBankSize; ++k) {
        EXPECT_EQ(table.sources[static_cast<std::size_t>(32 + k)], 64 + k);
    }
    EXPECT_EQ(table.sources[31], 31);
    EXPECT_EQ(table.sources[64], 64);
    expectGridMatches(grid, table);
}

TEST_F(RoutingGridTest, LineStartingOnARoutedCellUnroutesTheWholeLine) {
    const Banks banks{1, 1}; // the straight table routes the diagonal of this view
    table.sources[36] = 90;  // one column takes another source
    grid.load(table);
    const std::uint8_t startValue = grid.cell(banks, {2, 2});
    ASSERT_EQ(startValue, kCellRouted);
    EXPECT_EQ(grid.lineEdit(banks, {2, 2}, {9, 9}, D::DownRight, startValue, table),
              (RoutedRange{34, 41}));
    for (int o = 34; o <= 41; ++o) {
        EXPECT_EQ(table.sources[static_cast<std::size_t>(o)], kNoSource) << o;
    }
    EXPECT_EQ(table.sources[33], 33);
    EXPECT_EQ(table.sources[42], 42);
    expectGridMatches(grid, table);
}

TEST_F(RoutingGridTest, HorizontalLinesRouteOneSourceToSeveralOutputs) {
    const Banks banks{3, 0};
    const GridCell start{10, 4};
    EXPECT_EQ(RoutingGrid::directionOf(start, {3, 4}, false), D::Left);
    EXPECT_EQ(grid.lineEdit(banks, start, {3, 4}, D::Left, kCellFree, table),
              (RoutedRange{99, 106}));
    for (int o = 99; o <= 106; ++o) {
        EXPECT_EQ(table.sources[static_cast<std::size_t>(o)], 4) << o;
    }
    EXPECT_EQ(grid.lineCells(banks, start, {14, 4}, D::Right).size(), 5u);
    expectGridMatches(grid, table);
}

TEST(RoutingGridDirection, FollowsTheDocumentedOrder) {
    const GridCell s{10, 10};
    struct Case {
        GridCell current;
        bool sum;
        D expected;
    };
    const Case cases[] = {
        {{10, 10}, false, D::DownRight}, // not moved
        {{10, 10}, true, D::DownRight},
        {{15, 5}, false, D::UpRight},
        {{5, 15}, false, D::DownLeft},
        {{12, 10}, false, D::Right},
        {{8, 10}, false, D::Left},
        {{8, 8}, false, D::UpLeft},
        {{12, 20}, false, D::DownRight},
        // Straight down or up is no line of its own outside the SUM outputs.
        {{10, 20}, false, D::DownRight},
        {{10, 4}, false, D::DownRight},
        // In the SUM outputs a steep drag sums several sources onto a bus.
        {{10, 20}, true, D::Down},
        {{12, 15}, true, D::Down},
        {{13, 15}, true, D::DownRight}, // twice three is not less than five
        {{10, 4}, true, D::Up},
        {{15, 5}, true, D::UpRight},
        {{12, 10}, true, D::Right},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoutingGrid::directionOf(s, c.current, c.sum), c.expected)
            << c.current.column << "," << c.current.row << (c.sum ? " SUM" : "");
    }
}

TEST_F(RoutingGridTest, VerticalLinesSumOnlyInTheSumBank) {
    const Banks sum{kSumBank, 2};
    const D down = RoutingGrid::directionOf({2, 3}, {2, 8}, true);
    ASSERT_EQ(down, D::Down);
    EXPECT_TRUE(grid.lineEdit(sum, {2, 3}, {2, 8}, down, kCellFree, table).wholeTable());
    for (int s = 67; s <= 72; ++s) {
        EXPECT_EQ(table.flags[static_cast<std::size_t>(s)], 0x08) << s; // BUS 3
    }
    EXPECT_EQ(table.flags[66], 0);
    EXPECT_EQ(table.flags[73], 0);
    expectGridMatches(grid, table);

    // Asked for in an ordinary bank, the vertical line is the down-right diagonal.
    const Banks banks{1, 2};
    const std::vector<GridCell> expected{{2, 3}, {3, 4}, {4, 5}};
    EXPECT_EQ(grid.lineCells(banks, {2, 3}, {2, 5}, D::Down), expected);
    EXPECT_TRUE(grid.lineCells(banks, {2, 3}, {2, 1}, D::Up).empty());
}

TEST_F(RoutingGridTest, LinesAreCutAtTheGridAndSumEdges) {
    // A diagonal that would leave the bank stops at its last column.
    const std::vector<GridCell> edge = grid.lineCells({1, 2}, {29, 0}, {31, 10}, D::DownRight);
    EXPECT_EQ(edge, (std::vector<GridCell>{{29, 0}, {30, 1}, {31, 2}}));
    // A horizontal line in the SUM outputs keeps to the four bus columns.
    EXPECT_EQ(grid.lineCells({kSumBank, 0}, {1, 0}, {20, 0}, D::Right).size(), 3u);
    // With the buses as sources too, lines keep to the four bus rows.
    EXPECT_EQ(grid.lineCells({kSumBank, kSumBank}, {0, 1}, {0, 9}, D::Down).size(), 3u);
    EXPECT_EQ(grid.lineCells({1, kSumBank}, {5, 0}, {20, 15}, D::DownRight).size(), 4u);
    // Leftwards and upwards the grid ends at column and row 0.
    EXPECT_EQ(grid.lineCells({1, 2}, {2, 5}, {0, 0}, D::UpLeft).size(), 3u);
    EXPECT_EQ(grid.lineCells({1, 2}, {3, 0}, {0, 0}, D::Left).size(), 4u);
    // A start the SUM bank does not offer gives no line.
    EXPECT_TRUE(grid.lineCells({kSumBank, 2}, {6, 0}, {7, 3}, D::DownRight).empty());

    // The edit follows the cut line and sends only the bus table.
    const RoutedRange range =
        grid.lineEdit({kSumBank, 2}, {1, 0}, {20, 0}, D::Right, kCellFree, table);
    EXPECT_TRUE(range.wholeTable());
    EXPECT_EQ(range.highest, kFirstBus + 3);
    EXPECT_EQ(table.flags[64], 0x04 | 0x08 | 0x10);
    expectGridMatches(grid, table);
}

TEST_F(RoutingGridTest, ReleaseAboveTheStartRowChangesNothingButReportsTheColumn) {
    const Banks banks{1, 2};
    const RoutingTable before = table;
    const D direction = RoutingGrid::directionOf({7, 12}, {7, 3}, false);
    EXPECT_EQ(direction, D::DownRight);
    EXPECT_EQ(grid.lineEdit(banks, {7, 12}, {7, 3}, direction, kCellFree, table),
              (RoutedRange{39, 39}));
    EXPECT_EQ(table, before);
    expectGridMatches(grid, table);
}

TEST_F(RoutingGridTest, RangeCoversEveryOutputTheLineChanged) {
    // Steeper than the diagonal: the line reaches beyond the release column, and
    // those outputs have to go out with the frame.
    const RoutedRange range = grid.lineEdit({1, 2}, {0, 0}, {2, 9}, D::DownRight, kCellFree, table);
    EXPECT_EQ(range, (RoutedRange{32, 41}));
    // An up-right line by rows: the columns up to the release go out unchanged.
    const RoutedRange upRight =
        grid.lineEdit({1, 2}, {0, 3}, {20, 0}, D::UpRight, kCellFree, table);
    EXPECT_EQ(upRight, (RoutedRange{32, 52}));
    EXPECT_EQ(table.sources[35], 64);
    EXPECT_EQ(table.sources[45], 45); // in the range, past the line: as before
}

TEST(RoutingGridCaptions, BankMarkerFollowsTheSums) {
    RoutingTable table = emptyTable();
    RoutingGrid grid;
    grid.load(table);
    EXPECT_FALSE(bankHasSums(table, 3));
    grid.cellEdit({kSumBank, 3}, {3, 31}, kCellFree, table);
    EXPECT_TRUE(bankHasSums(table, 3));
    EXPECT_FALSE(bankHasSums(table, 2));
    EXPECT_FALSE(bankHasSums(table, 4));
    grid.cellEdit({kSumBank, 3}, {0, 0}, kCellFree, table);
    grid.cellEdit({kSumBank, 3}, {3, 31}, kCellRouted, table);
    EXPECT_TRUE(bankHasSums(table, 3)); // channel 96 is still on BUS 1
    grid.cellEdit({kSumBank, 3}, {0, 0}, kCellRouted, table);
    EXPECT_FALSE(bankHasSums(table, 3));
}
