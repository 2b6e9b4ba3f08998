// bench_load: seats K tables of six scripted players on loopback against a real
// tilelink-server, lets them play, and prints per table count and per server thread
// count: the removals offered and delivered a second, the time from a removal request to
// its broadcast (p50, p99, p99.9), the server's memory per connection, and the server's
// CPU time per removal as a ratio to the floor: bench_floor, the least a server can do for
// the same traffic (one request in, one broadcast framed once to the six), measured in the
// same run with the same players' pace. Every row has a fresh server.
//
//   bench_load [--tables 250,500,1000,2000] [--threads 1,2] [--seconds S] [--think MS]
//              [--server-bin PATH] [--floor-bin PATH]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bench/load/FloorClient.h"
#include "bench/load/TableLoad.h"
#include "core/CommandLine.h"
#include "core/Ticket.h"
#include "server/ScriptedClient.h"

namespace {

struct Options {
    std::vector<int> tables{250, 500, 1000, 2000};
    std::vector<int> threads{1, 2};
    int seconds = 15;
    int thinkMs = 1000;
    std::string serverBin = TILELINK_SERVER_BIN;
    std::string floorBin = TILELINK_FLOOR_BIN;
};

struct Figures {
    double offered = 0, delivered = 0;  // removals a second
    double p50 = 0, p99 = 0, p999 = 0;
    std::size_t samples = 0;
    double kibPerConnection = 0;
    int connections = 0;
    double cpuPerRemovalUs = 0;  // the server's CPU time (all threads) per removal delivered
};

// Runs a server that prints "... HOST:PORT" on its first line; returns its pid and port.
pid_t StartServer(const std::vector<std::string>& args, int& port) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        close(pipefd[0]);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    std::string line;
    char c;
    while (read(pipefd[0], &c, 1) == 1 && c != '\n') line.push_back(c);
    close(pipefd[0]);
    const auto colon = line.rfind(':');
    port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    return port > 0 ? pid : -1;
}

void StopServer(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

int Requests(const ScriptedClient& c) { return c.RemovalRequests(); }
int Requests(const FloorClient& c) { return c.Requests(); }

// Seats the clients (made by `make`, six a table), waits until `ready`, then measures one
// window. Works for the scripted players and the floor's.
template <class Client, class Make, class Ready>
Figures Measure(asio::io_context& io, const Options& opt, int tables, pid_t serverPid, Make make, Ready ready) {
    const long rssBefore = RssKib(serverPid);
    std::vector<std::unique_ptr<Client>> clients;
    for (int t = 0; t < tables; ++t) {
        for (int s = 0; s < 6; ++s) {
            clients.push_back(make(t + 1, s));
            clients.back()->Start();
        }
        io.run_for(std::chrono::milliseconds(2));  // connect in waves, as people arrive
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60 + tables / 10);
    while (!std::all_of(clients.begin(), clients.end(), [&](auto& c) { return ready(*c); }) &&
           std::chrono::steady_clock::now() < deadline)
        io.run_for(std::chrono::milliseconds(20));
    io.run_for(std::chrono::seconds(2));  // past the first moves
    Figures f;
    f.connections =
        static_cast<int>(std::count_if(clients.begin(), clients.end(), [](auto& c) { return c->Connected(); }));
    f.kibPerConnection = f.connections ? double(RssKib(serverPid) - rssBefore) / f.connections : 0;

    std::vector<std::size_t> mark;
    long removalsBefore = 0, requestsBefore = 0;
    for (auto& c : clients) {
        mark.push_back(c->LatenciesMs().size());
        removalsBefore += c->Removals();
        requestsBefore += Requests(*c);
    }
    const double cpuBefore = CpuSeconds(serverPid);
    const auto t0 = std::chrono::steady_clock::now();
    io.run_for(std::chrono::seconds(opt.seconds));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds(serverPid) - cpuBefore;
    std::vector<double> all;
    long removalsAfter = 0, requestsAfter = 0;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const auto& l = clients[i]->LatenciesMs();
        all.insert(all.end(), l.begin() + static_cast<std::ptrdiff_t>(std::min(mark[i], l.size())), l.end());
        removalsAfter += clients[i]->Removals();
        requestsAfter += Requests(*clients[i]);
    }
    const long delivered = removalsAfter - removalsBefore;
    f.delivered = delivered / elapsed;
    f.offered = (requestsAfter - requestsBefore) / elapsed;
    f.cpuPerRemovalUs = delivered > 0 ? cpu * 1e6 / double(delivered) : 0;
    f.samples = all.size();
    f.p50 = Percentile(all, 0.50);
    f.p99 = Percentile(all, 0.99);
    f.p999 = Percentile(all, 0.999);
    for (auto& c : clients) c->Stop();
    io.run_for(std::chrono::milliseconds(200));
    return f;
}

Figures RunServer(const Options& opt, int tables, int threads) {
    int port = 0;
    const pid_t pid = StartServer({opt.serverBin, "--listen", "127.0.0.1:0", "--db", ":memory:", "--seed", "7",
                                   "--threads", std::to_string(threads), "--log-level", "warn"},
                                  port);
    if (pid <= 0) {
        std::fprintf(stderr, "bench_load: cannot start %s\n", opt.serverBin.c_str());
        std::exit(1);
    }
    asio::io_context io(1);
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
    const Figures f = Measure<ScriptedClient>(
        io, opt, tables, pid,
        [&](int table, int s) {
            ScriptPlan p;
            Ticket::SeatTicket ticket{table, "t" + std::to_string(table) + "p" + std::to_string(s), "",
                                      std::time(nullptr) + 3600};
            p.ticket = Ticket::Make(ticket, nullptr);
            p.settings.playerCount = 6;
            p.think = std::chrono::milliseconds(opt.thinkMs + 37 * s);
            p.games = 1000;
            return std::make_unique<ScriptedClient>(io, ep, p);
        },
        [](const ScriptedClient& c) { return c.InGame() || !c.Connected(); });
    StopServer(pid);
    return f;
}

Figures RunFloor(const Options& opt, int tables) {
    int port = 0;
    const pid_t pid = StartServer({opt.floorBin}, port);
    if (pid <= 0) {
        std::fprintf(stderr, "bench_load: cannot start %s\n", opt.floorBin.c_str());
        std::exit(1);
    }
    asio::io_context io(1);
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
    std::uint32_t id = 0;
    const Figures f = Measure<FloorClient>(
        io, opt, tables, pid,
        [&](int table, int s) {
            return std::make_unique<FloorClient>(io, ep, static_cast<std::uint32_t>(table), ++id,
                                                 std::chrono::milliseconds(opt.thinkMs + 37 * s));
        },
        [](const FloorClient& c) { return c.Requests() > 0 || !c.Connected(); });
    StopServer(pid);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    CLI::App app(
        "bench_load: scripted tables against tilelink-server and against a minimal fan-out server (the floor); "
        "removals per second, latency, CPU per removal and memory per connection.",
        "bench_load");
    CommandLine::Prepare(app);
    app.add_option("--tables", opt.tables, "table counts to run, e.g. 250,500,1000,2000")
        ->delimiter(',')
        ->check(CommandLine::Whole(1, 100000));
    app.add_option("--threads", opt.threads, "server thread counts to run, e.g. 1,2")
        ->delimiter(',')
        ->check(CommandLine::Whole(1, 256));
    app.add_option("--seconds", opt.seconds, "the length of each run")->check(CommandLine::Whole(1, 86400));
    app.add_option("--think", opt.thinkMs, "milliseconds between a player's removals")
        ->check(CommandLine::Whole(0, 600000));
    app.add_option("--server-bin", opt.serverBin, "the server program");
    app.add_option("--floor-bin", opt.floorBin, "the floor server program");
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    // Two sockets a player (one here, one in the server): lift the descriptor limit.
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);
    signal(SIGPIPE, SIG_IGN);

    std::printf("think %d ms a player, %d s a window; load average at the start %s; %ld cores\n", opt.thinkMs,
                opt.seconds, LoadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("%6s %7s %6s %11s %11s %9s %9s %9s %8s %9s %9s\n", "tables", "server", "conns", "offered/s",
                "delivered/s", "p50 ms", "p99 ms", "p99.9 ms", "KiB/conn", "CPU us/rm", "x floor");
    std::fflush(stdout);
    for (const int tables : opt.tables) {
        const Figures floor = RunFloor(opt, tables);
        auto row = [&](const std::string& label, const Figures& f) {
            std::printf("%6d %7s %6d %11.0f %11.0f %9.2f %9.2f %9.2f %8.2f %9.1f %9.2f\n", tables, label.c_str(),
                        f.connections, f.offered, f.delivered, f.p50, f.p99, f.p999, f.kibPerConnection,
                        f.cpuPerRemovalUs, floor.cpuPerRemovalUs > 0 ? f.cpuPerRemovalUs / floor.cpuPerRemovalUs : 0);
            std::fflush(stdout);
        };
        row("floor", floor);
        for (const int threads : opt.threads) row("t" + std::to_string(threads), RunServer(opt, tables, threads));
    }
    std::printf("load average at the end %s\n", LoadAverage().c_str());
    return 0;
}
