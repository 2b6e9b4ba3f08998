// The room messages between the table client and the room server: builders of every
// message the server sends (130, 108, 110, 111, 112, 105 and the 109 table-state
// snapshot) and builders and parsers of the client's room requests (the login, leaving,
// the settings answers, the allow-watch change). Texts are UTF-8 here and GBK on the wire.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "core/modDaoJuDefine.h"
#include "core/modGameDefine.h"

// The seven table settings of 111 / 112: players, base score and its bounds, the
// runaway deduction and its bounds.
struct GameSettings {
    std::int32_t playerCount = 4;
    std::int32_t baseScore = 10;
    std::int32_t maxBaseScore = 1000;
    std::int32_t minBaseScore = 1;
    std::int32_t deduction = 50;
    std::int32_t maxDeduction = 1000;
    std::int32_t minDeduction = 0;

    std::string ToText() const;
    // Exactly seven fields, each read by the leading-number rule; empty otherwise.
    static std::optional<GameSettings> FromText(const std::string& text);
    bool operator==(const GameSettings&) const = default;
};

namespace RoomMessages {

// ---- server to client ----------------------------------------------------------------

Bytes TableReset();                                                    // 130/1
Bytes Identity(const std::string& name, const std::string& seatName);  // 130/3
Bytes UserList(const std::vector<std::string>& records);               // 130/2, one record a line
Bytes PlayerIn(const std::string& record);                             // 130/4
Bytes WatcherIn(const std::string& record);                            // 130/0
Bytes UserBack(const std::string& name);                               // 108/0
Bytes UserDropped(const std::string& name);                            // 108/3
Bytes WatcherGone(const std::string& name);                            // 108/4
Bytes UserUpdate(const std::string& updateText);                       // 108/6, nine fields
Bytes UserLeave(const std::string& name);                              // 110/0
Bytes Broadcast(const std::string& text);                              // 105, text from byte 3

// The settings request 111: who is asked, whether an answer is due and whether the
// master has decided, then the seven settings.
struct GameSetAsk {
    int table = 1;
    std::string recipient;
    std::string master;
    bool isMaster = false;
    int seated = 0;
    bool answerDue = true;       // field 5: 0 = nothing to set, the start button only
    bool masterDecided = false;  // field 6
    GameSettings settings;
};
Bytes GameSetAskMsg(const GameSetAsk& ask);

// 112 from the server: sub-code 0 carries the master's settings behind the name (the
// others open their agreement dialog), sub-code 1 only the name of a player who agreed.
Bytes GameSetAgreeMsg(std::uint8_t sub, const std::string& name, const GameSettings* settings);

// The table-state snapshot 109 in both layouts (always 10 x 18 boards).
struct TableStateSeat {
    std::uint8_t seat = 0;
    std::uint8_t group = 0;
    bool out = false;
    std::uint8_t place = 0;
    std::uint8_t removed = 0;
    std::uint8_t left = 0;
    TileGridT grid{};
};
struct TableState {
    bool running = false;
    std::uint8_t recipientSeat = 0;  // bytes 3 and 4 (byte 4 only when running)
    bool forWatcher = false;         // adds byte 16 in the no-game layout
    std::uint8_t watchFlag = 1;      // the watched player's allow-watch flag
    // no game
    std::array<bool, GameSize::kSeatCount> ready{};
    std::array<std::uint8_t, GameSize::kSeatCount> groups{};
    // game running
    std::vector<TableStateSeat> seats;
    std::array<std::uint8_t, modDaoJuDefine::kItemCount> counts{};
    std::array<DaoJuDef, modDaoJuDefine::kItemCount> items{};
};
Bytes TableStateMsg(const TableState& state);

// ---- client to server ----------------------------------------------------------------

Bytes Login(bool allowWatch);                                                   // 130/0
Bytes LeaveRequest(const std::string& name);                                    // 110/0
Bytes GameSetConfirm(const std::string& name, const GameSettings& s);           // 112/0
Bytes GameSetAnswer(const std::string& name, const std::string& settingsText);  // 112/0, the text as shown
Bytes GameSetAccept(const std::string& name);                                   // 112/1
Bytes WatchChange(const std::string& name, bool allow);                         // 113/1

// The login text "400`QZT`<0|1>"; false when the message is no valid login.
bool ParseLogin(const Bytes& msg, bool& allowWatch);

// The text of a room message behind its two header bytes (type, sub-code), and its fields.
std::string RequestText(const Bytes& msg);
std::vector<std::string> RequestFields(const Bytes& msg);

}  // namespace RoomMessages
