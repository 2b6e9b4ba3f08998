// Six scripted players and a spectator play a whole game over loopback: settings, ready,
// removals, time-outs (reported and silent), a drop and return, the results, and the
// records in SQLite.
#include <algorithm>
#include <set>

#include "ServerHarness.h"
#include "core/RoomMessages.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

TEST(WholeGame, SixPlayersWatcherDropAndReturnRecordsStored) {
    const auto dir = std::filesystem::temp_directory_path() / ("tilelink-game-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string db = (dir / "users.db").string();
    {
        ServerHarness h(
            [](ServerOptions& o) {
                o.turnTime = std::chrono::milliseconds(1500);
                o.alarmTurnTime = std::chrono::milliseconds(1000);
                o.turnGrace = std::chrono::milliseconds(300);
            },
            db);
        const char* names[6] = {"桌主甲", "player2", "player3", "player4", "player5", "player6"};
        std::vector<std::unique_ptr<ScriptedClient>> players;
        for (int i = 0; i < 6; ++i) {
            ScriptPlan p;
            p.ticket = h.TicketFor(names[i]);
            p.settings.playerCount = 6;
            p.think = std::chrono::milliseconds(10 + 6 * i);
            if (i == 1) p.timeOutAfter = 5;  // reports its own time-out
            if (i == 2) p.silentAfter = 3;   // stops sending: the server's turn clock takes it out
            if (i == 3) p.dropAfter = 4;     // drops and comes back with the same ticket
            players.push_back(h.Client(p));
            // Seats in arrival order: the first player is the master.
            ASSERT_TRUE(h.RunUntil([&] { return players.back()->Seat() == i; })) << i;
        }
        // What the master's table client hears about the dropping player.
        std::vector<int> dropNews;
        players[0]->onMessage = [&](ScriptedClient&, const Bytes& m) {
            if (m.size() > 2 && m[0] == 108 && RoomMessages::RequestFields(m)[0] == names[3]) dropNews.push_back(m[1]);
        };
        ScriptPlan wp;
        wp.ticket = h.TicketFor("旁观者", 1, names[0]);
        auto watcher = h.Client(wp);
        // Each player who clears the board is announced at once with its place.
        std::vector<std::pair<int, int>> finishes;
        watcher->onMessage = [&](ScriptedClient&, const Bytes& m) {
            if (m.size() == 4 && m[0] == modGameMsgDefine::GAMEMSG_FINISH) finishes.emplace_back(m[2], m[3]);
        };

        ASSERT_TRUE(h.RunUntil(
            [&] {
                return std::all_of(players.begin(), players.end(), [](auto& c) { return c->GamesEnded() == 1; }) &&
                       watcher->GamesEnded() == 1;
            },
            std::chrono::seconds(40)));
        h.RunFor(std::chrono::milliseconds(200));  // the record updates follow the results

        // Every seat got a place, 1..6 exactly once, and scores sum to zero.
        const auto& results = players[0]->LastResults();
        ASSERT_EQ(results.size(), 6u);
        std::set<int> places;
        int sum = 0;
        for (const auto& r : results) {
            places.insert(r.place);
            sum += r.score;
        }
        EXPECT_EQ(places, (std::set<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(sum, 0);
        EXPECT_EQ(watcher->LastResults().size(), 6u);
        // The player who timed out itself and the silent one took the two last places.
        auto placeOf = [&](int seat) {
            for (const auto& r : results)
                if (r.seat == seat) return static_cast<int>(r.place);
            return 0;
        };
        EXPECT_GE(placeOf(1), 5);
        EXPECT_GE(placeOf(2), 5);
        // The finishes came before the results, with the places the results give them.
        ASSERT_FALSE(finishes.empty());
        for (const auto& [seat, place] : finishes) {
            EXPECT_EQ(placeOf(seat), place) << seat;
            EXPECT_NE(seat, 1);
            EXPECT_NE(seat, 2);
        }
        const auto& heard = players[4]->Received();
        const auto finishCount = heard.find(modGameMsgDefine::GAMEMSG_FINISH);
        EXPECT_EQ(finishCount == heard.end() ? 0 : finishCount->second, static_cast<int>(finishes.size()));

        // The dropper came back, got the snapshot and played on; the others saw it go and return.
        EXPECT_EQ(players[3]->Reconnects(), 1);
        EXPECT_GT(players[3]->Removals(), 4);
        EXPECT_EQ(dropNews, (std::vector<int>{3, 0, 6}));  // dropped, back, then its record update
        EXPECT_GE(players[3]->Received().at(109), 2);
        // The spectator saw the start and the removals of every seat.
        EXPECT_EQ(watcher->Received().at(17), 1);
        EXPECT_GT(watcher->Received().at(19), 20);
        for (auto& p : players) EXPECT_FALSE(p->LatenciesMs().empty());
    }
    // The records: each of the six players has one game, the spectator none.
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM users WHERE games=1"), 6);
    EXPECT_EQ(CountRows(db, "SELECT games FROM users WHERE name='旁观者'"), 0);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM games"), 1);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM results"), 6);
    EXPECT_EQ(CountRows(db, "SELECT SUM(wins)+SUM(losses)+SUM(draws) FROM users"), 6);
    std::filesystem::remove_all(dir);
}
