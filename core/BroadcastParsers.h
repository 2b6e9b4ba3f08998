// Parsers of the room server's messages as a table client reads them: the settings
// request and agreement (111, 112), the identity (130/3), ready hands (18), time-outs
// (20) and finishes (23), a player who cannot go on (5), relayed chat lines (1) and the item and group
// confirmations (133). Each follows the reading rules of the client: field counts and
// lengths are checked, numbers are read by the leading-number rule, and a message that
// does not fit gives false. The start, removal, end and snapshot messages are read by
// GameMessages and RoomMessages.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "core/RoomMessages.h"
#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

namespace BroadcastParsers {

// 111: at least 6 fields (a missing seventh reads as 0).
struct SettingsAsk {
    bool isMaster = false;       // field 3 > 0: the recipient sets the table up
    bool answerDue = false;      // field 5 > 0: settings are to be made or agreed
    bool masterDecided = false;  // field 6 > 0: the master has chosen
    std::string settingsText;    // fields 7.. joined again
    // The settings when the text has exactly seven fields.
    std::optional<GameSettings> settings;
};
bool ParseSettingsAsk(const Bytes& msg, SettingsAsk& out);

// 112: at least one field; byte 1 is the sub-code.
struct SettingsAgree {
    std::uint8_t sub = 0;
    std::string name;              // the player who agreed (or the master who chose)
    bool carriesSettings = false;  // more than one field: the master's choice follows
    std::string settingsText;      // fields 1.. joined again
    std::optional<GameSettings> settings;
};
bool ParseSettingsAgree(const Bytes& msg, SettingsAgree& out);

// 130/3: exactly two fields, the local name and the name of the seat shown as one's own.
bool ParseIdentity(const Bytes& msg, std::string& name, std::string& seatName);

// 18 broadcast: exactly two bytes.
bool ParseReady(const Bytes& msg, std::uint8_t& seat);

// 20 broadcast: exactly four bytes.
bool ParseTimeOut(const Bytes& msg, std::uint8_t& seat, std::uint8_t& place);

// 23: exactly four bytes, the seat that cleared its board and its place.
bool ParseFinish(const Bytes& msg, std::uint8_t& seat, std::uint8_t& place);

// 5: the seat and the reason text.
bool ParsePlayerQuit(const Bytes& msg, std::uint8_t& seat, std::string& reason);

// 105: the room's broadcast text from byte 3; false for another type.
bool ParseBroadcast(const Bytes& msg, std::string& text);

// 1: the fields of a relayed chat line; false with fewer than ten.
bool ParseChat(const Bytes& msg, std::vector<std::string>& fields);

// 133 from the server: an item use (items 0..7) or a group change, each with the exact
// length of its layout. A bomb of ten or more bytes is an item use; its pair is only
// there (hasPath) when the length fits the node count exactly.
struct ItemConfirm {
    int item = -1;            // 0..7, or GameMessages::kGroupChange
    std::uint8_t seat = 0;    // the user
    std::uint8_t target = 0;  // the target of a thrown item, else the user
    std::uint8_t count = 0;   // the user's new count of the item
    std::uint8_t group = 0;   // the new group of a group change
    bool hasGrid = false;     // rearrange, mirror, obstacle: the new grid of the target
    TileGridT grid{};
    bool hasPath = false;  // bomb: the pair that goes
    LinkPath path;
};
bool ParseItemConfirm(const Bytes& msg, ItemConfirm& out);

// True for the items thrown at another player (freeze, alarm clock, blindfold, mirror,
// obstacle).
bool IsThrownItem(int item);

}  // namespace BroadcastParsers
