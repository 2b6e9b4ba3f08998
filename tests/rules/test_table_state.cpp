// The table-state snapshot: both layouts, board sizes, item lists, watchers, and a
// message cut short at every length.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "core/modDaoJuDefine.h"
#include "core/modPublicTools.h"
#include "core/modTableState.h"
#include "tests/rules/StateHelpers.h"

using modTableState::DecodeTableState;
using StateHelpers::Difference;
using StateHelpers::MarkedState;

namespace {

struct SeatRecord {
    std::uint8_t seat, group, out, place, removed, left;
    std::uint8_t firstCode;  // the board is firstCode, firstCode + 1, ... row-major
};

// Builds a snapshot and notes, for every byte that sets a field, how the field is set;
// the state a prefix of the message must give is the start state with the notes of
// the bytes inside the prefix applied.
class Snapshot {
public:
    Snapshot(std::uint8_t localSeat, bool watcher) : local_(localSeat), watcher_(watcher) {}

    Bytes msg;
    bool Watcher() const { return watcher_; }

    void Skip(std::uint8_t v) { msg.push_back(v); }
    void Set(std::uint8_t v, std::function<void(modGameDefine&, std::uint8_t)> apply) {
        notes_.emplace_back(msg.size(), [=](modGameDefine& g) { apply(g, v); });
        msg.push_back(v);
    }
    void SetPrice(std::int32_t price, int item) {
        Bytes b;
        modPublicTools::PutLong(b, price);
        msg.insert(msg.end(), b.begin(), b.end());
        notes_.emplace_back(msg.size() - 1, [=](modGameDefine& g) { g.g_DaoJu[item].lngPrice = price; });
    }

    void NoGame(const std::uint8_t ready[6], const std::uint8_t groups[6]) {
        Skip(109), Skip(0);
        Set(0, [](modGameDefine& g, std::uint8_t) { g.blnGameStopped = true; });
        Skip(0);
        for (int s = 0; s < 6; ++s)
            Set(ready[s], [s](modGameDefine& g, std::uint8_t v) { g.SeatUser[s].blnReady = v != 0; });
        for (int s = 0; s < 6; ++s)
            Set(groups[s], [s](modGameDefine& g, std::uint8_t v) { g.SeatUser[s].bteFenZu = v; });
        if (watcher_) Skip(1);
        // The start button follows the ready flag of the local seat, known from byte 4 + seat on.
        const bool watcher = watcher_;
        const int local = local_;
        notes_.emplace_back(2, [=](modGameDefine& g) { g.blnShowStart = !watcher && !g.SeatUser[local].blnReady; });
    }

    void Running(std::uint8_t rows, std::uint8_t cols, const std::vector<SeatRecord>& seats, int n) {
        Skip(109), Skip(7);
        const bool watcher = watcher_;
        Set(1, [=](modGameDefine& g, std::uint8_t) {
            g.blnGameStopped = false;
            g.blnCanSelect = !watcher;
        });
        Skip(7), Skip(3), Skip(1);
        Skip(static_cast<std::uint8_t>(n)), Skip(rows), Skip(cols), Skip(static_cast<std::uint8_t>(seats.size()));
        for (const SeatRecord& r : seats) {
            const int s = r.seat;
            const bool stored = s < 6;
            auto field = [&](std::uint8_t v, auto member) {
                if (stored) Set(v, [s, member](modGameDefine& g, std::uint8_t x) { member(g.SeatUser[s], x); });
                else Skip(v);
            };
            Skip(r.seat);
            field(r.group, [](SeatUserDef& u, std::uint8_t x) { u.bteFenZu = x; });
            field(r.out, [](SeatUserDef& u, std::uint8_t x) { u.blnGameOut = x != 0; });
            field(r.place, [](SeatUserDef& u, std::uint8_t x) { u.btePlace = x; });
            field(r.removed, [](SeatUserDef& u, std::uint8_t x) { u.bteDelFkCount = x; });
            field(r.left, [](SeatUserDef& u, std::uint8_t x) { u.bteLeftFkCount = x; });
            std::uint8_t code = r.firstCode;
            for (int row = 0; row < rows; ++row)
                for (int col = 0; col < cols; ++col, ++code) {
                    if (stored)
                        Set(code,
                            [s, row, col](modGameDefine& g, std::uint8_t x) { g.SeatUser[s].TileGrid[row][col] = x; });
                    else Skip(code);
                }
        }
        const int local = local_;
        for (int i = 0; i < n; ++i) {
            const auto count = static_cast<std::uint8_t>(200 + i);
            if (i < 9) Set(count, [=](modGameDefine& g, std::uint8_t x) { g.SeatUser[local].bteDaoJuCount[i] = x; });
            else Skip(count);
        }
        for (int i = 0; i < n; ++i) {  // records past the ninth are there but never read
            const bool read = i < 9;
            auto field = [&](std::uint8_t v, auto member) {
                if (read) Set(v, [i, member](modGameDefine& g, std::uint8_t x) { member(g.g_DaoJu[i], x); });
                else Skip(v);
            };
            if (read) SetPrice(-1000 * (i + 1), i);
            else Skip(0), Skip(0), Skip(0), Skip(1);
            field(static_cast<std::uint8_t>(i + 1), [](DaoJuDef& d, std::uint8_t x) { d.bteFreeCount = x; });
            field(static_cast<std::uint8_t>(i % 2 ? 0 : 2), [](DaoJuDef& d, std::uint8_t x) { d.blnUseSelf = x != 0; });
            field(static_cast<std::uint8_t>(2 * i), [](DaoJuDef& d, std::uint8_t x) { d.bteNeedDelFk = x; });
            field(static_cast<std::uint8_t>(50 + i), [](DaoJuDef& d, std::uint8_t x) { d.bteFreePerDelFk = x; });
        }
    }

    modGameDefine Expected(modGameDefine start, std::size_t length) const {
        for (const auto& [pos, apply] : notes_)
            if (pos < length) apply(start);
        return start;
    }

private:
    std::uint8_t local_;
    bool watcher_;
    std::vector<std::pair<std::size_t, std::function<void(modGameDefine&)>>> notes_;
};

modGameDefine ResetState(std::uint8_t local, bool watcher) {
    modGameDefine g = MarkedState(local, watcher);
    g.ResetBoards();
    return g;
}

}  // namespace

TEST(TableState, RunningGameFillsTheGridFromTheTopLeft) {
    for (auto [rows, cols] : {std::pair{10, 18}, std::pair{8, 16}}) {
        Snapshot snap(2, false);
        snap.Running(static_cast<std::uint8_t>(rows), static_cast<std::uint8_t>(cols),
                     {{2, 1, 0, 0, 4, 176, 1}, {4, 3, 1, 2, 8, 172, 100}}, 9);
        modGameDefine g = ResetState(2, false);
        ASSERT_EQ(DecodeTableState(g, snap.msg), TableStateResult::GameRunning);
        const SeatUserDef& two = g.SeatUser[2];
        EXPECT_EQ(two.TileGrid[0][0], 1);
        EXPECT_EQ(two.TileGrid[rows - 1][cols - 1], static_cast<std::uint8_t>(rows * cols));
        EXPECT_EQ(g.SeatUser[4].TileGrid[1][0], static_cast<std::uint8_t>(100 + cols));
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 18; ++c)
                if (r >= rows || c >= cols) {
                    EXPECT_EQ(two.TileGrid[r][c], 0) << r << "," << c;
                }
        EXPECT_FALSE(two.blnGameOut);
        EXPECT_TRUE(g.SeatUser[4].blnGameOut);
        EXPECT_EQ(g.SeatUser[4].btePlace, 2);
        EXPECT_EQ(two.bteDelFkCount, 4);
        EXPECT_EQ(two.bteLeftFkCount, 176);
        EXPECT_EQ(g.SeatUser[4].bteFenZu, 3);
        // Seats the snapshot does not name stay cleared.
        EXPECT_TRUE(g.SeatUser[0].blnGameOut);
        EXPECT_EQ(modGameDefine::CountTiles(g.SeatUser[0].TileGrid), 0);
        EXPECT_FALSE(g.blnGameStopped);
        EXPECT_TRUE(g.blnCanSelect);
        EXPECT_EQ(Difference(g, snap.Expected(ResetState(2, false), snap.msg.size())), "");
    }
}

TEST(TableState, OversizedBoardChangesNothingAndStartsNoGame) {
    for (auto [rows, cols] : {std::pair{11, 18}, std::pair{10, 19}, std::pair{255, 1}}) {
        Snapshot snap(0, false);
        snap.Running(static_cast<std::uint8_t>(rows), static_cast<std::uint8_t>(cols), {{0, 1, 0, 0, 0, 2, 1}}, 9);
        const modGameDefine before = ResetState(0, false);
        modGameDefine g = before;
        EXPECT_EQ(DecodeTableState(g, snap.msg), TableStateResult::SizeError) << rows << " x " << cols;
        EXPECT_EQ(Difference(g, before), "");
        EXPECT_TRUE(g.blnGameStopped);
        EXPECT_FALSE(g.blnCanSelect);
    }
    // An empty board of 0 rows fits.
    Snapshot snap(0, false);
    snap.Running(0, 18, {{0, 1, 0, 0, 0, 0, 1}}, 0);
    modGameDefine g = ResetState(0, false);
    EXPECT_EQ(DecodeTableState(g, snap.msg), TableStateResult::GameRunning);
    EXPECT_FALSE(g.SeatUser[0].blnGameOut);
}

TEST(TableState, TwelveItemsStoreNineCountsAndReadNineRecordsAfterTheSkippedCounts) {
    Snapshot snap(3, false);
    snap.Running(2, 2, {{3, 0, 0, 0, 0, 4, 1}}, 12);
    modGameDefine g = ResetState(3, false);
    ASSERT_EQ(DecodeTableState(g, snap.msg), TableStateResult::GameRunning);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(g.SeatUser[3].bteDaoJuCount[i], 200 + i);
        EXPECT_EQ(g.g_DaoJu[i].lngPrice, -1000 * (i + 1));
        EXPECT_EQ(g.g_DaoJu[i].bteFreeCount, i + 1);
        EXPECT_EQ(g.g_DaoJu[i].blnUseSelf, i % 2 == 0);  // byte 5 of 2 counts as self-use
        EXPECT_EQ(g.g_DaoJu[i].bteFreePerDelFk, 50 + i);
    }
    EXPECT_EQ(g.g_DaoJu[0].strName, "指南针");  // names never travel
    for (int s : {0, 1, 2, 4, 5})
        for (std::uint8_t c : g.SeatUser[s].bteDaoJuCount) EXPECT_EQ(c, 0);  // only the local seat
}

TEST(TableState, SeatRecordAboveFiveIsReadPastAndStoredNowhere) {
    Snapshot snap(1, false);
    snap.Running(3, 3, {{6, 2, 0, 0, 0, 9, 50}, {1, 1, 0, 0, 0, 9, 1}}, 1);
    modGameDefine g = ResetState(1, false);
    ASSERT_EQ(DecodeTableState(g, snap.msg), TableStateResult::GameRunning);
    EXPECT_EQ(g.SeatUser[1].TileGrid[2][2], 9);
    EXPECT_EQ(g.SeatUser[1].bteDaoJuCount[0], 200);
    EXPECT_EQ(Difference(g, snap.Expected(ResetState(1, false), snap.msg.size())), "");
}

TEST(TableState, BetweenGamesOnlyReadyFlagsAndGroupsChange) {
    const std::uint8_t ready[6] = {0, 1, 0, 7, 0, 0};
    const std::uint8_t groups[6] = {0, 1, 2, 3, 4, 0};
    for (auto [local, watcher, showStart] :
         {std::tuple{0, false, true}, std::tuple{1, false, false}, std::tuple{0, true, false}}) {
        Snapshot snap(static_cast<std::uint8_t>(local), watcher);
        snap.NoGame(ready, groups);
        const modGameDefine before = MarkedState(static_cast<std::uint8_t>(local), watcher);
        modGameDefine g = before;
        ASSERT_EQ(DecodeTableState(g, snap.msg), TableStateResult::NoGame);
        EXPECT_EQ(g.blnShowStart, showStart) << "local " << local << " watcher " << watcher;
        EXPECT_TRUE(g.SeatUser[3].blnReady);
        EXPECT_EQ(g.SeatUser[4].bteFenZu, 4);
        EXPECT_TRUE(g.blnGameStopped);
        // Boards, counters and items are not touched.
        EXPECT_EQ(g.SeatUser[0].TileGrid[5][5], 77);
        EXPECT_EQ(g.SeatUser[2].bteDaoJuCount[0], 94);
        EXPECT_EQ(Difference(g, snap.Expected(before, snap.msg.size())), "");
    }
}

TEST(TableState, WatcherAndPlayerLayoutsDecodeAlike) {
    const std::uint8_t ready[6] = {1, 0, 1, 0, 1, 0};
    const std::uint8_t groups[6] = {3, 2, 1, 0, 3, 2};
    Snapshot player(1, false), watcher(1, true);
    player.NoGame(ready, groups);
    watcher.NoGame(ready, groups);
    ASSERT_EQ(watcher.msg.size(), player.msg.size() + 1);
    modGameDefine p = ResetState(1, false), w = ResetState(1, true);
    ASSERT_EQ(DecodeTableState(p, player.msg), TableStateResult::NoGame);
    ASSERT_EQ(DecodeTableState(w, watcher.msg), TableStateResult::NoGame);
    w.blnShowStart = p.blnShowStart = false;
    EXPECT_EQ(Difference(p, w), "");

    // While a game runs both carry byte 5; only blnCanSelect tells them apart.
    Snapshot runP(5, false), runW(5, true);
    runP.Running(4, 4, {{5, 0, 0, 0, 2, 14, 1}}, 9);
    runW.Running(4, 4, {{5, 0, 0, 0, 2, 14, 1}}, 9);
    ASSERT_EQ(runP.msg, runW.msg);
    p = ResetState(5, false);
    w = ResetState(5, true);
    DecodeTableState(p, runP.msg);
    DecodeTableState(w, runW.msg);
    EXPECT_TRUE(p.blnCanSelect);
    EXPECT_FALSE(w.blnCanSelect);
    w.blnCanSelect = true;
    EXPECT_EQ(Difference(p, w), "");
}

// Every prefix of a message: nothing read past its end, every field the prefix does
// not reach keeps its marker value, and every field it reaches is set.
TEST(TableState, MessageCutShortAtEveryLength) {
    const std::uint8_t ready[6] = {1, 1, 0, 0, 1, 0};
    const std::uint8_t groups[6] = {1, 2, 3, 0, 1, 2};
    std::vector<Snapshot> snaps;
    for (bool watcher : {false, true}) {
        snaps.emplace_back(2, watcher);
        snaps.back().NoGame(ready, groups);
        snaps.emplace_back(2, watcher);
        snaps.back().Running(8, 16, {{2, 1, 0, 0, 6, 122, 1}, {9, 1, 0, 0, 0, 0, 30}, {0, 2, 1, 3, 4, 124, 60}}, 12);
    }
    for (const Snapshot& snap : snaps) {
        const modGameDefine start = MarkedState(2, snap.Watcher());
        for (std::size_t len = 0; len <= snap.msg.size(); ++len) {
            const Bytes cut(snap.msg.begin(), snap.msg.begin() + static_cast<std::ptrdiff_t>(len));
            modGameDefine g = start;
            const TableStateResult result = DecodeTableState(g, cut);
            if (len < 3) {
                ASSERT_EQ(result, TableStateResult::TooShort) << len;
            } else {
                ASSERT_EQ(result, snap.msg[2] ? TableStateResult::GameRunning : TableStateResult::NoGame) << len;
            }
            ASSERT_EQ(Difference(g, snap.Expected(start, len)), "") << "length " << len << " of " << snap.msg.size();
        }
    }
}
