// Deals the boards of a game and computes the boards of the board-changing items. Every
// board it builds can be cleared: pairs are placed in reverse removal order, each pair
// linkable on the partial board at the moment it is placed, so removing them in the
// opposite order always works.
#pragma once
#include <random>
#include <utility>
#include <vector>

#include "core/modLinkSearch.h"

class BoardDealer {
public:
    explicit BoardDealer(std::mt19937& rng) : rng_(rng) {}

    // Tiles on the marked cells of a layout (non-zero = a tile lies there); with an odd
    // number of marked cells the last one in scan order stays empty. Every tile code
    // appears an even number of times.
    TileGridT Deal(const TileGridT& layout);

    // The same tiles in new places among the same cells, clearable when such an order
    // can be found; otherwise a plain shuffle.
    TileGridT Rearrange(const TileGridT& grid);

    // Up to `pairs` pairs of random tiles in empty cells, each pair linkable when placed,
    // so a board that could be cleared still can.
    TileGridT DropPairs(const TileGridT& grid, int pairs);

    // The board flipped left to right.
    static TileGridT Mirror(const TileGridT& grid);

    // True when `grid` can be cleared by removing `order` pair by pair (each pair linkable
    // when its turn comes); the check the tests and the deal self-test use.
    static bool ClearsInOrder(TileGridT grid, const std::vector<std::pair<CellPos, CellPos>>& order);

    // The removal order of the last board built by Deal or Rearrange (empty after a plain
    // shuffle).
    const std::vector<std::pair<CellPos, CellPos>>& LastOrder() const { return lastOrder_; }

private:
    using Pair = std::pair<CellPos, CellPos>;
    static constexpr std::uint64_t kSolverBudget = 20000;  // boards the deal check may visit
    TileGridT DealOnce(const TileGridT& layout);
    // Pairs all `cells` (empty in `board`) in placement order; false when stuck.
    bool BuildPairs(TileGridT board, std::vector<CellPos> cells, std::vector<Pair>& placed, int window);
    // Takes one linkable pair out of `cells` and marks it on `board`.
    bool PlaceOnePair(TileGridT& board, std::vector<CellPos>& cells, int window, Pair& pair);
    bool Pairs(const TileGridT& base, const std::vector<CellPos>& cells, std::vector<Pair>& placed);
    static std::vector<std::pair<CellPos, CellPos>> RemovalOrder(const std::vector<Pair>& placed);
    // The placed cells marked with one code: enough to replay the removal order.
    static TileGridT MarkPairs(const std::vector<Pair>& placed);

    std::mt19937& rng_;
    std::vector<Pair> lastOrder_;
};
