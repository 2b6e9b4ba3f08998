// Clearing whole boards, and the rules tool's answers and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "core/modSolver.h"
#include "tests/rules/BoardHelpers.h"
#include "tests/rules/LinkBfs.h"
#include "tools/rules/RulesCommand.h"

using modSolver::SolveBoard;
using modSolver::SolveOutcome;

namespace {

// Every order of removals tried, links judged by the breadth-first search; `failed`
// holds the boards already known not to clear.
bool ClearableByEveryOrder(TileGridT& g, std::set<TileGridT>& failed) {
    if (failed.count(g)) return false;
    bool any = false;
    for (int i = 0; i < 180; ++i) {
        const CellPos a{i / 18, i % 18};
        if (g[a.row][a.col] == 0) continue;
        any = true;
        for (int j = i + 1; j < 180; ++j) {
            const CellPos b{j / 18, j % 18};
            if (!LinkBfs::CanLink(g, a, b)) continue;
            const std::uint8_t code = g[a.row][a.col];
            g[a.row][a.col] = g[b.row][b.col] = 0;
            const bool cleared = ClearableByEveryOrder(g, failed);
            g[a.row][a.col] = g[b.row][b.col] = code;
            if (cleared) return true;
        }
    }
    if (any) failed.insert(g);
    return !any;
}

// The moves replayed one by one: each a legal link at its turn, the board empty at the end.
std::string ReplayFault(TileGridT g, const modSolver::SolveResult& r) {
    LinkPath path;
    for (const auto& [a, b] : r.moves) {
        if (!modLinkSearch::CheckLink(g, a, b, path)) return "an illegal removal";
        g[a.row][a.col] = g[b.row][b.col] = 0;
    }
    return modGameDefine::CountTiles(g) == 0 ? "" : "tiles left after the last removal";
}

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Tool(std::vector<std::string> args, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = RulesCommand::Run(args, in, out, err);
    return {code, out.str(), err.str()};
}

std::string BoardText(const TileGridT& g) {
    std::string t;
    for (const auto& row : g) {
        for (int c = 0; c < 18; ++c) t += (c ? " " : "") + std::to_string(row[c]);
        t += "\n";
    }
    return t;
}

}  // namespace

TEST(Solver, TrivialBoards) {
    const auto empty = SolveBoard(TileGridT{});
    EXPECT_EQ(empty.outcome, SolveOutcome::Solvable);
    EXPECT_TRUE(empty.moves.empty());

    TileGridT odd{};
    odd[0][0] = odd[0][1] = odd[5][5] = 3;
    const auto r = SolveBoard(odd);
    EXPECT_EQ(r.outcome, SolveOutcome::Unsolvable);
    EXPECT_EQ(r.lngNodes, 0u);

    // Crossed pairs shut in the corner of the grid: no move at all.
    TileGridT crossed{};
    crossed[0][0] = crossed[1][1] = 1;
    crossed[0][1] = crossed[1][0] = 2;
    EXPECT_EQ(SolveBoard(crossed).outcome, SolveOutcome::Unsolvable);
    // Crossed pairs are no better in the open: the diagonal needs three turns.
    TileGridT open{};
    open[4][4] = open[5][5] = 1;
    open[4][5] = open[5][4] = 2;
    EXPECT_EQ(SolveBoard(open).outcome, SolveOutcome::Unsolvable);
    // A pair between two tiles of another code must go first.
    open = TileGridT{};
    open[0][0] = open[0][3] = 1;
    open[0][1] = open[0][2] = 2;
    const auto cleared = SolveBoard(open);
    ASSERT_EQ(cleared.outcome, SolveOutcome::Solvable);
    EXPECT_EQ(ReplayFault(open, cleared), "");
}

// Small crowded corners against trying every order of removal.
TEST(Solver, AgreesWithTryingEveryOrderOnSmallBoards) {
    std::mt19937 rng(7);
    int solvable = 0, unsolvable = 0;
    for (int b = 0; b < 1500; ++b) {
        // A nearly full block in the corner of the grid: 4 x 4 or 4 x 5 of few or many
        // codes, or 5 x 6 with every pair a code of its own.
        const bool distinct = b % 3 == 2;
        const int rows = distinct ? 5 : 4, cols = distinct ? 6 : 4 + b % 2;
        TileGridT g{};
        std::vector<int> cells;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) cells.push_back(r * 18 + c);
        std::shuffle(cells.begin(), cells.end(), rng);
        const int pairs = static_cast<int>(cells.size()) / 2 - static_cast<int>(rng() % 3);
        const int codes = distinct ? pairs : 2 + static_cast<int>(rng() % (pairs - 1));
        for (int p = 0; p < pairs; ++p) {
            const auto code = static_cast<std::uint8_t>(distinct ? 1 + p : 1 + rng() % codes);
            g[cells[2 * p] / 18][cells[2 * p] % 18] = g[cells[2 * p + 1] / 18][cells[2 * p + 1] % 18] = code;
        }
        const TileGridT corner = g;
        TileGridT copy = corner;
        std::set<TileGridT> failed;
        const bool expected = ClearableByEveryOrder(copy, failed);
        const auto r = SolveBoard(corner);
        ASSERT_NE(r.outcome, SolveOutcome::Unknown) << b;
        ASSERT_EQ(r.outcome == SolveOutcome::Solvable, expected) << "board " << b << "\n" << BoardText(corner);
        if (expected) {
            ASSERT_EQ(ReplayFault(corner, r), "") << b;
            ++solvable;
        } else {
            ++unsolvable;
        }
        // Stopping one board short of the end gives no answer.
        if (r.lngNodes >= 2) {
            const auto cut = SolveBoard(corner, r.lngNodes - 1);
            EXPECT_EQ(cut.outcome, SolveOutcome::Unknown) << b;
            EXPECT_EQ(cut.lngNodes, r.lngNodes - 1) << b;
        }
    }
    EXPECT_GT(solvable, 500);
    EXPECT_GT(unsolvable, 20);
}

TEST(Solver, ClearsADealtBoard) {
    // 32 kinds four times each, shuffled into an 8 x 16 block inside an empty border.
    std::mt19937 rng(11);
    std::vector<std::uint8_t> tiles;
    for (int k = 1; k <= 32; ++k)
        for (int n = 0; n < 4; ++n) tiles.push_back(static_cast<std::uint8_t>(k));
    std::shuffle(tiles.begin(), tiles.end(), rng);
    TileGridT g{};
    for (int i = 0; i < 128; ++i) g[1 + i / 16][1 + i % 16] = tiles[i];
    const auto r = SolveBoard(g);
    ASSERT_EQ(r.outcome, SolveOutcome::Solvable) << r.lngNodes;
    EXPECT_EQ(r.moves.size(), 64u);
    EXPECT_EQ(ReplayFault(g, r), "");
}

TEST(RulesTool, AnswersWithPathNodesInOrder) {
    TileGridT g = BoardHelpers::FullBoard();
    g[0][0] = g[0][3] = 1;
    BoardHelpers::Empty(g, {{0, 1}, {0, 2}});
    const std::string board = BoardText(g);

    ToolRun run = Tool({"check-link", "0", "0", "0", "3"}, board);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "yes 0,0 0,2 0,3\n");
    run = Tool({"check-link", "0", "0", "5", "5"}, board);
    EXPECT_EQ(run.out, "no\n");
    run = Tool({"find-pair"}, board);
    EXPECT_EQ(run.out, "yes 0,0 0,2 0,3\n");
    run = Tool({"find-pair"}, BoardText(BoardHelpers::FullBoard()));
    EXPECT_EQ(run.out, "no\n");

    // CR LF and blank lines around the board are fine.
    std::string dos;
    for (char ch : board) dos += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    run = Tool({"check-link", "0", "3", "0", "0"}, "\n" + dos + "\n\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "yes 0,3 0,1 0,0\n");

    TileGridT pair{};
    pair[2][2] = pair[2][3] = 9;
    run = Tool({"solvable", "--moves"}, BoardText(pair));
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "yes\nnodes 1\n2,2 2,3\n");
    pair[7][7] = 9;
    pair[7][8] = 9;
    pair[8][8] = 9;
    run = Tool({"solvable", "--limit", "5"}, BoardText(pair));
    EXPECT_EQ(run.out, "no\nnodes 0\n");
}

TEST(RulesTool, RefusesBadInputWithAMessageAndCodeTwo) {
    const std::string good = BoardText(TileGridT{});
    std::string nineRows = good.substr(0, good.rfind('\n', good.size() - 2) + 1);
    std::string shortRow = good;
    shortRow.replace(0, 2, "");  // first row loses one code
    std::string badCode = good;
    badCode.replace(0, 1, "40");
    std::string word = good;
    word.replace(0, 1, "x");
    std::string negative = good;
    negative.replace(0, 1, "-1");
    std::string huge(100000, '0');

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, good},
        {{"shuffle"}, good},
        {{"check-link", "0", "0", "0"}, good},
        {{"check-link", "0", "0", "10", "0"}, good},
        {{"check-link", "0", "18", "0", "0"}, good},
        {{"check-link", "a", "0", "0", "0"}, good},
        {{"check-link", "-1", "0", "0", "0"}, good},
        {{"check-link", "0", "0", "0", "99999999999999999999999"}, good},
        {{"find-pair", "extra"}, good},
        {{"solvable", "--limit"}, good},
        {{"solvable", "--limit", "0"}, good},
        {{"solvable", "--fast"}, good},
        {{"find-pair"}, nineRows},
        {{"find-pair"}, good + good},
        {{"find-pair"}, shortRow},
        {{"find-pair"}, badCode},
        {{"find-pair"}, word},
        {{"find-pair"}, negative},
        {{"find-pair"}, ""},
        {{"find-pair"}, huge},
    };
    for (const auto& [args, input] : cases) {
        const ToolRun run = Tool(args, input);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(run.code, RulesCommand::kExitBadInput) << line;
        EXPECT_FALSE(run.err.empty()) << line;
        EXPECT_TRUE(run.out.empty()) << line;
    }
    EXPECT_NE(Tool({"find-pair"}, nineRows).err.find("10 rows"), std::string::npos);
    EXPECT_NE(Tool({"find-pair"}, shortRow).err.find("line 1"), std::string::npos);
    EXPECT_EQ(Tool({"--help"}, "").code, 0);
}
