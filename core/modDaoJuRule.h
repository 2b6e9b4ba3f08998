// How the table keeps item values and item counts from the server's messages, and
// which items the local player may use now. The client's item bar and the computer
// players both go by these rules; the server decides everything else.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/Bytes.h"
#include "core/modGameDefine.h"

namespace modDaoJuRule {

// Reads the item list that ends the game start and the table-state snapshot: min(n, 9)
// 8-byte records from pos into items 0, 1, ...; items from n on keep their values.
// At game start (blnGameStart) every record read also gives the local seat its free
// uses of that item. A record cut short sets only the fields it carries.
void ReadDaoJuList(modGameDefine& game, const Bytes& bytData, std::size_t pos, int n, bool blnGameStart);

// A seat's item counts as a removal broadcast or a snapshot carries them: k count bytes
// from pos, of which the first min(k, 9) replace the counts of items 0..; the rest are
// passed over. A seat above 5 or a byte past the end changes nothing. Returns pos + k,
// where the message goes on.
std::size_t StoreDaoJuCounts(modGameDefine& game, int seat, const Bytes& bytData, std::size_t pos, int k);

// An item-use broadcast: the user's new count of the used item (seat 0..5, item 0..8).
void SetDaoJuCount(modGameDefine& game, int seat, int item, std::uint8_t count);

// Whether the local player may use item k now: between games only the map choice;
// in a game every other item once the local seat has removed at least its threshold
// of tiles. The count held does not matter; the server decides what a use costs.
bool IsDaoJuUsable(const modGameDefine& game, int item);

}  // namespace modDaoJuRule
