#include "client/board/modPaint_FangKuai.h"

#include <algorithm>

#include "client/TableClient.h"
#include "client/board/modSelectFk.h"
#include "client/paint/GameSurfaces.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/SelectFrame.h"
#include "client/start/frmMain.h"

namespace {
constexpr int kSheetCellWidth = 31;
constexpr int kSheetCellHeight = 35;
constexpr Gdi::ColorRef kSmallEraseColor = Gdi::RGB(115, 166, 255);

bool ValidSeat(int seat) { return seat >= 0 && seat < GameSize::kSeatCount; }
}  // namespace

modPaint_FangKuai::modPaint_FangKuai(TableClient& client) : client_(client) {}

void modPaint_FangKuai::InitBoardPos() {
    BoardPos[0] = {26, 200, 31, 35};
    for (int p = 1; p < GameSize::kSeatCount; ++p) BoardPos[p] = {23 + 119 * (p - 1), 61, 5, 7};
    if (client_.mainForm && client_.mainForm->shpSelectFlag) {
        SelectFrame& flag = *client_.mainForm->shpSelectFlag;
        flag.hide();
        flag.resize(kSheetCellWidth + 2 * flag.BorderWidth, kSheetCellHeight + 2 * flag.BorderWidth);
    }
    client_.selectFk->SelFk = CellPos{-1, -1};
    client_.selectFk->ItemTargetMode = 0;
}

int modPaint_FangKuai::SeatPosition(int seat) const {
    if (!ValidSeat(seat)) return -1;
    const int p = client_.game.bteSeatPosNo[seat];
    return p < GameSize::kSeatCount ? p : -1;
}

void modPaint_FangKuai::DrawTiles(std::int32_t left, std::int32_t top, const TileGridT& grid, int lastRow, int lastCol,
                                  std::int32_t cellWidth, std::int32_t cellHeight, bool grey) {
    GameSurfaces surfaces(client_);
    const QImage sheet = surfaces.Load(grey ? "Res\\FangKuai_HD.bmp" : "Res\\FangKuai.bmp");
    if (sheet.isNull()) return;
    lastRow = std::min(lastRow, GameSize::kRows - 1);
    lastCol = std::min(lastCol, GameSize::kCols - 1);
    for (int r = 0; r <= lastRow; ++r)
        for (int c = 0; c <= lastCol; ++c) {
            const int k = grid[r][c];
            if (k == 0) continue;
            const int picture = k > GameSize::kTileKinds ? 0 : k - 1;  // unknown codes show the first tile
            surfaces.StretchPicture(sheet, left + c * cellWidth, top + r * cellHeight, cellWidth, cellHeight,
                                    picture * kSheetCellWidth, 0, kSheetCellWidth, kSheetCellHeight);
        }
    surfaces.Refresh();
}

void modPaint_FangKuai::DrawSeatBoard(int seat, bool grey) {
    const int p = SeatPosition(seat);
    if (p < 0) return;
    const BoardPosDef& b = BoardPos[p];
    DrawTiles(b.lngLeft, b.lngTop, client_.game.SeatUser[seat].TileGrid, GameSize::kRows - 1, GameSize::kCols - 1,
              b.lngCellWidth, b.lngCellHeight, grey);
}

void modPaint_FangKuai::DrawSeatBoardBack(int seat) {
    const int p = SeatPosition(seat);
    if (p < 0) return;
    client_.paintUser->ForgetUserScore(seat);  // the result over the board goes with it
    GameSurfaces surfaces(client_);
    const BoardPosDef& b = BoardPos[p];
    if (p == 0) {
        surfaces.DrawFile("Res\\GameBack.bmp", b.lngLeft - 17, b.lngTop - 23, b.lngLeft - 17, b.lngTop - 23,
                          kOwnBackWidth, kOwnBackHeight);
    } else {
        surfaces.DrawFile("Res\\OtherUserIn.bmp", b.lngLeft - 7, b.lngTop - 23, 6, 6, kSmallBackWidth,
                          kSmallBackHeight);
        surfaces.DrawFile("Res\\OtherUserPosNo.bmp", b.lngLeft + 72, b.lngTop - 23, (p - 1) * kPosNoSize, 0, kPosNoSize,
                          kPosNoSize);
    }
    surfaces.Refresh();
}

bool modPaint_FangKuai::CellRect(int seat, int row, int col, int& x, int& y, int& w, int& h) const {
    const int p = SeatPosition(seat);
    if (p < 0 || row < 0 || row >= GameSize::kRows || col < 0 || col >= GameSize::kCols) return false;
    const BoardPosDef& b = BoardPos[p];
    x = b.lngLeft + col * b.lngCellWidth;
    y = b.lngTop + row * b.lngCellHeight;
    w = b.lngCellWidth;
    h = b.lngCellHeight;
    return true;
}

void modPaint_FangKuai::EraseTile(int seat, int row, int col) {
    int x = 0, y = 0, w = 0, h = 0;
    if (!CellRect(seat, row, col, x, y, w, h)) return;
    GameSurfaces surfaces(client_);
    if (SeatPosition(seat) == 0) surfaces.DrawFile("Res\\GameBack.bmp", x, y, x, y, w, h);
    else surfaces.FillBox(x, y, x + w - 1, y + h - 1, kSmallEraseColor);
    surfaces.Refresh();
}

void modPaint_FangKuai::ShowRemoval(int seat, const LinkPath& path) {
    if (path.lngNodeCount < 2 || path.lngNodeCount > 4 || !ValidSeat(seat)) return;
    const CellPos first = path.First(), last = path.Last();
    EraseTile(seat, first.row, first.col);
    EraseTile(seat, last.row, last.col);
    if (seat == client_.game.bteCurUserNo) client_.selectFk->StartDelFkAni(path);
}
