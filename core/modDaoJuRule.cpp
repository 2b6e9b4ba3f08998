#include "core/modDaoJuRule.h"

#include <algorithm>

namespace modDaoJuRule {
namespace {

constexpr int kItems = modDaoJuDefine::kItemCount;

bool IsSeat(int seat) { return seat >= 0 && seat < GameSize::kSeatCount; }

}  // namespace

void ReadDaoJuList(modGameDefine& game, const Bytes& bytData, std::size_t pos, int n, bool blnGameStart) {
    const int records = std::clamp(n, 0, kItems);
    const int local = game.bteCurUserNo;
    for (int i = 0; i < records; ++i, pos += modDaoJuDefine::kRecordSize) {
        if (pos >= bytData.size()) return;  // the list ends early: later items stay
        modDaoJuDefine::ReadItemRecord(bytData, pos, game.g_DaoJu[i]);
        const bool freeCountRead = bytData.size() - pos > 4;
        if (blnGameStart && freeCountRead && IsSeat(local))
            game.SeatUser[local].bteDaoJuCount[i] = game.g_DaoJu[i].bteFreeCount;
    }
}

std::size_t StoreDaoJuCounts(modGameDefine& game, int seat, const Bytes& bytData, std::size_t pos, int k) {
    if (k <= 0) return pos;
    if (IsSeat(seat)) {
        auto& counts = game.SeatUser[seat].bteDaoJuCount;
        const int stored = std::min(k, kItems);
        for (int i = 0; i < stored; ++i)
            if (pos + i < bytData.size()) counts[i] = bytData[pos + i];
    }
    return pos + static_cast<std::size_t>(k);
}

void SetDaoJuCount(modGameDefine& game, int seat, int item, std::uint8_t count) {
    if (!IsSeat(seat) || item < 0 || item >= kItems) return;
    game.SeatUser[seat].bteDaoJuCount[item] = count;
}

bool IsDaoJuUsable(const modGameDefine& game, int item) {
    if (item < 0 || item >= kItems) return false;
    if (game.blnGameStopped) return item == modDaoJuDefine::DJ_DITU;
    if (item == modDaoJuDefine::DJ_DITU) return false;
    const int local = game.bteCurUserNo;
    if (!IsSeat(local)) return false;
    return game.SeatUser[local].bteDelFkCount >= game.g_DaoJu[item].bteNeedDelFk;
}

}  // namespace modDaoJuRule
