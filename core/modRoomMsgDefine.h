// Room message types (byte 0) and the dispatch rule that sends a received message to
// the room handler or to the game handler.
#pragma once
#include <cstdint>

namespace modRoomMsgDefine {

inline constexpr std::uint8_t ROOMMSG_BROADCAST = 105;
inline constexpr std::uint8_t ROOMMSG_USERSTATE = 108;
inline constexpr std::uint8_t ROOMMSG_TABLESTATE = 109;
inline constexpr std::uint8_t ROOMMSG_USERLEAVE = 110;
inline constexpr std::uint8_t ROOMMSG_GAMESETASK = 111;
inline constexpr std::uint8_t ROOMMSG_GAMESETAGREE = 112;
inline constexpr std::uint8_t ROOMMSG_TABLE = 130;

// Sub-codes of ROOMMSG_TABLE.
inline constexpr std::uint8_t TABLE_WATCHER_IN = 0;  // also the login, client to server
inline constexpr std::uint8_t TABLE_RESET = 1;
inline constexpr std::uint8_t TABLE_USERLIST = 2;
inline constexpr std::uint8_t TABLE_IDENTITY = 3;
inline constexpr std::uint8_t TABLE_PLAYER_IN = 4;

// Sub-codes of ROOMMSG_USERSTATE.
inline constexpr std::uint8_t USERSTATE_BACK = 0;
inline constexpr std::uint8_t USERSTATE_DROPPED = 3;
inline constexpr std::uint8_t USERSTATE_WATCHER_GONE = 4;
inline constexpr std::uint8_t USERSTATE_UPDATE = 6;

// The login text fields: version and game-kind tag.
inline constexpr char kLoginVersion[] = "400";
inline constexpr char kGameKindTag[] = "QZT";

}  // namespace modRoomMsgDefine

namespace modGameMsgDefine {
inline constexpr std::uint8_t GAMEMSG_WATCH = 113;
inline constexpr std::uint8_t GAMEMSG_ITEM = 133;
}  // namespace modGameMsgDefine

namespace MsgRoute {
// True when a message of type t goes to the game handler: 0..94, 113 and 133.
inline constexpr bool IsGameMessage(std::uint8_t t) {
    return t <= 94 || t == modGameMsgDefine::GAMEMSG_WATCH || t == modGameMsgDefine::GAMEMSG_ITEM;
}
}  // namespace MsgRoute
