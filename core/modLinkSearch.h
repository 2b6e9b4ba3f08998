// The link rule: two equal tiles go together when a path of at most three straight
// segments (two turns) through empty cells of the 10 x 18 grid joins them. The search
// order is fixed, so the same board and cells always give the same path.
#pragma once
#include <cstdint>

#include "core/modGameDefine.h"

struct CellPos {
    std::int32_t row = -1;
    std::int32_t col = -1;
    bool operator==(const CellPos&) const = default;
};

// The empty cells reachable in straight lines from one cell (at most 26).
struct LineCellList {
    CellPos cells[29];
    std::int32_t count = 0;
};

// A link path: 2..4 nodes; node i is (lngNodePos[2i], lngNodePos[2i+1]) = (row, column).
struct LinkPath {
    std::int32_t lngNodeCount = 0;
    std::int32_t lngNodePos[8] = {};
    CellPos Node(int i) const { return {lngNodePos[2 * i], lngNodePos[2 * i + 1]}; }
    CellPos First() const { return Node(0); }
    CellPos Last() const { return Node(lngNodeCount - 1); }
};

namespace modLinkSearch {

// Up, down, left, right from the cell, stopping before the first tile of each line.
void GetLineCells(const TileGridT& grid, CellPos cell, LineCellList& list);

// True when p1 and p2 hold equal tiles and can be linked; the path runs from p1 to p2.
bool CheckLink(const TileGridT& grid, CellPos p1, CellPos p2, LinkPath& path);

// The first linkable pair in the fixed order (tile codes by first appearance in scan
// order, then the earliest first cell, then the earliest second cell); false when the
// board has no move. Used for the hint, the bomb and the no-solution notice.
bool FindLinkPair(const TileGridT& grid, LinkPath& path);

}  // namespace modLinkSearch
