// bench_pace: how fast the computer players of each level play, against the real room
// server. Per level one table: a scripted player that takes the first linkable pair every
// --step seconds and pauses for nothing else (it sits first and sets the table for six), then five
// computer players of the level; they play --games games. From the players' event logs:
// the median time between a computer player's own removals (of the fastest player), the
// items each uses per minute of play, and the scripted player's average place. Everything
// runs --speed times faster than real (the pauses, the item gaps, the step and the turn
// clocks) and the figures are given back in real time. With --doc FILE the table replaces
// the part of FILE between the bench_pace marks.
//
//   bench_pace [--games G] [--speed F] [--step S] [--levels a,b,...] [--doc FILE]
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "bot/BotLevel.h"
#include "bot/BotTrace.h"
#include "core/CommandLine.h"
#include "core/modPublicTools.h"
#include "lobby/RoomProcesses.h"
#include "net/ChildProcess.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr char kBegin[] = "<!-- bench_pace: begin -->";
constexpr char kEnd[] = "<!-- bench_pace: end -->";
constexpr char kScripted[] = "新手";

struct Options {
    int games = 2;
    double speed = 5;
    double step = 2.0;  // seconds per pair of the scripted player
    std::vector<std::string> levels;
    std::string doc;
};

using Event = BotTrace::Line;

std::vector<Event> ReadTrace(const fs::path& path) { return BotTrace::ReadFile(path.string()); }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figures {
    std::string level;
    double fastestMedian = 0;  // seconds, real time
    double slowestMedian = 0;
    double itemsPerMinute = 0;      // per player, averaged over the players
    double mostItemsPerMinute = 0;  // of the player that used most
    double place = 0;               // the scripted player's average place
    int games = 0;
    int stuckGames = 0;  // games in which its board had no move left
    bool ok = false;
};

// Reads the computer players' log: per player the medians of their own removal intervals
// and their items per minute of play.
void ReadPlayers(const std::vector<Event>& trace, double speed, Figures& fig) {
    std::map<std::string, std::string> seat;
    std::map<std::string, double> last, playStart, played;
    std::map<std::string, std::vector<double>> gaps;
    std::map<std::string, int> items;
    for (const auto& e : trace) {
        if (e.event == "login") seat[e.name] = e.f.count("seat") ? e.f.at("seat") : "";
        if (e.event == "start") {
            last.erase(e.name);
            playStart[e.name] = e.ms;
        }
        if (e.event == "end" && playStart.count(e.name)) {
            played[e.name] += e.ms - playStart[e.name];
            playStart.erase(e.name);
        }
        if (e.event == "item-send") ++items[e.name];
        if (e.event == "removed" && e.f.count("seat") && e.f.at("seat") == seat[e.name]) {
            if (last.count(e.name)) gaps[e.name].push_back((e.ms - last[e.name]) / 1000.0 * speed);
            last[e.name] = e.ms;
        }
    }
    fig.fastestMedian = 1e9;
    double sumRate = 0;
    int players = 0;
    for (const auto& [name, g] : gaps) {
        const double m = Median(g);
        fig.fastestMedian = std::min(fig.fastestMedian, m);
        fig.slowestMedian = std::max(fig.slowestMedian, m);
        const double minutes = played[name] / 60000.0 * speed;
        const double rate = minutes > 0 ? items[name] / minutes : 0;
        sumRate += rate;
        fig.mostItemsPerMinute = std::max(fig.mostItemsPerMinute, rate);
        ++players;
    }
    fig.itemsPerMinute = players ? sumRate / players : 0;
    if (!players) fig.fastestMedian = 0;
}

void ReadScripted(const std::vector<Event>& trace, Figures& fig) {
    std::string seat;
    int sum = 0;
    bool stuck = false;
    for (const auto& e : trace) {
        if (e.name != kScripted) continue;
        if (e.event == "login") seat = e.f.at("seat");
        if (e.event == "start") stuck = false;
        if (e.event == "stuck") stuck = true;
        if (e.event != "end") continue;
        fig.stuckGames += stuck;
        for (const auto& r : modPublicTools::SplitFields(e.f.at("results"), ';')) {
            const auto p = modPublicTools::SplitFields(r, ':');
            if (p.size() == 3 && p[0] == seat) {
                sum += std::atoi(p[1].c_str());
                ++fig.games;
            }
        }
    }
    fig.place = fig.games ? double(sum) / fig.games : 0;
}

bool WaitEnd(ChildProcess& p, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (p.Running()) {
        RoomProcesses::Drain(p);
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::string Num(double v, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

Figures RunLevel(const BotLevel& level, const Options& o, const fs::path& work) {
    Figures fig;
    fig.level = level.name;
    const fs::path tableDir = TILELINK_TABLE_DIR;
    const fs::path secret = work / "secret";
    std::ofstream(secret) << "bench-pace-secret\n";
    const double scale = 1.0 / o.speed;
    const std::string turn = Num(30 * scale, 2);
    // The server's own turn clock runs at the same speed.
    ChildProcess server;
    int port = 0;
    if (!RoomProcesses::StartServer(server, tableDir, "127.0.0.1:0", secret, ":memory:", port, {"--turn-time", turn})) {
        std::fprintf(stderr, "bench_pace: the room server did not start\n");
        return fig;
    }
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const fs::path newcomerLog = work / (level.name + "-scripted.log"), botsLog = work / (level.name + "-bots.log");
    const std::string games = std::to_string(o.games);
    ChildProcess newcomer, bots;
    newcomer.Start((tableDir / "tilelink-bot").string(), {"--server",      address,
                                                          "--count",       "1",
                                                          "--names",       kScripted,
                                                          "--strategy",    "first",
                                                          "--players",     "6",
                                                          "--step",        Num(o.step * scale, 3),
                                                          "--games",       games,
                                                          "--turn-time",   turn,
                                                          "--secret-file", secret.string(),
                                                          "--trace",       newcomerLog.string()},
                   true);
    if (RoomProcesses::WaitSeated(newcomer, 1, 10s, nullptr) != 1) {
        std::fprintf(stderr, "bench_pace: the scripted player was not seated\n");
        return fig;
    }
    bots.Start(
        (tableDir / "tilelink-bot").string(),
        {"--server", address, "--count", "5", "--level", level.name, "--pace", Num(level.pace * scale, 4), "--seed",
         "17", "--games", games, "--turn-time", turn, "--secret-file", secret.string(), "--trace", botsLog.string()},
        true);
    const auto limit = std::chrono::seconds(static_cast<int>(600 * scale * o.games) + 60);
    fig.ok = WaitEnd(bots, limit) && WaitEnd(newcomer, 30s);
    RoomProcesses::Drain(server);
    bots.Stop();
    newcomer.Stop();
    server.Stop();
    ReadPlayers(ReadTrace(botsLog), o.speed, fig);
    ReadScripted(ReadTrace(newcomerLog), fig);
    return fig;
}

std::string Table(const std::vector<Figures>& figs, const Options& o) {
    std::ostringstream t;
    t << kBegin << "\n"
      << "Measured by `bench_pace` (bench/pace) against the real room server: per level one table of\n"
      << "five computer players and a scripted player that takes the first linkable pair every " << Num(o.step, 1)
      << " s\n"
      << "and pauses for nothing else (it sits first, sets the table for six players). " << o.games
      << " games a level, run " << Num(o.speed, 0) << " times faster\n"
      << "than real (pauses, item gaps and turn clocks alike) and given here in real time.\n\n"
      << "A player without a move left (the first pair each time can lead there) waits for its turn\n"
      << "clock, as it uses no items: the games in which that happened are counted.\n\n"
      << "| level | median between own removals, fastest player | slowest player | items a minute a player (most) | "
         "scripted player's average place (of 6) |\n"
      << "|---|---|---|---|---|\n";
    for (const auto& f : figs) {
        t << "| " << f.level << " | " << Num(f.fastestMedian, 2) << " s | " << Num(f.slowestMedian, 2) << " s | "
          << Num(f.itemsPerMinute, 2) << " (" << Num(f.mostItemsPerMinute, 2) << ") | ";
        if (f.games) t << Num(f.place, 2) << " in " << f.games << " games (no move left in " << f.stuckGames << ")";
        else t << "no game ended";
        t << (f.ok ? "" : " (cut short)") << " |\n";
    }
    t << kEnd << "\n";
    return t.str();
}

bool WriteDoc(const std::string& path, const std::string& table) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const auto b = text.find(kBegin), e = text.find(kEnd);
    if (b == std::string::npos || e == std::string::npos || e < b) {
        std::fprintf(stderr, "bench_pace: %s has no bench_pace marks\n", path.c_str());
        return false;
    }
    text.replace(b, e + std::string(kEnd).size() + 1 - b, table);
    std::ofstream(path, std::ios::trunc) << text;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app("bench_pace: a scripted newcomer against computer players of each level; the figures per level.",
                 "bench_pace");
    CommandLine::Prepare(app);
    app.add_option("--games", o.games, "games at each level")->check(CommandLine::Whole(1, 10000));
    app.add_option("--speed", o.speed, "how much faster than real the table runs")->check(CommandLine::Real(1.0, 20.0));
    app.add_option("--step", o.step, "the newcomer's seconds before each pair")->check(CommandLine::Real(0.1, 30.0));
    app.add_option_function<std::string>(
           "--levels", [&o](const std::string& v) { o.levels = modPublicTools::SplitFields(v, ','); },
           "the levels, separated by commas (default all)")
        ->check(
            [](const std::string& v) {
                for (const auto& name : modPublicTools::SplitFields(v, ','))
                    if (!BotLevels::Find(name))
                        return "unknown level \"" + name + "\"; the levels are " + BotLevels::Names();
                return std::string();
            },
            "a,b,...");
    app.add_option("--doc", o.doc, "the document whose figures table is replaced")->type_name("FILE");
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    if (o.levels.empty())
        for (const auto& l : BotLevels::All()) o.levels.push_back(l.name);
    const fs::path work = fs::temp_directory_path() / ("bench_pace-" + std::to_string(::getpid()));
    fs::create_directories(work);
    std::vector<Figures> figs;
    for (const auto& name : o.levels) {
        const BotLevel* level = BotLevels::Find(name);
        if (!level) {
            std::fprintf(stderr, "bench_pace: unknown level %s; the levels are %s\n", name.c_str(),
                         BotLevels::Names().c_str());
            return 2;
        }
        const auto t0 = std::chrono::steady_clock::now();
        figs.push_back(RunLevel(*level, o, work));
        const auto& f = figs.back();
        std::printf(
            "%-7s fastest median %.2f s, slowest %.2f s, items/min %.2f (most %.2f), scripted place %.2f in %d games, "
            "%d without a move (%.0f s)\n",
            f.level.c_str(), f.fastestMedian, f.slowestMedian, f.itemsPerMinute, f.mostItemsPerMinute, f.place, f.games,
            f.stuckGames, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        std::fflush(stdout);
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    const std::string table = Table(figs, o);
    std::printf("\n%s", table.c_str());
    if (!o.doc.empty() && !WriteDoc(o.doc, table)) return 1;
    return std::all_of(figs.begin(), figs.end(), [](const Figures& f) { return f.ok && f.games > 0; }) ? 0 : 1;
}
