// The link rule and the first linkable pair: the worked boards, and a randomized
// comparison with an independent breadth-first search.
#include <gtest/gtest.h>

#include <random>

#include "core/modLinkSearch.h"
#include "tests/rules/BoardHelpers.h"
#include "tests/rules/LinkBfs.h"

using namespace BoardHelpers;
using modLinkSearch::CheckLink;
using modLinkSearch::FindLinkPair;

namespace {

void ExpectNodes(const LinkPath& path, std::initializer_list<CellPos> nodes) {
    ASSERT_EQ(path.lngNodeCount, static_cast<int>(nodes.size())) << Describe(path);
    int i = 0;
    for (CellPos n : nodes) {
        EXPECT_EQ(path.Node(i), n) << "node " << i << " of " << Describe(path);
        ++i;
    }
}

}  // namespace

TEST(LinkSearch, LineCellsRunUpDownLeftRightAndStopAtTiles) {
    TileGridT g = FullBoard();
    Empty(g, {{2, 5}, {1, 5}, {0, 5}, {4, 5}, {3, 4}, {3, 3}, {3, 6}});
    g[3][5] = 1;
    LineCellList list;
    modLinkSearch::GetLineCells(g, {3, 5}, list);
    // Up to the top edge, down and left and right until the next tile.
    const CellPos expected[] = {{2, 5}, {1, 5}, {0, 5}, {4, 5}, {3, 4}, {3, 3}, {3, 6}};
    ASSERT_EQ(list.count, 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(list.cells[i], expected[i]) << i;

    TileGridT empty{};
    modLinkSearch::GetLineCells(empty, {0, 0}, list);
    EXPECT_EQ(list.count, 9 + 17);
}

TEST(LinkSearch, StraightGapReportsThreeNodesWithTheFirstCommonCellOfTheSecondTile) {
    TileGridT g = FullBoard();
    g[0][0] = g[0][3] = 1;
    Empty(g, {{0, 1}, {0, 2}});
    LinkPath path;
    ASSERT_TRUE(CheckLink(g, {0, 0}, {0, 3}, path));
    ExpectNodes(path, {{0, 0}, {0, 2}, {0, 3}});
    // From the other side the middle node is the first common cell seen from (0,0).
    ASSERT_TRUE(CheckLink(g, {0, 3}, {0, 0}, path));
    ExpectNodes(path, {{0, 3}, {0, 1}, {0, 0}});
}

TEST(LinkSearch, NeighboursGiveTwoNodesWhateverElseIsOnTheBoard) {
    for (bool full : {true, false}) {
        TileGridT g = full ? FullBoard() : TileGridT{};
        g[4][4] = g[4][5] = g[5][4] = 7;
        LinkPath path;
        ASSERT_TRUE(CheckLink(g, {4, 5}, {4, 4}, path));
        ExpectNodes(path, {{4, 5}, {4, 4}});
        ASSERT_TRUE(CheckLink(g, {4, 4}, {5, 4}, path));
        ExpectNodes(path, {{4, 4}, {5, 4}});
    }
}

TEST(LinkSearch, ThreeTurnsAreTooManyTwoAreEnough) {
    // A staircase from (0,0) down to (3,2): right, down, right, down.
    TileGridT g = FullBoard();
    g[0][0] = g[3][2] = 2;
    Empty(g, {{0, 1}, {1, 1}, {1, 2}, {2, 2}});
    LinkPath path;
    EXPECT_FALSE(CheckLink(g, {0, 0}, {3, 2}, path));
    EXPECT_FALSE(LinkBfs::CanLink(g, {0, 0}, {3, 2}));

    // Opening (1,0) allows down, right, down.
    Empty(g, {{1, 0}});
    ASSERT_TRUE(CheckLink(g, {0, 0}, {3, 2}, path));
    ExpectNodes(path, {{0, 0}, {1, 0}, {1, 2}, {3, 2}});
}

TEST(LinkSearch, RefusesTheSameCellAnEmptyCellAndDifferentCodes) {
    TileGridT g{};
    g[0][0] = 3;
    g[0][1] = 3;
    g[5][5] = 4;
    LinkPath path;
    EXPECT_FALSE(CheckLink(g, {0, 0}, {0, 0}, path));
    EXPECT_FALSE(CheckLink(g, {0, 0}, {2, 2}, path));  // empty second cell
    EXPECT_FALSE(CheckLink(g, {2, 2}, {0, 0}, path));  // empty first cell
    EXPECT_FALSE(CheckLink(g, {2, 2}, {2, 3}, path));  // two empty cells side by side
    EXPECT_FALSE(CheckLink(g, {0, 1}, {5, 5}, path));
    EXPECT_FALSE(CheckLink(g, {0, 0}, {10, 0}, path));  // outside the grid
    EXPECT_FALSE(CheckLink(g, {-1, 0}, {0, 0}, path));
}

TEST(LinkSearch, NeverCrossesATileNotEvenOneOfTheSameCode) {
    // Three equal tiles in row 0 with gaps; everything else full.
    TileGridT g = FullBoard();
    g[0][0] = g[0][2] = g[0][4] = 5;
    Empty(g, {{0, 1}, {0, 3}});
    LinkPath path;
    EXPECT_FALSE(CheckLink(g, {0, 0}, {0, 4}, path));  // (0,2) stands between them
    ASSERT_TRUE(CheckLink(g, {0, 0}, {0, 2}, path));
    ExpectNodes(path, {{0, 0}, {0, 1}, {0, 2}});

    // A tile of another code between two equal ones: the way goes round below.
    g = FullBoard();
    g[0][0] = g[0][2] = 5;
    for (int c = 0; c < GameSize::kCols; ++c) g[1][c] = 0;
    ASSERT_TRUE(CheckLink(g, {0, 0}, {0, 2}, path));
    ExpectNodes(path, {{0, 0}, {1, 0}, {1, 2}, {0, 2}});
    EXPECT_EQ(PathFault(g, {0, 0}, {0, 2}, path), "");
}

TEST(LinkSearch, NoWayRoundTheOutsideOfTheGrid) {
    TileGridT g = FullBoard();
    g[0][0] = g[0][17] = 6;
    LinkPath path;
    EXPECT_FALSE(CheckLink(g, {0, 0}, {0, 17}, path));
    g[9][0] = g[9][17] = 6;
    EXPECT_FALSE(CheckLink(g, {9, 0}, {9, 17}, path));

    // Through the inside it works: row 1 open.
    for (int c = 0; c < GameSize::kCols; ++c) g[1][c] = 0;
    ASSERT_TRUE(CheckLink(g, {0, 0}, {0, 17}, path));
    ExpectNodes(path, {{0, 0}, {1, 0}, {1, 17}, {0, 17}});
}

TEST(LinkPair, TriesCodesInOrderOfFirstAppearance) {
    // Code 5 comes first but its two tiles are shut in; code 3 follows and links;
    // code 2 links too but appears later.
    TileGridT g = FullBoard();
    g[0][0] = g[9][17] = 5;
    g[0][1] = g[0][4] = 3;
    g[0][6] = g[0][9] = 2;
    Empty(g, {{0, 2}, {0, 3}, {0, 7}, {0, 8}});
    LinkPath path;
    ASSERT_TRUE(FindLinkPair(g, path));
    ExpectNodes(path, {{0, 1}, {0, 3}, {0, 4}});
    EXPECT_EQ(g[0][1], 3);  // the board is left as it was
    EXPECT_EQ(g[0][4], 3);
}

TEST(LinkPair, WithinACodeTakesTheEarliestFirstCellThatLinks) {
    // A, B, C of one code in scan order: only B and C link.
    TileGridT g = FullBoard();
    g[0][0] = g[2][3] = g[2][6] = 1;
    Empty(g, {{2, 4}, {2, 5}});
    LinkPath path;
    ASSERT_TRUE(FindLinkPair(g, path));
    ExpectNodes(path, {{2, 3}, {2, 5}, {2, 6}});
}

TEST(LinkPair, NoPairOnAShutBoardOrAnEmptyOne) {
    LinkPath path;
    EXPECT_FALSE(FindLinkPair(FullBoard(), path));
    EXPECT_FALSE(FindLinkPair(TileGridT{}, path));
    // A 255 from a confused server is no tile for the pair search.
    TileGridT g{};
    g[0][0] = g[0][1] = 255;
    EXPECT_FALSE(FindLinkPair(g, path));
}

// Boards of every density and few or many codes, and shut boards with a few cells
// opened (where pairs rarely link); the pairs asked about are equal most of the time.
TEST(LinkSearchRandom, AgreesWithBreadthFirstSearchAndReturnsLegalPaths) {
    std::mt19937_64 rng(20240611);
    constexpr int kBoards = 100000;
    const int kCodeChoices[] = {1, 2, 3, 6, 39};
    int yes = 0, no = 0, pairYes = 0, pairNo = 0;
    for (int b = 0; b < kBoards; ++b) {
        const double density = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        const int codes = kCodeChoices[rng() % 5];
        TileGridT g{};
        if (b % 3 == 0) {
            g = FullBoard();
            for (int n = static_cast<int>(rng() % 40); n > 0; --n) g[rng() % 10][rng() % 18] = 0;
        } else {
            for (auto& row : g)
                for (auto& cell : row)
                    if (std::uniform_real_distribution<double>(0.0, 1.0)(rng) < density)
                        cell = static_cast<std::uint8_t>(1 + rng() % codes);
        }

        for (int k = 0; k < 4; ++k) {
            const CellPos p1{static_cast<int>(rng() % 10), static_cast<int>(rng() % 18)};
            const CellPos p2{static_cast<int>(rng() % 10), static_cast<int>(rng() % 18)};
            if (rng() % 10 < 8) g[p1.row][p1.col] = g[p2.row][p2.col] = static_cast<std::uint8_t>(1 + rng() % codes);
            LinkPath path;
            const bool ours = CheckLink(g, p1, p2, path);
            const bool bfs = LinkBfs::CanLink(g, p1, p2);
            ASSERT_EQ(ours, bfs) << "board " << b << " pair " << k;
            if (ours) {
                ASSERT_EQ(PathFault(g, p1, p2, path), "") << "board " << b;
                ++yes;
            } else {
                ++no;
            }
        }
        if (b % 4 == 0) {
            LinkPath path;
            const bool found = FindLinkPair(g, path);
            ASSERT_EQ(found, LinkBfs::AnyPair(g)) << "board " << b;
            if (found) {
                const CellPos a = path.First(), z = path.Last();
                ASSERT_EQ(g[a.row][a.col], g[z.row][z.col]);
                ASSERT_EQ(PathFault(g, a, z, path), "") << "board " << b;
                ++pairYes;
            } else {
                ++pairNo;
            }
        }
    }
    // Both answers must be well represented, or the comparison proves little.
    EXPECT_GT(yes, kBoards / 4);
    EXPECT_GT(no, kBoards / 4);
    EXPECT_GT(pairYes, 1000);
    EXPECT_GT(pairNo, 1000);
}
