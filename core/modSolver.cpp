#include "core/modSolver.h"

#include <array>
#include <unordered_set>

namespace modSolver {
namespace {

constexpr int kRows = GameSize::kRows;
constexpr int kCols = GameSize::kCols;
constexpr int kCells = kRows * kCols;
constexpr int kCodes = 256;
// A code with more tiles than this is never cleared as a whole in one step.
constexpr int kMaxWholeCode = 8;

// The tiles still on the board, one bit per cell in scan order. The codes never move,
// so this names the board.
struct BoardKey {
    std::array<std::uint64_t, 3> bits{};
    bool operator==(const BoardKey&) const = default;
};

struct BoardKeyHash {
    std::size_t operator()(const BoardKey& k) const {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::uint64_t w : k.bits) {
            h ^= w + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
            h *= 0xBF58476D1CE4E5B9ull;
        }
        return static_cast<std::size_t>(h ^ (h >> 31));
    }
};

class BoardSearch {
public:
    BoardSearch(const TileGridT& grid, std::uint64_t limit) : grid_(grid), limit_(limit) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                if (grid_[r][c] != 0) {
                    SetBit({r, c}, true);
                    ++left_;
                }
    }

    SolveResult Run() {
        SolveResult result;
        if (HasOddCode()) {
            result.outcome = SolveOutcome::Unsolvable;
            return result;
        }
        const bool cleared = Search();
        result.lngNodes = nodes_;
        if (cleared) {
            result.outcome = SolveOutcome::Solvable;
            result.moves = moves_;
        } else {
            result.outcome = aborted_ ? SolveOutcome::Unknown : SolveOutcome::Unsolvable;
        }
        return result;
    }

private:
    static int Index(int r, int c) { return r * kCols + c; }

    bool HasOddCode() const {
        std::array<int, kCodes> count{};
        for (const auto& row : grid_)
            for (std::uint8_t v : row) ++count[v];
        for (int code = 1; code < kCodes; ++code)
            if (count[code] % 2 != 0) return true;
        return false;
    }

    void SetBit(CellPos p, bool on) {
        const int i = Index(p.row, p.col);
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        key_.bits[i / 64] = on ? (key_.bits[i / 64] | bit) : (key_.bits[i / 64] & ~bit);
    }

    void Remove(CellPos a, CellPos b) {
        codes_.push_back(grid_[a.row][a.col]);
        moves_.emplace_back(a, b);
        for (CellPos p : {a, b}) {
            grid_[p.row][p.col] = 0;
            SetBit(p, false);
        }
        left_ -= 2;
    }

    void Undo() {
        const auto [a, b] = moves_.back();
        for (CellPos p : {a, b}) {
            grid_[p.row][p.col] = codes_.back();
            SetBit(p, true);
        }
        moves_.pop_back();
        codes_.pop_back();
        left_ += 2;
    }

    // The cells of one code in scan order.
    int CellsOf(std::uint8_t code, CellPos* out) const {
        int n = 0;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                if (grid_[r][c] == code) out[n++] = {r, c};
        return n;
    }

    // Removes all of `cells` (taking the first one left with each partner it links to,
    // backtracking over the choice) or leaves the board as it was and answers false.
    bool ClearWholeCode(CellPos* cells, int n) {
        if (n == 0) return true;
        LinkPath path;
        for (int j = 1; j < n; ++j) {
            if (!modLinkSearch::CheckLink(grid_, cells[0], cells[j], path)) continue;
            Remove(cells[0], cells[j]);
            CellPos rest[kMaxWholeCode];
            int m = 0;
            for (int k = 1; k < n; ++k)
                if (k != j) rest[m++] = cells[k];
            if (ClearWholeCode(rest, m)) return true;
            Undo();
        }
        return false;
    }

    // Removing every tile of a code that can go right now never spoils a way to clear
    // the board: removals only open paths, so every other removal of that way stays
    // legal. Such codes go at once, without trying other orders. Returns the number of
    // removals made.
    int ClearForcedCodes() {
        const std::size_t before = moves_.size();
        bool changed = true;
        while (changed) {
            changed = false;
            std::array<bool, kCodes> tried{};
            for (int r = 0; r < kRows; ++r)
                for (int c = 0; c < kCols; ++c) {
                    const std::uint8_t code = grid_[r][c];
                    if (code == 0 || tried[code]) continue;
                    tried[code] = true;
                    CellPos cells[kCells];
                    const int n = CellsOf(code, cells);
                    if (n <= kMaxWholeCode && ClearWholeCode(cells, n)) changed = true;
                }
        }
        return static_cast<int>(moves_.size() - before);
    }

    bool Search() {
        if (left_ == 0) return true;
        if (!visited_.insert(key_).second) return false;
        if (nodes_ >= limit_) {
            aborted_ = true;
            return false;
        }
        ++nodes_;
        const int forced = ClearForcedCodes();
        if (left_ == 0) return true;
        if (forced == 0 || visited_.insert(key_).second) {
            if (TryEveryPair()) return true;
        }
        for (int i = 0; i < forced; ++i) Undo();
        return false;
    }

    // Every linkable pair in turn, first cells in scan order, then their later partners.
    bool TryEveryPair() {
        std::array<std::int16_t, kCells> next;  // the next cell of the same code, or -1
        std::array<std::int16_t, kCodes> last;
        next.fill(-1);
        last.fill(-1);
        for (int i = 0; i < kCells; ++i) {
            const std::uint8_t code = grid_[i / kCols][i % kCols];
            if (code == 0) continue;
            if (last[code] >= 0) next[last[code]] = static_cast<std::int16_t>(i);
            last[code] = static_cast<std::int16_t>(i);
        }
        LinkPath path;
        for (int i = 0; i < kCells; ++i) {
            const CellPos p1{i / kCols, i % kCols};
            for (int j = next[i]; j >= 0; j = next[j]) {
                const CellPos p2{j / kCols, j % kCols};
                if (!modLinkSearch::CheckLink(grid_, p1, p2, path)) continue;
                Remove(p1, p2);
                if (Search()) return true;
                Undo();
                if (aborted_) return false;
            }
        }
        return false;
    }

    TileGridT grid_;
    std::uint64_t limit_;
    BoardKey key_;
    int left_ = 0;
    std::uint64_t nodes_ = 0;
    bool aborted_ = false;
    std::vector<std::pair<CellPos, CellPos>> moves_;
    std::vector<std::uint8_t> codes_;  // the code of each move
    std::unordered_set<BoardKey, BoardKeyHash> visited_;
};

}  // namespace

SolveResult SolveBoard(const TileGridT& grid, std::uint64_t lngNodeLimit) {
    return BoardSearch(grid, lngNodeLimit).Run();
}

}  // namespace modSolver
