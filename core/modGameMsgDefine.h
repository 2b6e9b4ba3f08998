// Game message types (byte 0) and the sub-codes of the item message.
#pragma once
#include <cstdint>

#include "core/modRoomMsgDefine.h"

namespace modGameMsgDefine {

inline constexpr std::uint8_t GAMEMSG_CHAT = 1;
inline constexpr std::uint8_t GAMEMSG_PLAYERQUIT = 5;
inline constexpr std::uint8_t GAMEMSG_START = 17;
inline constexpr std::uint8_t GAMEMSG_READY = 18;
inline constexpr std::uint8_t GAMEMSG_REMOVE = 19;
inline constexpr std::uint8_t GAMEMSG_TIMEOUT = 20;
inline constexpr std::uint8_t GAMEMSG_NOTICE = 21;
inline constexpr std::uint8_t GAMEMSG_END = 22;
// A player cleared the board: 23, 0, seat, place, to everybody at the table.
inline constexpr std::uint8_t GAMEMSG_FINISH = 23;

// Sub-codes of GAMEMSG_ITEM: items 2..8 use their own number.
inline constexpr std::uint8_t ITEMSUB_ZHINANZHEN = 9;  // item 0, compass
inline constexpr std::uint8_t ITEMSUB_CHONGLIE = 10;   // item 1, rearrange
inline constexpr std::uint8_t ITEMSUB_FENZU = 255;     // group change

// A grid in a message: all 10 x 18 cells, row-major.
inline constexpr int kGridBytes = 180;

}  // namespace modGameMsgDefine
