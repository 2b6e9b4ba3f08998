// The table model every client and computer player keeps: game start, removals, items,
// time-outs, group changes and results applied to seats, boards and counters.
#include <gtest/gtest.h>

#include "core/BroadcastParsers.h"
#include "core/GameMessages.h"
#include "core/UserRecord.h"
#include "core/modTableModel.h"

using namespace modDaoJuDefine;

namespace {

// A table with players in seats 0..3, seat 0 local, a game running on `board`.
modGameDefine Running(const TileGridT& board) {
    modGameDefine g;
    g.InitGameDefine();
    for (int s = 0; s < 4; ++s) g.SeatUser[s].strUserName = "p" + std::to_string(s);
    g.bteCurUserNo = 0;
    GameMessages::StartInfo start;
    start.board = board;
    for (int k = 0; k < kItemCount; ++k) start.items[k] = DefaultItem(k);
    EXPECT_EQ(modTableModel::ApplyGameStart(g, GameMessages::Start(start)), modTableModel::StartResult::Dealt);
    return g;
}

TileGridT Pairs() {
    TileGridT b{};
    b[0][0] = b[0][1] = 5;
    b[2][0] = b[2][1] = 6;
    return b;
}

// The path between two tiles of Pairs(), as the link search finds it.
LinkPath Path(CellPos a, CellPos b) {
    LinkPath p;
    EXPECT_TRUE(modLinkSearch::CheckLink(Pairs(), a, b, p));
    return p;
}

}  // namespace

TEST(TableModel, StartDealsOneBoardToEverySeatAndOnlyNamedSeatsPlay) {
    const modGameDefine g = Running(Pairs());
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(g.SeatUser[s].TileGrid, Pairs()) << s;
        EXPECT_EQ(g.SeatUser[s].bteLeftFkCount, 4) << s;
        EXPECT_EQ(g.SeatUser[s].blnGameOut, s >= 4) << s;
    }
    EXPECT_FALSE(g.blnGameStopped);
    EXPECT_TRUE(g.blnCanSelect);
    EXPECT_FALSE(g.blnShowStart);
    // The local seat gets the free uses of every item.
    for (int k = 0; k < kItemCount; ++k) EXPECT_EQ(g.SeatUser[0].bteDaoJuCount[k], DefaultItem(k).bteFreeCount);

    // A start cut inside the groups takes the groups it carries and deals nothing; one
    // too large for the grid deals nothing either.
    modGameDefine cut = g;
    Bytes start = GameMessages::Start({});
    start[12] = 2;
    start[13] = 3;
    EXPECT_EQ(modTableModel::ApplyGameStart(cut, Bytes(start.begin(), start.begin() + 14)),
              modTableModel::StartResult::Short);
    EXPECT_EQ(cut.SeatUser[1].bteFenZu, 3);
    EXPECT_EQ(cut.SeatUser[0].bteLeftFkCount, 0);
    start[18] = 11;
    EXPECT_EQ(modTableModel::ApplyGameStart(cut, start), modTableModel::StartResult::SizeError);
    EXPECT_EQ(cut.SeatUser[0].TileGrid, TileGridT{});
}

TEST(TableModel, RemovalBroadcastReadsItsPathAndNothingAfterIt) {
    // The broadcast: bytes after a whole path are not read, and the pair goes.
    modGameDefine g = Running(Pairs());
    GameMessages::RemoveInfo r;
    r.seat = 1;
    r.counts[DJ_ZHADAN] = 3;
    r.path = Path({0, 0}, {0, 1});
    Bytes msg = GameMessages::RemoveBroadcast(r);
    msg.insert(msg.end(), {9, 9, 9});
    GameMessages::RemoveInfo got;
    ASSERT_TRUE(modTableModel::ApplyRemoval(g, msg, got));
    EXPECT_TRUE(got.hasPath);
    EXPECT_EQ(g.SeatUser[1].TileGrid[0][0], 0);
    EXPECT_EQ(g.SeatUser[1].bteLeftFkCount, 2);
    EXPECT_EQ(g.SeatUser[1].bteDelFkCount, 2);
    EXPECT_EQ(g.SeatUser[1].bteDaoJuCount[DJ_ZHADAN], 3);
    EXPECT_EQ(g.SeatUser[2].TileGrid, Pairs());

    // The request, from an untrusted player, must end with its path.
    Bytes request = GameMessages::RemoveRequest(1, r.path);
    std::uint8_t seat = 0;
    LinkPath path;
    EXPECT_TRUE(GameMessages::ParseRemoveRequest(request, seat, path));
    request.push_back(0);
    EXPECT_FALSE(GameMessages::ParseRemoveRequest(request, seat, path));
}

TEST(TableModel, BrokenRemovalsStoreTheCountsButTakeNoPair) {
    modGameDefine g = Running(Pairs());
    GameMessages::RemoveInfo r;
    r.seat = 2;
    r.counts[0] = 7;
    r.path = Path({0, 0}, {0, 1});
    const Bytes whole = GameMessages::RemoveBroadcast(r);
    GameMessages::RemoveInfo got;
    // A path cut in its last node: the counts are taken, the board stays.
    ASSERT_TRUE(modTableModel::ApplyRemoval(g, Bytes(whole.begin(), whole.end() - 1), got));
    EXPECT_FALSE(got.hasPath);
    EXPECT_EQ(g.SeatUser[2].bteDaoJuCount[0], 7);
    EXPECT_EQ(g.SeatUser[2].TileGrid, Pairs());
    // A node outside the grid, a seat past the table, fewer than seven bytes: no pair goes.
    Bytes outside = whole;
    outside.back() = GameSize::kCols;
    modTableModel::ApplyRemoval(g, outside, got);
    EXPECT_FALSE(got.hasPath);
    r.seat = 6;
    modTableModel::ApplyRemoval(g, GameMessages::RemoveBroadcast(r), got);
    EXPECT_FALSE(modTableModel::ApplyRemoval(g, Bytes(whole.begin(), whole.begin() + 6), got));
    for (int s = 0; s < 6; ++s) EXPECT_EQ(g.SeatUser[s].TileGrid, Pairs()) << s;
    // A repeated broadcast never wraps the tiles-left counter below zero.
    r.seat = 3;
    for (int i = 0; i < 4; ++i) modTableModel::ApplyRemoval(g, GameMessages::RemoveBroadcast(r), got);
    EXPECT_EQ(g.SeatUser[3].bteLeftFkCount, 0);
    EXPECT_EQ(modTableModel::ComboText(got), "");
    got.comboA = 3;
    got.comboB = 5;
    EXPECT_EQ(modTableModel::ComboText(got), "3/5");
}

TEST(TableModel, ItemsChangeBoardsOnlyForSeatsInPlay) {
    modGameDefine g = Running(Pairs());
    TileGridT obstacle = Pairs();
    obstacle[5][5] = obstacle[6][6] = 9;
    BroadcastParsers::ItemConfirm c;
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::GridTargetDone(DJ_ZHANGAI, 1, 2, 0, obstacle), c));
    ASSERT_TRUE(modTableModel::ItemTakesEffect(g, c));
    EXPECT_TRUE(modTableModel::ApplyItemBoards(g, c));
    EXPECT_EQ(g.SeatUser[2].TileGrid, obstacle);
    EXPECT_EQ(g.SeatUser[2].bteLeftFkCount, 6);
    EXPECT_EQ(g.SeatUser[1].TileGrid, Pairs());

    // A bomb whose message does not end with its path takes no pair.
    Bytes bomb = GameMessages::BombDone(3, 0, Path({2, 0}, {2, 1}));
    bomb.push_back(0);
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(bomb, c));
    EXPECT_FALSE(modTableModel::ApplyItemBoards(g, c));
    EXPECT_EQ(g.SeatUser[3].TileGrid, Pairs());

    // A target that is out, an empty seat, or no game: the item does nothing.
    ASSERT_TRUE(modTableModel::PutSeatOut(g, 2, 4));
    EXPECT_FALSE(modTableModel::PutSeatOut(g, 2, 3));  // out already: the place stays
    EXPECT_EQ(g.SeatUser[2].btePlace, 4);
    EXPECT_FALSE(modTableModel::PutSeatOut(g, 5, 1));
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::TargetDone(DJ_JINSHOU, 1, 2, 0), c));
    EXPECT_FALSE(modTableModel::ItemTakesEffect(g, c));
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::TargetDone(DJ_JINSHOU, 1, 5, 0), c));
    EXPECT_FALSE(modTableModel::ItemTakesEffect(g, c));
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::TargetDone(DJ_JINSHOU, 1, 3, 0), c));
    EXPECT_TRUE(modTableModel::ItemTakesEffect(g, c));
    g.blnGameStopped = true;
    EXPECT_FALSE(modTableModel::ItemTakesEffect(g, c));
}

TEST(TableModel, GroupsChangeBetweenGamesAndResultsKeepNamedSeats) {
    modGameDefine g = Running(Pairs());
    BroadcastParsers::ItemConfirm c;
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::GroupDone(1, 2), c));
    EXPECT_FALSE(modTableModel::ApplyGroupChange(g, c));  // a game runs
    g.blnGameStopped = true;
    EXPECT_TRUE(modTableModel::ApplyGroupChange(g, c));
    EXPECT_EQ(g.SeatUser[1].bteFenZu, 2);
    g.SeatUser[3].strUserName = "  ";
    ASSERT_TRUE(BroadcastParsers::ParseItemConfirm(GameMessages::GroupDone(3, 1), c));
    EXPECT_FALSE(modTableModel::ApplyGroupChange(g, c));  // a blank name is nobody

    EXPECT_EQ(modTableModel::ApplyReady(g, GameMessages::Ready(2)), 2);
    EXPECT_TRUE(g.SeatUser[2].blnReady);
    EXPECT_EQ(modTableModel::ApplyReady(g, GameMessages::Ready(6)), -1);

    const auto results =
        modTableModel::NamedResults(g, GameMessages::End({{0, 1, 30}, {4, 2, 10}, {7, 3, -5}, {2, 2, -9}}));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].seat, 0);
    EXPECT_EQ(results[1].score, -9);
}

TEST(TableModel, RecordsSeatPlayersByChairAndNeverANegativeOne) {
    modGameDefine g;
    g.InitGameDefine();
    auto record = [](const std::string& name, const std::string& chair, const std::string& watched = "") {
        std::vector<std::string> f(UserRecord::kFieldCount, "0");
        f[UserRecord::kName] = name;
        f[UserRecord::kChair] = chair;
        f[UserRecord::kWatched] = watched;
        f[UserRecord::kIconNo] = "12";
        f[UserRecord::kReady] = "1";
        return f;
    };
    EXPECT_EQ(modTableModel::SeatFromRecord(g, record("p", "8")), 2);
    EXPECT_EQ(g.SeatUser[2].strUserName, "p");
    EXPECT_EQ(g.SeatUser[2].lngIconNo, 12);
    EXPECT_FALSE(g.SeatUser[2].blnReady);  // the flags come from the user list only
    modTableModel::TakeRecordFlags(g, 2, record("p", "8"));
    EXPECT_TRUE(g.SeatUser[2].blnReady);
    // A spectator, a negative chair and a record cut short seat nobody.
    EXPECT_EQ(modTableModel::SeatFromRecord(g, record("w", "1", "p")), -1);
    EXPECT_EQ(modTableModel::SeatFromRecord(g, record("n", "-1")), -1);
    auto cut = record("c", "3");
    cut.pop_back();
    EXPECT_EQ(modTableModel::SeatFromRecord(g, cut), -1);
    for (int s = 0; s < 6; ++s)
        if (s != 2) EXPECT_TRUE(g.SeatUser[s].strUserName.empty()) << s;
    modTableModel::FreeSeat(g, 2);
    EXPECT_TRUE(g.SeatUser[2].strUserName.empty());
    EXPECT_FALSE(g.SeatUser[2].blnReady);
}
