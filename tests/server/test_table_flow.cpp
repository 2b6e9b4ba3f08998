// The table from the players' side: the settings negotiation and its bounds, leaving and
// escaping, a drop that does not come back, the allow-watch flag, and chat.
#include <sqlite3.h>

#include "TablePlayer.h"
#include "core/BroadcastParsers.h"
#include "core/ChatFields.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modPublicTools.h"
#include "server/OperatorCommands.h"

using namespace std::chrono_literals;

TEST(TableFlow, NewcomerOrderAndSettingsWithinBounds) {
    ServerHarness h;
    auto master = Player(h, "master");
    // reset, identity, list, snapshot, then the settings question: you are the master
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*master, 111) == 1; }));
    std::vector<int> order;
    for (const auto& m : master->messages) order.push_back(m[0] * 1000 + (m.size() > 1 ? m[1] : 0));
    EXPECT_EQ(order, (std::vector<int>{130001, 130003, 130002, 109000, 111000}));
    auto ask = LastFields(*master, 111);
    ASSERT_EQ(ask.size(), 14u);
    EXPECT_EQ(ask[3], "1");  // master
    EXPECT_EQ(ask[5], "1");  // an answer is due
    EXPECT_EQ(ask[6], "0");  // not decided yet

    auto other = Player(h, "other");
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*other, 111) == 1; }));
    EXPECT_EQ(LastFields(*other, 111)[6], "0");  // the waiting notice

    // Out of bounds: a notice and the question again; the bounds sent back are not taken.
    GameSettings s;
    s.baseScore = 5000;
    master->Send(RoomMessages::GameSetConfirm("master", s));
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*master, 111) == 2 && CountOf(*master, 21) == 1; }));
    s.baseScore = 20;
    s.minDeduction = -100000;
    s.deduction = -5;
    master->Send(RoomMessages::GameSetConfirm("master", s));
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*master, 111) == 3; }));
    s.deduction = 1000;  // the largest allowed: taken
    s.playerCount = 2;
    master->Send(RoomMessages::GameSetConfirm("master", s));
    ASSERT_TRUE(h.RunUntil([&] { return other->Got(112, 0); }));
    const auto shown = LastFields(*other, 112, 0);
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(modPublicTools::JoinFields(shown, 1), "2`20`1000`1`1000`1000`0");
    EXPECT_EQ(LastFields(*master, 112, 0).size(), 1u);  // the master's own copy opens no dialog

    // Agreement raises the hand and starts the game.
    other->Send(RoomMessages::GameSetAccept("other"));
    ASSERT_TRUE(h.RunUntil([&] { return other->Got(17, 0) && master->Got(17, 0); }));
    EXPECT_EQ(LastFields(*master, 112, 1), (std::vector<std::string>{"other"}));
}

TEST(TableFlow, RefusingLeavesTheTableAndLeavingMidGameIsAnEscape) {
    const auto db =
        (std::filesystem::temp_directory_path() / ("tilelink-escape-" + std::to_string(::getpid()) + ".db")).string();
    std::filesystem::remove(db);
    {
        ServerHarness h({}, db);
        auto a = Player(h, "a");
        GameSettings s;
        s.playerCount = 2;
        s.deduction = 77;
        a->Send(RoomMessages::GameSetConfirm("a", s));
        auto refuser = Player(h, "refuser");
        ASSERT_TRUE(h.RunUntil([&] { return CountOf(*refuser, 111) == 1; }));
        refuser->Send(RoomMessages::LeaveRequest("refuser"));
        ASSERT_TRUE(h.RunUntil([&] { return refuser->closed && a->Got(110, 0); }));

        auto b = Player(h, "b");
        b->Send(GameMessages::ReadyRequest(0));  // the start button counts as agreement too
        ASSERT_TRUE(h.RunUntil([&] { return a->Got(17, 0); }));
        b->Send(RoomMessages::LeaveRequest("b"));
        // 5 with the seat and the reason, the leave, then the end of the game: a wins.
        ASSERT_TRUE(h.RunUntil([&] { return a->Got(22, 0); }));
        ASSERT_TRUE(a->Got(5, 0));
        const auto endMsg =
            std::find_if(a->messages.begin(), a->messages.end(), [](const Bytes& m) { return m[0] == 22; });
        const auto end = GameMessages::ParseEnd(*endMsg);
        ASSERT_EQ(end.size(), 1u);
        EXPECT_EQ(end[0].place, 1);
    }
    sqlite3* d = nullptr;
    sqlite3_open(db.c_str(), &d);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(d, "SELECT score, games, escapes, losses FROM users WHERE name='b'", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), -77);
    EXPECT_EQ(sqlite3_column_int(st, 1), 1);
    EXPECT_EQ(sqlite3_column_int(st, 2), 1);
    EXPECT_EQ(sqlite3_column_int(st, 3), 1);
    sqlite3_finalize(st);
    sqlite3_close(d);
    std::filesystem::remove(db);
}

TEST(TableFlow, ADropThatDoesNotComeBackIsAnEscape) {
    ServerHarness h([](ServerOptions& o) { o.dropGrace = 300ms; });
    auto a = Player(h, "a");
    GameSettings s;
    s.playerCount = 2;
    a->Send(RoomMessages::GameSetConfirm("a", s));
    auto b = Player(h, "b");
    b->Send(RoomMessages::GameSetAccept("b"));
    ASSERT_TRUE(h.RunUntil([&] { return a->Got(17, 0); }));
    b->socket.close();
    ASSERT_TRUE(h.RunUntil([&] { return a->Got(108, 3); }));
    EXPECT_FALSE(a->Got(5, 0));  // the seat waits first
    ASSERT_TRUE(h.RunUntil([&] { return a->Got(5, 0) && a->Got(22, 0); }, 3s));
    EXPECT_EQ(LastFields(*a, 110, 0), (std::vector<std::string>{"b"}));
}

TEST(TableFlow, HiddenBoardsStayHiddenFromSpectators) {
    ServerHarness h;
    auto shy = Player(h, "shy", false);
    GameSettings s;
    s.playerCount = 2;
    shy->Send(RoomMessages::GameSetConfirm("shy", s));
    auto open = Player(h, "open");
    ScriptPlan wp;
    wp.ticket = h.TicketFor("watcher", 1, "shy");
    auto watcher = h.Client(wp);
    std::vector<Bytes> seen;
    watcher->onMessage = [&](ScriptedClient&, const Bytes& m) { seen.push_back(m); };
    ASSERT_TRUE(h.RunUntil([&] { return watcher->Received().count(113) > 0; }));
    EXPECT_EQ(seen.back(), GameMessages::WatchFlag(false));  // the watched player does not allow it

    open->Send(RoomMessages::GameSetAccept("open"));
    ASSERT_TRUE(h.RunUntil([&] { return open->Got(17, 0) && watcher->InGame(); }));
    EXPECT_EQ(watcher->Received().count(17), 0u);  // a snapshot instead of the start
    EXPECT_EQ(modGameDefine::CountTiles(watcher->Grid(0)), 0);
    EXPECT_GT(modGameDefine::CountTiles(watcher->Grid(1)), 0);
    EXPECT_GT(watcher->Model().SeatUser[0].bteLeftFkCount, 0);  // the count is still shown

    // Allowing it: the flag is relayed and the board shows up.
    shy->Send(RoomMessages::WatchChange("shy", true));
    ASSERT_TRUE(h.RunUntil([&] { return modGameDefine::CountTiles(watcher->Grid(0)) > 0; }));
    const bool relayed =
        std::any_of(seen.begin(), seen.end(), [](const Bytes& m) { return m == GameMessages::WatchFlag(true); });
    EXPECT_TRUE(relayed);
}

TEST(TableFlow, ChatCarriesTheRealSenderCapsTheTextAndKeepsSecrets) {
    ServerHarness h;
    auto a = Player(h, "a");
    auto b = Player(h, "b");
    auto c = Player(h, "c");
    using namespace ChatFields;
    std::vector<std::string> f = {
        kEveryone, "0", "impostor", kEveryone, "12:00:00", "0", "0", "0", std::string(500, 'z'), "-"};
    a->Send(GameMessages::Chat(f));
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*b, 1) == 1 && CountOf(*c, 1) == 1; }));
    std::vector<std::string> got;
    ASSERT_TRUE(BroadcastParsers::ParseChat(b->messages.back(), got));
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got[kSender], "a");
    EXPECT_EQ(got[kText].size(), static_cast<std::size_t>(kMaxTextChars));
    // A private line reaches only the addressee and the sender.
    f = {"c", "1", "a", "c", "12:00:01", "0", "0", "0", "只给你", "-"};
    a->Send(GameMessages::Chat(f));
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*c, 1) == 2 && CountOf(*a, 1) == 2; }));
    h.RunFor(100ms);
    EXPECT_EQ(CountOf(*b, 1), 1);
    // Nine fields are no chat line.
    f.pop_back();
    a->Send(GameMessages::Chat(f));
    h.RunFor(100ms);
    EXPECT_EQ(CountOf(*c, 1), 2);
}

TEST(TableFlow, ASecondLoginTakesOverTheSeat) {
    ServerHarness h;
    auto first = Player(h, "twice");
    auto other = Player(h, "other");
    auto second = Player(h, "twice");
    ASSERT_TRUE(h.RunUntil([&] { return first->closed; }));
    ASSERT_TRUE(second->Got(130, 3));
    EXPECT_FALSE(second->closed);
    h.RunFor(100ms);
    EXPECT_FALSE(other->Got(110, 0));  // the seat never became free
    EXPECT_EQ(h.room->UserCount(), 2u);
}

TEST(TableFlow, OperatorBroadcastsAndNotices) {
    ServerHarness h;
    auto a = Player(h, "a");
    std::string reply;
    EXPECT_TRUE(OperatorCommands::Run(*h.room, "broadcast 服务器将在五分钟后重启", reply));
    EXPECT_TRUE(OperatorCommands::Run(*h.room, "notice 1 本桌请文明游戏", reply));
    EXPECT_EQ(reply, "notice sent\n");
    EXPECT_TRUE(OperatorCommands::Run(*h.room, "notice 9 nobody there", reply));
    EXPECT_EQ(reply, "no such table or no text\n");
    EXPECT_TRUE(OperatorCommands::Run(*h.room, "status", reply));
    EXPECT_NE(reply.find("table 1: [0] a"), std::string::npos);
    ASSERT_TRUE(h.RunUntil([&] { return a->Got(105, 0) && CountOf(*a, 21) == 1; }));
    const auto bc = std::find_if(a->messages.begin(), a->messages.end(), [](const Bytes& m) { return m[0] == 105; });
    std::string text;
    EXPECT_TRUE(BroadcastParsers::ParseBroadcast(*bc, text));
    EXPECT_EQ(text, "服务器将在五分钟后重启");
    EXPECT_FALSE(OperatorCommands::Run(*h.room, "quit", reply));
}
