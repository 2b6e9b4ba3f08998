// The room against a client that would steal a seat or a result, or run the server out of
// descriptors, against the real server: accepting backs off when descriptors run out, the
// connection cap keeps a reserve of them, and after a run of random joins, leaves, drops
// and time-outs at two tables every game a player started is on its record exactly once.
#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

#include "FaultFixture.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "server/ScriptedClient.h"

namespace {

class SeatFaultTest : public FaultTest {};

}  // namespace

TEST_F(SeatFaultTest, AcceptingBacksOffWhenDescriptorsRunOut) {
    ASSERT_TRUE(StartServer());
    auto seated = Player("座上客", 1);
    // No descriptor left for one more connection: the newcomers wait in the backlog.
    const int open = server_.OpenDescriptors();
    ASSERT_TRUE(server_.SetOpenFileLimit(static_cast<unsigned long>(open)));
    std::vector<std::unique_ptr<FaultClient>> waiting;
    for (int i = 0; i < 5; ++i) {
        waiting.push_back(Connect());
        waiting.back()->SendLogin();  // read once the server takes the connection
    }
    std::this_thread::sleep_for(300ms);
    const double before = server_.CpuSeconds();
    std::this_thread::sleep_for(2s);
    const double spent = server_.CpuSeconds() - before;
    std::printf("server CPU in 2 s without descriptors: %.2f s\n", spent);
    EXPECT_LT(spent, 0.5) << "the server spins on the failed accept";
    seated->Say("还在吗");
    EXPECT_TRUE(seated->Await(GAMEMSG_CHAT)) << "the seated player is no longer served";
    // Descriptors again: every newcomer that waited is taken.
    ASSERT_TRUE(server_.SetOpenFileLimit(static_cast<unsigned long>(open) + 200));
    for (auto& w : waiting) EXPECT_TRUE(w->Await(ROOMMSG_TABLE, TABLE_IDENTITY, 5s));
    EXPECT_NE(server_.Errors().find("cannot accept connections"), std::string::npos);
}

TEST_F(SeatFaultTest, TheConnectionCapKeepsADescriptorReserve) {
    constexpr unsigned long kLimit = 160;  // the server's descriptors, hard limit too
    RaiseOpenFileLimit(4096);
    std::vector<std::string> args = {"--db",    DbPath(), "--secret-file",   SecretPath(), "--start-pause", "0.2",
                                     "--grace", "2",      "--login-timeout", "20"};
    ASSERT_TRUE(server_.Start(args, {}, kLimit));
    std::vector<std::unique_ptr<FaultClient>> flood;
    for (int i = 0; i < 150; ++i) flood.push_back(Connect());
    std::this_thread::sleep_for(500ms);
    const double before = server_.CpuSeconds();
    std::this_thread::sleep_for(2s);
    const double spent = server_.CpuSeconds() - before;
    const auto status = server_.QueryStatus();
    std::printf("150 connections against %lu descriptors: %d served, server CPU in 2 s: %.2f s\n", kLimit,
                status.connections, spent);
    EXPECT_LE(status.connections, static_cast<int>(kLimit) - 64);
    EXPECT_LT(spent, 0.5) << "the server spins on the failed accept";
    // Those beyond the cap were turned away at once.
    int closed = 0;
    for (auto& c : flood) {
        c->Drain();
        closed += c->Connected() ? 0 : 1;
    }
    EXPECT_GE(closed, 150 - (static_cast<int>(kLimit) - 64));
    flood.clear();
    ASSERT_TRUE(AwaitConnections(0));
    // The reserve kept the records file working: a game is stored.
    auto master = Player("甲", 1);
    auto other = Player("乙", 1);
    StartPairGame(*master, *other);
    other->Send(GameMessages::TimeOutRequest(static_cast<std::uint8_t>(other->Seat())));
    ASSERT_TRUE(master->Await(GAMEMSG_END));
    server_.Stop();
    EXPECT_EQ(Record("甲").wins, 1);
    EXPECT_EQ(Record("乙").losses, 1);
}

TEST_F(SeatFaultTest, RecordsAddUpAfterRandomJoinsLeavesDropsAndTimeOuts) {
    ASSERT_TRUE(StartServer({"--turn-time", "1.5", "--grace", "1", "--ready-time", "2", "--idle-time", "4"}));
    asio::io_context io;
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(server_.Port()));
    auto run = [&](std::chrono::milliseconds d) {
        io.run_for(d);
        if (io.stopped()) io.restart();
    };
    auto client = [&](const std::string& ticket, ScriptPlan plan) {
        plan.ticket = ticket;
        plan.settings.playerCount = 2;
        auto c = std::make_unique<ScriptedClient>(io, ep, plan);
        c->Start();
        return c;
    };
    // Every table has a host who plays on and on and a spectator who writes down who sat
    // at the table whenever a game started: every one of them played that game.
    std::map<std::string, int> started;
    int starts = 0, ends = 0;
    std::vector<std::unique_ptr<ScriptedClient>> hosts, spectators;
    for (int t = 1; t <= 2; ++t) {
        ScriptPlan host;
        host.games = 1000;
        host.think = 40ms;
        hosts.push_back(client(TicketFor("主" + std::to_string(t), t), host));
        run(300ms);
        spectators.push_back(client(TicketFor("看" + std::to_string(t), t, "主" + std::to_string(t)), {}));
        spectators.back()->onMessage = [&](ScriptedClient& w, const Bytes& m) {
            if (m[0] == 22) ++ends;
            if (m[0] != 17) return;
            ++starts;
            for (const auto& seat : w.Model().SeatUser)
                if (!seat.strUserName.empty()) ++started[seat.strUserName];
        };
    }
    run(300ms);

    std::mt19937 rng(2026);
    const int kUsers = 8;
    std::vector<std::unique_ptr<ScriptedClient>> users(kUsers), gone;
    std::vector<int> tableOf(kUsers, 1);
    std::map<std::string, int> actions;
    const auto end = std::chrono::steady_clock::now() + 25s;
    while (std::chrono::steady_clock::now() < end) {
        run(std::chrono::milliseconds(100 + rng() % 150));
        const int i = static_cast<int>(rng() % kUsers);
        const std::string name = "客" + std::to_string(i + 1);
        auto& c = users[i];
        if (!c || !c->Connected()) {
            if (rng() % 2) continue;
            if (c) gone.push_back(std::move(c));
            if (rng() % 3 == 0) tableOf[i] = 1 + static_cast<int>(rng() % 2);
            ScriptPlan p;
            p.think = 40ms;
            p.games = 1 + static_cast<int>(rng() % 3);
            if (rng() % 3 == 0) p.timeOutAfter = static_cast<int>(rng() % 8);
            else if (rng() % 4 == 0) p.silentAfter = static_cast<int>(rng() % 8);
            c = client(TicketFor(name, tableOf[i]), p);
            ++actions["join"];
            continue;
        }
        const int pick = static_cast<int>(rng() % 8);
        const bool out = c->InGame() && c->Seat() >= 0 && c->Model().SeatUser[c->Seat()].blnGameOut;
        if (pick < 2 || (out && pick < 5)) {
            c->SendRaw(RoomMessages::LeaveRequest(name));  // the server closes the connection
            ++actions[out ? "leave when placed" : "leave"];
        } else if (pick == 5) {
            c->Stop();  // a lost connection; the user may come back
            ++actions["drop"];
        }
    }
    // Everybody's connection lost; the games still running end by escapes.
    for (auto& c : users)
        if (c) c->Stop();
    ASSERT_TRUE([&] {
        for (int k = 0; k < 200; ++k) {
            run(50ms);
            if (ends == starts && k > 60) return true;
        }
        return false;
    }()) << starts
         << " games started, " << ends << " ended";
    for (auto& c : hosts) c->Stop();
    for (auto& c : spectators) c->Stop();
    run(100ms);
    ASSERT_EQ(server_.Stop(), 0) << server_.Errors();

    for (const auto& [what, n] : actions) std::printf("%s: %d\n", what.c_str(), n);
    std::printf("%d games\n", starts);
    EXPECT_GE(starts, 5);
    const RecordsFile f = RecordsFile::Read(DbPath());
    ASSERT_EQ(f.integrity, "ok");
    long long played = 0;
    for (const auto& [name, n] : started) played += n;
    EXPECT_EQ(f.results, played);
    for (const auto& [name, row] : f.users) {
        EXPECT_TRUE(row.AddsUp()) << name << ": " << row.games << " games, " << row.wins << " won, " << row.losses
                                  << " lost, " << row.draws << " drawn, " << row.results << " results";
        const auto it = started.find(name);
        EXPECT_EQ(row.games, it == started.end() ? 0 : it->second) << name << " played other games than recorded";
    }
}
