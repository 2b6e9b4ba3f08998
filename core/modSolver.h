// Whether a whole board can be cleared by some order of legal removals. The room server
// uses it to check a deal before it goes out; map makers reach it through the rules tool.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "core/modLinkSearch.h"

namespace modSolver {

inline constexpr std::uint64_t kDefaultNodeLimit = 200000;

enum class SolveOutcome : std::uint8_t { Solvable, Unsolvable, Unknown };

struct SolveResult {
    SolveOutcome outcome = SolveOutcome::Unknown;
    std::uint64_t lngNodes = 0;  // boards the search stood on
    // When solvable: the pairs in the order of removal, each a legal link at its turn.
    std::vector<std::pair<CellPos, CellPos>> moves;
};

// Depth-first over the orders of removal, never standing on the same board twice; a
// code with an odd number of tiles answers at once. When the search has stood on
// lngNodeLimit boards without an answer the outcome is Unknown.
SolveResult SolveBoard(const TileGridT& grid, std::uint64_t lngNodeLimit = kDefaultNodeLimit);

}  // namespace modSolver
