// Table states for the snapshot and item tests: a state whose every field holds a
// marker value (so any write shows), and a field-by-field comparison.
#pragma once
#include <sstream>
#include <string>

#include "core/modGameDefine.h"

namespace StateHelpers {

inline modGameDefine MarkedState(std::uint8_t localSeat, bool watcher) {
    modGameDefine g;
    g.InitGameDefine();
    for (int s = 0; s < GameSize::kSeatCount; ++s) {
        SeatUserDef& u = g.SeatUser[s];
        u.strUserName = "p" + std::to_string(s);
        for (auto& row : u.TileGrid) row.fill(77);
        u.bteDelFkCount = 91;
        u.bteLeftFkCount = 92;
        u.bteFenZu = 93;
        u.bteDaoJuCount.fill(94);
        u.blnGameOut = true;
        u.blnReady = true;
        u.btePlace = 95;
    }
    for (auto& d : g.g_DaoJu) {
        d.lngPrice = 123456;
        d.bteFreeCount = 96;
        d.blnUseSelf = false;
        d.bteNeedDelFk = 97;
        d.bteFreePerDelFk = 98;
    }
    g.blnGameStopped = true;
    g.blnCanSelect = false;
    g.blnShowStart = false;
    g.bteCurUserNo = localSeat;
    g.blnIsWatcher = watcher;
    return g;
}

// Empty when the two states agree on every field the rules keep; else the first difference.
inline std::string Difference(const modGameDefine& a, const modGameDefine& b) {
    std::ostringstream d;
    for (int s = 0; s < GameSize::kSeatCount; ++s) {
        const SeatUserDef &x = a.SeatUser[s], &y = b.SeatUser[s];
        const std::string seat = "seat " + std::to_string(s) + " ";
        if (x.blnReady != y.blnReady) return seat + "blnReady";
        if (x.bteDelFkCount != y.bteDelFkCount) return seat + "bteDelFkCount";
        if (x.bteLeftFkCount != y.bteLeftFkCount) return seat + "bteLeftFkCount";
        if (x.bteFenZu != y.bteFenZu) return seat + "bteFenZu";
        if (x.blnGameOut != y.blnGameOut) return seat + "blnGameOut";
        if (x.btePlace != y.btePlace) return seat + "btePlace";
        for (int i = 0; i < modDaoJuDefine::kItemCount; ++i)
            if (x.bteDaoJuCount[i] != y.bteDaoJuCount[i]) return seat + "bteDaoJuCount " + std::to_string(i);
        for (int r = 0; r < GameSize::kRows; ++r)
            for (int c = 0; c < GameSize::kCols; ++c)
                if (x.TileGrid[r][c] != y.TileGrid[r][c])
                    return seat + "cell " + std::to_string(r) + "," + std::to_string(c) + ": " +
                           std::to_string(x.TileGrid[r][c]) + " vs " + std::to_string(y.TileGrid[r][c]);
    }
    for (int i = 0; i < modDaoJuDefine::kItemCount; ++i) {
        const DaoJuDef &x = a.g_DaoJu[i], &y = b.g_DaoJu[i];
        const std::string item = "item " + std::to_string(i) + " ";
        if (x.lngPrice != y.lngPrice) return item + "lngPrice";
        if (x.bteFreeCount != y.bteFreeCount) return item + "bteFreeCount";
        if (x.blnUseSelf != y.blnUseSelf) return item + "blnUseSelf";
        if (x.bteNeedDelFk != y.bteNeedDelFk) return item + "bteNeedDelFk";
        if (x.bteFreePerDelFk != y.bteFreePerDelFk) return item + "bteFreePerDelFk";
        if (x.strName != y.strName) return item + "strName";
    }
    if (a.blnGameStopped != b.blnGameStopped) return "blnGameStopped";
    if (a.blnCanSelect != b.blnCanSelect) return "blnCanSelect";
    if (a.blnShowStart != b.blnShowStart) return "blnShowStart";
    return {};
}

}  // namespace StateHelpers
