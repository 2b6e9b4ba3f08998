// Connections cut at every point of a game, against the real server: before the hello,
// after it, after the login, while the settings are open, with the hand raised, in the
// middle of a game after some removals (back within the grace time, or never: an
// escape), and in the pause after the results. The seat follows the rules each time and
// the computer players' table beside it plays on.
#include "FaultFixture.h"
#include "core/BroadcastParsers.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"

namespace {

enum class CutPoint { BeforeHello, AfterHello, AfterLogin, DuringSettings, AfterReady };

const char* CutText(CutPoint p) {
    static const char* kNames[] = {"BeforeHello", "AfterHello", "AfterLogin", "DuringSettings", "AfterReady"};
    return kNames[static_cast<int>(p)];
}

std::string CutName(const testing::TestParamInfo<CutPoint>& info) { return CutText(info.param); }

// The settings question says the recipient is the master.
bool AsksMaster(const Bytes& m) {
    BroadcastParsers::SettingsAsk ask;
    return BroadcastParsers::ParseSettingsAsk(m, ask) && ask.isMaster;
}

std::uint8_t SeatOfQuit(const Bytes& m, std::string& reason) {
    std::uint8_t seat = 255;
    BroadcastParsers::ParsePlayerQuit(m, seat, reason);
    return seat;
}

void PrintTo(CutPoint p, std::ostream* os) { *os << CutText(p); }

}  // namespace

class CutBeforeTheGame : public FaultTest, public testing::WithParamInterface<CutPoint> {};

TEST_P(CutBeforeTheGame, TheSeatIsFreedAndTheTablePlaysWithoutIt) {
    ASSERT_TRUE(StartServer());
    const int mark = StartBots();
    const CutPoint cut = GetParam();
    const bool seated = cut >= CutPoint::AfterLogin;

    // The one who drops is the master when the settings dialog is what it drops from.
    std::unique_ptr<FaultClient> first, dropper;
    if (cut == CutPoint::DuringSettings) {
        dropper = Connect();
        const auto ask = dropper->Enter(TicketFor("甲", 2));
        ASSERT_TRUE(ask && AsksMaster(*ask));
        first = Player("乙", 2);
    } else {
        first = Player("乙", 2);
        first->ConfirmSettings(3);
        ASSERT_TRUE(first->Await(ROOMMSG_GAMESETAGREE, 0));
        dropper = Connect();
        if (cut >= CutPoint::AfterHello) dropper->SendHello(TicketFor("甲", 2));
        if (cut >= CutPoint::AfterLogin) {
            dropper->SendLogin();
            ASSERT_TRUE(first->Await(ROOMMSG_TABLE, TABLE_PLAYER_IN));
        }
        if (cut == CutPoint::AfterReady) {
            ASSERT_TRUE(dropper->Await(ROOMMSG_GAMESETASK));
            dropper->Agree();
            ASSERT_TRUE(first->AwaitText(ROOMMSG_GAMESETAGREE, 1, "甲"));
        }
    }
    dropper->Cut();

    if (seated) {
        // Between games a lost connection just leaves: no drop mark, no held seat.
        ASSERT_TRUE(first->AwaitText(ROOMMSG_USERLEAVE, 0, "甲"));
        EXPECT_EQ(first->Count(ROOMMSG_USERSTATE, USERSTATE_DROPPED), 0);
    }
    if (cut == CutPoint::DuringSettings) {
        // The master's chair passes on, and the new master is asked for the settings.
        ASSERT_TRUE(first->Await(AsksMaster));
        first->ConfirmSettings(3);
        ASSERT_TRUE(first->Await(ROOMMSG_GAMESETAGREE, 0));
    }
    EXPECT_EQ(TableLine(2).find("甲"), std::string::npos) << TableLine(2);

    // Two newcomers make the three the master asked for: the game starts without the
    // dropped player, whose raised hand (if any) went with it.
    auto second = Player("丙", 2);
    auto third = Player("丁", 2);
    second->Agree();
    third->Agree();
    ASSERT_TRUE(first->AwaitStart());
    ASSERT_TRUE(second->AwaitStart());
    ASSERT_TRUE(third->AwaitStart());
    second->Send(GameMessages::TimeOutRequest(static_cast<std::uint8_t>(second->Seat())));
    third->Send(GameMessages::TimeOutRequest(static_cast<std::uint8_t>(third->Seat())));
    const auto end = first->Await(GAMEMSG_END);
    ASSERT_TRUE(end);
    const auto results = GameMessages::ParseEnd(*end);
    ASSERT_EQ(results.size(), 3u);
    for (const auto& r : results)
        EXPECT_TRUE(r.seat == first->Seat() || r.seat == second->Seat() || r.seat == third->Seat()) << int(r.seat);

    ASSERT_TRUE(first->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));  // the records are written
    // The dropped user played nothing; before the login it is not even known.
    EXPECT_EQ(Stored("甲"), seated);
    EXPECT_EQ(Record("甲").games, 0);
    ExpectTablePlaysOn(mark);
}

INSTANTIATE_TEST_SUITE_P(Faults, CutBeforeTheGame,
                         testing::Values(CutPoint::BeforeHello, CutPoint::AfterHello, CutPoint::AfterLogin,
                                         CutPoint::DuringSettings, CutPoint::AfterReady),
                         CutName);

// ---- in the middle of a game ------------------------------------------------------------

class CutMidGame : public FaultTest, public testing::WithParamInterface<int> {};

TEST_P(CutMidGame, BackWithinTheGraceTimeThePlayerPlaysOnFromItsBoard) {
    const int pairs = GetParam();
    ASSERT_TRUE(StartServer({"--grace", "5"}));
    const int mark = StartBots();
    auto other = Player("乙", 2);
    auto dropper = Player("甲", 2);
    StartPairGame(*other, *dropper);
    const int total = dropper->TilesLeft();
    const int seat = dropper->Seat();
    ASSERT_EQ(dropper->PlayPairs(pairs), pairs);
    const TileGridT board = dropper->Board();
    dropper->Cut();

    ASSERT_TRUE(other->AwaitText(ROOMMSG_USERSTATE, USERSTATE_DROPPED, "甲"));
    EXPECT_NE(TableLine(2).find("甲 (dropped)"), std::string::npos) << TableLine(2);

    // The returner gets the newcomer's messages again, the snapshot showing its own
    // board as the server kept it, and everybody hears it is back.
    auto back = Connect();
    ASSERT_TRUE(back->Enter(TicketFor("甲", 2), false));
    EXPECT_EQ(back->Seat(), seat);
    const SeatUserDef& mine = back->Snapshot().SeatUser[seat];
    EXPECT_EQ(mine.TileGrid, board);
    EXPECT_EQ(mine.bteDelFkCount, 2 * pairs);
    EXPECT_EQ(mine.bteLeftFkCount, total - 2 * pairs);
    ASSERT_TRUE(back->AwaitText(ROOMMSG_USERSTATE, USERSTATE_BACK, "甲"));
    ASSERT_TRUE(other->AwaitText(ROOMMSG_USERSTATE, USERSTATE_BACK, "甲"));
    EXPECT_EQ(back->Count(ROOMMSG_GAMESETASK), 0);  // no settings while the game runs

    // It plays its board out and wins; nothing counts as an escape.
    ASSERT_TRUE(back->PlayOut());
    const auto end = other->Await(GAMEMSG_END);
    ASSERT_TRUE(end);
    const auto results = GameMessages::ParseEnd(*end);
    ASSERT_EQ(results.size(), 2u);
    for (const auto& r : results) EXPECT_EQ(r.place, r.seat == seat ? 1 : 2);
    EXPECT_EQ(other->Count(GAMEMSG_PLAYERQUIT), 0);
    ASSERT_TRUE(back->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));  // the records are written
    const UserRow row = Record("甲");
    EXPECT_EQ(row.games, 1);
    EXPECT_EQ(row.wins, 1);
    EXPECT_EQ(row.escapes, 0);
    EXPECT_EQ(row.score, 10);
    ExpectTablePlaysOn(mark);
}

INSTANTIATE_TEST_SUITE_P(Faults, CutMidGame, testing::Values(0, 3, 12), [](const testing::TestParamInfo<int>& i) {
    return "After" + std::to_string(i.param) + "Pairs";
});

// Leaving for good in the middle of a game: by a lost connection that does not come back
// within the grace time ("掉线"), or by the leave request ("逃跑").
struct EscapeCase {
    int pairs;
    bool leave;
};

void PrintTo(const EscapeCase& c, std::ostream* os) {
    *os << (c.leave ? "leave" : "drop") << " after " << c.pairs << " pairs";
}

class EscapeMidGame : public FaultTest, public testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeMidGame, TheRunawayLosesTheDeductionAndTheGameEndsForTheRest) {
    const auto [pairs, leave] = GetParam();
    ASSERT_TRUE(StartServer());
    const int mark = StartBots();
    auto other = Player("乙", 2);
    auto runaway = Player("甲", 2);
    StartPairGame(*other, *runaway);
    const int seat = runaway->Seat();
    ASSERT_EQ(runaway->PlayPairs(pairs), pairs);
    if (leave) {
        runaway->Send(RoomMessages::LeaveRequest("甲"));
        EXPECT_TRUE(runaway->AwaitClosed());
    } else {
        runaway->Cut();
        // The seat is held for the grace time first.
        ASSERT_TRUE(other->AwaitText(ROOMMSG_USERSTATE, USERSTATE_DROPPED, "甲"));
        EXPECT_NE(TableLine(2).find("甲 (dropped)"), std::string::npos);
    }

    const auto quit = other->Await(GAMEMSG_PLAYERQUIT, -1, 10s);
    ASSERT_TRUE(quit);
    std::string reason;
    EXPECT_EQ(SeatOfQuit(*quit, reason), seat);
    EXPECT_EQ(reason, leave ? "逃跑" : "掉线");
    ASSERT_TRUE(other->AwaitText(ROOMMSG_USERLEAVE, 0, "甲"));
    if (leave) {
        EXPECT_EQ(other->Count(ROOMMSG_USERSTATE, USERSTATE_DROPPED), 0);
    }

    // One player left in play: the game is over, the results name only those at the table.
    const auto end = other->Await(GAMEMSG_END);
    ASSERT_TRUE(end);
    const auto results = GameMessages::ParseEnd(*end);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].seat, other->Seat());
    EXPECT_EQ(results[0].place, 1);
    ASSERT_TRUE(other->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));

    // The escape is in the records: a game, a loss, an escape and the deduction.
    const UserRow row = Record("甲");
    EXPECT_EQ(row.games, 1);
    EXPECT_EQ(row.losses, 1);
    EXPECT_EQ(row.escapes, 1);
    EXPECT_EQ(row.wins + row.draws, 0);
    EXPECT_EQ(row.score, -50);
    EXPECT_EQ(row.results, 1);
    const UserRow rest = Record("乙");
    EXPECT_EQ(rest.games, 1);
    EXPECT_EQ(rest.escapes, 0);

    // Coming back later it is a newcomer whose record shows the escape rate.
    auto again = Player("甲", 2);
    const auto list = again->Await(ROOMMSG_TABLE, TABLE_USERLIST);
    ASSERT_TRUE(list);
    const auto fields = ListedRecord(*list, "甲");
    ASSERT_EQ(fields.size(), static_cast<std::size_t>(UserRecord::kFieldCount));
    EXPECT_EQ(fields[UserRecord::kGames], "1");
    EXPECT_EQ(fields[UserRecord::kEscapeRate], "100");
    EXPECT_EQ(fields[UserRecord::kScore], "-50");
    ExpectTablePlaysOn(mark);
}

INSTANTIATE_TEST_SUITE_P(Faults, EscapeMidGame,
                         testing::Values(EscapeCase{0, false}, EscapeCase{5, false}, EscapeCase{5, true}),
                         [](const testing::TestParamInfo<EscapeCase>& i) {
                             return std::string(i.param.leave ? "LeaveAfter" : "DropAfter") +
                                    std::to_string(i.param.pairs) + "Pairs";
                         });

// ---- after the results ------------------------------------------------------------------

TEST_F(FaultTest, CutDuringTheEndPauseKeepsTheResultAndFreesTheSeat) {
    ASSERT_TRUE(StartServer());
    const int mark = StartBots();
    auto other = Player("乙", 2);
    auto dropper = Player("甲", 2);
    StartPairGame(*other, *dropper);
    ASSERT_TRUE(dropper->PlayOut());
    ASSERT_TRUE(dropper->Await(GAMEMSG_END));
    dropper->Cut();  // while the results are still on the boards

    ASSERT_TRUE(other->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));
    ASSERT_TRUE(other->AwaitText(ROOMMSG_USERLEAVE, 0, "甲"));
    EXPECT_EQ(other->Count(GAMEMSG_PLAYERQUIT), 0);
    EXPECT_EQ(other->Count(ROOMMSG_USERSTATE, USERSTATE_DROPPED), 0);
    const UserRow row = Record("甲");
    EXPECT_EQ(row.games, 1);
    EXPECT_EQ(row.wins, 1);
    EXPECT_EQ(row.escapes, 0);

    // The table goes on: the player comes back as a newcomer and a second game starts.
    auto back = Player("甲", 2);
    back->Agree();
    other->Send(GameMessages::ReadyRequest(static_cast<std::uint8_t>(other->Seat())));
    ASSERT_TRUE(back->AwaitStart());
    ASSERT_TRUE(other->AwaitStart());
    ExpectTablePlaysOn(mark);
}
