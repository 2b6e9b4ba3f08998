// bench_lobbyload: starts tilelink-server (guests allowed, a records file of its own), seats
// K busy tables of six scripted players and lets L lobby clients watch the room as guests.
// A few spare players sit down at tables of their own and stand up again at a fixed rate;
// the driver notes when it sent each seat change and every lobby client when it saw it.
// Printed: the lobby messages and bytes per second (in all and per lobby client), the
// bytes per lobby client over the whole run, the time until a seat change has reached every
// lobby client (p50, p99) and one lobby client (p50, p99, per-client p99), and that p99 as a
// ratio to the tables' own p99 from a removal request to its broadcast in the same run.
// The tables first play alone for a while (up to 10 s): their p99 then is the baseline the
// p99 with the lobbies watching is compared with.
//
//   bench_lobbyload [--tables K] [--lobby-clients L] [--seconds S] [--think MS]
//                   [--seat-changes PER_SECOND] [--server-bin PATH]
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "bench/load/TableLoad.h"
#include "bench/lobbyload/LobbyWatcher.h"
#include "core/CommandLine.h"
#include "core/Ticket.h"
#include "tests/LiveServer.h"
#include "tests/faults/kit/ServerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int tables = 500;
    int lobbies = 1000;
    int seconds = 120;  // a game of six takes about 80 s at the default pace: ends and starts are in
    int thinkMs = 1000;
    int seatChanges = 4;  // a second
    std::string serverBin = TILELINK_SERVER_BIN;
};

constexpr int kSpares = 4;  // spare players, each at a table of its own

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The spare players: every period one of them sits down at its own table or stands up
// again, in turn, so each table changes once every kSpares periods. Every sitting has a
// name of its own, "spare" and its number, so a lobby client can tell the changes apart.
// A seat is taken once the server has seated the player (it waits for the player's
// record first), which the player sees itself; a seat is left the moment the player's
// connection closes. Runs on the tables' io context; read once that has stopped.
class SeatChanges {
public:
    struct Sitting {
        Clock::time_point asked{}, seated{}, left{};  // seated, left: zero when it did not happen
    };

    SeatChanges(asio::io_context& io, asio::ip::tcp::endpoint server, int firstTable, int perSecond)
        : io_(io),
          server_(std::move(server)),
          timer_(io),
          firstTable_(firstTable),
          period_(std::chrono::microseconds(1000000 / perSecond)),
          players_(kSpares) {}

    void Start() {
        next_ = Clock::now();
        Tick();
    }
    // No more changes; a player sitting down now is left to arrive.
    void Stop() {
        stopped_ = true;
        timer_.cancel();
    }
    const std::vector<Sitting>& Sittings() const { return sittings_; }

private:
    struct Spare {
        std::unique_ptr<ScriptedClient> client;
        std::size_t sitting = 0;
    };

    void Tick() {
        if (stopped_) return;
        Spare& p = players_[turn_++ % kSpares];
        if (p.client) {
            if (sittings_[p.sitting].seated != Clock::time_point{}) sittings_[p.sitting].left = Clock::now();
            p.client->Stop();
            p.client.reset();
        } else {
            p.sitting = sittings_.size();
            sittings_.push_back({Clock::now(), {}, {}});
            ScriptPlan plan;
            const int table = firstTable_ + static_cast<int>(&p - players_.data());
            const Ticket::SeatTicket t{table, "spare" + std::to_string(p.sitting), "", std::time(nullptr) + 3600};
            plan.ticket = Ticket::Make(t, nullptr);
            p.client = std::make_unique<ScriptedClient>(io_, server_, plan);
            p.client->onMessage = [this, n = p.sitting](ScriptedClient& c, const Bytes&) {
                if (c.Seat() >= 0 && sittings_[n].seated == Clock::time_point{}) sittings_[n].seated = Clock::now();
            };
            p.client->Start();
        }
        next_ += period_;
        timer_.expires_at(next_);
        timer_.async_wait([this](std::error_code ec) {
            if (!ec) Tick();
        });
    }

    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    asio::steady_timer timer_;
    int firstTable_;
    Clock::duration period_;
    Clock::time_point next_{};
    int turn_ = 0;
    bool stopped_ = false;
    std::vector<Spare> players_;
    std::vector<Sitting> sittings_;
};

struct TableFigures {
    long removals = 0;
    long games = 0;  // ended, counted once per table
    std::vector<double> latencies;
    int connected = 0;
};

// Runs `f` on the io context's thread and waits for its result.
template <typename F>
auto OnThread(asio::io_context& io, F f) {
    std::packaged_task<decltype(f())()> task(std::move(f));
    auto result = task.get_future();
    asio::post(io, [&task] { task(); });
    return result.get();
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    CLI::App app(
        "bench_lobbyload: lobby clients watching a room of busy scripted tables; lobby traffic and the time a "
        "seat change takes to reach every lobby, against the tables' own broadcast time.",
        "bench_lobbyload");
    CommandLine::Prepare(app);
    app.add_option("--tables", opt.tables, "busy tables of six scripted players")->check(CommandLine::Whole(1, 9990));
    app.add_option("--lobby-clients", opt.lobbies, "lobby clients logged in as guests")
        ->check(CommandLine::Whole(1, 100000));
    app.add_option("--seconds", opt.seconds, "the length of the measured run")->check(CommandLine::Whole(1, 86400));
    app.add_option("--think", opt.thinkMs, "milliseconds between a player's removals")
        ->check(CommandLine::Whole(0, 600000));
    app.add_option("--seat-changes", opt.seatChanges, "seat changes a second by the spare players")
        ->check(CommandLine::Whole(1, 40));
    app.add_option("--server-bin", opt.serverBin, "the server program");
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    signal(SIGPIPE, SIG_IGN);
    // A socket a connection here (the server lifts its own limit).
    const auto needed = static_cast<unsigned long>(opt.tables * 6 + opt.lobbies + kSpares + 64);
    const unsigned long allowed = RaiseOpenFileLimit(needed);
    if (allowed < needed)
        std::fprintf(stderr, "bench_lobbyload: %lu descriptors allowed, %lu wanted; connections will fail\n", allowed,
                     needed);

    char folder[] = "/tmp/tilelink_lobbyload_XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("bench_lobbyload: mkdtemp");
        return 1;
    }
    const std::string records = std::string(folder) + "/records.db";
    ChildProcess server;
    if (!server.Start(
            opt.serverBin,
            {"--listen", "127.0.0.1:0", "--db", records, "--guests", "yes", "--seed", "7", "--log-level", "warn"},
            true)) {
        std::fprintf(stderr, "bench_lobbyload: cannot start %s\n", opt.serverBin.c_str());
        return 1;
    }
    const std::string address = ListeningAddress(server, std::chrono::seconds(10));
    const auto colon = address.rfind(':');
    if (colon == std::string::npos) {
        std::fprintf(stderr, "bench_lobbyload: the server said no address\n");
        return 1;
    }
    const asio::ip::tcp::endpoint ep(asio::ip::make_address(address.substr(0, colon)),
                                     static_cast<unsigned short>(std::stoi(address.substr(colon + 1))));
    std::printf("tilelink-server pid %d on %s, records in %s; load average %s\n", server.Pid(), address.c_str(),
                records.c_str(), LoadAverage().c_str());

    // The tables, on a thread of their own once seated.
    const auto t0 = Clock::now();
    asio::io_context tableIo(1);
    TableLoad tables(tableIo, ep, std::chrono::milliseconds(opt.thinkMs));
    tables.Seat(opt.tables, 1, std::chrono::seconds(60 + opt.tables / 10));
    std::printf("%d tables: %d of %d players connected and playing after %.1f s\n", opt.tables, tables.Connected(),
                opt.tables * 6, Ms(Clock::now() - t0) / 1000);
    auto work = asio::make_work_guard(tableIo);
    std::thread tableThread([&tableIo] { tableIo.run(); });

    // The baseline: the same tables with no lobby client in the room.
    const int baselineSeconds = std::min(opt.seconds, 10);
    auto measureTables = [&](int seconds) {
        OnThread(tableIo, [&] {
            tables.Mark();
            return 0;
        });
        const auto from = Clock::now();
        const double cpu = CpuSeconds(server.Pid());
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const double wall = Ms(Clock::now() - from) / 1000;
        auto f = OnThread(tableIo, [&] {
            return TableFigures{tables.RemovalsSinceMark(), tables.GamesEndedSinceMark() / 6,
                                tables.LatenciesSinceMark(), tables.Connected()};
        });
        std::printf(
            "tables alone, %.1f s: %.0f removals/s, broadcast p50 %.2f ms p99 %.2f ms (%zu samples); server "
            "%.0f %% of a core\n",
            wall, f.removals / wall, Percentile(f.latencies, 0.5), Percentile(f.latencies, 0.99), f.latencies.size(),
            100 * (CpuSeconds(server.Pid()) - cpu) / wall);
        return Percentile(f.latencies, 0.99);
    };
    const double baseP99 = measureTables(baselineSeconds);

    // The lobby clients, on this thread, arriving in waves.
    std::vector<int> spareTables;
    for (int i = 0; i < kSpares; ++i) spareTables.push_back(opt.tables + 1 + i);
    asio::io_context lobbyIo(1);
    std::vector<std::unique_ptr<LobbyWatcher>> lobbies;
    const auto t1 = Clock::now();
    for (int i = 0; i < opt.lobbies; ++i) {
        lobbies.push_back(std::make_unique<LobbyWatcher>(lobbyIo, ep, spareTables));
        lobbies.back()->Start();
        if (i % 10 == 9) lobbyIo.run_for(std::chrono::milliseconds(5));
    }
    auto settled = [&] {
        return std::all_of(lobbies.begin(), lobbies.end(), [](auto& l) { return l->Ready() || l->Cut(); });
    };
    const auto lobbyDeadline = Clock::now() + std::chrono::seconds(60 + opt.lobbies / 10);
    while (!settled() && Clock::now() < lobbyDeadline) lobbyIo.run_for(std::chrono::milliseconds(20));
    auto count = [&](auto pred) { return std::count_if(lobbies.begin(), lobbies.end(), pred); };
    std::printf("%d lobby clients: %ld in with both lists after %.1f s, %ld cut off by the server\n", opt.lobbies,
                count([](auto& l) { return l->Ready() && !l->Cut(); }), Ms(Clock::now() - t1) / 1000,
                count([](auto& l) { return l->Cut(); }));

    // The measured run.
    std::vector<std::uint64_t> bytesAtMark, messagesAtMark;
    for (auto& l : lobbies) {
        bytesAtMark.push_back(l->BytesRead());
        messagesAtMark.push_back(l->MessagesRead());
    }
    SeatChanges changes(tableIo, ep, opt.tables + 1, opt.seatChanges);
    OnThread(tableIo, [&] {
        tables.Mark();
        changes.Start();
        return 0;
    });
    const auto markAt = Clock::now();
    const double cpuAtMark = CpuSeconds(server.Pid());
    lobbyIo.run_for(std::chrono::seconds(opt.seconds));
    const double elapsed = Ms(Clock::now() - markAt) / 1000;
    const double serverCpu = CpuSeconds(server.Pid()) - cpuAtMark;
    const TableFigures tf = OnThread(tableIo, [&] {
        changes.Stop();
        return TableFigures{tables.RemovalsSinceMark(), tables.GamesEndedSinceMark() / 6, tables.LatenciesSinceMark(),
                            tables.Connected()};
    });
    std::uint64_t bytes = 0, messages = 0, bytesWhole = 0;
    for (std::size_t i = 0; i < lobbies.size(); ++i) {
        bytes += lobbies[i]->BytesRead() - bytesAtMark[i];
        messages += lobbies[i]->MessagesRead() - messagesAtMark[i];
        bytesWhole += lobbies[i]->BytesRead();
    }
    // The last changes still on their way.
    lobbyIo.run_for(std::chrono::seconds(3));
    OnThread(tableIo, [&] {
        tables.Stop();
        return 0;
    });
    work.reset();
    tableIo.stop();
    tableThread.join();

    // Seat changes: each one taken or left at the table, against every lobby client.
    std::vector<double> toEvery, toOne, clientP99, seating;
    std::vector<std::vector<double>> perClient(lobbies.size());
    long changesMade = 0, notEverywhere = 0, unseen = 0, neverSeated = 0;
    const auto& sittings = changes.Sittings();
    auto against = [&](Clock::time_point made, auto seenBy) {
        ++changesMade;
        double last = 0;
        bool everywhere = true;
        for (std::size_t i = 0; i < lobbies.size(); ++i) {
            const auto seen = seenBy(*lobbies[i]);
            if (!seen) {
                ++unseen;
                everywhere = false;
                continue;
            }
            const double d = Ms(*seen - made);
            toOne.push_back(d);
            perClient[i].push_back(d);
            last = std::max(last, d);
        }
        if (everywhere) toEvery.push_back(last);
        else ++notEverywhere;
    };
    for (std::size_t n = 0; n < sittings.size(); ++n) {
        const auto& st = sittings[n];
        if (st.seated == Clock::time_point{}) {
            ++neverSeated;
            continue;
        }
        seating.push_back(Ms(st.seated - st.asked));
        against(st.seated, [n](const LobbyWatcher& l) { return l.Saw(n, true); });
        if (st.left != Clock::time_point{}) against(st.left, [n](const LobbyWatcher& l) { return l.Saw(n, false); });
    }
    for (auto& v : perClient)
        if (!v.empty()) clientP99.push_back(Percentile(v, 0.99));
    const long cut = count([](auto& l) { return l->Cut(); });

    const double n = static_cast<double>(lobbies.size());
    std::printf("measured %.1f s; load average %s\n", elapsed, LoadAverage().c_str());
    std::printf(
        "tables with the lobbies: %d players connected, %.0f removals/s, %ld games ended, broadcast p50 %.2f ms "
        "p99 %.2f ms (%zu samples), p99 x%.1f the tables alone; server %.0f %% of a core\n",
        tf.connected, tf.removals / elapsed, tf.games, Percentile(tf.latencies, 0.5), Percentile(tf.latencies, 0.99),
        tf.latencies.size(), baseP99 > 0 ? Percentile(tf.latencies, 0.99) / baseP99 : 0.0, 100 * serverCpu / elapsed);
    std::printf(
        "lobby: %.0f messages/s in all, %.2f per client; %.0f bytes/s per client; %.0f bytes per client over "
        "the whole run (lists and changes); %ld clients cut off by the server\n",
        messages / elapsed, messages / elapsed / n, bytes / elapsed / n, bytesWhole / n, cut);
    std::printf(
        "seat changes: %ld made (%zu sittings asked for, %ld never seated), %ld not seen by every lobby client "
        "(%ld missing deliveries); a sitting waited p50 %.1f ms p99 %.1f ms for its seat\n",
        changesMade, sittings.size(), neverSeated, notEverywhere, unseen, Percentile(seating, 0.5),
        Percentile(seating, 0.99));
    const double everyP99 = Percentile(toEvery, 0.99);
    const double tableP99 = Percentile(tf.latencies, 0.99);
    std::printf("  to every lobby client: p50 %.1f ms  p99 %.1f ms  max %.1f ms\n", Percentile(toEvery, 0.5), everyP99,
                toEvery.empty() ? 0.0 : *std::max_element(toEvery.begin(), toEvery.end()));
    std::printf("  to one lobby client:   p50 %.1f ms  p99 %.1f ms; per-client p99: median %.1f ms, worst %.1f ms\n",
                Percentile(toOne, 0.5), Percentile(toOne, 0.99), Percentile(clientP99, 0.5),
                Percentile(clientP99, 1.0));
    std::printf("ratio: seat change to every lobby p99 / table broadcast p99 = %.1f\n",
                tableP99 > 0 ? everyP99 / tableP99 : 0.0);

    for (auto& l : lobbies) l->Stop();
    lobbyIo.run_for(std::chrono::milliseconds(200));
    server.Stop();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
