// The lobby protocol: what a lobby and the room server say to each other on the room's own
// port and framing, once the connection has opened with the lobby hello ("TLLOBBY 2")
// instead of a seat ticket's hello. Every message is one type byte followed by fields:
// a text is a 2-byte big-endian length and that many bytes (UTF-8, or any bytes for a
// password), a number is 4 bytes big-endian, signed. docs/lobby.md lists every message.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Bytes.h"

namespace LobbyMessages {

// Version 2 added the room list (111); a room still serves lobbies of version 1, without it.
inline constexpr int kVersion = 2;
inline constexpr int kOldestVersion = 1;
inline constexpr std::string_view kHelloPrefix = "TLLOBBY ";

// Bounds every side keeps.
inline constexpr std::size_t kMaxName = 32;  // bytes, as in a seat ticket
inline constexpr std::size_t kMaxPassword = 1024;
inline constexpr std::size_t kMaxChat = 256;
inline constexpr std::size_t kMaxReason = 200;
inline constexpr std::size_t kMaxLevel = 16;
inline constexpr int kSeats = 6;
inline constexpr std::size_t kMaxRoomId = 200;   // bytes, a room's id and its name
inline constexpr std::size_t kMaxAddress = 300;  // HOST:PORT
inline constexpr int kMaxRooms = 1000;

enum Type : std::uint8_t {
    // lobby to server
    kRegister = 1,   // name, password
    kLogIn = 2,      // name, password
    kGuest = 3,      // (nothing): a guest with a name of the server's choice
    kLogOut = 4,     // (nothing)
    kChat = 5,       // text
    kSit = 6,        // table (0: the first with a free seat)
    kWatch = 7,      // the watched player's name
    kOpenTable = 8,  // count of computer players, level
    kLeave = 9,      // (nothing): the server closes the connection
    kModerate = 10,  // action, target, minutes, reason (admins only)
    kIgnore = 11,    // name, on (1) or off (0)
    kListBans = 12,  // (nothing; admins only)
    // server to lobby
    kWelcome = 100,   // version, room name, guests allowed
    kAnswer = 101,    // the request's type, code (0 done), text
    kYou = 102,       // name, guest, admin
    kTables = 103,    // last part (1/0), count, tables
    kTable = 104,     // one table that changed (no one left: it is gone)
    kUsers = 105,     // last part (1/0), count, users
    kUser = 106,      // one user that came or changed (present 1) or left (0)
    kChatLine = 107,  // from, text
    kSeat = 108,      // table, ticket, watched: start the table client with this ticket
    kNotice = 109,    // text from the room
    kBans = 110,      // count, bans and mutes in force
    kRooms = 111,     // count, the live rooms of the shared database (version 2 on)
};

struct SeatView {
    std::string name;  // empty: a free seat
    bool ready = false, playing = false, dropped = false;
    bool operator==(const SeatView&) const = default;
};

struct TableView {
    int number = 0;
    bool running = false;  // a game runs
    std::array<SeatView, kSeats> seats{};
    std::vector<std::string> spectators;
    bool Empty() const;
    bool operator==(const TableView&) const = default;
};

struct UserView {
    std::string name;
    std::int64_t points = 0;
    std::string title;
    bool operator==(const UserView&) const = default;
};

// A live room server of the shared database, as the lobby lists it.
struct RoomView {
    std::string id, name;
    std::string address;  // HOST:PORT players connect to
    bool here = false;    // the room this lobby is connected to
    int tables = 0;       // tables with anyone at them
    int players = 0;      // players seated there
    bool operator==(const RoomView&) const = default;
};

struct Sanction {
    std::string action, target, actor, reason;  // action: ban or mute
    std::int64_t until = 0;
};

// One message from a lobby, as far as its type uses the fields.
struct Request {
    Type type = kGuest;
    std::string name, password, text, level, action, reason;
    int table = 0, count = 0, minutes = 0;
    bool on = false;
};

// One message from the server.
struct Event {
    Type type = kNotice;
    int version = 0, request = 0, code = 0, table = 0;
    bool flag = false, admin = false;  // flag: guests allowed, guest, last part, present
    std::string name, text, ticket, watched;
    std::vector<TableView> tables;
    std::vector<UserView> users;
    std::vector<Sanction> sanctions;
    std::vector<RoomView> rooms;
};

// Text a lobby may show and send: valid UTF-8 without control characters, 1..max bytes.
bool CleanText(std::string_view text, std::size_t max);

Bytes Hello(int version = kVersion);
// The version of a lobby hello; none when the message is not one.
std::optional<int> ParseHello(const Bytes& message);

// Requests.
Bytes Register(std::string_view name, std::string_view password);
Bytes LogIn(std::string_view name, std::string_view password);
Bytes Plain(Type type);  // guest, log out, leave, list bans
Bytes Chat(std::string_view text);
Bytes Sit(int table);
Bytes Watch(std::string_view player);
Bytes OpenTable(int count, std::string_view level);
Bytes Moderate(std::string_view action, std::string_view target, int minutes, std::string_view reason);
Bytes Ignore(std::string_view name, bool on);
// A request within the bounds, or none.
std::optional<Request> ParseRequest(const Bytes& message);

// Events.
// `version`: the lobby's own, which the room speaks with it.
Bytes Welcome(std::string_view room, bool guests, int version = kVersion);
Bytes Answer(Type request, int code, std::string_view text);
Bytes You(std::string_view name, bool guest, bool admin);
// The whole table list in messages of at most `budget` bytes each, the last one marked.
std::vector<Bytes> Tables(const std::vector<TableView>& tables, std::size_t budget = 60000);
Bytes TableChanged(const TableView& table);
std::vector<Bytes> Users(const std::vector<UserView>& users, std::size_t budget = 60000);
Bytes UserChanged(const UserView& user, bool present);
Bytes ChatLine(std::string_view from, std::string_view text);
Bytes Seat(int table, std::string_view ticket, std::string_view watched);
Bytes Notice(std::string_view text);
Bytes Bans(const std::vector<Sanction>& list, std::size_t budget = 60000);
// The live rooms, as many as fit in `budget` bytes.
Bytes Rooms(const std::vector<RoomView>& rooms, std::size_t budget = 60000);
// An event within the bounds, or none.
std::optional<Event> ParseEvent(const Bytes& message);
// Whether a server message of this type is one this lobby knows. From version 2 on a lobby
// skips the ones it does not know (a room of a later version may add some), and refuses a
// known one that is malformed.
bool KnownEvent(std::uint8_t type);

}  // namespace LobbyMessages
