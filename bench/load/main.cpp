// bench_load: starts tilelink-server, seats K tables of six scripted players on loopback,
// lets them play, and prints removals per second, the 99th-percentile time from a
// removal request to its broadcast, and the server's memory per connection. A first run
// with one table, in the same process, is the baseline the figures are compared with.
//
//   bench_load [--tables K] [--seconds S] [--think MS] [--server-bin PATH]
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
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/CommandLine.h"
#include "core/Ticket.h"
#include "server/ScriptedClient.h"

namespace {

struct Options {
    int tables = 500;
    int seconds = 20;
    int thinkMs = 1000;
    std::string serverBin = TILELINK_SERVER_BIN;
};

struct Figures {
    double removalsPerSecond = 0;
    double p50 = 0, p99 = 0, max = 0;
    std::size_t samples = 0;
    double kibPerConnection = 0;
    int connections = 0;
};

long RssKib(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

// Runs tilelink-server on a free port; returns its pid and port.
pid_t StartServer(const std::string& bin, int& port) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        close(pipefd[0]);
        execl(bin.c_str(), bin.c_str(), "--listen", "127.0.0.1:0", "--db", ":memory:", "--seed", "7",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipefd[1]);
    std::string line;
    char c;
    while (read(pipefd[0], &c, 1) == 1 && c != '\n') line.push_back(c);
    const auto colon = line.rfind(':');
    port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    return port > 0 ? pid : -1;
}

double Percentile(std::vector<double>& v, double q) {
    if (v.empty()) return 0;
    const std::size_t k =
        std::min(v.size() - 1, static_cast<std::size_t>(std::lround(q * static_cast<double>(v.size() - 1))));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

Figures Run(const Options& opt, int tables, pid_t serverPid, int port, int firstTable) {
    asio::io_context io(1);
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
    const long rssBefore = RssKib(serverPid);
    std::vector<std::unique_ptr<ScriptedClient>> clients;
    for (int t = 0; t < tables; ++t) {
        for (int s = 0; s < 6; ++s) {
            ScriptPlan p;
            Ticket::SeatTicket ticket{firstTable + t, "t" + std::to_string(firstTable + t) + "p" + std::to_string(s),
                                      "", std::time(nullptr) + 3600};
            p.ticket = Ticket::Make(ticket, nullptr);
            p.settings.playerCount = 6;
            p.think = std::chrono::milliseconds(opt.thinkMs + 37 * s);
            p.games = 1000;
            clients.push_back(std::make_unique<ScriptedClient>(io, ep, p));
            clients.back()->Start();
        }
        io.run_for(std::chrono::milliseconds(2));  // connect in waves, as people arrive
    }
    auto allPlaying = [&] {
        return std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->InGame() || !c->Connected(); });
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60 + tables / 10);
    while (!allPlaying() && std::chrono::steady_clock::now() < deadline) io.run_for(std::chrono::milliseconds(20));
    Figures f;
    f.connections =
        static_cast<int>(std::count_if(clients.begin(), clients.end(), [](auto& c) { return c->Connected(); }));
    f.kibPerConnection = f.connections ? double(RssKib(serverPid) - rssBefore) / f.connections : 0;

    std::vector<std::size_t> mark;
    long removalsBefore = 0;
    for (auto& c : clients) {
        mark.push_back(c->LatenciesMs().size());
        removalsBefore += c->Removals();
    }
    const auto t0 = std::chrono::steady_clock::now();
    io.run_for(std::chrono::seconds(opt.seconds));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::vector<double> all;
    long removalsAfter = 0;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const auto& l = clients[i]->LatenciesMs();
        all.insert(all.end(), l.begin() + static_cast<std::ptrdiff_t>(std::min(mark[i], l.size())), l.end());
        removalsAfter += clients[i]->Removals();
    }
    f.removalsPerSecond = (removalsAfter - removalsBefore) / elapsed;
    f.samples = all.size();
    f.p50 = Percentile(all, 0.50);
    f.p99 = Percentile(all, 0.99);
    f.max = all.empty() ? 0 : *std::max_element(all.begin(), all.end());
    for (auto& c : clients) c->Stop();
    io.run_for(std::chrono::milliseconds(200));
    return f;
}

void Print(const char* label, const Figures& f) {
    std::printf(
        "%-9s %5d connections  %8.0f removals/s  p50 %6.2f ms  p99 %6.2f ms  max %7.2f ms  (%zu samples)  %6.1f "
        "KiB/connection\n",
        label, f.connections, f.removalsPerSecond, f.p50, f.p99, f.max, f.samples, f.kibPerConnection);
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    CLI::App app(
        "bench_load: scripted tables against tilelink-server; removals per second, latency and memory "
        "against a one-table baseline.",
        "bench_load");
    CommandLine::Prepare(app);
    app.add_option("--tables", opt.tables, "tables of six scripted players")->check(CommandLine::Whole(1, 100000));
    app.add_option("--seconds", opt.seconds, "the length of each run")->check(CommandLine::Whole(1, 86400));
    app.add_option("--think", opt.thinkMs, "milliseconds between a player's removals")
        ->check(CommandLine::Whole(0, 600000));
    app.add_option("--server-bin", opt.serverBin, "the server program");
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    // Two sockets a player (one here, one in the server): lift the descriptor limit.
    rlimit lim{};
    getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);
    signal(SIGPIPE, SIG_IGN);

    int port = 0;
    const pid_t server = StartServer(opt.serverBin, port);
    if (server <= 0) {
        std::fprintf(stderr, "bench_load: cannot start %s\n", opt.serverBin.c_str());
        return 1;
    }
    std::printf("tilelink-server pid %d on port %d; think %d ms, %d s a run\n", server, port, opt.thinkMs, opt.seconds);
    const Figures base = Run(opt, 1, server, port, 1);
    Print("baseline", base);
    const Figures load = Run(opt, opt.tables, server, port, 1000);
    Print("load", load);
    std::printf("ratio to baseline: p99 x%.2f, removals/s x%.1f for x%d tables\n",
                base.p99 > 0 ? load.p99 / base.p99 : 0,
                base.removalsPerSecond > 0 ? load.removalsPerSecond / base.removalsPerSecond : 0, opt.tables);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return 0;
}
