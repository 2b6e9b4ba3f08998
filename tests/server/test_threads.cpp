// The room on several io threads: tables play side by side while users come, drop, come
// back and log in again elsewhere, and the operator reads the status and sends notices
// from another thread; every game ends and the records add up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "tests/server/ServerHarness.h"

// Runs the test thread's own loop (the clients') until `done` holds.
bool Until(asio::io_context& io, const std::function<bool()>& done, std::chrono::seconds limit) {
    return ServerHarness::RunLoopUntil(io, done, limit);
}

TEST(RoomThreads, TablesPlaySideBySideAndTheRecordsAddUp) {
    const auto dir = std::filesystem::temp_directory_path() / ("tilelink-threads-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string db = (dir / "users.db").string();
    constexpr int kTables = 6, kSeats = 3, kGames = 2;
    {
        ServerHarness h([](ServerOptions& o) { o.threads = 3; }, db);
        auto guard = asio::make_work_guard(h.io);
        std::vector<std::thread> threads;
        for (int i = 0; i < 3; ++i) threads.emplace_back([&] { h.io.run(); });

        asio::io_context clients;
        auto client = [&](const std::string& name, int table, ScriptPlan p = {}) {
            p.ticket = h.TicketFor(name, table);
            auto c = std::make_unique<ScriptedClient>(clients, h.Endpoint(), p);
            c->Start();
            return c;
        };
        std::vector<std::unique_ptr<ScriptedClient>> players;
        for (int t = 1; t <= kTables; ++t)
            for (int s = 0; s < kSeats; ++s) {
                ScriptPlan p;
                p.settings.playerCount = kSeats;
                p.games = kGames;
                p.think = std::chrono::milliseconds(3 + s);
                if (t == 2 && s == 1) p.dropAfter = 3;  // drops once and comes back to its seat
                players.push_back(client("t" + std::to_string(t) + "p" + std::to_string(s), t, p));
            }

        // Meanwhile one user logs in at one table and then again at another: the first
        // presence ends, the second is seated.
        auto first = client("wanderer", 20);
        ASSERT_TRUE(Until(
            clients, [&] { return first->Seat() >= 0; }, std::chrono::seconds(20)));
        auto second = client("wanderer", 21);
        ASSERT_TRUE(Until(
            clients, [&] { return second->Seat() >= 0 && first->ClosedByServer(); }, std::chrono::seconds(20)));

        // The operator, from this thread, while the tables play on the others.
        std::atomic<bool> operating{true};
        std::thread operatorThread([&] {
            while (operating) {
                EXPECT_NE(h.room->Status().find("connections"), std::string::npos);
                h.room->NoticeTable(1, "notice");
                h.room->BroadcastText("hello");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        // A player that dropped may miss the end of the game it dropped from.
        const auto played = [](auto& p) { return p->GamesEnded() >= kGames - p->Reconnects(); };
        Until(
            clients, [&] { return std::all_of(players.begin(), players.end(), played); }, std::chrono::seconds(90));
        operating = false;
        operatorThread.join();
        for (auto& p : players)
            EXPECT_TRUE(played(p)) << p->Name() << " seat " << p->Seat() << " reconnects " << p->Reconnects()
                                   << " connected " << p->Connected();
        EXPECT_EQ(players[kSeats + 1]->Reconnects(), 1);
        EXPECT_NE(h.room->Status().find("table 21"), std::string::npos);

        for (auto& p : players) p->Stop();
        second->Stop();
        clients.run_for(std::chrono::milliseconds(100));
        h.room->Stop();
        clients.run_for(std::chrono::milliseconds(100));
        guard.reset();
        h.io.stop();  // the idle-seat timers of the tables would keep it running
        for (auto& t : threads) t.join();
    }
    // Every game was stored once with a result for each seat, and each record adds up.
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM games"), kTables * kGames);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM results"), kTables * kGames * kSeats);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM users WHERE games=2"), kTables * kSeats);
    EXPECT_EQ(CountRows(db, "SELECT SUM(games) - SUM(wins) - SUM(losses) - SUM(draws) FROM users"), 0);
    std::filesystem::remove_all(dir);
}
