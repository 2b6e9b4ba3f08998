// Every request a table client must not make is refused and changes nothing: wrong
// pairs, another seat's number, forged item targets, items without count or price, group
// changes during a game, and anything before the login.
// Forges raw messages: requests a client may not send (wrong seats, watchers' moves), at the server.
#include "RawClient.h"
#include "ServerHarness.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modLinkSearch.h"
#include "server/ItemRules.h"

namespace {

using namespace std::chrono_literals;

// Two idle scripted players (they never move by themselves) with a game running.
struct TwoPlayers {
    ServerHarness& h;
    std::unique_ptr<ScriptedClient> a, b;

    explicit TwoPlayers(ServerHarness& harness, bool start = true) : h(harness) {
        ScriptPlan p;
        p.think = std::chrono::hours(1);
        p.settings.playerCount = 2;
        p.ticket = h.TicketFor("alice");
        a = h.Client(p);
        EXPECT_TRUE(h.RunUntil([&] { return a->Seat() == 0; }));
        p.ticket = h.TicketFor("bob");
        b = h.Client(p);
        EXPECT_TRUE(h.RunUntil([&] { return b->Seat() == 1; }));
        if (start) {
            EXPECT_TRUE(h.RunUntil([&] { return a->InGame() && b->InGame(); }));
        }
    }
    int Count(ScriptedClient& c, std::uint8_t type) const {
        auto it = c.Received().find(type);
        return it == c.Received().end() ? 0 : it->second;
    }
    // Sends `m` as alice and checks that neither player hears a message of `type`.
    void ExpectIgnored(const Bytes& m, std::uint8_t type) {
        const int before = Count(*a, type) + Count(*b, type);
        a->SendRaw(m);
        h.RunFor(150ms);
        EXPECT_EQ(Count(*a, type) + Count(*b, type), before);
    }
};

bool FindPair(const TileGridT& g, bool sameCode, bool linkable, CellPos& p1, CellPos& p2) {
    for (int r1 = 0; r1 < 10; ++r1)
        for (int c1 = 0; c1 < 18; ++c1)
            for (int r2 = 0; r2 < 10; ++r2)
                for (int c2 = 0; c2 < 18; ++c2) {
                    if (!g[r1][c1] || !g[r2][c2] || (r1 == r2 && c1 == c2)) continue;
                    if ((g[r1][c1] == g[r2][c2]) != sameCode) continue;
                    LinkPath path;
                    if (sameCode && modLinkSearch::CheckLink(g, {r1, c1}, {r2, c2}, path) != linkable) continue;
                    p1 = {r1, c1};
                    p2 = {r2, c2};
                    return true;
                }
    return false;
}

LinkPath Straight(CellPos a, CellPos b) {
    LinkPath p;
    p.lngNodeCount = 2;
    p.lngNodePos[0] = a.row;
    p.lngNodePos[1] = a.col;
    p.lngNodePos[2] = b.row;
    p.lngNodePos[3] = b.col;
    return p;
}

// The boards a fresh spectator is sent (the server's own copies), as a table client
// decodes them.
std::vector<TileGridT> ServerBoards(ServerHarness& h, const std::string& watched) {
    ScriptPlan p;
    p.ticket = h.TicketFor("checker", 1, watched);
    auto w = h.Client(p);
    h.RunUntil([&] { return w->InGame(); }, 3s);
    std::vector<TileGridT> grids;
    for (int s = 0; s < 6; ++s) grids.push_back(w->Grid(s));
    return grids;
}

}  // namespace

TEST(IllegalRequests, WrongPairsAndForeignSeatsChangeNoBoard) {
    ServerHarness h;
    TwoPlayers t(h);
    const TileGridT start = t.a->Grid(0);
    CellPos p1, p2;
    // equal codes that do not link (the straight path claimed runs through tiles)
    ASSERT_TRUE(FindPair(start, true, false, p1, p2));
    t.ExpectIgnored(GameMessages::RemoveRequest(0, Straight(p1, p2)), 19);
    // two tiles of different codes
    ASSERT_TRUE(FindPair(start, false, false, p1, p2));
    t.ExpectIgnored(GameMessages::RemoveRequest(0, Straight(p1, p2)), 19);
    // empty cells, cells outside the grid, bad node counts, a cut message
    t.ExpectIgnored({19, 0, 0, 2, 0, 0, 0, 0}, 19);
    t.ExpectIgnored({19, 0, 0, 2, 10, 0, 0, 1}, 19);
    t.ExpectIgnored({19, 0, 0, 5, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4}, 19);
    t.ExpectIgnored({19, 0, 0, 2, 0}, 19);

    // A legal pair sent with bob's seat number is alice's removal: bob's board stays.
    LinkPath legal;
    ASSERT_TRUE(modLinkSearch::FindLinkPair(start, legal));
    GameMessages::RemoveInfo seen;
    t.b->onMessage = [&](ScriptedClient&, const Bytes& m) {
        if (m[0] == 19) GameMessages::ParseRemoveBroadcast(m, seen);
    };
    t.a->SendRaw(GameMessages::RemoveRequest(1, legal));
    ASSERT_TRUE(h.RunUntil([&] { return t.Count(*t.b, 19) == 1; }));
    EXPECT_EQ(seen.seat, 0);
    TileGridT expectA = start;
    expectA[legal.First().row][legal.First().col] = expectA[legal.Last().row][legal.Last().col] = 0;

    // The same pair again is gone; bob cannot remove on alice's board either.
    t.ExpectIgnored(GameMessages::RemoveRequest(0, legal), 19);
    const auto boards = ServerBoards(h, "alice");
    EXPECT_EQ(boards[0], expectA);
    EXPECT_EQ(boards[1], start);
    EXPECT_EQ(boards[2], TileGridT{});
    EXPECT_EQ(t.b->Grid(1), start);
}

TEST(IllegalRequests, ItemsWithForgedTargetsOrNoCountAreRefused) {
    ServerHarness h([](ServerOptions& o) {
        for (auto& item : o.items) item.bteNeedDelFk = 0;
        o.items[modDaoJuDefine::DJ_JINSHOU].bteFreeCount = 1;   // one free freeze, no price
        o.items[modDaoJuDefine::DJ_NAOZHONG].bteFreeCount = 0;  // alarm clock: no count, price 5
        o.items[modDaoJuDefine::DJ_NAOZHONG].lngPrice = 5;      // more than a new player's 0 points
        o.items[modDaoJuDefine::DJ_MENGYAN].bteFreeCount = 0;   // blindfold: no count, price 0
        o.items[modDaoJuDefine::DJ_MENGYAN].lngPrice = 0;
    });
    TwoPlayers t(h);
    auto freezeAt = [](std::uint8_t target) {
        GameMessages::ItemRequest r;
        r.item = modDaoJuDefine::DJ_JINSHOU;
        r.target = target;
        return GameMessages::ItemRequestMsg(r);
    };
    t.ExpectIgnored(freezeAt(0), 133);  // oneself
    t.ExpectIgnored(freezeAt(3), 133);  // an empty seat
    t.ExpectIgnored(freezeAt(6), 133);  // no such seat
    t.ExpectIgnored(freezeAt(255), 133);
    t.ExpectIgnored({133, 2, 0, 0, 1}, 133);     // one byte short
    t.ExpectIgnored({133, 0, 0, 0, 1, 0}, 133);  // sub-code 0 is no item
    t.ExpectIgnored({133, 8, 0, 0, 1}, 133);     // the map only between games
    Bytes confirmation;
    t.b->onMessage = [&](ScriptedClient&, const Bytes& m) {
        if (m[0] == 133) confirmation = m;
    };
    t.a->SendRaw(freezeAt(1));
    ASSERT_TRUE(h.RunUntil([&] { return !confirmation.empty(); }));
    EXPECT_EQ(confirmation, (Bytes{133, 2, 0, 0, 1, 0}));  // the count went from 1 to 0
    t.ExpectIgnored(freezeAt(1), 133);                     // count 0 and no price: refused

    // Count 0 with a price: refused when the points cannot pay it, taken when they can,
    // and the count stays 0.
    GameMessages::ItemRequest paid;
    paid.item = modDaoJuDefine::DJ_NAOZHONG;
    paid.target = 1;
    t.ExpectIgnored(GameMessages::ItemRequestMsg(paid), 133);
    paid.item = modDaoJuDefine::DJ_MENGYAN;
    confirmation.clear();
    t.a->SendRaw(GameMessages::ItemRequestMsg(paid));
    ASSERT_TRUE(h.RunUntil([&] { return !confirmation.empty(); }));
    EXPECT_EQ(confirmation, (Bytes{133, 5, 0, 0, 1, 0}));

    // A bomb whose pair does not link is refused; the real pair goes.
    CellPos p1, p2;
    ASSERT_TRUE(FindPair(t.a->Grid(0), true, false, p1, p2));
    GameMessages::ItemRequest bomb;
    bomb.item = modDaoJuDefine::DJ_ZHADAN;
    bomb.path = Straight(p1, p2);
    t.ExpectIgnored(GameMessages::ItemRequestMsg(bomb), 133);
    ASSERT_TRUE(modLinkSearch::FindLinkPair(t.a->Grid(0), bomb.path));
    confirmation.clear();
    t.a->SendRaw(GameMessages::ItemRequestMsg(bomb));
    ASSERT_TRUE(h.RunUntil([&] { return !confirmation.empty(); }));
    EXPECT_EQ(confirmation.size(), 6u + 2 * bomb.path.lngNodeCount);
    EXPECT_EQ(confirmation[1], 4);
}

TEST(IllegalRequests, GroupChangesOnlyBetweenGames) {
    ServerHarness h([](ServerOptions& o) { o.startPause = std::chrono::seconds(30); });
    TwoPlayers t(h, false);
    ASSERT_TRUE(h.RunUntil([&] { return t.a->Model().SeatUser[1].blnReady; }));
    Bytes seen;
    t.b->onMessage = [&](ScriptedClient&, const Bytes& m) {
        if (m[0] == 133) seen = m;
    };
    t.a->SendRaw({133, 255, 0, 5, 2});  // the seat byte is not believed
    ASSERT_TRUE(h.RunUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, (Bytes{133, 255, 0, 0, 2}));
    t.ExpectIgnored({133, 255, 0, 0, 4}, 133);  // no group 4
}

TEST(IllegalRequests, GroupChangeDuringAGameIsIgnored) {
    ServerHarness h;
    TwoPlayers t(h);
    t.ExpectIgnored({133, 255, 0, 0, 1}, 133);
    t.ExpectIgnored(RoomMessages::GameSetConfirm("alice", GameSettings{}), 112);  // no new settings either
}

TEST(IllegalRequests, AnythingBeforeTheLoginEndsTheConnection) {
    ServerHarness h;
    const Bytes login = RoomMessages::Login(true);
    std::vector<std::vector<Bytes>> openings = {
        {GameMessages::RemoveRequest(0, Straight({0, 0}, {0, 1}))},
        {GameMessages::Chat(std::vector<std::string>(10, "x"))},
        {{18, 0}},
        {{130, 0, '4', '0', '0'}},  // a login with a wrong text
        {{130, 1}, login},
        {Bytes{'T', 'L', 'H', 'E', 'L', 'L', 'O', ' ', 'x'}, login},  // a ticket that is no ticket
        {Bytes{'T', 'L', 'H', 'E', 'L', 'L', 'O', ' '}, Bytes{'T', 'L', 'H', 'E', 'L', 'L', 'O', ' '}, login},
    };
    // forged, expired and unsigned tickets
    Ticket::SeatTicket t{1, "mallory", "", std::time(nullptr) + 3600};
    const std::string wrongKey = "other";
    for (const std::string& ticket :
         {Ticket::Make(t, &wrongKey), Ticket::Make(t, nullptr), h.TicketFor("mallory", 1, "", -10)}) {
        Bytes hello(Framing::kHelloPrefix.begin(), Framing::kHelloPrefix.end());
        hello.insert(hello.end(), ticket.begin(), ticket.end());
        openings.push_back({hello, login});
    }
    std::vector<std::unique_ptr<RawClient>> clients;
    for (const auto& seq : openings) {
        clients.push_back(std::make_unique<RawClient>(h.io, h.Endpoint()));
        ASSERT_TRUE(h.RunUntil([&] { return clients.back()->connected; }));
        for (const auto& m : seq) clients.back()->Send(m);
    }
    ASSERT_TRUE(
        h.RunUntil([&] { return std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->closed; }); }));
    for (const auto& c : clients) EXPECT_FALSE(c->Got(130, 3));  // nobody was seated
    EXPECT_EQ(h.room->UserCount(), 0u);

    // A guest without a ticket is seated with a name of the server's.
    RawClient guest(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return guest.connected; }));
    guest.Send(login);
    ASSERT_TRUE(h.RunUntil([&] { return guest.Got(130, 3); }));
    EXPECT_FALSE(guest.closed);
    EXPECT_EQ(h.room->UserCount(), 1u);
}

TEST(IllegalRequests, SpectatorsCannotPlay) {
    ServerHarness h;
    TwoPlayers t(h);
    ScriptPlan p;
    p.ticket = h.TicketFor("eve", 1, "alice");
    auto eve = h.Client(p);
    ASSERT_TRUE(h.RunUntil([&] { return eve->Received().count(109) > 0; }));
    LinkPath legal;
    ASSERT_TRUE(modLinkSearch::FindLinkPair(t.a->Grid(0), legal));
    const int before = t.Count(*t.a, 19);
    eve->SendRaw(GameMessages::RemoveRequest(0, legal));
    eve->SendRaw({18, 0});
    eve->SendRaw({20, 0, 0, 0});
    h.RunFor(200ms);
    EXPECT_EQ(t.Count(*t.a, 19), before);
    EXPECT_EQ(t.Count(*t.a, 20), 0);
}
