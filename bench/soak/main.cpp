// bench_soak: N tables of six computer players against one tilelink-server for T minutes,
// with a spectator at every table. At the end it checks that
//   - the server's resident memory did not grow after the warm-up (sampled all along),
//   - every game a table started ended: the spectator counts the starts (17, or the
//     snapshot of a game already running when it came) and the results (22),
//   - the records add up: for every user games = wins + losses + draws, one stored
//     result per game, read from the SQLite file (or the PostgreSQL database) once the
//     server has stopped,
//   - the server reported nothing on its standard error but the database's going and
//     coming back, when the run stops it on purpose.
// With --pg the records go to a private PostgreSQL cluster the soak starts (as the tests
// do); --db-restart-at MINUTES stops that database there for --db-down SECONDS.
// The players are stopped at the end like a lost network (their running games end by
// escapes after the grace time). Prints the figures; exit status 1 when a check fails.
//
//   bench_soak [--tables N] [--minutes T] [--warmup MINUTES] [--strategy human|first]
//              [--pace F] [--sample SECONDS] [--grace SECONDS]
//              [--pg yes] [--db-restart-at MINUTES] [--db-down SECONDS]
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/CommandLine.h"
#include "core/Ticket.h"
#include "core/modTableState.h"
#include "server/ScriptedClient.h"
#include "tests/faults/kit/BotTable.h"
#include "tests/faults/kit/PgCluster.h"
#include "tests/faults/kit/RecordsFile.h"
#include "tests/faults/kit/ServerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kSecret = "soak-secret";

struct Options {
    int tables = 50;
    double minutes = 10;
    double warmupMinutes = -1;  // default: a fifth of the run, at most 2 minutes
    std::string strategy = "human";
    double pace = 0.1;
    int sampleSeconds = 10;
    int graceSeconds = 5;
    bool pg = false;
    double restartAt = -1;  // minutes; below 0: the database stays up
    int downSeconds = 20;
};

void Describe(CLI::App& app, Options& o) {
    app.add_option("--tables", o.tables, "tables of six computer players")->check(CommandLine::Whole(1, 1000));
    app.add_option("--minutes", o.minutes, "the length of the run")->check(CLI::PositiveNumber);
    app.add_option("--warmup", o.warmupMinutes, "minutes before memory is judged (default a fifth, at most 2)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--strategy", o.strategy, "the computer players' strategy")
        ->check(CLI::IsMember({"human", "first"}));
    app.add_option("--pace", o.pace, "the computer players' pace")->check(CLI::PositiveNumber);
    app.add_option("--sample", o.sampleSeconds, "seconds between memory samples")->check(CommandLine::Whole(1, 3600));
    app.add_option("--grace", o.graceSeconds, "the server's grace for dropped players")
        ->check(CommandLine::Whole(0, 86400));
    app.add_option_function<std::string>(
           "--pg", [&o](const std::string& v) { o.pg = v == "1" || v == "yes"; },
           "records in a private PostgreSQL cluster")
        ->check(CLI::IsMember({"yes", "no", "1", "0"}));
    app.add_option("--db-restart-at", o.restartAt, "stop the database at this minute (with --pg yes)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--db-down", o.downSeconds, "seconds the database stays stopped")
        ->check(CommandLine::Whole(1, 86400));
}

// The options read, or the exit status of the program.
std::optional<int> Parse(int argc, char** argv, Options& o) {
    CLI::App app(
        "bench_soak: computer players against one tilelink-server for a while; memory, games and "
        "records checked at the end.",
        "bench_soak");
    CommandLine::Prepare(app);
    Describe(app, o);
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    if (o.warmupMinutes < 0) o.warmupMinutes = std::min(2.0, o.minutes / 5);
    if (o.warmupMinutes >= o.minutes)
        return CommandLine::ReadFailure("bench_soak", "--warmup must end before the run", false);
    if (o.restartAt >= 0 && !o.pg)
        return CommandLine::ReadFailure("bench_soak", "--db-restart-at needs --pg yes", false);
    return std::nullopt;
}

// One table's spectator: it watches the table's first computer player and counts the
// games it sees start and end.
struct Watcher {
    int table = 0;
    std::unique_ptr<ScriptedClient> client;
    int starts = 0, ends = 0;
    bool inGame = false;
    int joins = 0;
};

void Watch(asio::io_context& io, const asio::ip::tcp::endpoint& ep, Watcher& w) {
    ScriptPlan plan;
    const std::string secret = kSecret;
    const std::string watched = "电脑" + std::to_string((w.table - 1) * 6 + 1);
    plan.ticket = Ticket::Make(
        {w.table, "看台" + std::to_string(w.table), watched, static_cast<std::int64_t>(std::time(nullptr)) + 24 * 3600},
        &secret);
    w.client = std::make_unique<ScriptedClient>(io, ep, plan);
    w.client->onMessage = [&w](ScriptedClient&, const Bytes& m) {
        if (m.empty()) return;
        if (m[0] == 17 || (modTableState::ShowsRunningGame(m) && !w.inGame)) {
            if (!w.inGame) ++w.starts;
            w.inGame = true;
        } else if (m[0] == 22) {
            ++w.ends;
            w.inGame = false;
        }
    };
    w.client->Start();
    ++w.joins;
}

// The records as the PostgreSQL database has them, in the shape of the file's.
RecordsFile ReadPg(const PgCluster& cluster, const std::string& database) {
    RecordsFile f;
    std::string error;
    const auto users = cluster.Query(database,
                                     "SELECT name, score, games, wins, losses, draws, escapes,"
                                     " (SELECT COUNT(*) FROM results WHERE user_id = users.id) FROM users",
                                     &error);
    if (!error.empty()) return f;
    f.opened = true;
    f.integrity = "ok";
    for (const auto& r : users) {
        UserRow& u = f.users[r[0]];
        long long* cols[] = {&u.score, &u.games, &u.wins, &u.losses, &u.draws, &u.escapes, &u.results};
        for (int i = 0; i < 7; ++i) *cols[i] = std::atoll(r[i + 1].c_str());
    }
    f.games = cluster.Count(database, "SELECT COUNT(*) FROM games");
    f.results = cluster.Count(database, "SELECT COUNT(*) FROM results");
    return f;
}

// The server's report lines, less those a stopped database is expected to cause.
std::string Unexpected(const std::string& errors, bool databaseStopped, std::string& expected) {
    std::string rest;
    std::size_t pos = 0;
    while (pos < errors.size()) {
        auto nl = errors.find('\n', pos);
        if (nl == std::string::npos) nl = errors.size() - 1;
        const std::string line = errors.substr(pos, nl + 1 - pos);
        const bool store = line.find("the database") != std::string::npos ||
                           line.find("every waiting game is stored") != std::string::npos ||
                           line.find("new games") != std::string::npos ||
                           line.find("cannot be read now") != std::string::npos;
        // A spectator knocks until the player it watches has sat down: the refusals
        // before that are expected.
        const bool knock = line.find("refused the login of 看台") != std::string::npos &&
                           line.find(" does not play at table ") != std::string::npos;
        if (knock) {
            pos = nl + 1;
            continue;
        }
        (databaseStopped && store ? expected : rest) += line;
        pos = nl + 1;
    }
    return rest;
}

struct Sample {
    double minute;
    long kib;
};

double Mean(const std::vector<Sample>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i].kib);
    return to > from ? sum / static_cast<double>(to - from) : 0;
}

// Least-squares slope of the samples, KiB a minute.
double Slope(const std::vector<Sample>& s) {
    if (s.size() < 2) return 0;
    double mx = 0, my = 0;
    for (const auto& p : s) {
        mx += p.minute;
        my += static_cast<double>(p.kib);
    }
    mx /= static_cast<double>(s.size());
    my /= static_cast<double>(s.size());
    double num = 0, den = 0;
    for (const auto& p : s) {
        num += (p.minute - mx) * (static_cast<double>(p.kib) - my);
        den += (p.minute - mx) * (p.minute - mx);
    }
    return den > 0 ? num / den : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (const auto end = Parse(argc, argv, opt)) return *end;
    // A spectator's socket a table here, and the server's sockets.
    RaiseOpenFileLimit(static_cast<unsigned long>(opt.tables) * 4 + 256);
    signal(SIGPIPE, SIG_IGN);

    char dirTemplate[] = "/tmp/tilelink_soak_XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("bench_soak: mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate;
    const std::string db = dir + "/records.db", secretFile = dir + "/secret";
    std::ofstream(secretFile) << kSecret << "\n";

    PgCluster cluster;
    std::string where = db;
    if (opt.pg) {
        std::string error;
        if (!cluster.Start(error) || (where = cluster.CreateDatabase("soak", error)).empty()) {
            std::fprintf(stderr, "bench_soak: no PostgreSQL: %s\n", error.c_str());
            return 1;
        }
    }
    ServerProcess server;
    if (!server.Start({"--db", where, "--spill", dir + "/results.spill", "--secret-file", secretFile, "--grace",
                       std::to_string(opt.graceSeconds), "--log-level", "warn"})) {
        std::fprintf(stderr, "bench_soak: the server did not start\n");
        return 1;
    }
    std::printf(
        "soak: %d tables of 6 %s players (pace %.2f), %.1f minutes, warm-up %.1f, server pid %d port %d,"
        " records in %s\n",
        opt.tables, opt.strategy.c_str(), opt.pace, opt.minutes, opt.warmupMinutes, server.Pid(), server.Port(),
        opt.pg ? "PostgreSQL" : "SQLite");
    std::fflush(stdout);

    std::vector<std::unique_ptr<BotTable>> tables;
    for (int t = 1; t <= opt.tables; ++t) {
        auto bots = std::make_unique<BotTable>();
        BotTable::Config c;
        c.port = server.Port();
        c.table = t;
        c.players = 6;
        c.strategy = opt.strategy;
        c.pace = opt.pace;
        c.secretFile = secretFile;
        c.extra = {"--seed", std::to_string(1000 + t)};
        if (!bots->Start(c)) {
            std::fprintf(stderr, "bench_soak: the players of table %d did not start\n", t);
            return 1;
        }
        tables.push_back(std::move(bots));
    }

    asio::io_context io(1);
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(server.Port()));
    std::vector<Watcher> watchers(static_cast<std::size_t>(opt.tables));
    for (int t = 1; t <= opt.tables; ++t) watchers[t - 1].table = t;

    const auto t0 = Clock::now();
    const auto stopAt = t0 + std::chrono::milliseconds(static_cast<long long>(opt.minutes * 60000));
    auto minutes = [&] { return std::chrono::duration<double>(Clock::now() - t0).count() / 60; };
    std::vector<Sample> samples;
    auto nextSample = t0;
    bool failed = false;
    enum class Db { Up, Down, Back } dbState = Db::Up;
    auto downSince = t0;
    while (Clock::now() < stopAt) {
        if (dbState == Db::Up && opt.restartAt >= 0 && minutes() >= opt.restartAt) {
            std::printf("  %4.1f min: the database stops for %d s\n", minutes(), opt.downSeconds);
            std::fflush(stdout);
            cluster.Pause();
            dbState = Db::Down;
            downSince = Clock::now();
        }
        if (dbState == Db::Down && Clock::now() - downSince >= std::chrono::seconds(opt.downSeconds)) {
            const bool back = cluster.Resume();
            std::printf("  %4.1f min: the database %s\n", minutes(), back ? "is back" : "DID NOT START");
            std::fflush(stdout);
            failed = failed || !back;
            dbState = Db::Back;
        }
        io.run_for(std::chrono::milliseconds(200));
        if (io.stopped()) io.restart();
        // A spectator knocks until the player it watches sits at the table.
        for (auto& w : watchers) {
            if (!w.client || (w.client->ClosedByServer() && w.client->Received().count(22) == 0 && !w.inGame)) {
                if (w.client) {
                    w.starts = w.ends = 0;
                    w.client.reset();
                }
                Watch(io, ep, w);
            }
        }
        if (Clock::now() >= nextSample) {
            samples.push_back({minutes(), server.ResidentKib()});
            nextSample += std::chrono::seconds(opt.sampleSeconds);
            if (samples.size() % std::max(1, 60 / opt.sampleSeconds) == 0) {
                long ended = 0;
                for (const auto& w : watchers) ended += w.ends;
                std::printf("  %4.1f min: server %ld KiB, %ld games ended\n", samples.back().minute, samples.back().kib,
                            ended);
                std::fflush(stdout);
            }
            // What the server says on its standard error is kept (and its pipe kept empty).
            server.Errors();
        }
        for (std::size_t i = 0; i < tables.size(); ++i)
            if (!tables[i]->Running()) {
                std::printf("FAIL: the players of table %zu ended early (status %d)\n", i + 1, tables[i]->Stop());
                failed = true;
            }
        if (failed) break;
    }

    // The end: every player's connection goes at once; the games still running end by
    // escapes after the grace time, and the spectators see their results.
    const double cpuServer = server.CpuSeconds();
    const double runMinutes = minutes();
    for (auto& t : tables) t->Stop();
    // On a loaded machine the escapes of hundreds of tables take a while: the spectators
    // are given up to a minute past the grace to see their games end.
    const auto settleFrom = Clock::now();
    const auto settle = settleFrom + std::chrono::seconds(opt.graceSeconds + 60);
    const auto watching = [&] {
        return std::any_of(watchers.begin(), watchers.end(),
                           [](const Watcher& w) { return w.inGame && w.client && w.client->Connected(); });
    };
    while (Clock::now() < settleFrom + std::chrono::seconds(opt.graceSeconds + 2) ||
           (watching() && Clock::now() < settle))
        io.run_for(std::chrono::milliseconds(200));
    std::printf("the last games ended %.1f s after the players went\n",
                std::chrono::duration<double>(Clock::now() - settleFrom).count());
    for (auto& w : watchers)
        if (w.client) w.client->Stop();
    io.run_for(std::chrono::milliseconds(200));
    const int serverStatus = server.Stop(std::chrono::seconds(10));
    std::string expected;
    const std::string errors = Unexpected(server.Errors(), dbState != Db::Up, expected);
    if (!expected.empty()) std::printf("the server on the database stopped and started again:\n%s", expected.c_str());

    // ---- memory ----
    std::vector<Sample> steady;
    for (const auto& s : samples)
        if (s.minute >= opt.warmupMinutes) steady.push_back(s);
    std::printf("\nserver memory (resident KiB), %zu samples every %d s:\n", samples.size(), opt.sampleSeconds);
    for (std::size_t i = 0; i < samples.size(); i += std::max<std::size_t>(1, samples.size() / 12))
        std::printf("  %5.1f min  %8ld\n", samples[i].minute, samples[i].kib);
    if (!samples.empty()) std::printf("  %5.1f min  %8ld  (last)\n", samples.back().minute, samples.back().kib);
    bool memoryOk = true;
    if (steady.size() >= 3) {
        const std::size_t third = steady.size() / 3;
        const double early = Mean(steady, 0, third), late = Mean(steady, steady.size() - third, steady.size());
        long peak = 0;
        for (const auto& s : steady) peak = std::max(peak, s.kib);
        const double ratio = early > 0 ? late / early : 0;
        memoryOk = late <= early * 1.05 || late - early <= 1024;
        std::printf(
            "after the warm-up: first third %.0f KiB, last third %.0f KiB, ratio x%.3f, peak %ld KiB, "
            "slope %+.1f KiB/min  -> %s\n",
            early, late, ratio, peak, Slope(steady), memoryOk ? "no growth" : "GROWS");
    } else {
        std::printf("too few samples after the warm-up to judge the memory\n");
    }

    // ---- games ----
    long starts = 0, ends = 0;
    int tablesBad = 0;
    std::printf("\ngames per table (started/ended as the spectator saw them):");
    for (const auto& w : watchers) {
        starts += w.starts;
        ends += w.ends;
        const bool ok = w.starts == w.ends && w.starts > 0;
        tablesBad += !ok;
        if ((w.table - 1) % 10 == 0) std::printf("\n ");
        std::printf(" %3d:%d/%d%s", w.table, w.starts, w.ends, ok ? "" : "!");
    }
    std::printf("\n%ld games started, %ld ended, %d tables with a game unended or none seen\n", starts, ends,
                tablesBad);

    // ---- records ----
    const RecordsFile records = opt.pg ? ReadPg(cluster, "soak") : RecordsFile::Read(db);
    int users = 0, badUsers = 0;
    long long escapes = 0, wins = 0, losses = 0, draws = 0, userGames = 0;
    for (const auto& [name, row] : records.users) {
        ++users;
        if (!row.AddsUp()) {
            ++badUsers;
            std::printf("  %s: games %lld, wins %lld, losses %lld, draws %lld, results %lld\n", name.c_str(), row.games,
                        row.wins, row.losses, row.draws, row.results);
        }
        escapes += row.escapes;
        wins += row.wins;
        losses += row.losses;
        draws += row.draws;
        userGames += row.games;
    }
    std::printf(
        "records: %s %s, %d users, %lld games stored (%lld results); over all users %lld games ="
        " %lld wins + %lld losses + %lld draws, %lld escapes; %d users that do not add up\n",
        opt.pg ? "database" : "file", records.integrity.c_str(), users, records.games, records.results, userGames, wins,
        losses, draws, escapes, badUsers);
    std::printf("server: %.1f CPU seconds in %.1f minutes (%.1f %% of a core), exit status %d\n", cpuServer, runMinutes,
                runMinutes > 0 ? cpuServer / (runMinutes * 60) * 100 : 0, serverStatus);
    if (!errors.empty()) std::printf("server's standard error:\n%s", errors.c_str());

    const bool gamesOk = tablesBad == 0 && records.games >= ends;
    const bool recordsOk = records.opened && records.integrity == "ok" && badUsers == 0 && users > 0;
    const bool ok = !failed && memoryOk && gamesOk && recordsOk && errors.empty() && serverStatus == 0;
    std::printf("\nsoak %s: memory %s, games %s, records %s, server %s\n", ok ? "PASSED" : "FAILED",
                memoryOk ? "ok" : "grows", gamesOk ? "ok" : "unended", recordsOk ? "ok" : "wrong",
                errors.empty() && serverStatus == 0 ? "clean" : "reported errors");
    if (ok) std::filesystem::remove_all(dir);
    else std::printf("files kept in %s\n", dir.c_str());
    return ok ? 0 : 1;
}
