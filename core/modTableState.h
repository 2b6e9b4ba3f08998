// The table-state snapshot (room message 109) a client gets when it comes to a table:
// ready flags and groups between games, or every playing seat's board, counters and
// the local seat's items while a game runs. Decoding fills the table's store and sets
// the game flags; the caller stops or starts the turn clock, updates the start button
// or shows the size message from the result.
#pragma once
#include <cstdint>

#include "core/Bytes.h"
#include "core/modGameDefine.h"

enum class TableStateResult : std::uint8_t {
    TooShort,     // the message ends before it says whether a game runs: nothing changed
    NoGame,       // ready flags and groups taken; start button per blnShowStart
    GameRunning,  // boards taken; the turn clock starts
    SizeError,    // a board larger than 10 x 18: no board taken, no game marked running
};

namespace modTableState {

// Decodes the snapshot into `game`, reading the local seat (bteCurUserNo) and the
// watcher flag from it. The caller has set blnGameSetKnown and called ResetBoards.
// Steps that would address a seat above 5, an item above 8 or a byte past the end are
// skipped one by one; the fields they would have set stay as they were.
TableStateResult DecodeTableState(modGameDefine& game, const Bytes& bytData);

// The seat the snapshot was written for (byte 3); false when the message is shorter.
bool ReadRecipientSeat(const Bytes& bytData, std::uint8_t& seat);
// True for a snapshot of a table where a game runs.
bool ShowsRunningGame(const Bytes& bytData);

}  // namespace modTableState
