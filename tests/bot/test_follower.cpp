// The computer player's copy of the table, kept from the server's messages.
// Forges raw messages: removals with short count lists and cut paths, at the computer player.
#include <gtest/gtest.h>

#include <random>

#include "BotTestKit.h"
#include "core/modGameMsgDefine.h"

using namespace BotTestKit;
using Event = TableFollower::Event;
using namespace modDaoJuDefine;

namespace {

RoomMessages::GameSetAsk Ask(bool master, bool decided, bool due = true) {
    RoomMessages::GameSetAsk a;
    a.recipient = "p2";
    a.master = "p0";
    a.isMaster = master;
    a.seated = 3;
    a.answerDue = due;
    a.masterDecided = decided;
    a.settings.baseScore = 20;
    return a;
}

// p2 playing at a table of four, a game running on `board`.
TableFollower InGame(const TileGridT& board) {
    TableFollower f;
    ApplyAll(f, Joined("p2", "p2", Players(4)));
    f.Apply(StartOn(board));
    return f;
}

const TileGridT kBoard = Board({
    "ab.ab",
    "cc..d",
    "....d",
    "eeff.",
});

}  // namespace

TEST(TableFollower, JoiningSeatsPlayersByChairAndFindsTheOwnSeat) {
    TableFollower f;
    auto records = Players(2);
    records.push_back(Record("late", 7));       // chair 7 is seat 1 ... taken after p1
    records.push_back(Record("me", 4, "", 1));  // ready already
    records.push_back(Record("w", 0, "p0"));    // a spectator takes no seat
    ApplyAll(f, Joined("me", "me", records));
    EXPECT_EQ(f.OwnSeat(), 4);
    EXPECT_FALSE(f.IsWatcher());
    EXPECT_EQ(f.Game().SeatUser[0].strUserName, "p0");
    EXPECT_EQ(f.Game().SeatUser[1].strUserName, "late");
    EXPECT_TRUE(f.Game().SeatUser[2].strUserName.empty());
    // The snapshot decides the hands: nobody is ready in it, so the start button shows.
    EXPECT_TRUE(f.ShowStart());
    EXPECT_TRUE(f.GameSetKnown());
    EXPECT_EQ(f.PressStart(), GameMessages::ReadyRequest(4));
    EXPECT_FALSE(f.ShowStart());
}

TEST(TableFollower, ASpectatorFollowsTheWatchedSeatAndNeverActs) {
    TableFollower f;
    auto records = Players(3);
    records.push_back(Record("w", 1, "p1"));
    ApplyAll(f, Joined("w", "p1", records, true));
    EXPECT_TRUE(f.IsWatcher());
    EXPECT_EQ(f.OwnSeat(), 1);
    EXPECT_FALSE(f.ShowStart());
    EXPECT_TRUE(f.PressStart().empty());
    f.Apply(StartOn(kBoard));
    EXPECT_TRUE(f.GameRunning());
    EXPECT_FALSE(f.Playing());
    // Time-outs are the players' business: a spectator ignores them.
    EXPECT_EQ(f.Apply(GameMessages::TimeOut(1, 3)).kind, Event::None);
    EXPECT_FALSE(f.Game().SeatUser[1].blnGameOut);
}

TEST(TableFollower, SettingsRequestsTellTheMasterTheWaitingAndTheAgreeing) {
    TableFollower f;
    ApplyAll(f, Joined("p2", "p2", Players(3)));
    auto h = f.Apply(RoomMessages::GameSetAskMsg(Ask(true, false)));
    EXPECT_EQ(h.kind, Event::SettingsMaster);
    ASSERT_TRUE(h.settings);
    EXPECT_EQ(h.settings->baseScore, 20);
    EXPECT_EQ(f.Apply(RoomMessages::GameSetAskMsg(Ask(false, false))).kind, Event::SettingsWait);
    EXPECT_EQ(f.Apply(RoomMessages::GameSetAskMsg(Ask(false, true))).kind, Event::SettingsShown);

    // Nothing to set: the start button only, and its press is the agreement.
    h = f.Apply(RoomMessages::GameSetAskMsg(Ask(false, false, false)));
    EXPECT_EQ(h.kind, Event::StartButton);
    EXPECT_FALSE(f.GameSetKnown());
    EXPECT_EQ(f.PressStart(), RoomMessages::GameSetAccept("p2"));

    // Settings text without exactly seven fields: a dialog that cannot be shown.
    h = f.Apply(GameMessages::TextMessage({111, 0}, "1`p2`p0`0`3`1`1`4`10`20"));
    EXPECT_EQ(h.kind, Event::SettingsShown);
    EXPECT_FALSE(h.settings);
    EXPECT_EQ(f.Apply(GameMessages::TextMessage({111, 0}, "1`p2`p0`1`3")).kind, Event::None);
}

TEST(TableFollower, AgreementsRaiseHandsAndOpenTheDialogOnlyForOthers) {
    TableFollower f;
    ApplyAll(f, Joined("p2", "p2", Players(3)));
    GameSettings s;
    auto h = f.Apply(RoomMessages::GameSetAgreeMsg(0, "p0", &s));
    EXPECT_EQ(h.kind, Event::SettingsShown);
    ASSERT_TRUE(h.settings);
    EXPECT_EQ(*h.settings, s);
    EXPECT_TRUE(f.Game().SeatUser[0].blnReady);
    // The local player's own name opens nothing.
    EXPECT_EQ(f.Apply(RoomMessages::GameSetAgreeMsg(0, "p2", &s)).kind, Event::Ready);
    EXPECT_TRUE(f.Game().SeatUser[2].blnReady);
    EXPECT_EQ(f.Apply(RoomMessages::GameSetAgreeMsg(1, "nobody", nullptr)).kind, Event::None);
    // A sub-code above 1 takes every hand down again.
    f.Apply(RoomMessages::GameSetAgreeMsg(2, "p1", nullptr));
    for (const auto& seat : f.Game().SeatUser) EXPECT_FALSE(seat.blnReady);
}

TEST(TableFollower, GameStartDealsOneBoardToEverySeat) {
    TableFollower f = InGame(kBoard);
    EXPECT_TRUE(f.Playing());
    for (const auto& seat : f.Game().SeatUser) {
        EXPECT_EQ(seat.TileGrid, kBoard);  // empty seats too
        EXPECT_EQ(seat.bteLeftFkCount, 12);
        EXPECT_EQ(seat.bteDelFkCount, 0);
    }
    EXPECT_FALSE(f.Game().SeatUser[1].blnGameOut);
    EXPECT_TRUE(f.Game().SeatUser[5].blnGameOut);
    // Free uses for the local seat only.
    EXPECT_EQ(f.Game().SeatUser[2].bteDaoJuCount[DJ_ZHADAN], 1);
    EXPECT_EQ(f.Game().SeatUser[1].bteDaoJuCount[DJ_ZHADAN], 0);
    EXPECT_EQ(f.GamesStarted(), 1);

    // A board of 11 rows: the size notice, no board, nothing to play.
    Bytes tooBig = StartOn(kBoard);
    tooBig[18] = 11;
    EXPECT_EQ(f.Apply(tooBig).kind, Event::Notice);
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, TileGridT{});
    EXPECT_EQ(f.Game().SeatUser[2].bteLeftFkCount, 0);
}

TEST(TableFollower, RemovalsClearTheEndCellsOfThatSeatOnly) {
    TableFollower f = InGame(kBoard);
    GameMessages::RemoveInfo r;
    r.seat = 1;
    r.counts[DJ_CHONGLIE] = 4;
    r.path = PathOf({{1, 0}, {1, 1}});
    auto h = f.Apply(GameMessages::RemoveBroadcast(r));
    EXPECT_EQ(h.kind, Event::Removal);
    EXPECT_EQ(h.seat, 1);
    const auto& s1 = f.Game().SeatUser[1];
    EXPECT_EQ(s1.TileGrid[1][0], 0);
    EXPECT_EQ(s1.TileGrid[1][1], 0);
    EXPECT_EQ(s1.bteLeftFkCount, 10);
    EXPECT_EQ(s1.bteDelFkCount, 2);
    EXPECT_EQ(s1.bteDaoJuCount[DJ_CHONGLIE], 4);
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, kBoard);

    // Three count bytes replace three counts; the rest stay as they were.
    f.Apply(Bytes{19, 0, 2, 0, 0, 3, 7, 7, 7, 2, 3, 0, 3, 1});
    const auto& s2 = f.Game().SeatUser[2];
    EXPECT_EQ(s2.bteDaoJuCount[0], 7);
    EXPECT_EQ(s2.bteDaoJuCount[2], 7);
    EXPECT_EQ(s2.bteDaoJuCount[DJ_ZHADAN], 1);
    EXPECT_EQ(s2.TileGrid[3][0], 0);

    // A seat number past the table, and a short message, change nothing.
    const TableFollower before = f;
    r.seat = 6;
    EXPECT_EQ(f.Apply(GameMessages::RemoveBroadcast(r)).kind, Event::None);
    EXPECT_EQ(f.Apply(Bytes{19, 0, 1, 0, 0, 0}).kind, Event::None);
    for (int s = 0; s < 6; ++s) EXPECT_EQ(f.Game().SeatUser[s].TileGrid, before.Game().SeatUser[s].TileGrid);
}

TEST(TableFollower, ItemConfirmationsChangeBoardsOnlyWhenTheyFit) {
    TableFollower f = InGame(kBoard);
    const TileGridT other = Board({"zz"});
    // Rearrange: the user's grid, 185 bytes exactly.
    auto h = f.Apply(GameMessages::RearrangeDone(1, 3, other));
    EXPECT_EQ(h.kind, Event::ItemUsed);
    EXPECT_EQ(f.Game().SeatUser[1].TileGrid, other);
    EXPECT_EQ(f.Game().SeatUser[1].bteDaoJuCount[DJ_CHONGLIE], 3);
    Bytes shortRearrange = GameMessages::RearrangeDone(2, 0, other);
    shortRearrange.pop_back();
    EXPECT_EQ(f.Apply(shortRearrange).kind, Event::None);
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, kBoard);

    // Mirror and obstacle: the target's grid; the obstacle recounts the tiles.
    f.Apply(GameMessages::GridTargetDone(DJ_JINGZI, 0, 3, 0, other));
    EXPECT_EQ(f.Game().SeatUser[3].TileGrid, other);
    EXPECT_EQ(f.Game().SeatUser[3].bteLeftFkCount, 12);
    f.Apply(GameMessages::GridTargetDone(DJ_ZHANGAI, 0, 2, 0, other));
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, other);
    EXPECT_EQ(f.Game().SeatUser[2].bteLeftFkCount, 2);

    // A bomb of 12 bytes for a two-node pair: the count changes, the tiles stay.
    Bytes bomb = GameMessages::BombDone(0, 5, PathOf({{1, 0}, {1, 1}}));
    bomb.insert(bomb.end(), {0, 0});
    EXPECT_EQ(f.Apply(bomb).kind, Event::ItemUsed);
    EXPECT_EQ(f.Game().SeatUser[0].bteDaoJuCount[DJ_ZHADAN], 5);
    EXPECT_EQ(f.Game().SeatUser[0].TileGrid[1][0], 3);
    f.Apply(GameMessages::BombDone(0, 4, PathOf({{1, 0}, {1, 1}})));
    EXPECT_EQ(f.Game().SeatUser[0].TileGrid[1][0], 0);
    EXPECT_EQ(f.Game().SeatUser[0].bteLeftFkCount, 10);

    // A freeze on a player who is out: ignored entirely.
    f.Apply(GameMessages::TimeOut(3, 4));
    EXPECT_EQ(f.Apply(GameMessages::TargetDone(DJ_JINSHOU, 0, 3, 9)).kind, Event::None);
    EXPECT_EQ(f.Game().SeatUser[0].bteDaoJuCount[DJ_JINSHOU], 0);
    // A thrown item aimed at an empty seat is ignored too.
    EXPECT_EQ(f.Apply(GameMessages::TargetDone(DJ_MENGYAN, 0, 5, 1)).kind, Event::None);
}

TEST(TableFollower, AlarmClocksShortenTheNextTenTurnsAcrossGames) {
    TableFollower f = InGame(kBoard);
    f.Apply(GameMessages::TargetDone(DJ_NAOZHONG, 0, 2, 0));
    f.Apply(GameMessages::TargetDone(DJ_NAOZHONG, 1, 2, 0));
    f.Apply(GameMessages::TargetDone(DJ_NAOZHONG, 0, 1, 0));  // someone else's
    f.Apply(GameMessages::End({}));
    f.Apply(StartOn(kBoard));
    for (int turn = 0; turn < 10; ++turn) EXPECT_DOUBLE_EQ(f.NextTurnSeconds(30), 20) << turn;
    EXPECT_DOUBLE_EQ(f.NextTurnSeconds(30), 30);
}

TEST(TableFollower, GroupsChangeOnlyBetweenGames) {
    TableFollower f = InGame(kBoard);
    EXPECT_EQ(f.Apply(GameMessages::GroupDone(1, 2)).kind, Event::None);
    EXPECT_EQ(f.Game().SeatUser[1].bteFenZu, 0);
    f.Apply(GameMessages::End({}));
    EXPECT_EQ(f.Apply(GameMessages::GroupDone(1, 4)).kind, Event::GroupChanged);
    EXPECT_EQ(f.Game().SeatUser[1].bteFenZu, 4);
    EXPECT_EQ(f.Apply(GameMessages::GroupDone(5, 1)).kind, Event::None);  // a free seat
}

TEST(TableFollower, TimeOutsAndTheEndOfAGame) {
    TableFollower f = InGame(kBoard);
    auto h = f.Apply(GameMessages::TimeOut(2, 4));
    EXPECT_EQ(h.kind, Event::TimeOut);
    EXPECT_FALSE(f.Playing());
    EXPECT_EQ(f.Game().SeatUser[2].btePlace, 4);
    EXPECT_EQ(f.Apply(GameMessages::TimeOut(2, 3)).kind, Event::None);  // already out
    EXPECT_EQ(f.Game().SeatUser[2].btePlace, 4);

    h = f.Apply(GameMessages::End({{0, 1, 30}, {5, 2, 10}, {2, 4, -10}}));
    EXPECT_EQ(h.kind, Event::GameEnd);
    ASSERT_EQ(h.results.size(), 2u);  // seat 5 is nobody's
    EXPECT_EQ(h.results[1].score, -10);
    EXPECT_FALSE(f.GameRunning());
    EXPECT_TRUE(f.ShowStart());
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, TileGridT{});
    // After the first game the settings are known: the start button raises the hand.
    EXPECT_EQ(f.PressStart(), GameMessages::ReadyRequest(2));
}

TEST(TableFollower, ComingAndGoingChangesSeatsOnlyForListedUsers) {
    TableFollower f;
    ApplyAll(f, Joined("p2", "p2", Players(3)));
    EXPECT_EQ(f.Apply(RoomMessages::PlayerIn(Record("p4", 4))).kind, Event::SeatsChanged);
    EXPECT_EQ(f.Game().SeatUser[4].strUserName, "p4");
    EXPECT_EQ(f.Apply(RoomMessages::PlayerIn(Record("p4", 5))).kind, Event::None);  // already listed
    EXPECT_TRUE(f.Game().SeatUser[5].strUserName.empty());
    f.Apply(RoomMessages::UserDropped("p1"));
    EXPECT_TRUE(f.Game().SeatUser[1].blnNetBreak);
    f.Apply(RoomMessages::UserBack("p1"));
    EXPECT_FALSE(f.Game().SeatUser[1].blnNetBreak);
    EXPECT_EQ(f.Apply(RoomMessages::WatcherIn(Record("x", 0))).kind, Event::None);  // no watched player
    EXPECT_EQ(f.Apply(RoomMessages::UserLeave("p4")).kind, Event::SeatsChanged);
    EXPECT_TRUE(f.Game().SeatUser[4].strUserName.empty());
    EXPECT_EQ(f.Apply(RoomMessages::UserLeave("stranger")).kind, Event::None);
    // A table reset forgets everybody.
    f.Apply(RoomMessages::TableReset());
    EXPECT_EQ(f.OwnSeat(), -1);
    EXPECT_TRUE(f.Game().SeatUser[0].strUserName.empty());
}

TEST(TableFollower, TheSnapshotOfARunningGameFillsTheBoards) {
    TableFollower f;
    ApplyAll(f, Joined("p2", "p2", Players(3)));
    RoomMessages::TableState st;
    st.running = true;
    st.recipientSeat = 2;
    RoomMessages::TableStateSeat a;
    a.seat = 2;
    a.left = 14;
    a.removed = 4;
    a.grid = kBoard;
    RoomMessages::TableStateSeat b = a;
    b.seat = 1;
    b.out = true;
    b.place = 3;
    RoomMessages::TableStateSeat beyond = a;
    beyond.seat = 6;  // read past, stored nowhere
    st.seats = {beyond, a, b};
    st.counts[DJ_CHONGLIE] = 2;
    for (int k = 0; k < kItemCount; ++k) st.items[k] = DefaultItem(k);
    st.items[DJ_ZHADAN].bteNeedDelFk = 6;
    const auto h = f.Apply(RoomMessages::TableStateMsg(st));
    EXPECT_EQ(h.kind, Event::Snapshot);
    EXPECT_TRUE(h.running);
    EXPECT_TRUE(f.Playing());
    EXPECT_EQ(f.Game().SeatUser[2].TileGrid, kBoard);
    EXPECT_EQ(f.Game().SeatUser[2].bteDelFkCount, 4);
    EXPECT_EQ(f.Game().SeatUser[2].bteDaoJuCount[DJ_CHONGLIE], 2);
    EXPECT_TRUE(f.Game().SeatUser[1].blnGameOut);
    EXPECT_EQ(f.Game().SeatUser[1].btePlace, 3);
    EXPECT_TRUE(f.Game().SeatUser[0].blnGameOut);  // not named in the snapshot
    EXPECT_EQ(f.Game().g_DaoJu[DJ_ZHADAN].bteNeedDelFk, 6);
}

TEST(TableFollower, NoMessageOrPieceOfOneUpsetsIt) {
    // Every valid message, cut short at every length and with bytes changed at random,
    // is either applied or ignored; the counters never wrap below zero.
    GameSettings s;
    const std::vector<Bytes> valid = {RoomMessages::Identity("p2", "p2"),
                                      RoomMessages::UserList(Players(4)),
                                      RoomMessages::GameSetAskMsg(Ask(true, true)),
                                      RoomMessages::GameSetAgreeMsg(0, "p0", &s),
                                      StartOn(kBoard),
                                      GameMessages::RemoveBroadcast({2, 0, 0, {}, PathOf({{1, 0}, {1, 1}})}),
                                      GameMessages::RearrangeDone(2, 1, kBoard),
                                      GameMessages::GridTargetDone(DJ_ZHANGAI, 1, 2, 0, kBoard),
                                      GameMessages::BombDone(2, 0, PathOf({{3, 0}, {3, 1}})),
                                      GameMessages::TimeOut(1, 2),
                                      GameMessages::End({{2, 1, 5}}),
                                      GameMessages::Chat(std::vector<std::string>(10, "x")),
                                      GameMessages::PlayerQuit(1, "掉线"),
                                      RoomMessages::UserLeave("p1")};
    std::mt19937 rng(42);
    TableFollower f;
    for (int round = 0; round < 40; ++round)
        for (const auto& m : valid)
            for (std::size_t len = 0; len <= m.size(); len += 1 + len / 8) {
                Bytes piece(m.begin(), m.begin() + static_cast<std::ptrdiff_t>(len));
                if (round > 0 && !piece.empty()) piece[rng() % piece.size()] = static_cast<std::uint8_t>(rng());
                f.Apply(piece);
                for (const auto& seat : f.Game().SeatUser) ASSERT_LE(seat.bteLeftFkCount, 180);
            }
}
