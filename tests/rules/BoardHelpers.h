// Boards for the rules suite: a full board whose tiles link with nothing, and a check
// that a returned path obeys the link rule on its board.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/modLinkSearch.h"

namespace BoardHelpers {

// Every cell a tile of codes 10..16 laid so that no two neighbours, and no two tiles
// beside one single empty cell, are equal: nothing links until cells are opened.
inline TileGridT FullBoard() {
    TileGridT g{};
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c) g[r][c] = static_cast<std::uint8_t>(10 + (r + 2 * c) % 7);
    return g;
}

inline void Empty(TileGridT& g, std::initializer_list<CellPos> cells) {
    for (CellPos p : cells) g[p.row][p.col] = 0;
}

inline std::string Describe(const LinkPath& path) {
    std::string s;
    for (int i = 0; i < path.lngNodeCount && i < 4; ++i)
        s += "(" + std::to_string(path.Node(i).row) + "," + std::to_string(path.Node(i).col) + ")";
    return s;
}

// Empty string when `path` is a legal link from p1 to p2 on g, else what is wrong.
inline std::string PathFault(const TileGridT& g, CellPos p1, CellPos p2, const LinkPath& path) {
    if (path.lngNodeCount < 2 || path.lngNodeCount > 4) return "node count " + std::to_string(path.lngNodeCount);
    if (!(path.First() == p1)) return "node 0 is not the first cell: " + Describe(path);
    if (!(path.Last() == p2)) return "last node is not the second cell: " + Describe(path);
    for (int i = 0; i + 1 < path.lngNodeCount; ++i) {
        const CellPos a = path.Node(i), b = path.Node(i + 1);
        if (a == b || (a.row != b.row && a.col != b.col)) return "not a straight segment: " + Describe(path);
        const int dr = (b.row > a.row) - (b.row < a.row), dc = (b.col > a.col) - (b.col < a.col);
        for (CellPos p{a.row + dr, a.col + dc}; !(p == b); p = {p.row + dr, p.col + dc})
            if (g[p.row][p.col] != 0) return "crosses a tile: " + Describe(path);
        if (i + 1 < path.lngNodeCount - 1 && g[b.row][b.col] != 0) return "turns on a tile: " + Describe(path);
    }
    return {};
}

}  // namespace BoardHelpers
