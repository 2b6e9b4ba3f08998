// Boards are not drawn yet. (placeholder until the module is written)
#include "client/board/modPaint_FangKuai.h"

#include "client/TableClient.h"

modPaint_FangKuai::modPaint_FangKuai(TableClient& client) : client_(client) {}
void modPaint_FangKuai::InitBoardPos() {}
void modPaint_FangKuai::DrawTiles([[maybe_unused]] std::int32_t left, [[maybe_unused]] std::int32_t top, [[maybe_unused]] const TileGridT& grid, [[maybe_unused]] int lastRow, [[maybe_unused]] int lastCol, [[maybe_unused]] std::int32_t cellWidth, [[maybe_unused]] std::int32_t cellHeight, [[maybe_unused]] bool grey) {}
void modPaint_FangKuai::DrawSeatBoard([[maybe_unused]] int seat, [[maybe_unused]] bool grey) {}
void modPaint_FangKuai::DrawSeatBoardBack([[maybe_unused]] int seat) {}
void modPaint_FangKuai::EraseTile([[maybe_unused]] int seat, [[maybe_unused]] int row, [[maybe_unused]] int col) {}
void modPaint_FangKuai::ShowRemoval([[maybe_unused]] int seat, [[maybe_unused]] const LinkPath& path) {}
