#include "core/modLinkSearch.h"

namespace modLinkSearch {
namespace {

constexpr int kRows = GameSize::kRows;
constexpr int kCols = GameSize::kCols;

bool InGrid(CellPos c) { return c.row >= 0 && c.row < kRows && c.col >= 0 && c.col < kCols; }

void SetPath(LinkPath& path, std::initializer_list<CellPos> nodes) {
    path.lngNodeCount = static_cast<std::int32_t>(nodes.size());
    int i = 0;
    for (CellPos n : nodes) {
        path.lngNodePos[2 * i] = n.row;
        path.lngNodePos[2 * i + 1] = n.col;
        ++i;
    }
}

// True when empty cell b lies in the line list of empty cell a: another cell of its
// row or column with only empty cells between them.
bool ClearLine(const TileGridT& grid, CellPos a, CellPos b) {
    if (a.row == b.row) {
        if (a.col == b.col) return false;
        const int step = a.col < b.col ? 1 : -1;
        for (int c = a.col + step; c != b.col; c += step)
            if (grid[a.row][c] != 0) return false;
        return true;
    }
    if (a.col != b.col) return false;
    const int step = a.row < b.row ? 1 : -1;
    for (int r = a.row + step; r != b.row; r += step)
        if (grid[r][a.col] != 0) return false;
    return true;
}

}  // namespace

void GetLineCells(const TileGridT& grid, CellPos cell, LineCellList& list) {
    list.count = 0;
    if (!InGrid(cell)) return;
    auto walk = [&](int dr, int dc) {
        CellPos p{cell.row + dr, cell.col + dc};
        while (InGrid(p) && grid[p.row][p.col] == 0) {
            list.cells[list.count++] = p;
            p.row += dr;
            p.col += dc;
        }
    };
    walk(-1, 0);  // up
    walk(1, 0);   // down
    walk(0, -1);  // left
    walk(0, 1);   // right
}

bool CheckLink(const TileGridT& grid, CellPos p1, CellPos p2, LinkPath& path) {
    if (p1 == p2) return false;
    if (!InGrid(p1) || !InGrid(p2)) return false;
    const std::uint8_t code = grid[p1.row][p1.col];
    if (code == 0 || code != grid[p2.row][p2.col]) return false;

    if ((p1.row == p2.row && (p1.col - p2.col == 1 || p2.col - p1.col == 1)) ||
        (p1.col == p2.col && (p1.row - p2.row == 1 || p2.row - p1.row == 1))) {
        SetPath(path, {p1, p2});
        return true;
    }

    LineCellList l1, l2;
    GetLineCells(grid, p1, l1);
    GetLineCells(grid, p2, l2);

    // One corner, which also finds straight links across a gap.
    for (int x = 0; x < l2.count; ++x)
        for (int y = 0; y < l1.count; ++y)
            if (l2.cells[x] == l1.cells[y]) {
                SetPath(path, {p1, l2.cells[x], p2});
                return true;
            }

    // Two corners: X of L2 reachable in a straight line from Y of L1, that is X in the
    // line list of Y. Asked directly instead of building the 26 lists of L1's cells:
    // the first (X, Y) in list order is the same either way.
    for (int x = 0; x < l2.count; ++x)
        for (int y = 0; y < l1.count; ++y)
            if (ClearLine(grid, l1.cells[y], l2.cells[x])) {
                SetPath(path, {p1, l1.cells[y], l2.cells[x], p2});
                return true;
            }
    return false;
}

bool FindLinkPair(const TileGridT& grid, LinkPath& path) {
    TileGridT scratch = grid;
    CellPos group[GameSize::kRows * GameSize::kCols];
    for (;;) {
        int members = 0;
        int groupCode = -1;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) {
                const std::uint8_t v = scratch[r][c];
                if (groupCode < 0) {
                    if (v == 0 || v == 255) continue;
                    groupCode = v;
                } else if (v != groupCode) {
                    continue;
                }
                group[members++] = {r, c};
                scratch[r][c] = 255;
            }
        if (members == 0) return false;
        for (int i = 0; i < members; ++i)
            for (int j = i + 1; j < members; ++j)
                if (CheckLink(grid, group[i], group[j], path)) return true;
    }
}

}  // namespace modLinkSearch
