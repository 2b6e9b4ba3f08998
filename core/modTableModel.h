// How a table follows the server's game messages: the game start deals the board to every
// seat, a removal or a bomb takes a pair off a seat's board, an item use changes counts
// and boards, a time-out or a cleared board puts a seat out, a group change moves a seat,
// the end clears the boards. The table client and the computer players keep their tables
// through these same steps; each then draws, plays or answers what it applied.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/BroadcastParsers.h"
#include "core/Bytes.h"
#include "core/GameMessages.h"
#include "core/modGameDefine.h"

namespace modTableModel {

// ---- seats ----------------------------------------------------------------------------

// The seat a user record (all 16 fields) puts its player in: a record without a watched
// player and with a chair of 0 or more seats the player at chair mod 6, taking the name
// and the icon. -1 for a spectator's record and for a record that seats nobody.
int SeatFromRecord(modGameDefine& game, const std::vector<std::string>& record);
// The ready and connection flags of a seated player's record in the user list.
void TakeRecordFlags(modGameDefine& game, int seat, const std::vector<std::string>& record);
// A player who left the table: the seat is free again (name, icon, ready and connection
// flags cleared).
void FreeSeat(modGameDefine& game, int seat);

// ---- the game -------------------------------------------------------------------------

enum class StartResult : std::uint8_t {
    Short,      // the message ends before the board's size: flags and groups only
    SizeError,  // a board larger than 10 x 18: no board dealt
    Dealt,      // every seat holds the board and the item list is read
};

// The game start 17: boards reset, the game running, every named seat playing, the
// selection allowed for a player, the start button hidden, groups from bytes 12..17 as
// far as they go; then the board of bytes 18.. for every seat (empty seats too) with
// its counters, and the item records, whose free uses the local seat gets.
StartResult ApplyGameStart(modGameDefine& game, const Bytes& msg);

// The two end cells of a path leave a seat's board; the counters move and stop at their
// ends instead of wrapping round.
void RemovePair(modGameDefine& game, int seat, const LinkPath& path);

// The removal broadcast 19 (at least 7 bytes, else false and nothing changes): the
// mover's item counts are stored, and when the seat is 0..5 and the path is whole, the
// pair leaves its board (out.hasPath then tells the pair went).
bool ApplyRemoval(modGameDefine& game, const Bytes& msg, GameMessages::RemoveInfo& out);

// The combo banner's text of a removal: "a/b", empty for no combo.
std::string ComboText(const GameMessages::RemoveInfo& r);

// A named seat still in play goes out with its place (a time-out or a cleared board).
// False when the seat was not in play.
bool PutSeatOut(modGameDefine& game, int seat, std::uint8_t place);

// The ready broadcast 18 for a seat 0..5: the seat's hand goes up. The seat, or -1.
int ApplyReady(modGameDefine& game, const Bytes& msg);

// Whether an item confirmation takes effect: a game runs, and the user (and for a
// thrown item the target) is a named seat still in play.
bool ItemTakesEffect(const modGameDefine& game, const BroadcastParsers::ItemConfirm& c);

// The boards an item confirmation changes: the rearranged grid of the user, the mirrored
// or obstructed grid of the target (the obstacle recounts the tiles left), the bomb's
// pair when its path is whole. True when a board changed.
bool ApplyItemBoards(modGameDefine& game, const BroadcastParsers::ItemConfirm& c);

// A group change between games for a seat 0..5 with a name that is not blank.
bool ApplyGroupChange(modGameDefine& game, const BroadcastParsers::ItemConfirm& c);

// The results of the game end 22 that belong to named seats 0..5.
std::vector<GameMessages::EndRecord> NamedResults(const modGameDefine& game, const Bytes& msg);

}  // namespace modTableModel
