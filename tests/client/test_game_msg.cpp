// Game messages as the server sends them: the deal, ready marks, removals with combos and
// item counts, time-outs, chat, a player who cannot go on, notices and the game end.
// Forges raw messages: cut, scrambled and odd-sized game messages, at the client.
#include <QPushButton>
#include <QTimer>
#include <tuple>

#include "GameTable.h"
#include "PaintFixtures.h"
#include "client/platform/WindowTimer.h"
#include "core/TableExit.h"
#include "core/modPublicTools.h"

using namespace gametable;

namespace {
// A board of single tiles (no move among them) and one linkable pair of code 7 at
// (0,0)-(0,1).
TileGridT PairAndSingles(int singles) {
    TileGridT g = Board({{{0, 0}, 7}, {{0, 1}, 7}});
    for (int i = 0; i < singles; ++i) g[5][2 * i] = static_cast<std::uint8_t>(10 + i);
    return g;
}
}  // namespace

TEST(GameStart, DealsOneBoardToEverySeatAndReadsTheItemRecords) {
    Table t;
    TileGridT board = PairAndSingles(3);
    board[9][17] = 39;
    t.seat(2).bteDaoJuCount[5] = 4;  // counts of the last game go
    // Item 0: price 300, 2 free, self use; item 1: byte 5 of 2 counts as self use;
    // item 2: price -1, thrown (byte 5 = 0), 4 tiles needed, 1 free per removal.
    t.Receive(StartMsg(board, 10, 18,
                       {{0, 0, 1, 44, 2, 1, 0, 0}, {0, 0, 0, 0, 0, 2, 0, 0}, {255, 255, 255, 255, 3, 0, 4, 1}},
                       {1, 2, 3, 0, 2, 9}));
    const auto& g = t.game();
    EXPECT_FALSE(g.blnGameStopped);
    EXPECT_TRUE(g.blnGameSetKnown);
    EXPECT_TRUE(g.blnCanSelect);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(t.seat(s).TileGrid, board) << s;  // free seats too
        EXPECT_EQ(t.seat(s).bteLeftFkCount, 6) << s;
        EXPECT_EQ(t.seat(s).bteDelFkCount, 0) << s;
        EXPECT_EQ(t.seat(s).blnGameOut, s >= 4) << s;
    }
    EXPECT_EQ(t.seat(1).bteFenZu, 2);
    EXPECT_EQ(t.seat(5).bteFenZu, 9);
    EXPECT_EQ(g.g_DaoJu[0].lngPrice, 300);
    EXPECT_TRUE(g.g_DaoJu[1].blnUseSelf);
    EXPECT_EQ(g.g_DaoJu[2].lngPrice, -1);
    EXPECT_FALSE(g.g_DaoJu[2].blnUseSelf);
    EXPECT_EQ(g.g_DaoJu[2].bteNeedDelFk, 4);
    EXPECT_EQ(g.g_DaoJu[2].bteFreePerDelFk, 1);
    EXPECT_FALSE(g.g_DaoJu[3].blnUseSelf);  // not listed: as before
    EXPECT_EQ(t.seat(0).bteDaoJuCount[0], 2);
    EXPECT_EQ(t.seat(0).bteDaoJuCount[2], 3);
    EXPECT_EQ(t.seat(1).bteDaoJuCount[0], 0);  // only the local seat gets the free uses
    EXPECT_EQ(t.seat(2).bteDaoJuCount[5], 0);
    EXPECT_TRUE(t.bar().Running());
    EXPECT_EQ(t.bar().TotalSeconds(), 30);
}

TEST(GameStart, SmallBoardFillsFromTheCornerAndTwelveRecordsSetNineItems) {
    Table t;
    TileGridT full;
    for (auto& row : full) row.fill(4);
    std::vector<std::array<std::uint8_t, 8>> items(12, {0, 0, 0, 5, 1, 0, 0, 0});
    t.Receive(StartMsg(full, 8, 16, items));
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 18; ++c) EXPECT_EQ(t.seat(3).TileGrid[r][c], r < 8 && c < 16 ? 4 : 0) << r << "," << c;
    EXPECT_EQ(t.seat(3).bteLeftFkCount, 128);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(t.game().g_DaoJu[i].lngPrice, 5) << i;
}

TEST(GameStart, OversizedBoardGivesTheSizeMessageAndNoBoard) {
    for (auto [rows, cols] : {std::pair{19, 10}, std::pair{11, 18}, std::pair{10, 19}}) {
        Table t;
        t.Receive(StartMsg(PairAndSingles(2), rows, cols));
        ASSERT_EQ(t.windows.size(), 1u) << rows << "x" << cols;
        EXPECT_EQ(t.windows[0].first, "服务器发送的方块阵列数据无法处理！尺寸不符！");
        EXPECT_EQ(t.windows[0].second, "tilelink");
        EXPECT_EQ(t.seat(0).TileGrid, TileGridT{});
        EXPECT_EQ(t.seat(0).bteLeftFkCount, 0);
        EXPECT_FALSE(t.bar().Running());
    }
}

TEST(GameStart, HidesAStartButtonThatWasNeverPressed) {
    Table t;
    t.game().blnShowStart = true;  // the player agreed to the settings, which made it ready
    t.c().gameClock->UpdateStartButton();
    ASSERT_FALSE(t.c().mainForm->cmdStart->isHidden());
    t.Receive(StartMsg(PairAndSingles(2)));
    EXPECT_TRUE(t.c().mainForm->cmdStart->isHidden());
    EXPECT_FALSE(t.c().mainForm->tmrStart->Enabled());
}

TEST(GameReady, OnlyATwoByteMessageForARealSeatMarksIt) {
    Table t;
    t.Receive({18, 2});
    t.Receive({18, 3, 0});
    t.Receive({18, 6});
    EXPECT_TRUE(t.seat(2).blnReady);
    EXPECT_FALSE(t.seat(3).blnReady);
}

TEST(GameRemove, ElevenCountsStoreNineAndThePathFollowsThem) {
    Table t;
    t.Deal(PairAndSingles(3));
    std::vector<std::uint8_t> counts{1, 2, 3, 4, 5, 6, 7, 8, 9, 30, 40};
    Bytes m = RemoveMsg(2, {{0, 0}, {0, 1}}, 3, 5, counts);
    ASSERT_EQ(m[17], 2);  // the node count stands behind all eleven counts
    t.Receive(m);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(t.seat(2).bteDaoJuCount[i], i + 1);
    EXPECT_EQ(t.seat(2).TileGrid[0][0], 0);
    EXPECT_EQ(t.seat(2).TileGrid[0][1], 0);
    EXPECT_EQ(t.seat(2).bteDelFkCount, 2);
    EXPECT_EQ(t.seat(2).bteLeftFkCount, 3);
    EXPECT_EQ(t.seat(0).TileGrid[0][0], 7);  // other boards keep the pair
    EXPECT_EQ(t.c().gameMsg->strLianJiText, "3/5");

    t.Receive(RemoveMsg(3, {{0, 0}, {0, 1}}, 0, 5));
    EXPECT_EQ(t.c().gameMsg->strLianJiText, "");
}

TEST(GameRemove, BrokenPathsAndSeatsChangeNoBoard) {
    Table t;
    t.Deal(PairAndSingles(3));
    const TileGridT before = t.seat(1).TileGrid;
    Bytes truncated = RemoveMsg(1, {{0, 0}, {0, 1}}, 0, 0, {5});
    truncated.pop_back();
    t.Receive(truncated);
    EXPECT_EQ(t.seat(1).bteDaoJuCount[0], 5);                           // the counts came before the break
    t.Receive(RemoveMsg(1, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}));  // five nodes
    t.Receive(RemoveMsg(1, {{0, 0}, {10, 1}}));                         // a row outside the grid
    t.Receive(RemoveMsg(1, {{0, 0}}));
    t.Receive(RemoveMsg(6, {{0, 0}, {0, 1}}));
    t.Receive({19, 0, 1, 0, 0, 0});
    EXPECT_EQ(t.seat(1).TileGrid, before);
    EXPECT_EQ(t.seat(1).bteLeftFkCount, 5);
    EXPECT_EQ(t.seat(1).bteDelFkCount, 0);
}

TEST(GameRemove, TilesLeftCounterNeverWrapsBelowZero) {
    Table t;
    t.Deal(Board({{{0, 0}, 7}, {{0, 1}, 7}}));
    t.Receive(RemoveMsg(1, {{0, 0}, {0, 1}}));
    t.Receive(RemoveMsg(1, {{0, 0}, {0, 1}}));  // a repeated broadcast
    EXPECT_EQ(t.seat(1).bteLeftFkCount, 0);
    EXPECT_EQ(t.seat(1).bteDelFkCount, 4);
}

TEST(GameRemove, OwnRemovalLeavingNoMoveGivesTheNoticeAndNoNewTurn) {
    Table t;
    t.Deal(PairAndSingles(5));         // 5 tiles left after the pair
    t.c().gameClock->StopTurnClock();  // the pair was sent
    t.Receive(RemoveMsg(1, {{0, 0}, {0, 1}}));
    EXPECT_FALSE(t.bar().Running());  // another seat's removal starts no turn here
    EXPECT_TRUE(t.windows.empty());
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，请尽快使用“重列”道具！");
    EXPECT_FALSE(t.bar().Running());
}

TEST(GameRemove, OwnRemovalLeavingFourTilesStartsTheNextTurn) {
    Table t;
    t.Deal(PairAndSingles(4));
    t.c().gameClock->StopTurnClock();
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    EXPECT_TRUE(t.windows.empty());
    EXPECT_TRUE(t.bar().Running());
}

TEST(GameRemove, OwnLastPairEndsTheTurnsInsteadOfStartingOne) {
    Table t;
    t.Deal(PairAndSingles(0));  // only the pair
    t.c().gameClock->StopTurnClock();
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    EXPECT_EQ(t.seat(0).bteLeftFkCount, 0);
    EXPECT_TRUE(t.windows.empty());
    EXPECT_FALSE(t.bar().Running());
}

TEST(GameRemove, WatcherGetsNoNoticeButTheWatchedTurnGoesOn) {
    Table t("李四");
    ASSERT_TRUE(t.game().blnIsWatcher);
    t.Deal(PairAndSingles(5));
    t.c().gameClock->StopTurnClock();
    t.Receive(RemoveMsg(1, {{0, 0}, {0, 1}}));
    EXPECT_TRUE(t.windows.empty());
    EXPECT_TRUE(t.bar().Running());
}

TEST(GameTimeOut, TakesAPlayingSeatOutOnce) {
    Table t;
    t.Deal(PairAndSingles(2));
    t.Press(0, 0);  // a selection in progress goes with the board
    ASSERT_NE(t.c().selectFk->SelFk.row, -1);
    t.Receive({20, 0, 0, 4});
    EXPECT_EQ(t.c().selectFk->SelFk.row, -1);
    EXPECT_FALSE(t.c().mainForm->shpSelectFlag->isVisible());
    EXPECT_TRUE(t.seat(0).blnGameOut);
    EXPECT_EQ(t.seat(0).btePlace, 4);
    EXPECT_FALSE(t.bar().Running());  // the own seat's clock stops
    ASSERT_EQ(t.chat.size(), 1u);
    EXPECT_EQ(t.chat[0], "tester 时间耗尽...");
    t.Receive({20, 0, 0, 2});  // already out
    t.Receive({20, 0, 4, 2});  // a free seat
    t.Receive({20, 0, 1, 2, 0});
    t.Receive({20, 0, 7, 2});
    EXPECT_EQ(t.seat(0).btePlace, 4);
    EXPECT_FALSE(t.seat(1).blnGameOut);
    EXPECT_EQ(t.chat.size(), 1u);
}

TEST(GameTimeOut, IgnoredByAWatcherAndBetweenGames) {
    Table w("李四");
    w.Deal(PairAndSingles(2));
    w.Receive({20, 0, 2, 3});
    EXPECT_FALSE(w.seat(2).blnGameOut);
    EXPECT_TRUE(w.chat.empty());

    Table t;
    t.Receive({20, 0, 1, 3});
    EXPECT_EQ(t.seat(1).btePlace, 0);
    EXPECT_TRUE(t.chat.empty());
}

// A player who cleared the board: every client, the spectators' too, shows the place on
// that board at once, the same way, and the own board shows no time-out banner.
TEST(GameFinish, ClearedBoardShowsItsPlaceAtOnceOnEveryClient) {
    Table player, watcher("李四");
    for (Table* t : {&player, &watcher}) {
        paintfix::WriteScoreArt(t->h.AppFolder());
        t->Deal(PairAndSingles(0));
        t->Receive(RemoveMsg(1, {{0, 0}, {0, 1}}));
        ASSERT_EQ(t->seat(1).bteLeftFkCount, 0);
        t->Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 1, 1});
        EXPECT_TRUE(t->seat(1).blnGameOut);
        EXPECT_EQ(t->seat(1).btePlace, 1);
        EXPECT_TRUE(t->chat.empty());  // the server's chat line tells the table
    }
    // The player sees it on 李四's small board: the place sprite and the placard.
    const QImage& mine = player.h.Main().Image;
    EXPECT_EQ(mine.pixel(10 + 36 + 20, 32 + 8 + 20), paintfix::SpriteColor(1));
    EXPECT_EQ(mine.pixel(10 + 7 + 20, 32 + 56 + 5), paintfix::kPlacardColor);
    EXPECT_TRUE(player.bar().Running());  // the player's own game goes on
    // The spectator of 李四 sees the trophy on the large board, without the banner.
    const QImage& watched = watcher.h.Main().Image;
    EXPECT_EQ(watched.pixel(210, 300), paintfix::kWinColor);
    EXPECT_NE(watched.pixel(250, 200), paintfix::kTimeEndColor);
    EXPECT_EQ(watched.pixel(333 + 20, 427 + 20), paintfix::SpriteColor(1));
    // A redraw keeps it so; a player who timed out with tiles left keeps the banner.
    watcher.h.Main().RedrawAllSeats();
    EXPECT_NE(watched.pixel(250, 200), paintfix::kTimeEndColor);
    player.Receive({20, 0, 0, 4});
    EXPECT_EQ(mine.pixel(250, 200), paintfix::kTimeEndColor);
}

TEST(GameFinish, OwnFinishEndsTheTurnsAndOddMessagesChangeNothing) {
    Table t;
    paintfix::WriteScoreArt(t.h.AppFolder());
    t.Deal(PairAndSingles(0));
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 0, 2});
    EXPECT_TRUE(t.seat(0).blnGameOut);
    EXPECT_FALSE(t.bar().Running());
    EXPECT_EQ(t.h.Main().Image.pixel(210, 300), paintfix::kFailColor);  // second place
    EXPECT_NE(t.h.Main().Image.pixel(250, 200), paintfix::kTimeEndColor);
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 0, 1});  // already out
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 4, 1});  // a free seat
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 9, 1});
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 2, 1, 0});
    t.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 2});
    EXPECT_EQ(t.seat(0).btePlace, 2);
    EXPECT_FALSE(t.seat(2).blnGameOut);
    EXPECT_EQ(t.seat(4).btePlace, 0);
    // Between games it is not read.
    Table idle;
    idle.Receive({modGameMsgDefine::GAMEMSG_FINISH, 0, 1, 1});
    EXPECT_EQ(idle.seat(1).btePlace, 0);
}

TEST(GameChat, TenFieldsShowFieldsTwoToNineAndNineShowNothing) {
    Table t;
    auto chat = [](const std::string& text) {
        Bytes m;
        modPublicTools::ConvertStrToBytes(text, m, {1});
        return m;
    };
    t.Receive(chat("所有人`0`李四`所有人`12:00:00`255`0`1`你好`-"));
    t.Receive(chat("所有人`0`李四`所有人`12:00:00`255`0`1`你好"));
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_EQ(t.records[0][0], "李四");
    EXPECT_EQ(t.records[0][6], "你好");
    EXPECT_EQ(t.records[0][7], "-");
}

TEST(GamePlayerQuit, LocalPlayerLeavesAfterTheMessageAndAWatcherStays) {
    auto quit = [](int seat) {
        Bytes m;
        modPublicTools::ConvertStrToBytes("掉线", m, {5, 0, static_cast<std::uint8_t>(seat)});
        return m;
    };
    Table t;
    t.Receive(quit(1));
    EXPECT_EQ(t.h.ended, 0);
    t.Receive(quit(0));
    ASSERT_EQ(t.windows.size(), 2u);
    EXPECT_EQ(t.windows[1].first, "tester 不能继续玩下去，原因：掉线");
    EXPECT_EQ(t.windows[1].second, "tilelink系统提示");
    EXPECT_EQ(t.h.ended, 1);
    EXPECT_EQ(t.h.client->exitStatus, TableExit::CannotGoOn);

    Table w("李四");
    w.Receive(quit(1));
    EXPECT_EQ(w.windows.size(), 1u);
    EXPECT_EQ(w.h.ended, 0);
}

TEST(GameNotice, TextGoesToTheMessageWindow) {
    Table t;
    Bytes m;
    modPublicTools::ConvertStrToBytes("服务器即将维护", m, {21});
    t.Receive(m);
    ASSERT_EQ(t.windows.size(), 1u);
    EXPECT_EQ(t.windows[0].first, "服务器即将维护");
}

namespace {
Bytes EndMsg(std::vector<std::tuple<int, int, std::int32_t>> results) {
    Bytes m{22, 0};
    for (auto [seat, place, score] : results) {
        m.push_back(static_cast<std::uint8_t>(seat));
        m.push_back(static_cast<std::uint8_t>(place));
        modPublicTools::PutLong(m, score);
    }
    return m;
}
}  // namespace

TEST(GameEnd, ShowsScoresClearsBoardsAndBringsBackTheStartButton) {
    Table t;
    t.Deal(PairAndSingles(2));
    t.Press(0, 0);
    Bytes m = EndMsg({{0, 1, 120}, {1, 2, -30}, {4, 3, 50}, {9, 1, 1}});
    m.push_back(0);  // a broken last record
    t.Receive(m);
    EXPECT_EQ(t.chat, (std::vector<std::string>{"tester得分：120", "李四得分：-30"}));
    EXPECT_TRUE(t.game().blnGameStopped);
    EXPECT_EQ(t.seat(0).TileGrid, TileGridT{});
    EXPECT_EQ(t.c().selectFk->SelFk, CellPos{});
    EXPECT_FALSE(t.h.Main().shpSelectFlag->isVisible());
    EXPECT_FALSE(t.bar().Running());
    EXPECT_TRUE(t.h.Main().cmdStart->isVisible());
    EXPECT_TRUE(t.h.Main().tmrStart->Enabled());

    Table w("李四");
    w.Deal(PairAndSingles(2));
    w.Receive(EndMsg({{1, 1, 10}}));
    EXPECT_FALSE(w.h.Main().cmdStart->isVisible());
}

TEST(GameEnd, PauseServesEventsAndStopsWhenTheProgramEnds) {
    Table t;
    t.Deal(PairAndSingles(2));
    t.c().gameMsg->lngEndDelayTime = 5000;
    QTimer::singleShot(30, [&] { t.h.Main().Unload(); });
    t.Receive(EndMsg({{0, 1, 10}}));
    EXPECT_EQ(t.h.ended, 1);
    EXPECT_FALSE(t.game().blnShowStart);
}

TEST(GameEnd, GameStartedDuringThePauseKeepsItsBoardsAndHiddenButton) {
    Table t;
    t.Deal(PairAndSingles(2));
    t.c().gameMsg->lngEndDelayTime = 300;
    QTimer::singleShot(30, [&] { t.Receive(StartMsg(PairAndSingles(3))); });
    t.Receive(EndMsg({{0, 1, 10}}));
    EXPECT_FALSE(t.game().blnGameStopped);
    EXPECT_EQ(t.seat(0).bteLeftFkCount, 5);
    EXPECT_FALSE(t.h.Main().cmdStart->isVisible());
    EXPECT_TRUE(t.bar().Running());
}

TEST(GameMessages, EveryCutAndScrambledMessageIsHandledSafely) {
    Table t;
    const TileGridT board = PairAndSingles(5);
    Bytes chat;
    modPublicTools::ConvertStrToBytes("a`b`c`d`e`f`g`h`i`j", chat, {1});
    const Bytes grid = GridBytes(board);
    Bytes rearrange{133, 10, 0, 0, 1}, mirror{133, 6, 0, 1, 0, 1};
    rearrange.insert(rearrange.end(), grid.begin(), grid.end());
    mirror.insert(mirror.end(), grid.begin(), grid.end());
    const std::vector<Bytes> whole{StartMsg(board, 10, 18, {{0, 0, 0, 9, 1, 1, 0, 0}, {0, 0, 0, 9, 1, 1, 0, 0}}),
                                   RemoveMsg(0, {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 2, 3, {1, 2, 3}),
                                   {133, 4, 0, 0, 1, 2, 0, 0, 0, 1},
                                   {133, 2, 0, 1, 0, 1},
                                   {133, 9, 0, 0, 1},
                                   rearrange,
                                   mirror,
                                   {20, 0, 1, 3},
                                   {18, 1},
                                   {113, 0, 1},
                                   EndMsg({{0, 1, 5}, {1, 2, 3}}),
                                   chat,
                                   {133, 255, 0, 1, 2}};
    std::uint32_t seed = 12345;
    for (int round = 0; round < 3; ++round)
        for (const Bytes& m : whole)
            for (std::size_t cut = 1; cut <= m.size(); ++cut) {
                Bytes part(m.begin(), m.begin() + static_cast<std::ptrdiff_t>(cut));
                for (std::size_t i = 1; round > 0 && i < part.size(); ++i) {
                    seed = seed * 1103515245u + 12345u;  // scramble every byte but the code
                    if ((seed >> 16) % 3 == 0) part[i] = static_cast<std::uint8_t>(seed >> 24);
                }
                t.c().gameMsg->ExecGameMsg(part);
                t.c().gameMsg->ExecGameMsg(StartMsg(board));  // a fresh game for the next one
            }
    for (int s = 0; s < 6; ++s) EXPECT_LE(t.seat(s).bteLeftFkCount, 180);
}
