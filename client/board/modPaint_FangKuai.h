// Board drawing: where the six boards lie, drawing a seat's tiles from the tile sheet
// (grey for players who are out), clearing a board area, erasing one tile and showing a
// removal. Everything goes onto the main window and the clean background copy.
#pragma once
#include <array>
#include <cstdint>

#include "core/modLinkSearch.h"

class TableClient;

struct BoardPosDef {
    std::int32_t lngLeft = 0;
    std::int32_t lngTop = 0;
    std::int32_t lngCellWidth = 0;
    std::int32_t lngCellHeight = 0;
};

class modPaint_FangKuai {
public:
    explicit modPaint_FangKuai(TableClient& client);

    void InitBoardPos();
    // Draws every tile of rows 0..lastRow, columns 0..lastCol of the grid from the tile
    // sheet (the grey one for players who are out), scaled to the cell size; empty cells
    // are left as they are. Codes above 39 show the first tile's picture.
    void DrawTiles(std::int32_t left, std::int32_t top, const TileGridT& grid, int lastRow, int lastCol,
                   std::int32_t cellWidth, std::int32_t cellHeight, bool grey);
    void DrawSeatBoard(int seat, bool grey);
    void DrawSeatBoardBack(int seat);
    void EraseTile(int seat, int row, int col);
    // Erases the two end tiles of a removed pair (2 to 4 nodes) and, on the local seat,
    // starts the removal animation.
    void ShowRemoval(int seat, const LinkPath& path);

    // The display position of a seat, -1 for no seat.
    int SeatPosition(int seat) const;
    // The rectangle of one cell of a seat's board; false outside the board.
    bool CellRect(int seat, int row, int col, int& x, int& y, int& w, int& h) const;

    std::array<BoardPosDef, 6> BoardPos{};  // by display position

    static constexpr int kOwnBackWidth = 596;  // the own board's area, from (9, 177)
    static constexpr int kOwnBackHeight = 390;
    static constexpr int kSmallBackWidth = 105;  // a small board's panel piece
    static constexpr int kSmallBackHeight = 94;
    static constexpr int kPosNoSize = 25;  // one position number of the small panels

private:
    TableClient& client_;
};
