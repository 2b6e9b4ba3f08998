// A second, independent answer to "can these two tiles be linked": a breadth-first
// search over (cell, direction, turns) inside the 10 x 18 grid, without the line lists
// of the game's own search. The rules suite compares the two, and the rules benchmark
// uses it as its baseline. Fixed-size storage only.
#pragma once
#include <array>
#include <cstdint>

#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

namespace LinkBfs {

inline constexpr int kDr[4] = {-1, 1, 0, 0};
inline constexpr int kDc[4] = {0, 0, -1, 1};

// True when p1 and p2 hold equal tiles joined by at most two turns through empty cells.
inline bool CanLink(const TileGridT& grid, CellPos p1, CellPos p2) {
    constexpr int R = GameSize::kRows, C = GameSize::kCols;
    auto inside = [](CellPos p) { return p.row >= 0 && p.row < R && p.col >= 0 && p.col < C; };
    if (!inside(p1) || !inside(p2) || p1 == p2) return false;
    const std::uint8_t code = grid[p1.row][p1.col];
    if (code == 0 || grid[p2.row][p2.col] != code) return false;

    // turns[r][c][d]: fewest turns to stand on empty cell (r, c) heading d.
    std::uint8_t turns[R][C][4];
    for (auto& row : turns)
        for (auto& cell : row)
            for (auto& t : cell) t = 3;
    struct State {
        std::int8_t r, c, d, t;
    };
    std::array<State, R * C * 4 + 4> queue;  // each state enters once: BFS by turns
    int head = 0, tail = 0;

    // Layer by layer: first every state reachable with 0 turns, then 1, then 2.
    for (int d = 0; d < 4; ++d) {
        CellPos n{p1.row + kDr[d], p1.col + kDc[d]};
        while (inside(n)) {
            if (n == p2) return true;
            if (grid[n.row][n.col] != 0) break;
            if (turns[n.row][n.col][d] > 0) {
                turns[n.row][n.col][d] = 0;
                queue[tail++] = {static_cast<std::int8_t>(n.row), static_cast<std::int8_t>(n.col),
                                 static_cast<std::int8_t>(d), 0};
            }
            n = {n.row + kDr[d], n.col + kDc[d]};
        }
    }
    while (head < tail) {
        const State s = queue[head++];
        if (s.t >= 2) continue;
        const std::uint8_t t = static_cast<std::uint8_t>(s.t + 1);
        for (int d = 0; d < 4; ++d) {
            if (d == s.d) continue;
            CellPos n{s.r + kDr[d], s.c + kDc[d]};
            while (inside(n)) {
                if (n == p2) return true;
                if (grid[n.row][n.col] != 0) break;
                if (turns[n.row][n.col][d] > t) {
                    turns[n.row][n.col][d] = t;
                    queue[tail++] = {static_cast<std::int8_t>(n.row), static_cast<std::int8_t>(n.col),
                                     static_cast<std::int8_t>(d), static_cast<std::int8_t>(t)};
                }
                n = {n.row + kDr[d], n.col + kDc[d]};
            }
        }
    }
    return false;
}

// True when any two equal tiles of the board can be linked.
inline bool AnyPair(const TileGridT& grid) {
    constexpr int kCells = GameSize::kRows * GameSize::kCols;
    for (int i = 0; i < kCells; ++i) {
        const CellPos a{i / GameSize::kCols, i % GameSize::kCols};
        if (grid[a.row][a.col] == 0) continue;
        for (int j = i + 1; j < kCells; ++j) {
            const CellPos b{j / GameSize::kCols, j % GameSize::kCols};
            if (grid[b.row][b.col] == grid[a.row][a.col] && CanLink(grid, a, b)) return true;
        }
    }
    return false;
}

}  // namespace LinkBfs
