// Computer players against the real room server: whole games, read back from the
// players' event logs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "bot/BotTrace.h"
#include "core/modLinkSearch.h"
#include "core/modPublicTools.h"
#include "net/ChildProcess.h"
#include "tests/LiveServer.h"

using namespace std::chrono_literals;

namespace {

const std::string kBot = std::string(TILELINK_TABLE_DIR) + "/tilelink-bot";

using TraceLine = BotTrace::Line;

std::vector<TraceLine> ReadTrace(const std::string& path) { return BotTrace::ReadFile(path); }

std::vector<TraceLine> Only(const std::vector<TraceLine>& lines, const std::string& name, const std::string& event) {
    std::vector<TraceLine> out;
    for (const auto& l : lines)
        if (l.name == name && l.event == event) out.push_back(l);
    return out;
}

TileGridT BoardFromText(const std::string& hex) {
    TileGridT g{};
    EXPECT_EQ(hex.size(), 360u);
    for (int i = 0; i < 180 && 2 * i + 1 < static_cast<int>(hex.size()); ++i)
        g[i / 18][i % 18] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return g;
}

std::vector<CellPos> PathNodes(const std::string& text) {
    std::vector<CellPos> nodes;
    for (const auto& node : modPublicTools::SplitFields(text, ';')) {
        const auto rc = modPublicTools::SplitFields(node, ',');
        if (rc.size() == 2) nodes.push_back({std::stoi(rc[0]), std::stoi(rc[1])});
    }
    return nodes;
}

// A fresh log file: what an earlier run left must not be read as this run's.
std::string TracePath(const std::string& name) {
    std::string path = testing::TempDir() + "bot_live_" + name + ".log";
    std::remove(path.c_str());
    return path;
}

// Waits for a program to end; stops it when it takes longer than `limit`.
int Finish(ChildProcess& p, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (p.Running() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(50ms);
    if (p.Running()) {
        ADD_FAILURE() << "still running after " << limit.count() << " s";
        p.Stop();
    }
    return p.Wait();
}

bool WaitForLines(const std::string& path, const std::string& event, std::size_t count, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        std::size_t n = 0;
        for (const auto& l : ReadTrace(path)) n += l.event == event;
        if (n >= count) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// The places of one game's results, checked to be 1..n once each.
void ExpectFullResults(const TraceLine& end, std::size_t players) {
    const auto records = modPublicTools::SplitFields(end.f.at("results"), ';');
    ASSERT_EQ(records.size(), players) << end.f.at("results");
    std::set<int> places;
    for (const auto& r : records) places.insert(std::stoi(modPublicTools::SplitFields(r, ':').at(1)));
    EXPECT_EQ(places.size(), players);
    EXPECT_EQ(*places.begin(), 1);
    EXPECT_EQ(*places.rbegin(), static_cast<int>(players));
}

}  // namespace

TEST(LiveGame, FirstPlayersPlayTheFirstPairToTheEnd) {
    LiveServer server({"--turn-time", "2", "--start-pause", "0.2", "--seed", "7"});
    ASSERT_FALSE(server.Address().empty());
    const std::string trace = TracePath("first");
    ChildProcess bots;
    ASSERT_TRUE(bots.Start(kBot,
                           {"--server", server.Address(), "--table", "1", "--count", "6", "--strategy", "first",
                            "--turn-time", "2", "--games", "1", "--trace", trace},
                           false));
    EXPECT_EQ(Finish(bots, 50s), 0);

    const auto lines = ReadTrace(trace);
    std::string firstResults;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "电脑" + std::to_string(i);
        SCOPED_TRACE(name);
        const auto login = Only(lines, name, "login");
        ASSERT_EQ(login.size(), 1u);
        const std::string seat = login[0].f.at("seat");
        const auto start = Only(lines, name, "start");
        ASSERT_EQ(start.size(), 1u);
        // Replay the player's own board from the dealt board and the server's
        // confirmations: every request must be the first linkable pair of that board.
        TileGridT board = BoardFromText(start[0].f.at("board"));
        int sent = 0, confirmed = 0;
        for (const auto& l : lines) {
            if (l.name != name) continue;
            if (l.event == "send-remove") {
                ++sent;
                ASSERT_EQ(BoardFromText(l.f.at("board")), board) << "request " << sent;
                LinkPath first;
                ASSERT_TRUE(modLinkSearch::FindLinkPair(board, first));
                EXPECT_EQ(l.f.at("path"), BotTrace::PathText(first)) << "request " << sent;
            } else if (l.event == "removed" && l.f.at("seat") == seat) {
                ++confirmed;
                const auto nodes = PathNodes(l.f.at("path"));
                ASSERT_GE(nodes.size(), 2u);
                board[nodes.front().row][nodes.front().col] = 0;
                board[nodes.back().row][nodes.back().col] = 0;
                EXPECT_EQ(BotTrace::BoardPrint(board), l.f.at("print"));
            }
        }
        EXPECT_GT(sent, 10);
        // Nothing refused, nothing lost; only the last request may still have been on its
        // way when the others had finished.
        EXPECT_LE(confirmed, sent);
        EXPECT_GE(confirmed, sent - 1);
        EXPECT_TRUE(Only(lines, name, "item-send").empty());
        EXPECT_TRUE(Only(lines, name, "chat").empty());
        const auto end = Only(lines, name, "end");
        ASSERT_EQ(end.size(), 1u);
        ExpectFullResults(end[0], 6);
        if (firstResults.empty()) firstResults = end[0].f.at("results");
        EXPECT_EQ(end[0].f.at("results"), firstResults);  // everybody saw the same results
    }
}

TEST(LiveGame, HumanPlayersAndAWatcherPlayTwoGames) {
    LiveServer server({"--turn-time", "3", "--start-pause", "1", "--seed", "11"});
    ASSERT_FALSE(server.Address().empty());
    const std::string playerTrace = TracePath("human"), watcherTrace = TracePath("watcher");
    // The spectator (named 看客1 by default) comes first and knocks again until the player
    // it watches is seated.
    ChildProcess watcher, players;
    ASSERT_TRUE(watcher.Start(kBot,
                              {"--server", server.Address(), "--table", "1", "--count", "1", "--watch", "电脑1",
                               "--reconnect", "--games", "2", "--pace", "0.05", "--trace", watcherTrace},
                              false));
    ASSERT_TRUE(players.Start(kBot,
                              {"--server", server.Address(), "--table", "1", "--count", "5", "--players", "5", "--pace",
                               "0.04", "--seed", "3", "--games", "2", "--turn-time", "3", "--trace", playerTrace},
                              false));
    EXPECT_EQ(Finish(players, 55s), 0);
    EXPECT_EQ(Finish(watcher, 10s), 0);

    const auto lines = ReadTrace(playerTrace);
    const auto seen = ReadTrace(watcherTrace);
    std::string watchedSeat;
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "电脑" + std::to_string(i);
        SCOPED_TRACE(name);
        const auto ends = Only(lines, name, "end");
        ASSERT_EQ(ends.size(), 2u);
        for (const auto& e : ends) ExpectFullResults(e, 5);
        if (i == 1) watchedSeat = Only(lines, name, "login").at(0).f.at("seat");
        // Every pair sent is the path the link search gives for its two tiles on the
        // board the player saw.
        int sent = 0;
        for (const auto& l : Only(lines, name, "send-remove")) {
            const auto nodes = PathNodes(l.f.at("path"));
            ASSERT_GE(nodes.size(), 2u);
            LinkPath path;
            ASSERT_TRUE(modLinkSearch::CheckLink(BoardFromText(l.f.at("board")), nodes.front(), nodes.back(), path));
            EXPECT_EQ(BotTrace::PathText(path), l.f.at("path"));
            ++sent;
        }
        EXPECT_GT(sent, 20);
    }

    // The spectator saw both games to their results, and every removal of the watched
    // player with the same board after it.
    const auto login = Only(seen, "看客1", "login");
    ASSERT_FALSE(login.empty());
    EXPECT_EQ(login.back().f.at("watcher"), "1");
    EXPECT_EQ(login.back().f.at("seat"), watchedSeat);
    EXPECT_EQ(Only(seen, "看客1", "start").size(), 2u);
    const auto watcherEnds = Only(seen, "看客1", "end");
    ASSERT_EQ(watcherEnds.size(), 2u);
    EXPECT_EQ(watcherEnds[1].f.at("results"), Only(lines, "电脑1", "end")[1].f.at("results"));
    auto removalsOf = [&](const std::vector<TraceLine>& from, const std::string& name) {
        std::vector<std::string> out;
        for (const auto& l : from)
            if (l.name == name && l.event == "removed" && l.f.at("seat") == watchedSeat)
                out.push_back(l.f.at("path") + " " + l.f.at("left") + " " + l.f.at("print"));
        return out;
    };
    const auto played = removalsOf(lines, "电脑1");
    EXPECT_GT(played.size(), 20u);
    EXPECT_EQ(removalsOf(seen, "看客1"), played);
}

TEST(LiveGame, OneLostConnectionEndsOnlyThatPlayer) {
    LiveServer server({});
    ASSERT_FALSE(server.Address().empty());
    const std::string traceA = TracePath("pairA"), traceB = TracePath("pairB");
    ChildProcess a, b;
    ASSERT_TRUE(a.Start(
        kBot, {"--server", server.Address(), "--table", "2", "--count", "2", "--names", "甲,乙", "--trace", traceA},
        false));
    ASSERT_TRUE(WaitForLines(traceA, "login", 2, 10s));
    // The same name logs in elsewhere: the server closes 甲's first connection.
    ASSERT_TRUE(b.Start(
        kBot, {"--server", server.Address(), "--table", "2", "--count", "1", "--names", "甲", "--trace", traceB},
        false));
    ASSERT_TRUE(WaitForLines(traceA, "finished", 1, 10s));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(a.Running());
    auto lines = ReadTrace(traceA);
    EXPECT_EQ(Only(lines, "甲", "finished").size(), 1u);
    EXPECT_TRUE(Only(lines, "乙", "finished").empty());

    // SIGTERM ends the rest cleanly.
    a.Stop();
    EXPECT_EQ(a.Wait(), 0);
    lines = ReadTrace(traceA);
    ASSERT_EQ(Only(lines, "乙", "finished").size(), 1u);
    EXPECT_EQ(Only(lines, "乙", "finished")[0].f.at("why"), "stopped");
    b.Stop();
    EXPECT_EQ(b.Wait(), 0);
}
