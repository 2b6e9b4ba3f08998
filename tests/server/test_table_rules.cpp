// The rules of one table run inside the test process on a virtual clock: the start flow,
// a whole game with its combos, places, scores and stored results, turn time-outs, drops
// and returns within and past the grace, escapes, items, and the seats dismissed for
// holding the table up. Every message is read back through core's parsers.
#include <algorithm>
#include <set>

#include "TableHarness.h"
#include "core/modDaoJuDefine.h"

using namespace std::chrono_literals;
using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;
using namespace modDaoJuDefine;

namespace {

// Seats three players (甲 the master) and starts their game; the boards each was dealt.
void StartThree(TableRoom& room) {
    for (const char* name : {"甲", "乙", "丙"}) ASSERT_TRUE(room.Arrive(name));
    room.SetUpAndAgree("甲", {"乙", "丙"}, 3);
    room.Advance(room.options.startPause);
    for (const char* name : {"甲", "乙", "丙"}) ASSERT_EQ(room.Out(name).Count(GAMEMSG_START), 1) << name;
}

// The player removes the first linkable pair of its board; the broadcast everybody got.
GameMessages::RemoveInfo RemovePair(TableRoom& room, const std::string& name, BoardView& board) {
    LinkPath path;
    EXPECT_TRUE(board.NextPair(path));
    room.Say(name, GameMessages::RemoveRequest(static_cast<std::uint8_t>(room.Seat(name)), path));
    board.Take(path);
    GameMessages::RemoveInfo info;
    EXPECT_TRUE(GameMessages::ParseRemoveBroadcast(room.Out(name).All(GAMEMSG_REMOVE).back(), info));
    return info;
}

BoardView BoardOf(const TableRoom& room, const std::string& name) {
    BoardView b;
    EXPECT_TRUE(b.Start(*room.outboxes.at(name)));
    return b;
}

std::vector<std::pair<int, int>> TimeOuts(const FakeOutbox& out) {
    std::vector<std::pair<int, int>> seen;
    for (const Bytes& m : out.All(GAMEMSG_TIMEOUT)) {
        std::uint8_t seat = 0, place = 0;
        EXPECT_TRUE(BroadcastParsers::ParseTimeOut(m, seat, place));
        seen.emplace_back(seat, place);
    }
    return seen;
}

std::vector<std::string> QuitReasons(const FakeOutbox& out, int seat) {
    std::vector<std::string> reasons;
    for (const Bytes& m : out.All(GAMEMSG_PLAYERQUIT)) {
        std::uint8_t s = 0;
        std::string reason;
        EXPECT_TRUE(BroadcastParsers::ParsePlayerQuit(m, s, reason));
        if (s == seat) reasons.push_back(reason);
    }
    return reasons;
}

std::vector<BroadcastParsers::ItemConfirm> ItemConfirms(const FakeOutbox& out) {
    std::vector<BroadcastParsers::ItemConfirm> seen;
    for (const Bytes& m : out.All(GAMEMSG_ITEM)) {
        BroadcastParsers::ItemConfirm c;
        EXPECT_TRUE(BroadcastParsers::ParseItemConfirm(m, c));
        seen.push_back(c);
    }
    return seen;
}

// Item k for this test: `free` uses at the start, usable after `needRemoved` tiles, none
// earned by removing more.
void SetItem(ServerOptions& o, int k, int free, int needRemoved = 0) {
    o.items[k].bteFreeCount = static_cast<std::uint8_t>(free);
    o.items[k].bteNeedDelFk = static_cast<std::uint8_t>(needRemoved);
    o.items[k].bteFreePerDelFk = 0;
}

Bytes Item(int item, int target = 0) {
    GameMessages::ItemRequest r;
    r.item = item;
    r.target = static_cast<std::uint8_t>(target);
    return GameMessages::ItemRequestMsg(r);
}

}  // namespace

TEST(TableRules, StartWaitsForEveryHandAndThePauseAndIsCalledOffWhenSomebodyLeaves) {
    TableRoom room;
    for (const char* name : {"甲", "乙", "丙"}) ASSERT_TRUE(room.Arrive(name));
    BroadcastParsers::SettingsAsk ask;
    ASSERT_TRUE(BroadcastParsers::ParseSettingsAsk(room.Out("甲").All(111).front(), ask));
    EXPECT_TRUE(ask.isMaster);
    ASSERT_TRUE(BroadcastParsers::ParseSettingsAsk(room.Out("乙").All(111).front(), ask));
    EXPECT_FALSE(ask.isMaster);

    // Three players wanted, two hands up: nothing starts however long they wait.
    room.SetUpAndAgree("甲", {"乙"}, 3);
    BroadcastParsers::SettingsAgree agree;
    ASSERT_TRUE(BroadcastParsers::ParseSettingsAgree(room.Out("丙").All(112).front(), agree));
    EXPECT_EQ(agree.name, "甲");
    ASSERT_TRUE(agree.settings);
    EXPECT_EQ(agree.settings->playerCount, 3);
    room.Advance(10s);
    EXPECT_EQ(room.Out("甲").Count(GAMEMSG_START), 0);

    // The last hand goes up: the game starts after the pause, not a millisecond before.
    room.Say("丙", GameMessages::ReadyRequest(static_cast<std::uint8_t>(room.Seat("丙"))));
    std::uint8_t readySeat = 9;
    ASSERT_TRUE(BroadcastParsers::ParseReady(room.Out("甲").All(GAMEMSG_READY).back(), readySeat));
    EXPECT_EQ(readySeat, room.Seat("丙"));
    room.Advance(room.options.startPause - 1ms);
    EXPECT_EQ(room.Out("甲").Count(GAMEMSG_START), 0);
    room.Advance(1ms);
    EXPECT_EQ(room.Out("甲").Count(GAMEMSG_START), 1);
    EXPECT_TRUE(room.T().GameRunning());

    // Next table: a player leaves during the pause, and the start is called off.
    TableRoom other;
    for (const char* name : {"甲", "乙"}) ASSERT_TRUE(other.Arrive(name));
    other.SetUpAndAgree("甲", {"乙"}, 2);
    other.Advance(500ms);
    other.Say("乙", RoomMessages::LeaveRequest("乙"));
    other.Advance(other.options.startPause);
    EXPECT_EQ(other.Out("甲").Count(GAMEMSG_START), 0);
    EXPECT_FALSE(other.T().GameRunning());
    EXPECT_EQ(other.Out("甲").Count(ROOMMSG_USERLEAVE, 0), 1);
}

TEST(TableRules, WholeGameDealsOneBoardCountsCombosPlacesScoresAndStoresTheResults) {
    TableRoom room;
    room.options.comboWindow = 3000ms;
    for (const char* name : {"甲", "乙", "丙"}) ASSERT_TRUE(room.Arrive(name));
    ASSERT_TRUE(room.Arrive("看客", true, "甲"));
    room.SetUpAndAgree("甲", {"乙", "丙"}, 3);
    room.Advance(room.options.startPause);

    // One board for everybody, spectators too, each told its own chair.
    GameMessages::StartInfo mine, watched;
    BoardView board;
    ASSERT_TRUE(board.Start(room.Out("甲"), &mine));
    ASSERT_TRUE(BoardView().Start(room.Out("看客"), &watched));
    EXPECT_EQ(watched.board, mine.board);
    EXPECT_EQ(watched.recipientSeat, room.Seat("甲"));
    EXPECT_EQ(BoardOf(room, "乙").grid, mine.board);

    // Two removals within the combo window make a combo; a pause longer than it ends the
    // combo, while the best combo of the game stays.
    EXPECT_EQ(RemovePair(room, "甲", board).comboA, 0);
    room.Advance(100ms);
    const auto second = RemovePair(room, "甲", board);
    EXPECT_EQ(second.comboA, 2);
    EXPECT_EQ(second.comboB, 2);
    room.Advance(3000ms);
    const auto third = RemovePair(room, "甲", board);
    EXPECT_EQ(third.comboA, 0);
    EXPECT_EQ(third.comboB, 0);  // no combo running: neither counter is shown
    // Every user heard every removal.
    EXPECT_EQ(room.Out("乙").Count(GAMEMSG_REMOVE), 3);
    EXPECT_EQ(room.Out("看客").Count(GAMEMSG_REMOVE), 3);

    // 甲 clears its board well within its turns: first place, told to everybody.
    LinkPath path;
    while (board.NextPair(path)) {
        room.Advance(100ms);
        RemovePair(room, "甲", board);
    }
    ASSERT_EQ(modGameDefine::CountTiles(board.grid), 0) << "the deal of this seed is not cleared by the first pairs";
    std::uint8_t seat = 9, place = 0;
    ASSERT_EQ(room.Out("看客").Count(GAMEMSG_FINISH), 1);
    ASSERT_TRUE(BroadcastParsers::ParseFinish(room.Out("看客").All(GAMEMSG_FINISH).front(), seat, place));
    EXPECT_EQ(seat, room.Seat("甲"));
    EXPECT_EQ(place, 1);
    EXPECT_TRUE(room.T().GameRunning());

    // 乙 gives up its turn: the worst place; 丙, the last in play, takes the second.
    room.Say("乙", GameMessages::TimeOutRequest(static_cast<std::uint8_t>(room.Seat("乙"))));
    EXPECT_EQ(TimeOuts(room.Out("丙")), (std::vector<std::pair<int, int>>{{room.Seat("乙"), 3}}));
    EXPECT_FALSE(room.T().GameRunning());
    // Nobody sees the results before the store has kept them.
    EXPECT_EQ(room.Out("看客").Count(GAMEMSG_END), 0);
    room.Settle();
    const auto end = GameMessages::ParseEnd(room.Out("看客").All(GAMEMSG_END).at(0));
    ASSERT_EQ(end.size(), 3u);
    std::map<int, GameMessages::EndRecord> bySeat;
    for (const auto& r : end) bySeat[r.seat] = r;
    EXPECT_EQ(bySeat[room.Seat("甲")].place, 1);
    EXPECT_EQ(bySeat[room.Seat("丙")].place, 2);
    EXPECT_EQ(bySeat[room.Seat("乙")].place, 3);
    EXPECT_GT(bySeat[room.Seat("甲")].score, 0);
    EXPECT_LT(bySeat[room.Seat("乙")].score, 0);

    // The records: stored, in the users' sessions, and announced to the table.
    const UserStats first = room.Stored("甲"), last = room.Stored("乙");
    EXPECT_EQ(first.games, 1);
    EXPECT_EQ(first.wins, 1);
    EXPECT_EQ(first.score, bySeat[room.Seat("甲")].score);
    EXPECT_EQ(last.losses, 1);
    EXPECT_EQ(last.score, bySeat[room.Seat("乙")].score);
    EXPECT_EQ(room.Stored("丙").games, 1);
    EXPECT_EQ(room.User("甲").stats.score, first.score);
    EXPECT_EQ(room.Out("看客").Count(ROOMMSG_USERSTATE, USERSTATE_UPDATE), 3);

    // Nothing of the game keeps running: no turn clock takes anybody out afterwards.
    room.Advance(60s);
    EXPECT_EQ(room.Out("甲").Count(GAMEMSG_TIMEOUT), 1);
}

TEST(TableRules, SilentPlayersAreTimedOutAtTheirTurnsEndAndAnAlarmClockShortensTheTurns) {
    TableRoom room;
    SetItem(room.options, DJ_NAOZHONG, 1);
    StartThree(room);
    BoardView a = BoardOf(room, "甲"), b = BoardOf(room, "乙");

    // 甲 rings the alarm at 乙: 乙's next turns are the short ones.
    room.Say("甲", Item(DJ_NAOZHONG, room.Seat("乙")));
    const auto confirms = ItemConfirms(room.Out("丙"));
    ASSERT_EQ(confirms.size(), 1u);
    EXPECT_EQ(confirms[0].item, DJ_NAOZHONG);
    EXPECT_EQ(confirms[0].target, room.Seat("乙"));
    EXPECT_EQ(confirms[0].count, 0);

    room.Advance(1000ms);
    RemovePair(room, "甲", a);  // a full turn from here
    RemovePair(room, "乙", b);  // a short turn from here
    const auto shortEnd = 1000ms + room.options.alarmTurnTime + room.options.turnGrace;
    const auto silentEnd = room.options.turnTime + room.options.turnGrace;  // 丙 never moved

    room.Advance(shortEnd - 1000ms - room.options.tick);
    EXPECT_TRUE(TimeOuts(room.Out("甲")).empty());
    room.Advance(2 * room.options.tick);
    EXPECT_EQ(TimeOuts(room.Out("甲")), (std::vector<std::pair<int, int>>{{room.Seat("乙"), 3}}));

    room.Advance(silentEnd - shortEnd - 2 * room.options.tick);
    EXPECT_EQ(TimeOuts(room.Out("甲")).size(), 1u);
    room.Advance(2 * room.options.tick);
    EXPECT_EQ(TimeOuts(room.Out("甲")).back(), std::make_pair(room.Seat("丙"), 2));
    EXPECT_FALSE(room.T().GameRunning());
    room.Settle();  // the results are shown once stored
    EXPECT_EQ(GameMessages::ParseEnd(room.Out("甲").All(GAMEMSG_END).at(0)).size(), 3u);
}

TEST(TableRules, ADroppedPlayerKeepsItsSeatWithinTheGraceAndRunsAwayPastIt) {
    TableRoom room;
    room.options.turnTime = 600s;  // nobody's turn ends while the test waits on the drop
    StartThree(room);
    BoardView b = BoardOf(room, "乙");

    room.Drop("乙");
    EXPECT_EQ(room.Out("甲").StateNames(USERSTATE_DROPPED), std::vector<std::string>{"乙"});
    room.Advance(room.options.dropGrace - room.options.tick);
    EXPECT_TRUE(QuitReasons(room.Out("甲"), room.Seat("乙")).empty());

    // Back in time: the others are told, the returning client gets the running table, and
    // its removals count again.
    room.Return("乙");
    EXPECT_EQ(room.Out("甲").StateNames(USERSTATE_BACK), std::vector<std::string>{"乙"});
    EXPECT_EQ(room.Out("乙").Count(ROOMMSG_TABLESTATE), 1);
    std::string name, seatName;
    ASSERT_TRUE(
        BroadcastParsers::ParseIdentity(room.Out("乙").All(ROOMMSG_TABLE, TABLE_IDENTITY).at(0), name, seatName));
    EXPECT_EQ(name, "乙");
    RemovePair(room, "乙", b);
    EXPECT_EQ(room.Out("丙").Count(GAMEMSG_REMOVE), 1);

    // Dropped again and gone past the grace: out as a runaway, its seat given up.
    const int seat = room.Seat("乙");
    room.Drop("乙");
    room.Advance(room.options.dropGrace + room.options.tick);
    EXPECT_EQ(QuitReasons(room.Out("甲"), seat), std::vector<std::string>{"掉线"});
    EXPECT_EQ(room.T().FindPlayer("乙"), -1);
    EXPECT_EQ(room.FindUser("乙"), nullptr);
    EXPECT_TRUE(room.T().GameRunning());

    room.Say("丙", GameMessages::TimeOutRequest(static_cast<std::uint8_t>(room.Seat("丙"))));
    EXPECT_FALSE(room.T().GameRunning());
    room.Settle();  // the results are shown once stored
    const UserStats ran = room.Stored("乙");
    EXPECT_EQ(ran.games, 1);
    EXPECT_EQ(ran.escapes, 1);
    EXPECT_LT(ran.score, 0);
    // The runaway is scored but not listed among the results of the table.
    for (const auto& r : GameMessages::ParseEnd(room.Out("甲").All(GAMEMSG_END).at(0))) EXPECT_NE(r.seat, seat);
}

TEST(TableRules, LeavingDuringTheGameIsAnEscapeWhileLeavingAfterThePlaceIsNot) {
    TableRoom room;
    for (const char* name : {"甲", "乙", "丙", "丁"}) ASSERT_TRUE(room.Arrive(name));
    room.SetUpAndAgree("甲", {"乙", "丙", "丁"}, 4);
    room.Advance(room.options.startPause);
    ASSERT_TRUE(room.T().GameRunning());

    const int escaper = room.Seat("乙"), placed = room.Seat("丙");
    room.Say("乙", RoomMessages::LeaveRequest("乙"));
    EXPECT_EQ(QuitReasons(room.Out("甲"), escaper), std::vector<std::string>{"逃跑"});
    EXPECT_EQ(TimeOuts(room.Out("甲")).size(), 0u);
    EXPECT_TRUE(room.Out("乙").closed);

    // 丙 takes its place by a time-out and then leaves: no escape, its place stays.
    room.Say("丙", GameMessages::TimeOutRequest(static_cast<std::uint8_t>(placed)));
    room.Say("丙", RoomMessages::LeaveRequest("丙"));
    EXPECT_TRUE(QuitReasons(room.Out("甲"), placed).empty());
    EXPECT_TRUE(room.T().GameRunning());

    room.Say("丁", GameMessages::TimeOutRequest(static_cast<std::uint8_t>(room.Seat("丁"))));
    EXPECT_FALSE(room.T().GameRunning());
    room.Settle();  // the results are shown once stored
    EXPECT_EQ(room.Stored("乙").escapes, 1);
    EXPECT_EQ(room.Stored("丙").escapes, 0);
    EXPECT_EQ(room.Stored("丙").games, 1);
    // The escape took the worst place at once (4), 丙 the worst left (3); the results list
    // those still at the table.
    std::set<int> places;
    for (const auto& r : GameMessages::ParseEnd(room.Out("甲").All(GAMEMSG_END).at(0))) places.insert(r.place);
    EXPECT_EQ(places, (std::set<int>{1, 2}));
}

TEST(TableRules, ItemsNeedTheirRemovalsAndCountsAndHideBoardsFromSpectatorsWhenAsked) {
    TableRoom room;
    SetItem(room.options, DJ_ZHINANZHEN, 1, 2);
    SetItem(room.options, DJ_ZHANGAI, 1);
    SetItem(room.options, DJ_JINGZI, 1);
    for (const char* name : {"甲", "乙", "丙"}) ASSERT_TRUE(room.Arrive(name));
    ASSERT_TRUE(room.Arrive("看客", true, "乙"));
    room.Say("乙", RoomMessages::WatchChange("乙", false));
    room.SetUpAndAgree("甲", {"乙", "丙"}, 3);
    room.Advance(room.options.startPause);
    ASSERT_TRUE(room.T().GameRunning());
    BoardView a = BoardOf(room, "甲");

    // The compass before its two removed tiles, at oneself thrown items, and an item with
    // no count left are refused without a word.
    room.Say("甲", Item(DJ_ZHINANZHEN));
    room.Say("甲", Item(DJ_JINGZI, room.Seat("甲")));
    EXPECT_TRUE(ItemConfirms(room.Out("丙")).empty());
    RemovePair(room, "甲", a);
    room.Say("甲", Item(DJ_ZHINANZHEN));
    room.Say("甲", Item(DJ_ZHINANZHEN));
    auto seen = ItemConfirms(room.Out("丙"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].item, DJ_ZHINANZHEN);
    EXPECT_EQ(seen[0].count, 0);

    // Obstacles thrown at 乙, who hides its board: the players see the new board, the
    // spectator an empty one and a fresh table state without 乙's tiles.
    const int statesBefore = room.Out("看客").Count(ROOMMSG_TABLESTATE);
    room.Say("甲", Item(DJ_ZHANGAI, room.Seat("乙")));
    seen = ItemConfirms(room.Out("丙"));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].item, DJ_ZHANGAI);
    ASSERT_TRUE(seen[1].hasGrid);
    EXPECT_GT(modGameDefine::CountTiles(seen[1].grid), modGameDefine::CountTiles(BoardOf(room, "乙").grid));
    const auto hidden = ItemConfirms(room.Out("看客"));
    ASSERT_EQ(hidden.size(), 2u);
    EXPECT_EQ(modGameDefine::CountTiles(hidden[1].grid), 0);
    EXPECT_EQ(room.Out("看客").Count(ROOMMSG_TABLESTATE), statesBefore + 1);

    // 乙 plays on the board the obstacles made: its own old view of the board is stale, the
    // server's copy counts.
    BoardView b;
    b.grid = seen[1].grid;
    LinkPath path;
    ASSERT_TRUE(b.NextPair(path));
    room.Say("乙", GameMessages::RemoveRequest(static_cast<std::uint8_t>(room.Seat("乙")), path));
    EXPECT_EQ(room.Out("甲").Count(GAMEMSG_REMOVE), 2);
}

TEST(TableRules, SeatsThatHoldTheTableUpAreDismissedOnTime) {
    // A guest who never raises its hand leaves after the idle time.
    TableRoom room;
    ASSERT_TRUE(room.Arrive("游客1", true));
    room.Advance(room.options.idleTime - 1ms);
    EXPECT_EQ(room.T().SeatedCount(), 1);
    room.Advance(1ms);
    EXPECT_EQ(room.T().SeatedCount(), 0);
    EXPECT_EQ(room.Out("游客1").Notices().size(), 1u);
    EXPECT_TRUE(room.Out("游客1").closed);
    EXPECT_EQ(room.emptied, 1);

    // A master who keeps company waiting without settings owes an answer: it is dismissed
    // at the end of the settings countdown plus the grace, and the next player becomes the
    // master. A new table client of its own restarts that count.
    TableRoom table;
    ASSERT_TRUE(table.Arrive("甲"));
    ASSERT_TRUE(table.Arrive("乙"));
    const auto owed = table.options.readyTime + table.options.readyGrace;
    table.Advance(owed - 5s);
    table.Return("甲");
    table.Advance(5s);
    EXPECT_EQ(table.T().FindPlayer("甲"), 0);
    table.Advance(owed - 5s);
    EXPECT_EQ(table.T().FindPlayer("甲"), -1);
    EXPECT_EQ(table.T().FindPlayer("乙"), 1);
    BroadcastParsers::SettingsAsk ask;
    ASSERT_TRUE(BroadcastParsers::ParseSettingsAsk(table.Out("乙").All(111).back(), ask));
    EXPECT_TRUE(ask.isMaster);

    // A registered player with nobody waiting on it sits as long as it likes.
    table.Advance(10 * table.options.idleTime);
    EXPECT_EQ(table.T().SeatedCount(), 1);
}

TEST(TableRules, TheVirtualClockFiresDueTimersInOrderAtTheirOwnTimes) {
    VirtualTableClock clock;
    const auto t0 = clock.Now();
    std::vector<std::pair<char, long>> fired;
    auto at = [&](char name) { return [&, name] { fired.emplace_back(name, (clock.Now() - t0) / 1ms); }; };
    auto a = clock.MakeTimer(), b = clock.MakeTimer(), c = clock.MakeTimer(), d = clock.MakeTimer();
    a->Arm(300ms, at('a'));
    b->Arm(100ms, [&] {
        at('b')();
        b->Arm(100ms, at('B'));  // a timer armed by a fired one fires within the same advance
    });
    c->Arm(100ms, at('c'));  // same instant as b: in the order armed
    c->Arm(150ms, at('c'));  // armed again: only the new time counts
    d->Arm(50ms, at('d'));
    d->Cancel();
    {
        auto gone = clock.MakeTimer();
        gone->Arm(10ms, at('x'));
    }  // destroyed before it fell due
    clock.Advance(250ms);
    EXPECT_EQ(fired, (std::vector<std::pair<char, long>>{{'b', 100}, {'c', 150}, {'B', 200}}));
    EXPECT_EQ(clock.Now() - t0, 250ms);
    EXPECT_EQ(clock.Pending(), 1u);
    clock.Advance(50ms);
    EXPECT_EQ(fired.back(), std::make_pair('a', 300L));
    EXPECT_EQ(clock.Pending(), 0u);
}
