// The link search and the first-linkable-pair search on three boards (full, mid-game,
// and a sparse board of long empty lines where nothing links), each timed beside an
// independent breadth-first search answering the same yes/no questions. Prints the
// median times and the ratio of the game's search to the breadth-first one, and the
// heap allocations per call (the game's search makes none).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/modLinkSearch.h"
#include "tests/rules/LinkBfs.h"

namespace {

std::atomic<std::uint64_t> g_allocations{0};

}  // namespace

void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// A dealt board: the 39 kinds, twelve of them six times and the rest four times.
TileGridT FullBoard() {
    std::vector<std::uint8_t> tiles;
    for (int k = 1; k <= 39; ++k)
        for (int n = 0; n < (k <= 12 ? 6 : 4); ++n) tiles.push_back(static_cast<std::uint8_t>(k));
    std::mt19937 rng(11);
    std::shuffle(tiles.begin(), tiles.end(), rng);
    TileGridT g{};
    for (int i = 0; i < 180; ++i) g[i / 18][i % 18] = tiles[i];
    return g;
}

// 32 kinds four times each in an 8 x 16 block inside an empty border, played down to
// 64 tiles by always taking the first linkable pair.
TileGridT MidGameBoard() {
    std::vector<std::uint8_t> tiles;
    for (int k = 1; k <= 32; ++k)
        for (int n = 0; n < 4; ++n) tiles.push_back(static_cast<std::uint8_t>(k));
    std::mt19937 rng(11);
    std::shuffle(tiles.begin(), tiles.end(), rng);
    TileGridT g{};
    for (int i = 0; i < 128; ++i) g[1 + i / 16][1 + i % 16] = tiles[i];
    LinkPath path;
    while (modGameDefine::CountTiles(g) > 64 && modLinkSearch::FindLinkPair(g, path)) {
        g[path.First().row][path.First().col] = 0;
        g[path.Last().row][path.Last().col] = 0;
    }
    return g;
}

// Two wall columns (8 and 9) cut the board in halves; each wall column holds ten
// different codes, so no two wall tiles facing the same half are equal. Ten codes
// have one tile in each half, scattered so that rows and columns stay mostly empty:
// every pair has long line lists and none links.
TileGridT SparseBoard() {
    TileGridT g{};
    for (int r = 0; r < 10; ++r) {
        g[r][8] = static_cast<std::uint8_t>(30 + r);
        g[r][9] = static_cast<std::uint8_t>(30 + (r + 1) % 10);
    }
    for (int i = 0; i < 10; ++i) {
        const int left = (i * 3) % 80, right = (i * 29 + 5) % 80;
        g[left / 8][left % 8] = static_cast<std::uint8_t>(1 + i);
        g[right / 8][10 + right % 8] = static_cast<std::uint8_t>(1 + i);
    }
    return g;
}

struct Board {
    const char* name;
    TileGridT grid;
    std::vector<std::pair<CellPos, CellPos>> pairs;  // every two equal tiles
};

std::vector<Board>& Boards() {
    static std::vector<Board> boards = [] {
        std::vector<Board> b{{"full", FullBoard(), {}}, {"midgame", MidGameBoard(), {}}, {"sparse", SparseBoard(), {}}};
        for (Board& board : b)
            for (int i = 0; i < 180; ++i)
                for (int j = i + 1; j < 180; ++j) {
                    const CellPos p{i / 18, i % 18}, q{j / 18, j % 18};
                    const std::uint8_t code = board.grid[p.row][p.col];
                    if (code != 0 && code == board.grid[q.row][q.col]) board.pairs.emplace_back(p, q);
                }
        return b;
    }();
    return boards;
}

void CountAllocations(benchmark::State& state, std::uint64_t before, std::size_t callsPerIteration) {
    const double calls = static_cast<double>(state.iterations()) * static_cast<double>(callsPerIteration);
    state.counters["allocs/call"] = static_cast<double>(g_allocations - before) / calls;
}

// Every pair of equal tiles of the board asked once per iteration.
template <bool kBfs>
void LinkAllPairs(benchmark::State& state, const Board* board) {
    LinkPath path;
    const std::uint64_t before = g_allocations;
    for (auto _ : state) {
        int yes = 0;
        for (const auto& [p, q] : board->pairs)
            yes += kBfs ? LinkBfs::CanLink(board->grid, p, q) : modLinkSearch::CheckLink(board->grid, p, q, path);
        benchmark::DoNotOptimize(yes);
    }
    CountAllocations(state, before, board->pairs.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(board->pairs.size()));
}

template <bool kBfs>
void FirstPair(benchmark::State& state, const Board* board) {
    LinkPath path;
    const std::uint64_t before = g_allocations;
    for (auto _ : state) {
        const bool found = kBfs ? LinkBfs::AnyPair(board->grid) : modLinkSearch::FindLinkPair(board->grid, path);
        benchmark::DoNotOptimize(found);
    }
    CountAllocations(state, before, 1);
}

// Keeps the median of every benchmark for the ratio table.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medians[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;  // microseconds
};

}  // namespace

int main(int argc, char** argv) {
    for (const Board& b : Boards()) {
        const std::string n = b.name;
        for (auto* bm : {
                 benchmark::RegisterBenchmark(("CheckLink/" + n).c_str(), LinkAllPairs<false>, &b),
                 benchmark::RegisterBenchmark(("CheckLinkBfs/" + n).c_str(), LinkAllPairs<true>, &b),
                 benchmark::RegisterBenchmark(("FindLinkPair/" + n).c_str(), FirstPair<false>, &b),
                 benchmark::RegisterBenchmark(("FindLinkPairBfs/" + n).c_str(), FirstPair<true>, &b),
             })
            bm->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nmedian times (us) and ratio game search / breadth-first search, same run:\n");
    for (const Board& b : Boards()) {
        const std::string n = b.name;
        for (const char* kind : {"CheckLink", "FindLinkPair"}) {
            const auto ours = reporter.medians.find(std::string(kind) + "/" + n);
            const auto bfs = reporter.medians.find(std::string(kind) + "Bfs/" + n);
            if (ours == reporter.medians.end() || bfs == reporter.medians.end()) continue;
            std::printf("  %-12s %-8s %10.3f vs %10.3f  ratio %.3f", kind, b.name, ours->second, bfs->second,
                        ours->second / bfs->second);
            if (std::string(kind) == "CheckLink")
                std::printf("  (%zu pairs, %.3f us per call)", b.pairs.size(),
                            ours->second / static_cast<double>(b.pairs.size()));
            std::printf("\n");
        }
    }
    return 0;
}
