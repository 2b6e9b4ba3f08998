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
