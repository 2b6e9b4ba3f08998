#include "core/modTableModel.h"

#include <algorithm>
#include <string>

#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modDaoJuRule.h"
#include "core/modPublicTools.h"

namespace modTableModel {
namespace {

constexpr int kSeats = GameSize::kSeatCount;

bool IsSeat(int seat) { return seat >= 0 && seat < kSeats; }

bool InPlay(const modGameDefine& game, int seat) {
    return IsSeat(seat) && !game.SeatUser[seat].strUserName.empty() && !game.SeatUser[seat].blnGameOut;
}

}  // namespace

int SeatFromRecord(modGameDefine& game, const std::vector<std::string>& record) {
    using namespace UserRecord;
    if (record.size() != static_cast<std::size_t>(kFieldCount)) return -1;
    if (!modPublicTools::TrimBlanks(record[kWatched]).empty()) return -1;
    // A negative chair is no chair of this table: the record seats nobody.
    const std::int32_t chair = LeadingNumber::Long(record[kChair]);
    if (chair < 0) return -1;
    const int seat = chair % kSeats;
    auto& s = game.SeatUser[seat];
    s.strUserName = record[kName];
    s.lngIconNo = LeadingNumber::Long(record[kIconNo]);
    return seat;
}

void TakeRecordFlags(modGameDefine& game, int seat, const std::vector<std::string>& record) {
    using namespace UserRecord;
    if (!IsSeat(seat) || record.size() != static_cast<std::size_t>(kFieldCount)) return;
    game.SeatUser[seat].blnReady = LeadingNumber::Value(record[kReady]) > 0;
    game.SeatUser[seat].blnNetBreak = LeadingNumber::Value(record[kNetBreak]) > 0;
}

void FreeSeat(modGameDefine& game, int seat) {
    if (!IsSeat(seat)) return;
    auto& s = game.SeatUser[seat];
    s.strUserName.clear();
    s.lngIconNo = 0;
    s.blnReady = false;
    s.blnNetBreak = false;
}

StartResult ApplyGameStart(modGameDefine& game, const Bytes& msg) {
    GameMessages::StartHead head;
    GameMessages::ReadStartHead(msg, head);

    game.ResetBoards();
    game.blnGameSetKnown = true;
    game.blnGameStopped = false;
    for (auto& s : game.SeatUser)
        if (!s.strUserName.empty()) s.blnGameOut = false;
    game.blnCanSelect = !game.blnIsWatcher;
    game.blnShowStart = false;
    for (int s = 0; s < head.groupCount; ++s) game.SeatUser[s].bteFenZu = head.groups[s];

    if (!head.sizeRead) return StartResult::Short;
    if (!modGameDefine::BoardSizeFits(head.rows, head.cols)) return StartResult::SizeError;

    TileGridT board{};
    const std::size_t pos =
        modGameDefine::StoreBoardBytes(board, msg, GameMessages::kStartBoardPos, head.rows, head.cols);
    const auto tiles = static_cast<std::uint8_t>(modGameDefine::CountTiles(board));
    for (auto& s : game.SeatUser) {
        s.TileGrid = board;
        s.bteDelFkCount = 0;
        s.bteLeftFkCount = tiles;
    }
    if (pos < msg.size()) modDaoJuRule::ReadDaoJuList(game, msg, pos + 1, msg[pos], true);
    return StartResult::Dealt;
}

void RemovePair(modGameDefine& game, int seat, const LinkPath& path) {
    if (!IsSeat(seat)) return;
    auto& s = game.SeatUser[seat];
    const CellPos a = path.First(), b = path.Last();
    s.TileGrid[a.row][a.col] = 0;
    s.TileGrid[b.row][b.col] = 0;
    s.bteDelFkCount = static_cast<std::uint8_t>(std::min(s.bteDelFkCount + 2, 255));
    s.bteLeftFkCount = static_cast<std::uint8_t>(std::max(s.bteLeftFkCount - 2, 0));
}

bool ApplyRemoval(modGameDefine& game, const Bytes& msg, GameMessages::RemoveInfo& out) {
    if (!GameMessages::ParseRemoveBroadcast(msg, out)) return false;
    modDaoJuRule::StoreDaoJuCounts(game, out.seat, msg, GameMessages::kRemoveCountsPos, out.countsGiven);
    if (IsSeat(out.seat) && out.hasPath) RemovePair(game, out.seat, out.path);
    return true;
}

std::string ComboText(const GameMessages::RemoveInfo& r) {
    return r.comboA != 0 ? std::to_string(r.comboA) + "/" + std::to_string(r.comboB) : std::string();
}

bool PutSeatOut(modGameDefine& game, int seat, std::uint8_t place) {
    if (!InPlay(game, seat)) return false;
    game.SeatUser[seat].blnGameOut = true;
    game.SeatUser[seat].btePlace = place;
    return true;
}

int ApplyReady(modGameDefine& game, const Bytes& msg) {
    std::uint8_t seat = 0;
    if (!BroadcastParsers::ParseReady(msg, seat) || !IsSeat(seat)) return -1;
    game.SeatUser[seat].blnReady = true;
    return seat;
}

bool ItemTakesEffect(const modGameDefine& game, const BroadcastParsers::ItemConfirm& c) {
    if (game.blnGameStopped || c.item < 0 || c.item >= modDaoJuDefine::kItemCount) return false;
    return InPlay(game, c.seat) && InPlay(game, c.target);
}

bool ApplyItemBoards(modGameDefine& game, const BroadcastParsers::ItemConfirm& c) {
    using namespace modDaoJuDefine;
    switch (c.item) {
        case DJ_CHONGLIE:
            game.SeatUser[c.seat].TileGrid = c.grid;
            return true;
        case DJ_ZHADAN:
            if (!c.hasPath) return false;
            RemovePair(game, c.seat, c.path);
            return true;
        case DJ_JINGZI:
            game.SeatUser[c.target].TileGrid = c.grid;
            return true;
        case DJ_ZHANGAI: {
            auto& t = game.SeatUser[c.target];
            t.TileGrid = c.grid;
            t.bteLeftFkCount = static_cast<std::uint8_t>(modGameDefine::CountTiles(c.grid));
            return true;
        }
        default:
            return false;  // compass, freeze, alarm clock and blindfold change no board
    }
}

bool ApplyGroupChange(modGameDefine& game, const BroadcastParsers::ItemConfirm& c) {
    if (!game.blnGameStopped || c.item != GameMessages::kGroupChange || !IsSeat(c.seat)) return false;
    auto& s = game.SeatUser[c.seat];
    if (modPublicTools::TrimBlanks(s.strUserName).empty()) return false;
    s.bteFenZu = c.group;
    return true;
}

std::vector<GameMessages::EndRecord> NamedResults(const modGameDefine& game, const Bytes& msg) {
    std::vector<GameMessages::EndRecord> out;
    for (const auto& r : GameMessages::ParseEnd(msg))
        if (IsSeat(r.seat) && !game.SeatUser[r.seat].strUserName.empty()) out.push_back(r);
    return out;
}

}  // namespace modTableModel
