#include "core/modTableState.h"

#include <algorithm>

#include "core/modDaoJuRule.h"
#include "core/modRoomMsgDefine.h"

namespace modTableState {
namespace {

constexpr int kSeats = GameSize::kSeatCount;

// Positions of the snapshot's fixed bytes.
constexpr std::size_t kPosRunning = 2;
constexpr std::size_t kPosRecipient = 3;
// between games
constexpr std::size_t kPosReady = 4;    // 6 ready flags
constexpr std::size_t kPosGroups = 10;  // 6 groups
// while a game runs
constexpr std::size_t kPosItemCount = 6;
constexpr std::size_t kPosRows = 7;
constexpr std::size_t kPosCols = 8;
constexpr std::size_t kPosSeatCount = 9;
constexpr std::size_t kPosSeatRecords = 10;
constexpr std::size_t kSeatHeadSize = 6;  // seat, group, out, place, removed, left

// The byte at pos, or -1 past the end.
int ByteAt(const Bytes& b, std::size_t pos) { return pos < b.size() ? b[pos] : -1; }

template <typename Field>
void TakeByte(const Bytes& b, std::size_t pos, Field& field) {
    if (pos < b.size()) field = b[pos];
}

TableStateResult DecodeNoGame(modGameDefine& game, const Bytes& b) {
    for (int s = 0; s < kSeats; ++s)
        if (kPosReady + s < b.size()) game.SeatUser[s].blnReady = b[kPosReady + s] != 0;
    for (int s = 0; s < kSeats; ++s) TakeByte(b, kPosGroups + s, game.SeatUser[s].bteFenZu);
    // A watcher's snapshot carries one more flag (byte 16) that the table does not use.

    game.blnGameStopped = true;
    const int local = game.bteCurUserNo;
    const bool localReady = local < kSeats && game.SeatUser[local].blnReady;
    game.blnShowStart = !game.blnIsWatcher && !localReady;
    return TableStateResult::NoGame;
}

// One seat record at pos; a seat above 5 is read past and stored nowhere.
std::size_t DecodeSeatRecord(modGameDefine& game, const Bytes& b, std::size_t pos, int rows, int cols) {
    const int seat = ByteAt(b, pos);
    const std::size_t boardPos = pos + kSeatHeadSize;
    const std::size_t next = boardPos + static_cast<std::size_t>(rows) * cols;
    if (seat < 0 || seat >= kSeats) return next;

    SeatUserDef& s = game.SeatUser[seat];
    TakeByte(b, pos + 1, s.bteFenZu);
    if (pos + 2 < b.size()) s.blnGameOut = b[pos + 2] != 0;
    TakeByte(b, pos + 3, s.btePlace);
    TakeByte(b, pos + 4, s.bteDelFkCount);
    TakeByte(b, pos + 5, s.bteLeftFkCount);
    return modGameDefine::StoreBoardBytes(s.TileGrid, b, boardPos, rows, cols);
}

TableStateResult DecodeRunning(modGameDefine& game, const Bytes& b) {
    // Byte 4 names a seat the table does not use; byte 5 is a flag only a watcher reads,
    // and it does not use it either.
    const int n = std::max(ByteAt(b, kPosItemCount), 0);
    const int rows = ByteAt(b, kPosRows);
    const int cols = ByteAt(b, kPosCols);
    const bool sizeRead = rows >= 0 && cols >= 0;
    if (sizeRead && !modGameDefine::BoardSizeFits(rows, cols)) return TableStateResult::SizeError;

    // Without the size the message ends before the seat count, so every step after it
    // lies past the end.
    const int seats = std::max(ByteAt(b, kPosSeatCount), 0);
    std::size_t pos = kPosSeatRecords;
    for (int i = 0; i < seats && pos < b.size(); ++i) pos = DecodeSeatRecord(game, b, pos, rows, cols);

    pos = modDaoJuRule::StoreDaoJuCounts(game, game.bteCurUserNo, b, pos, n);
    modDaoJuRule::ReadDaoJuList(game, b, pos, n, false);

    game.blnGameStopped = false;
    game.blnCanSelect = !game.blnIsWatcher;
    return TableStateResult::GameRunning;
}

}  // namespace

bool ReadRecipientSeat(const Bytes& bytData, std::uint8_t& seat) {
    if (bytData.size() <= kPosRecipient) return false;
    seat = bytData[kPosRecipient];
    return true;
}

bool ShowsRunningGame(const Bytes& bytData) {
    return !bytData.empty() && bytData[0] == modRoomMsgDefine::ROOMMSG_TABLESTATE && ByteAt(bytData, kPosRunning) > 0;
}

TableStateResult DecodeTableState(modGameDefine& game, const Bytes& bytData) {
    const int running = ByteAt(bytData, kPosRunning);
    if (running < 0) return TableStateResult::TooShort;
    return running == 0 ? DecodeNoGame(game, bytData) : DecodeRunning(game, bytData);
}

}  // namespace modTableState
