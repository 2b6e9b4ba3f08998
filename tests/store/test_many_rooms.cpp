// Room servers on one PostgreSQL database, as real processes with computer players: two
// serve side by side and one is killed while it writes results; one account logs in on
// both; the database refuses at start, or goes away while the tables play.
#include <signal.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "Engines.h"
#include "core/GameMessages.h"
#include "core/Ticket.h"
#include "core/modGameMsgDefine.h"
#include "core/modRoomMsgDefine.h"
#include "tests/faults/kit/BotTable.h"
#include "tests/faults/kit/FaultClient.h"
#include "tests/faults/kit/ServerProcess.h"

using namespace std::chrono_literals;

class ManyRooms : public testing::Test {
protected:
    static constexpr const char* kSecret = "rooms-secret";

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(db_.Ready(error)) << error;
        dir_ = testing::TempDir() + FreshName("tilelink_rooms");
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ + "/secret") << kSecret << "\n";
    }
    void TearDown() override {
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    std::string SpillOf(const std::string& room) const { return dir_ + "/" + room + ".spill"; }

    bool StartRoom(ServerProcess& s, const std::string& room, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"--db",      db_.Where(), "--secret-file",   dir_ + "/secret",
                                         "--room-id", room,        "--spill",         SpillOf(room),
                                         "--seed",    "5",         "--start-pause",   "0.2",
                                         "--grace",   "2",         "--login-timeout", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        return s.Start(args);
    }

    std::unique_ptr<BotTable> Bots(int port, int table) {
        auto bots = std::make_unique<BotTable>();
        BotTable::Config c;
        c.port = port;
        c.table = table;
        c.secretFile = dir_ + "/secret";
        c.tracePath = dir_ + "/bots" + std::to_string(table) + ".log";
        EXPECT_TRUE(bots->Start(c));
        return bots;
    }

    std::string TicketFor(const std::string& name, int table, const std::string& watched = "") const {
        const std::string secret = kSecret;
        return Ticket::Make({table, name, watched, static_cast<std::int64_t>(std::time(nullptr)) + 3600}, &secret);
    }

    long long GamesOf(const std::string& room, int table) const {
        return db_.Count("SELECT COUNT(*) FROM games WHERE room_id='" + room +
                         "' AND table_no=" + std::to_string(table));
    }

    // Waits until the database holds at least `games` games of that table.
    bool AwaitStored(const std::string& room, int table, long long games, std::chrono::seconds limit = 30s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (GamesOf(room, table) < games) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }

    // Every user's games = wins + losses + draws, and one result per game.
    void ExpectRecordsAddUp() const {
        EXPECT_GT(db_.Count("SELECT COUNT(*) FROM users"), 0);
        EXPECT_EQ(db_.Count("SELECT COUNT(*) FROM users WHERE games <> wins + losses + draws OR escapes > losses"
                            " OR games <> (SELECT COUNT(*) FROM results WHERE user_id = users.id)"),
                  0);
    }

    static long long SpillLines(const std::string& path) {
        std::ifstream in(path);
        long long n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }

    PgEngine db_;
    std::string dir_;
};

TEST_F(ManyRooms, TwoServersPlaySideBySideAndAKilledOneLosesNoResultAPlayerSaw) {
    ServerProcess a, b;
    ASSERT_TRUE(StartRoom(a, "east")) << a.Errors();
    ASSERT_TRUE(StartRoom(b, "west")) << b.Errors();
    auto botsA = Bots(a.Port(), 9);
    auto botsB = Bots(b.Port(), 10);
    ASSERT_TRUE(botsA->AwaitGames(2));
    ASSERT_TRUE(botsB->AwaitGames(2));
    EXPECT_EQ(db_.Count("SELECT COUNT(*) FROM rooms WHERE id IN ('east', 'west')"), 2);
    EXPECT_EQ(db_.Count("SELECT COUNT(*) FROM sessions WHERE room_id='east'"), 3);

    // The moment a game's results reach the players, the server dies.
    const int before = botsA->GamesEnded();
    ASSERT_TRUE(botsA->AwaitGames(before + 1));
    ::kill(a.Pid(), SIGKILL);
    EXPECT_EQ(a.Stop(), 128 + SIGKILL);
    std::this_thread::sleep_for(300ms);
    const int seenA = botsA->GamesEnded();
    botsA->Stop();

    // The other server plays on meanwhile.
    const int markB = botsB->GamesEnded();
    ASSERT_TRUE(botsB->AwaitGames(markB + 1));

    // Back again with its spill file: every game its players saw is stored, once.
    ServerProcess again;
    ASSERT_TRUE(StartRoom(again, "east")) << again.Errors();
    EXPECT_TRUE(AwaitStored("east", 9, seenA)) << GamesOf("east", 9) << " of " << seenA << " games stored";
    EXPECT_LE(GamesOf("east", 9), seenA + 1);  // at most the game whose results were on their way

    EXPECT_EQ(botsB->Stop(), 0);
    EXPECT_EQ(botsB->Problems(), "");
    const int seenB = botsB->GamesEnded();
    EXPECT_EQ(b.Stop(), 0) << b.Errors();
    EXPECT_EQ(again.Stop(), 0) << again.Errors();
    EXPECT_GE(GamesOf("west", 10), seenB);
    EXPECT_LE(GamesOf("west", 10), seenB + 1);
    ExpectRecordsAddUp();
    EXPECT_EQ(SpillLines(SpillOf("east")), 0);
}

TEST_F(ManyRooms, ASecondLoginOnAnotherServerEndsTheFirst) {
    ServerProcess a, b;
    ASSERT_TRUE(StartRoom(a, "east")) << a.Errors();
    ASSERT_TRUE(StartRoom(b, "west")) << b.Errors();
    FaultClient first(a.Port());
    ASSERT_TRUE(first.Enter(TicketFor("王五", 2)));
    // The lease is taken once the login is through; a heartbeat later the row says so.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (db_.Count("SELECT COUNT(*) FROM sessions WHERE name='王五' AND room_id='east'") != 1 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    ASSERT_EQ(db_.Count("SELECT COUNT(*) FROM sessions WHERE name='王五' AND room_id='east'"), 1);

    FaultClient second(b.Port());
    ASSERT_TRUE(second.Enter(TicketFor("王五", 3)));
    EXPECT_TRUE(first.AwaitClosed(10s)) << "the first session still runs";
    EXPECT_GE(first.Count(modGameMsgDefine::GAMEMSG_NOTICE), 1);
    second.Drain(500ms);
    EXPECT_TRUE(second.Connected());
    EXPECT_EQ(db_.Count("SELECT COUNT(*) FROM sessions WHERE name='王五' AND room_id='west'"), 1);
    EXPECT_NE(a.Errors().find("王五 logged in on another room server"), std::string::npos) << a.Errors();
    EXPECT_EQ(a.Stop(), 0);
    EXPECT_EQ(b.Stop(), 0);
}

TEST_F(ManyRooms, ADatabaseThatRefusesAtStartStopsTheServerWithAClearLine) {
    ServerProcess s;
    std::string error;
    ASSERT_TRUE(db_.Cluster().Pause());
    const bool started = s.Start({"--db", db_.Where(), "--secret-file", dir_ + "/secret"});
    ASSERT_TRUE(db_.Cluster().Resume());
    EXPECT_FALSE(started);
    EXPECT_EQ(s.Stop(), 1);
    EXPECT_NE(s.Errors().find("tilelink-server: cannot connect to the database postgresql://tilelink@127.0.0.1"),
              std::string::npos)
        << s.Errors();
}

TEST_F(ManyRooms, ADatabaseThatGoesAwayKeepsTheResultsAndPastTheBoundNoGameStarts) {
    ServerProcess s;
    ASSERT_TRUE(StartRoom(s, "east", {"--max-waiting", "2"})) << s.Errors();
    auto bots = Bots(s.Port(), 9);
    ASSERT_TRUE(bots->AwaitGames(1));
    FaultClient watcher(s.Port());
    ASSERT_TRUE(watcher.Enter(TicketFor("看客", 9, "电脑49"), false));

    ASSERT_TRUE(db_.Cluster().Pause());
    const int mark = bots->GamesEnded();
    // The games still end and are shown: two wait, the bound; then no game starts.
    ASSERT_TRUE(bots->AwaitGames(mark + 2, 30s));
    const auto notice = watcher.Await(
        [](const Bytes& m) {
            return !m.empty() && m[0] == modGameMsgDefine::GAMEMSG_CHAT &&
                   FaultClient::TextOf(m).find("新的一局要等它恢复后才能开始") != std::string::npos;
        },
        10s);
    EXPECT_TRUE(notice) << "the table was not told why no game starts";
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(bots->GamesEnded(), mark + 2);
    EXPECT_EQ(SpillLines(SpillOf("east")), 2);
    const std::string away = s.Errors();
    EXPECT_NE(away.find("the database went away"), std::string::npos) << away;
    EXPECT_NE(away.find("new games do not start"), std::string::npos) << away;
    // Every report is one line of its own, the database's long messages too.
    std::istringstream lines(away);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("tilelink-server: ", 0), 0u) << line;

    // Back: the waiting games go in and the table plays on.
    ASSERT_TRUE(db_.Cluster().Resume());
    EXPECT_TRUE(bots->AwaitGames(mark + 3, 40s));
    EXPECT_NE(s.Errors().find("the database is back"), std::string::npos) << s.Errors();
    EXPECT_EQ(bots->Stop(), 0);
    const int seen = bots->GamesEnded();
    EXPECT_EQ(s.Stop(), 0) << s.Errors();
    EXPECT_GE(GamesOf("east", 9), seen);
    EXPECT_LE(GamesOf("east", 9), seen + 1);
    EXPECT_EQ(SpillLines(SpillOf("east")), 0);
    ExpectRecordsAddUp();
}

TEST_F(ManyRooms, AServerKilledWhileTheDatabaseIsAwayStoresItsSpilledGamesWhenItComesBack) {
    ServerProcess s;
    ASSERT_TRUE(StartRoom(s, "east")) << s.Errors();
    auto bots = Bots(s.Port(), 9);
    ASSERT_TRUE(bots->AwaitGames(1));
    ASSERT_TRUE(db_.Cluster().Pause());
    const int mark = bots->GamesEnded();
    ASSERT_TRUE(bots->AwaitGames(mark + 2, 30s));
    ::kill(s.Pid(), SIGKILL);
    s.Stop();
    std::this_thread::sleep_for(300ms);
    const int seen = bots->GamesEnded();
    bots->Stop();
    EXPECT_GE(SpillLines(SpillOf("east")), 2);
    EXPECT_LT(GamesOf("east", 9), seen);

    // The database first, then the server with its spill file.
    ASSERT_TRUE(db_.Cluster().Resume());
    ServerProcess again;
    ASSERT_TRUE(StartRoom(again, "east")) << again.Errors();
    EXPECT_TRUE(AwaitStored("east", 9, seen)) << GamesOf("east", 9) << " of " << seen << " games stored";
    EXPECT_LE(GamesOf("east", 9), seen + 1);
    EXPECT_NE(again.Errors().find("games from the spill file"), std::string::npos) << again.Errors();
    EXPECT_EQ(again.Stop(), 0);
    EXPECT_EQ(SpillLines(SpillOf("east")), 0);
    ExpectRecordsAddUp();
}

TEST_F(ManyRooms, ARoomThatTakesOnlyItsOwnTicketsRefusesTheOthers) {
    ServerProcess east, west;
    ASSERT_TRUE(StartRoom(east, "east", {"--room-tickets", "yes"})) << east.Errors();
    ASSERT_TRUE(StartRoom(west, "west", {"--room-tickets", "yes"})) << west.Errors();
    const std::string secret = kSecret;
    const std::string eastKey = Ticket::RoomSecret(secret, "east");
    auto ticket = [](const std::string& name, const std::string& key) {
        return Ticket::Make({2, name, "", static_cast<std::int64_t>(std::time(nullptr)) + 3600}, &key);
    };
    // Made for east: east seats the player, west does not.
    FaultClient atEast(east.Port());
    EXPECT_TRUE(atEast.Enter(ticket("甲", eastKey)));
    FaultClient atWest(west.Port());
    EXPECT_FALSE(atWest.Enter(ticket("乙", eastKey)));
    EXPECT_TRUE(atWest.AwaitClosed());
    // Signed with the shared secret itself: neither room takes it.
    FaultClient plain(east.Port());
    EXPECT_FALSE(plain.Enter(ticket("丙", secret)));
    EXPECT_TRUE(plain.AwaitClosed());
    EXPECT_EQ(east.Stop(), 0);
    EXPECT_EQ(west.Stop(), 0);

    // Without the room's id there is nothing to bind the tickets to.
    ServerProcess unnamed;
    EXPECT_FALSE(unnamed.Start({"--db", db_.Where(), "--secret-file", dir_ + "/secret", "--room-tickets", "yes"}));
    EXPECT_EQ(unnamed.Stop(), 2);
    EXPECT_NE(unnamed.Errors().find("--room-tickets yes needs"), std::string::npos) << unnamed.Errors();
}
