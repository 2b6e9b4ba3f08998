// Item and group confirmations: who may use what on whom, exact lengths, the new grids
// of rearrange, mirror and obstacle, the bomb's pair, the compass, and group changes.
#include "GameTable.h"

using namespace gametable;

namespace {
// Six single tiles: no move at all.
TileGridT Singles() {
    TileGridT g{};
    for (int i = 0; i < 6; ++i) g[4][3 * i] = static_cast<std::uint8_t>(20 + i);
    return g;
}
// Singles and one linkable pair of code 7 at (0,0)-(0,1).
TileGridT WithPair() {
    TileGridT g = Singles();
    g[0][0] = g[0][1] = 7;
    return g;
}
Bytes Item(std::initializer_list<std::uint8_t> head, const TileGridT* grid = nullptr) {
    Bytes m{133};
    m.insert(m.end(), head);
    if (grid) {
        const Bytes b = GridBytes(*grid);
        m.insert(m.end(), b.begin(), b.end());
    }
    return m;
}
}  // namespace

TEST(ItemMsg, ThrownItemNamesUserAndTargetAndSetsTheCount) {
    Table t;
    t.Deal(WithPair());
    t.Receive(Item({2, 0, 1, 0, 3}));  // 李四 freezes tester
    ASSERT_EQ(t.chat.size(), 1u);
    EXPECT_EQ(t.chat[0], "李四 对 tester 使用了道具：禁手");
    EXPECT_EQ(t.seat(1).bteDaoJuCount[2], 3);

    t.Receive(Item({9, 0, 2, 6}));  // 王五's compass
    EXPECT_EQ(t.chat.back(), "王五 使用了道具：指南针");
    EXPECT_EQ(t.seat(2).bteDaoJuCount[0], 6);
}

TEST(ItemMsg, IgnoredWithAWrongLengthAnOutSeatOrNoGame) {
    Table t;
    t.Deal(WithPair());
    t.seat(3).blnGameOut = true;
    t.Receive(Item({2, 0, 1, 3, 9}));     // the target is out
    t.Receive(Item({2, 0, 3, 1, 9}));     // the user is out
    t.Receive(Item({2, 0, 1, 4, 9}));     // a free seat
    t.Receive(Item({2, 0, 1, 0, 9, 0}));  // seven bytes
    t.Receive(Item({5, 0, 1, 6, 9}));     // seat 6
    t.Receive(Item({9, 0, 1}));           // short
    t.Receive(Item({8, 0, 1, 3}));        // the map is not confirmed to tables
    TileGridT short184 = WithPair();
    Bytes rearrange = Item({10, 0, 1, 9}, &short184);
    rearrange.pop_back();
    t.Receive(rearrange);
    EXPECT_TRUE(t.chat.empty());
    EXPECT_EQ(t.seat(1).bteDaoJuCount, (std::array<std::uint8_t, 9>{}));
    EXPECT_EQ(t.seat(1).TileGrid, WithPair());

    Table idle;
    idle.Receive(Item({3, 0, 1, 0, 9}));
    EXPECT_TRUE(idle.chat.empty());
    EXPECT_EQ(idle.c().gameClock->lngNaoZhongTurns, 0);
}

TEST(ItemMsg, AlarmClockOnTheLocalSeatShortensFiveTurns) {
    Table t;
    t.Deal(WithPair());
    t.Receive(Item({3, 0, 1, 2, 0}));  // at another seat
    EXPECT_EQ(t.c().gameClock->lngNaoZhongTurns, 0);
    t.Receive(Item({3, 0, 1, 0, 0}));
    EXPECT_EQ(t.c().gameClock->lngNaoZhongTurns, 5);
}

TEST(ItemMsg, BombRemovesItsPairOnlyWithTheExactLength) {
    Table t;
    t.Deal(WithPair());
    t.Receive(Item({4, 0, 1, 2, 2, 0, 0, 0, 1, 0, 0}));  // n = 2 in 12 bytes
    EXPECT_EQ(t.chat.size(), 1u);
    EXPECT_EQ(t.seat(1).bteDaoJuCount[4], 2);
    EXPECT_EQ(t.seat(1).TileGrid[0][0], 7);
    EXPECT_EQ(t.seat(1).bteLeftFkCount, 8);

    t.Press(0, 0);
    t.Receive(Item({4, 0, 1, 1, 2, 0, 0, 0, 1}));
    EXPECT_EQ(t.seat(1).TileGrid[0][0], 0);
    EXPECT_EQ(t.seat(1).TileGrid[0][1], 0);
    EXPECT_EQ(t.seat(1).bteLeftFkCount, 6);
    EXPECT_EQ(t.seat(1).bteDelFkCount, 2);
    EXPECT_EQ(t.seat(0).TileGrid[0][0], 7);
    EXPECT_EQ(t.c().selectFk->SelFk, CellPos{});  // any bomb ends the own selection
    EXPECT_TRUE(t.windows.empty());               // the own board still has its pair

    t.Receive(Item({4, 0, 0, 0, 2, 0, 0, 0, 1}));  // the own bomb leaves six singles
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，请尽快使用“重列”道具！");
}

TEST(ItemMsg, RearrangeReplacesTheUsersGridAndTestsOnlyTheOwnBoard) {
    Table t;
    t.Deal(WithPair());
    const TileGridT none = Singles();
    t.Receive(Item({10, 0, 2, 0}, &none));
    EXPECT_EQ(t.seat(2).TileGrid, none);
    EXPECT_EQ(t.seat(2).bteLeftFkCount, 8);  // the counters stay
    EXPECT_TRUE(t.windows.empty());

    t.Receive(Item({10, 0, 0, 0}, &none));
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，请再次使用“重列”道具！");
}

TEST(ItemMsg, MirrorAndObstacleReplaceTheTargetsGrid) {
    Table t;
    t.Deal(WithPair());
    TileGridT flipped = Singles();
    flipped[9][17] = 33;
    t.Receive(Item({6, 0, 1, 0, 0}, &flipped));
    EXPECT_EQ(t.seat(0).TileGrid, flipped);
    EXPECT_EQ(t.seat(1).TileGrid, WithPair());
    EXPECT_TRUE(t.windows.empty());  // a mirror is not followed by the test

    TileGridT more = Singles();  // and twelve more singles
    for (int c = 0; c < 12; ++c) more[9][c] = static_cast<std::uint8_t>(c < 6 ? 1 + c : 2 + c);
    t.Receive(Item({7, 0, 1, 2, 0}, &more));
    EXPECT_EQ(t.seat(2).TileGrid, more);
    EXPECT_EQ(t.seat(2).bteLeftFkCount, 18);
    EXPECT_TRUE(t.windows.empty());

    t.Receive(Item({7, 0, 2, 0, 0}, &more));  // the own board gets no move
    EXPECT_EQ(t.seat(0).bteLeftFkCount, 18);
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，请尽快使用“重列”道具！");
}

TEST(ItemMsg, CompassHintsOnlyOnTheOwnBoard) {
    Table t;
    t.Deal(Singles());
    t.Receive(Item({9, 0, 3, 1}));  // another seat's compass: no look at the own board
    EXPECT_TRUE(t.windows.empty());
    t.Receive(Item({9, 0, 0, 1}));
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，请尽快使用“重列”道具！");

    Table w("李四");
    w.Deal(Singles());
    w.Receive(Item({9, 0, 1, 1}));
    EXPECT_EQ(w.chat.size(), 1u);
    EXPECT_TRUE(w.windows.empty());  // a watcher sees no notice
}

TEST(GroupMsg, StoredOnlyBetweenGamesWithALineForTheFourGroups) {
    Table t;
    t.Receive(Item({255, 0, 1, 2}));
    ASSERT_EQ(t.chat.size(), 1u);
    EXPECT_EQ(t.chat[0], "李四 将分组改为了 B组");
    EXPECT_EQ(t.seat(1).bteFenZu, 2);

    t.Receive(Item({255, 0, 2, 4}));
    EXPECT_EQ(t.seat(2).bteFenZu, 4);
    EXPECT_EQ(t.chat.size(), 1u);

    t.seat(3).strUserName = "  ";
    t.Receive(Item({255, 0, 3, 1}));
    t.Receive(Item({255, 0, 1, 1, 0}));
    t.Receive(Item({255, 0, 6, 1}));
    EXPECT_EQ(t.seat(3).bteFenZu, 0);
    EXPECT_EQ(t.seat(1).bteFenZu, 2);

    t.Deal(WithPair());  // the deal gives everybody group 0
    t.Receive(Item({255, 0, 1, 3}));
    EXPECT_EQ(t.seat(1).bteFenZu, 0);
    EXPECT_EQ(t.chat.size(), 1u);
}
