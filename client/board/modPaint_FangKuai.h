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
    void DrawTiles(std::int32_t left, std::int32_t top, const TileGridT& grid, int lastRow, int lastCol,
                   std::int32_t cellWidth, std::int32_t cellHeight, bool grey);
    void DrawSeatBoard(int seat, bool grey);
    void DrawSeatBoardBack(int seat);
    void EraseTile(int seat, int row, int col);
    void ShowRemoval(int seat, const LinkPath& path);

    std::array<BoardPosDef, 6> BoardPos{};  // by display position

private:
    TableClient& client_;
};
