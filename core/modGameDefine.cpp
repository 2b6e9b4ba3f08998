#include "core/modGameDefine.h"

void modGameDefine::InitGameDefine() {
    for (auto& s : SeatUser) s = SeatUserDef{};
    for (int k = 0; k < modDaoJuDefine::kItemCount; ++k) g_DaoJu[k] = modDaoJuDefine::DefaultItem(k);
    strFenZuName = {"自由人", "A组", "B组", "C组"};
    blnGameStopped = true;
    blnCanSelect = false;
    strSeatUserName.clear();
}

void modGameDefine::ResetBoards() {
    for (auto& s : SeatUser) {
        s.blnReady = false;
        s.blnGameOut = true;
        s.bteDelFkCount = 0;
        s.TileGrid = TileGridT{};
        s.btePlace = 0;
        s.bteLeftFkCount = 0;
        s.bteDaoJuCount.fill(0);
    }
    blnGameStopped = true;
    blnCanSelect = false;
}

int modGameDefine::FindSeat(const std::string& name) const {
    if (name.empty()) return -1;  // a free seat is nobody's
    for (int i = 0; i < GameSize::kSeatCount; ++i)
        if (SeatUser[i].strUserName == name) return i;
    return -1;
}

int modGameDefine::CountTiles(const TileGridT& grid) {
    int n = 0;
    for (const auto& row : grid)
        for (std::uint8_t c : row) n += c != 0;
    return n;
}

bool modGameDefine::BoardSizeFits(int rows, int cols) {
    return rows >= 0 && cols >= 0 && rows <= GameSize::kRows && cols <= GameSize::kCols;
}

std::size_t modGameDefine::StoreBoardBytes(TileGridT& grid, const Bytes& bytData, std::size_t pos, int rows, int cols) {
    if (!BoardSizeFits(rows, cols)) return pos;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c, ++pos)
            if (pos < bytData.size()) grid[r][c] = bytData[pos];
    return pos;
}
