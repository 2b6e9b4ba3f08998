// What a player cannot take from another: the seat and the result of a running game, a
// place once given, the chat budget (map choices), the server's own names, and a table
// held up by a seat that never answers.
#include "TablePlayer.h"
#include "core/GameMessages.h"
#include "server/Table.h"
#include "server/UserNames.h"

using namespace std::chrono_literals;

namespace {

// Three players a, b, c in a running game of three (base score 10: +20, 0, -20), a the master.
struct GameOfThree {
    ServerHarness& h;
    std::unique_ptr<RawClient> a, b, c;

    explicit GameOfThree(ServerHarness& harness) : h(harness) {
        a = Player(h, "a");
        GameSettings s;
        s.playerCount = 3;
        a->Send(RoomMessages::GameSetConfirm("a", s));
        b = Player(h, "b");
        c = Player(h, "c");
        b->Send(RoomMessages::GameSetAccept("b"));
        c->Send(RoomMessages::GameSetAccept("c"));
        EXPECT_TRUE(h.RunUntil([&] { return a->Got(17, 0) && b->Got(17, 0) && c->Got(17, 0); }));
    }
    // The player at `seat` reports its time-out and takes the worst free place.
    void TimeOut(RawClient& p, std::uint8_t seat, std::uint8_t place) {
        p.Send(GameMessages::TimeOutRequest(seat));
        EXPECT_TRUE(h.RunUntil([&] {
            return std::any_of(a->messages.begin(), a->messages.end(),
                               [&](const Bytes& m) { return m == GameMessages::TimeOut(seat, place); });
        }));
    }
    void Leave(std::unique_ptr<RawClient>& p, const std::string& name) {
        p->Send(RoomMessages::LeaveRequest(name));
        EXPECT_TRUE(h.RunUntil([&] { return p->closed && LastFields(*a, 110, 0) == std::vector<std::string>{name}; }));
    }
    std::vector<GameMessages::EndRecord> Results() const {
        for (const auto& m : a->messages)
            if (m[0] == 22) return GameMessages::ParseEnd(m);
        return {};
    }
};

bool StatusShows(ServerHarness& h, const std::string& text) { return h.room->Status().find(text) != std::string::npos; }

}  // namespace

TEST(Seats, ARunningGamesSeatStaysItsPlayersUntilTheEnd) {
    ServerHarness h;
    GameOfThree g(h);
    g.TimeOut(*g.c, 2, 3);
    g.Leave(g.c, "c");
    // A newcomer waits at another seat and is not handed the leaver's items.
    ScriptPlan plan;
    plan.ticket = h.TicketFor("newcomer");
    plan.think = std::chrono::hours(1);
    auto d = h.Client(plan);
    ASSERT_TRUE(h.RunUntil([&] { return d->InGame(); }));
    EXPECT_EQ(d->Seat(), 3);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(d->Model().SeatUser[d->Seat()].bteDaoJuCount[k], 0) << "item " << k;
    EXPECT_TRUE(StatusShows(h, "[3] newcomer"));
    // The player who left comes back to its own seat.
    auto c2 = Player(h, "c");
    EXPECT_TRUE(StatusShows(h, "[2] c"));

    g.TimeOut(*g.b, 1, 2);
    ASSERT_TRUE(h.RunUntil([&] { return g.a->Got(22, 0); }));
    const auto results = g.Results();
    ASSERT_EQ(results.size(), 3u);
    for (const auto& r : results) EXPECT_NE(r.seat, 3) << "the newcomer was credited with a game it never played";
    EXPECT_EQ(h.store.Load("newcomer").games, 0);
    const UserStats c = h.store.Load("c");
    EXPECT_EQ(c.games, 1);
    EXPECT_EQ(c.losses, 1);
    EXPECT_EQ(c.score, -20);
}

TEST(Seats, APlaceOnceGivenIsFinalWhenItsPlayerLeaves) {
    ServerHarness h;
    GameOfThree g(h);
    g.TimeOut(*g.c, 2, 3);
    g.Leave(g.c, "c");
    g.TimeOut(*g.b, 1, 2);
    ASSERT_TRUE(h.RunUntil([&] { return g.a->Got(22, 0); }));
    // Those at the table are shown their results; all three are scored as a game of three.
    const auto results = g.Results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].seat, 0);
    EXPECT_EQ(results[0].score, 20);
    EXPECT_EQ(results[1].seat, 1);
    EXPECT_EQ(results[1].place, 2);
    EXPECT_EQ(results[1].score, 0);
    const UserStats a = h.store.Load("a"), b = h.store.Load("b"), c = h.store.Load("c");
    EXPECT_EQ(a.wins, 1);
    EXPECT_EQ(b.draws, 1);
    EXPECT_EQ(b.score, 0);
    EXPECT_EQ(c.games, 1);  // the loss of the player who left is kept
    EXPECT_EQ(c.losses, 1);
    EXPECT_EQ(c.escapes, 0);
    EXPECT_EQ(c.score, -20);
    // The update of the one still there says the same.
    EXPECT_EQ(LastFields(*g.b, 108, 6), (std::vector<std::string>{"b", "0", "0", "1", "0", "0", "0", "0", "1"}));
}

TEST(Seats, MapChoicesSpendTheChatBudget) {
    ServerHarness h;
    auto a = Player(h, "a");
    auto b = Player(h, "b");
    GameMessages::ItemRequest map;
    map.item = modDaoJuDefine::DJ_DITU;
    for (int i = 0; i < 20; ++i) a->Send(GameMessages::ItemRequestMsg(map));
    h.RunFor(300ms);
    // Five lines at once, like chat; the flood is not relayed.
    const auto choices =
        std::count_if(b->messages.begin(), b->messages.end(), [](const Bytes& m) { return m[0] == 133 && m[1] == 8; });
    EXPECT_LE(choices, 5);
    EXPECT_LE(CountOf(*b, 1), 5);
    EXPECT_GE(CountOf(*b, 1), 1);
    // The budget spent, a chat line of the chooser is dropped too.
    const int before = CountOf(*b, 1);
    a->Send(GameMessages::Chat({"所有人", "0", "a", "所有人", "12:00:00", "0", "0", "0", "hello", "-"}));
    h.RunFor(200ms);
    EXPECT_EQ(CountOf(*b, 1), before);
}

TEST(Names, TheServersOwnNamesAndBlankNamesAreRefusedAtTheDoor) {
    ServerHarness h;
    auto watcher = Player(h, "座上客");
    const std::vector<std::string> refused = {
        "系统",               // the sender of the server's own lines
        "所有人",             // the addressee of a line to everybody
        "系 统",              // the same with a blank inside
        "系统\u200B",         // ... or an invisible character after it
        "\u3000\u3000",       // ideographic blanks only
        "\u200B",             // a zero-width space only
        "a\xF0\x9F\x98\x80",  // a character GBK cannot hold: would show as "a?"
    };
    for (const auto& name : refused) {
        EXPECT_FALSE(UserNames::Acceptable(name)) << name;
        auto c = Player(h, name);
        ASSERT_TRUE(h.RunUntil([&] { return c->closed; })) << name << " was let in";
        EXPECT_FALSE(c->Got(130, 3)) << name;
        EXPECT_EQ(CountOf(*c, 21), 1) << name;  // told why
    }
    EXPECT_TRUE(UserNames::Acceptable("系统管理员"));
    EXPECT_TRUE(UserNames::Acceptable("游客12"));
    EXPECT_TRUE(UserNames::Acceptable("\u3000甲\u3000"));  // something visible is left
    EXPECT_EQ(h.room->UserCount(), 1u);
    EXPECT_FALSE(watcher->closed);
}

TEST(IdleSeats, NobodyHoldsATableUp) {
    ServerHarness h([](ServerOptions& o) {
        o.readyTime = 400ms;
        o.readyGrace = 100ms;
        o.idleTime = 700ms;
    });
    // A master alone may wait; a silent player beside a ready master loses the seat.
    auto a = Player(h, "a");
    GameSettings s;
    s.playerCount = 2;
    a->Send(RoomMessages::GameSetConfirm("a", s));
    auto ghost = Player(h, "ghost");
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(h.RunUntil([&] { return ghost->closed; }, 3s));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 400ms);
    EXPECT_EQ(CountOf(*ghost, 21), 1);
    EXPECT_EQ(LastFields(*a, 110, 0), std::vector<std::string>{"ghost"});
    EXPECT_FALSE(a->closed);
    // The next player who agrees gets the game.
    auto b = Player(h, "b");
    b->Send(RoomMessages::GameSetAccept("b"));
    ASSERT_TRUE(h.RunUntil([&] { return a->Got(17, 0) && b->Got(17, 0); }));

    // A master who never sets the table while someone waits loses the seat; the one who
    // waited becomes master and is asked.
    auto silentMaster = Player(h, "silent", true, 2);
    auto waiting = Player(h, "waiting", true, 2);
    ASSERT_TRUE(h.RunUntil([&] { return silentMaster->closed; }, 3s));
    ASSERT_TRUE(h.RunUntil([&] { return CountOf(*waiting, 111) == 2; }));
    EXPECT_EQ(LastFields(*waiting, 111)[3], "1");
    // Alone and asked, it may take its time: nobody waits for it.
    h.RunFor(800ms);
    EXPECT_FALSE(waiting->closed);
}

TEST(IdleSeats, AGuestWhoNeverRaisesItsHandGoes) {
    ServerHarness h([](ServerOptions& o) { o.idleTime = 500ms; });
    auto player = Player(h, "player");  // a ticket's player may wait
    GameSettings s;
    s.playerCount = 3;
    player->Send(RoomMessages::GameSetConfirm("player", s));
    RawClient guest(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return guest.connected; }));
    guest.Send(RoomMessages::Login(true));
    ASSERT_TRUE(h.RunUntil([&] { return guest.Got(130, 3); }));
    ASSERT_TRUE(h.RunUntil([&] { return guest.closed; }, 3s));
    EXPECT_EQ(LastFields(*player, 110, 0).size(), 1u);
    EXPECT_FALSE(player->closed);
    // A guest who raised its hand waits for company as long as it likes.
    RawClient ready(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return ready.connected; }));
    ready.Send(RoomMessages::Login(true));
    ASSERT_TRUE(h.RunUntil([&] { return ready.Got(111, 0); }));
    ready.Send(RoomMessages::GameSetAccept("x"));
    h.RunFor(800ms);
    EXPECT_FALSE(ready.closed);
}
