// bench_table: what the table client costs while a game goes on, and how fast it starts.
//
// A scripted room server (one fixed game, the same messages every run) serves a table
// client that runs as a process of its own on the offscreen platform (or another with
// --platform). The five other seats remove four pairs a second in all, with combos; the
// client's own player does nothing. Each client run measures its own process's CPU time
// (user + system of all its threads, not the machine's share) and the pixels its widgets
// repainted, over an idle stretch at the table and over a stretch of the game. The same
// run is made again with every refresh repainting the whole window
// (TILELINK_FULL_REPAINT), and the figures are printed as ratios to it.
// Start-up: the installed tilelink-table and a bare Qt program (bench_bare_qt: one
// window with one label) are started alternately; each reports its first painted frame
// (TILELINK_FIRST_FRAME), and the medians are compared.
//
//   bench_table [--game SECONDS] [--idle SECONDS] [--rounds N] [--starts N] [--platform NAME]
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bench/table/ClientRun.h"
#include "bench/table/TableScript.h"
#include "core/CommandLine.h"
#include "core/LaunchMarker.h"

extern char** environ;

namespace {

using std::chrono::milliseconds;

struct Options {
    double gameSeconds = 20;
    double idleSeconds = 8;
    int rounds = 1;
    int starts = 15;
    std::string platform = "offscreen";
};

void Describe(CLI::App& app, Options& o) {
    app.add_option("--game", o.gameSeconds, "seconds of the measured game")->check(CLI::PositiveNumber);
    app.add_option("--idle", o.idleSeconds, "seconds of the measured idle table")->check(CLI::PositiveNumber);
    app.add_option("--rounds", o.rounds, "measured rounds")->check(CommandLine::Whole(1, 1000));
    app.add_option("--starts", o.starts, "measured start-ups")->check(CommandLine::Whole(0, 1000));
    app.add_option("--platform", o.platform, "the Qt platform of the measured client");
}

milliseconds Ms(double seconds) { return milliseconds(static_cast<long long>(seconds * 1000)); }

// A started program with its standard output on a pipe.
struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> envText(extraEnv);
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(extraEnv.begin(), extraEnv.end(), [&](const std::string& x) { return x.rfind(name, 0) == 0; }))
            envText.push_back(entry);
    }
    std::vector<char*> argp, envp;
    for (const auto& a : args) argp.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    argp.push_back(nullptr);
    envp.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, STDERR_FILENO);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return {};
    }
    return {pid, fds[0]};
}

// The next line of the child's output, or empty after the timeout or at its end.
std::string ReadLine(int fd, milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
        char c = 0;
        if (read(fd, &c, 1) != 1) return {};
        if (c == '\n') return line;
        line.push_back(c);
    }
}

void Finish(Child& c) {
    if (c.pid > 0) {
        kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
    }
    if (c.out >= 0) close(c.out);
    c = {};
}

// The CPU time all threads of a process have run so far, in milliseconds.
double ProcessCpuMs(pid_t pid) {
    double ns = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return 0;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream stat(tasks + "/" + e->d_name + "/schedstat");
        double run = 0;
        if (stat >> run) ns += run;
    }
    closedir(dir);
    return ns / 1e6;
}

// Wall time from starting the program to its first frame, and the CPU time it used until
// then, in milliseconds; negative when it showed no frame.
struct FirstFrame {
    double wallMs = -1, cpuMs = -1;
};
FirstFrame TimeFirstFrame(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    const auto t0 = std::chrono::steady_clock::now();
    Child c = Spawn(args, env);
    if (c.pid < 0) return {};
    const std::string line = ReadLine(c.out, milliseconds(10000));
    const auto t1 = std::chrono::steady_clock::now();
    const double cpu = ProcessCpuMs(c.pid);
    Finish(c);
    if (line != "first-frame") return {};
    return {std::chrono::duration<double, std::milli>(t1 - t0).count(), cpu};
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string SelfPath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// One measured client run; false when it did not finish.
bool MeasureRun(const Options& o, int port, bool fullRepaint, ClientRunResult& r) {
    std::vector<std::string> env{"QT_QPA_PLATFORM=" + o.platform};
    if (fullRepaint) env.push_back("TILELINK_FULL_REPAINT=1");
    Child c = Spawn({SelfPath(), "--client-run", std::to_string(port), std::to_string(o.idleSeconds),
                     std::to_string(o.gameSeconds)},
                    env);
    if (c.pid < 0) return false;
    // The result line, after anything else the run may have printed.
    const auto deadline = std::chrono::steady_clock::now() + Ms(o.idleSeconds + o.gameSeconds + 60);
    std::string line;
    while (line.rfind("measured", 0) != 0) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        line = ReadLine(c.out, left);
        if (line.empty()) break;
    }
    int status = 0;
    waitpid(c.pid, &status, 0);
    c.pid = -1;
    Finish(c);
    return ParseRunResult(line, r);
}

void PrintRow(const char* what, double partial, double full, int decimals) {
    std::printf("%-34s %14.*f %14.*f %10.4f\n", what, decimals, partial, decimals, full,
                full > 0 ? partial / full : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--client-run") == 0) {
        ClientRunPlan plan;
        plan.port = std::atoi(argv[2]);
        plan.programFile = std::string(TILELINK_TABLE_DIR) + "/tilelink-table";
        plan.idle = Ms(std::atof(argv[3]));
        plan.game = Ms(std::atof(argv[4]));
        int qtArgc = 1;
        return RunMeasuredClient(qtArgc, argv, plan);
    }
    Options o;
    CLI::App app("bench_table: the table client's processor time and start-up against a bare Qt window.",
                 "bench_table");
    CommandLine::Prepare(app);
    Describe(app, o);
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;

    // The script runs long enough for both measured stretches and their margins.
    const ClientRunPlan margins;
    ScriptPlanTable script;
    script.idle = margins.idleAfter + Ms(o.idleSeconds) + milliseconds(1000);
    script.game = margins.gameAfter + Ms(o.gameSeconds) + milliseconds(3000);
    ScriptedTableServer server(BuildTableScript(script));

    std::printf("tilelink table client against a scripted room server (127.0.0.1:%d), platform %s\n", server.Port(),
                o.platform.c_str());
    std::fflush(stdout);
    std::printf(
        "game: five other seats remove 4 pairs a second in all, with combos; %.0f s of game and %.0f s idle "
        "measured per run, %d run(s) each way\n",
        o.gameSeconds, o.idleSeconds, o.rounds);
    std::printf("CPU: the client process's own CPU time (user + system, all its threads) over the wall time\n\n");

    std::vector<double> cpuGame[2], cpuIdle[2], pixels[2], windowPixels[2], paints[2], messages[2];
    for (int round = 0; round < o.rounds; ++round)
        for (int full = 0; full < 2; ++full) {
            ClientRunResult r;
            if (!MeasureRun(o, server.Port(), full == 1, r)) {
                std::fprintf(stderr, "a client run did not finish\n");
                return 1;
            }
            cpuGame[full].push_back(100 * r.game.CpuShare());
            cpuIdle[full].push_back(100 * r.idle.CpuShare());
            pixels[full].push_back(r.game.PerSecond(r.game.pixels));
            windowPixels[full].push_back(r.game.PerSecond(r.game.windowPixels));
            paints[full].push_back(r.game.PerSecond(r.game.paints));
            messages[full].push_back(r.game.PerSecond(r.game.messages));
        }
    std::printf("%-34s %14s %14s %10s\n", "", "what changed", "whole window", "ratio");
    PrintRow("in-game CPU, % of a core", Median(cpuGame[0]), Median(cpuGame[1]), 2);
    PrintRow("idle CPU, % of a core", Median(cpuIdle[0]), Median(cpuIdle[1]), 2);
    PrintRow("pixels repainted per second", Median(pixels[0]), Median(pixels[1]), 0);
    PrintRow("  of them by the main window", Median(windowPixels[0]), Median(windowPixels[1]), 0);
    PrintRow("widget repaints per second", Median(paints[0]), Median(paints[1]), 1);
    PrintRow("messages received per second", Median(messages[0]), Median(messages[1]), 1);

    if (o.starts > 0) {
        const std::string port = std::to_string(server.Port());
        const std::vector<std::string> client{std::string(TILELINK_TABLE_DIR) + "/tilelink-table",
                                              LaunchMarker::kText,
                                              "127.0.0.1",
                                              port,
                                              "tilelink",
                                              "长工_100`短工_200`佃农_500",
                                              "0",
                                              "0",
                                              "tester",
                                              "1"};
        const std::vector<std::string> bare{TILELINK_BARE_QT};
        const std::vector<std::string> env{"QT_QPA_PLATFORM=" + o.platform, "TILELINK_FIRST_FRAME=1"};
        std::vector<double> clientMs, bareMs, clientCpu, bareCpu;
        for (int i = 0; i < o.starts; ++i) {
            const FirstFrame b = TimeFirstFrame(bare, env), c = TimeFirstFrame(client, env);
            if (b.wallMs < 0 || c.wallMs < 0) {
                std::fprintf(stderr, "a program started for the start-up figure showed no frame\n");
                return 1;
            }
            bareMs.push_back(b.wallMs);
            clientMs.push_back(c.wallMs);
            bareCpu.push_back(b.cpuMs);
            clientCpu.push_back(c.cpuMs);
        }
        std::printf("\nfirst frame, median of %d starts each, alternating:\n", o.starts);
        std::printf("%-34s %14s %14s %10s\n", "", "tilelink-table", "bare Qt", "ratio");
        PrintRow("start to first frame, ms", Median(clientMs), Median(bareMs), 1);
        PrintRow("CPU time until then, ms", Median(clientCpu), Median(bareCpu), 1);
    }
    return 0;
}
