// The item flight's halo, the one effect that reads and writes every pixel it covers:
// one halo step at the largest radius (39) and one whole flight from the own seat to
// position 1, each timed beside a plain block copy of the same rectangles from the clean
// background (what every other animation step costs). Prints the times and the ratios,
// all measured in this run. Uses the generated art when the build has it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "client/TableClient.h"
#include "client/items/clsGuangZhao.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/WindowTimer.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/LaunchArgs.h"
#include "core/LaunchMarker.h"

namespace {

TableClient* g_client = nullptr;

frmMain& Window() { return *g_client->mainForm; }
QImage& Back() { return Window().picGameBack->Image; }

// The halo's square around the centre of an icon whose top-left is (x, y).
struct Square {
    int left, top, size;
};
Square HaloSquare(int x, int y, int r) { return {x + 16 - r, y + 16 - r, 2 * r + 1}; }

// The squares one flight (300, 300) -> (55, 80) covers, one per tick: 12 moving steps of
// radius 25, 14 glowing steps of 26 to 39, the final erase of 39.
std::vector<Square> FlightSquares() {
    std::vector<Square> squares;
    int x = 300, y = 300;
    for (int i = 0; i < 12; ++i) {
        x -= 20;
        y -= 18;
        squares.push_back(HaloSquare(x, y, 25));
    }
    for (int r = 26; r <= 39; ++r) squares.push_back(HaloSquare(x, y, r));
    squares.push_back(HaloSquare(x, y, 39));
    return squares;
}

void HaloStep39(benchmark::State& state) {
    clsGuangZhao halo;
    for (auto _ : state) {
        halo.CircleJiaLiang_Form(Window(), 316, 316, 39);
        benchmark::DoNotOptimize(Window().Image.constBits());
    }
}

void CopySquare79(benchmark::State& state) {
    const Square s = HaloSquare(300, 300, 39);
    for (auto _ : state) {
        Gdi::BitBlt(Window().Image, s.left, s.top, s.size, s.size, Back(), s.left, s.top, Gdi::SRCCOPY);
        benchmark::DoNotOptimize(Window().Image.constBits());
    }
}

void WholeFlight(benchmark::State& state) {
    auto& timers = *g_client->aniTimer;
    for (auto _ : state) {
        g_client->daoJuObjects->StartDaoJuAni(2, 0, 1);
        int ticks = 0;
        while (Window().tmrAni[0]->Enabled() && ticks < 100) {
            timers.ExecAniTimer(0);
            ++ticks;
        }
        if (ticks != 27) state.SkipWithError("the flight did not take 27 ticks");
    }
}

void FlightCopies(benchmark::State& state) {
    const std::vector<Square> squares = FlightSquares();
    for (auto _ : state) {
        for (const Square& s : squares)
            Gdi::BitBlt(Window().Image, s.left, s.top, s.size, s.size, Back(), s.left, s.top, Gdi::SRCCOPY);
        benchmark::DoNotOptimize(Window().Image.constBits());
    }
}

class MedianTimes : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                us[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> us;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    TableClient client;
    client.EndProgram = [] {};
    client.RecordSends = [](const Bytes&) {};
    const std::string args = std::string(LaunchMarker::kText) + " 127.0.0.1 6000 bench x 0 0 bench 1";
    if (!client.start->Main(LaunchArgs::GetCommandLineArgs(args), std::string(TILELINK_TABLE_DIR) + "/tilelink-table"))
        return 1;
    g_client = &client;
    // Every seat shown at the position of its number: seat 1 is small board 1.
    for (int s = 0; s < 6; ++s) client.game.bteSeatPosNo[s] = static_cast<std::uint8_t>(s);

    for (auto* bm : {benchmark::RegisterBenchmark("HaloStep39", HaloStep39),
                     benchmark::RegisterBenchmark("CopySquare79", CopySquare79),
                     benchmark::RegisterBenchmark("WholeFlight", WholeFlight),
                     benchmark::RegisterBenchmark("FlightCopies", FlightCopies)})
        bm->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nmedian times (us), halo against a plain copy of the same squares, same run:\n");
    const std::pair<const char*, const char*> pairs[] = {{"HaloStep39", "CopySquare79"},
                                                         {"WholeFlight", "FlightCopies"}};
    for (const auto& [ours, plain] : pairs) {
        const auto a = reporter.us.find(ours), b = reporter.us.find(plain);
        if (a == reporter.us.end() || b == reporter.us.end()) continue;
        std::printf("  %-12s %10.3f vs %-12s %10.3f  ratio %.2f\n", ours, a->second, plain, b->second,
                    a->second / b->second);
    }
    return 0;
}
