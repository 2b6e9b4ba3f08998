#include "server/BoardDealer.h"

#include <algorithm>
#include <map>

#include "core/modSolver.h"

namespace {

constexpr std::uint8_t kPlaced = 1;  // a cell already given to a pair, before codes are chosen

std::vector<CellPos> MarkedCells(const TileGridT& grid) {
    std::vector<CellPos> cells;
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c)
            if (grid[r][c] != 0) cells.push_back({r, c});
    return cells;
}

std::vector<CellPos> EmptyCells(const TileGridT& grid) {
    std::vector<CellPos> cells;
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c)
            if (grid[r][c] == 0) cells.push_back({r, c});
    return cells;
}

}  // namespace

bool BoardDealer::PlaceOnePair(TileGridT& board, std::vector<CellPos>& cells, int window, Pair& pair) {
    const int n = static_cast<int>(cells.size());
    if (n < 2) return false;
    // Random choice: any first cell, any partner. Sweep choice: the first cell of the
    // sweep order, a partner among the next `window` cells, so the cells still to fill
    // stay together and the last pairs find each other.
    std::vector<int> firsts;
    if (window <= 0) {
        for (int i = 0; i < n; ++i) firsts.push_back(i);
        std::shuffle(firsts.begin(), firsts.end(), rng_);
        if (firsts.size() > 12) firsts.resize(12);
    } else {
        firsts.push_back(0);
    }
    for (int ia : firsts) {
        std::vector<int> partners;
        const int last = window <= 0 ? n : std::min(n, ia + 1 + window);
        for (int j = window <= 0 ? 0 : ia + 1; j < last; ++j)
            if (j != ia) partners.push_back(j);
        std::shuffle(partners.begin(), partners.end(), rng_);
        const CellPos a = cells[ia];
        board[a.row][a.col] = kPlaced;
        for (int ib : partners) {
            const CellPos b = cells[ib];
            board[b.row][b.col] = kPlaced;
            LinkPath path;
            if (modLinkSearch::CheckLink(board, a, b, path)) {
                pair = {a, b};
                cells.erase(cells.begin() + std::max(ia, ib));
                cells.erase(cells.begin() + std::min(ia, ib));
                return true;
            }
            board[b.row][b.col] = 0;
        }
        board[a.row][a.col] = 0;
    }
    return false;
}

bool BoardDealer::BuildPairs(TileGridT board, std::vector<CellPos> cells, std::vector<Pair>& placed, int window) {
    placed.clear();
    while (cells.size() >= 2) {
        Pair p;
        if (!PlaceOnePair(board, cells, window, p)) return false;
        placed.push_back(p);
    }
    return true;
}

bool BoardDealer::Pairs(const TileGridT& base, const std::vector<CellPos>& cells, std::vector<Pair>& placed) {
    for (int attempt = 0; attempt < 6; ++attempt)
        if (BuildPairs(base, cells, placed, 0)) return true;
    // Sweeps from each side of the board with ever narrower partner windows.
    for (int window : {24, 12, 6, 3, 1}) {
        for (int side = 0; side < 4; ++side) {
            std::vector<CellPos> order = cells;
            std::sort(order.begin(), order.end(), [side](CellPos x, CellPos y) {
                switch (side) {
                    case 0:
                        return x.row != y.row ? x.row < y.row : x.col < y.col;
                    case 1:
                        return x.row != y.row ? x.row > y.row : x.col > y.col;
                    case 2:
                        return x.col != y.col ? x.col < y.col : x.row < y.row;
                    default:
                        return x.col != y.col ? x.col > y.col : x.row > y.row;
                }
            });
            if (BuildPairs(base, order, placed, window)) return true;
        }
    }
    return false;
}

TileGridT BoardDealer::MarkPairs(const std::vector<Pair>& placed) {
    TileGridT grid{};
    for (const auto& [a, b] : placed) grid[a.row][a.col] = grid[b.row][b.col] = kPlaced;
    return grid;
}

std::vector<std::pair<CellPos, CellPos>> BoardDealer::RemovalOrder(const std::vector<Pair>& placed) {
    return std::vector<Pair>(placed.rbegin(), placed.rend());
}

TileGridT BoardDealer::Deal(const TileGridT& layout) {
    // The construction gives a clearing order; the solver checks the dealt board on its
    // own before it goes out (a board it proves stuck is dealt again).
    TileGridT grid = DealOnce(layout);
    for (int attempt = 0; attempt < 3 && !lastOrder_.empty(); ++attempt) {
        if (modSolver::SolveBoard(grid, kSolverBudget).outcome != modSolver::SolveOutcome::Unsolvable) break;
        grid = DealOnce(layout);
    }
    return grid;
}

TileGridT BoardDealer::DealOnce(const TileGridT& layout) {
    std::vector<CellPos> cells = MarkedCells(layout);
    if (cells.size() % 2) cells.pop_back();
    std::vector<Pair> placed;
    if (!Pairs(TileGridT{}, cells, placed) || !ClearsInOrder(MarkPairs(placed), RemovalOrder(placed))) {
        // No order found (a layout with no room for paths): plain pairs in scan order.
        placed.clear();
        for (std::size_t i = 0; i + 1 < cells.size(); i += 2) placed.push_back({cells[i], cells[i + 1]});
        lastOrder_.clear();
    } else {
        lastOrder_ = RemovalOrder(placed);
    }
    // Tile kinds in rounds of all 39, each round shuffled, so kinds appear about equally.
    std::vector<std::uint8_t> kinds;
    while (kinds.size() < placed.size()) {
        std::vector<std::uint8_t> round;
        for (int k = 1; k <= GameSize::kTileKinds; ++k) round.push_back(static_cast<std::uint8_t>(k));
        std::shuffle(round.begin(), round.end(), rng_);
        kinds.insert(kinds.end(), round.begin(), round.end());
    }
    TileGridT grid{};
    for (std::size_t i = 0; i < placed.size(); ++i) {
        grid[placed[i].first.row][placed[i].first.col] = kinds[i];
        grid[placed[i].second.row][placed[i].second.col] = kinds[i];
    }
    return grid;
}

TileGridT BoardDealer::Rearrange(const TileGridT& grid) {
    std::vector<CellPos> cells = MarkedCells(grid);
    std::map<std::uint8_t, int> counts;
    for (CellPos c : cells) ++counts[grid[c.row][c.col]];
    std::vector<std::uint8_t> pairCodes;  // one entry per pair of equal tiles
    std::vector<std::uint8_t> single;     // an odd tile out, if a board ever had one
    for (auto [code, n] : counts) {
        for (int i = 0; i + 1 < n; i += 2) pairCodes.push_back(code);
        if (n % 2) single.push_back(code);
    }
    std::vector<Pair> placed;
    std::vector<CellPos> pairCells = cells;
    std::shuffle(pairCells.begin(), pairCells.end(), rng_);
    std::vector<CellPos> leftOver(pairCells.end() - static_cast<std::ptrdiff_t>(single.size()), pairCells.end());
    pairCells.resize(pairCells.size() - single.size());
    TileGridT out{};
    if (Pairs(TileGridT{}, pairCells, placed)) {
        std::shuffle(pairCodes.begin(), pairCodes.end(), rng_);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            out[placed[i].first.row][placed[i].first.col] = pairCodes[i];
            out[placed[i].second.row][placed[i].second.col] = pairCodes[i];
        }
        lastOrder_ = RemovalOrder(placed);
    } else {
        std::vector<std::uint8_t> tiles;
        for (std::uint8_t code : pairCodes) tiles.insert(tiles.end(), 2, code);
        std::shuffle(tiles.begin(), tiles.end(), rng_);
        for (std::size_t i = 0; i < pairCells.size(); ++i) out[pairCells[i].row][pairCells[i].col] = tiles[i];
        lastOrder_.clear();
    }
    for (std::size_t i = 0; i < leftOver.size(); ++i) out[leftOver[i].row][leftOver[i].col] = single[i];
    return out;
}

TileGridT BoardDealer::DropPairs(const TileGridT& grid, int pairs) {
    TileGridT marks = grid;  // existing tiles block paths like placed ones
    TileGridT out = grid;
    std::vector<CellPos> cells = EmptyCells(grid);
    std::uniform_int_distribution<int> kind(1, GameSize::kTileKinds);
    for (int i = 0; i < pairs && cells.size() >= 2; ++i) {
        Pair p;
        if (!PlaceOnePair(marks, cells, 0, p)) {
            // No linkable place left: any two empty cells.
            std::shuffle(cells.begin(), cells.end(), rng_);
            p = {cells[0], cells[1]};
            cells.erase(cells.begin(), cells.begin() + 2);
            marks[p.first.row][p.first.col] = marks[p.second.row][p.second.col] = kPlaced;
        }
        const auto code = static_cast<std::uint8_t>(kind(rng_));
        out[p.first.row][p.first.col] = code;
        out[p.second.row][p.second.col] = code;
    }
    return out;
}

TileGridT BoardDealer::Mirror(const TileGridT& grid) {
    TileGridT out{};
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c) out[r][GameSize::kCols - 1 - c] = grid[r][c];
    return out;
}

bool BoardDealer::ClearsInOrder(TileGridT grid, const std::vector<std::pair<CellPos, CellPos>>& order) {
    for (const auto& [a, b] : order) {
        LinkPath path;
        if (!modLinkSearch::CheckLink(grid, a, b, path)) return false;
        grid[a.row][a.col] = grid[b.row][b.col] = 0;
    }
    return modGameDefine::CountTiles(grid) == 0;
}
