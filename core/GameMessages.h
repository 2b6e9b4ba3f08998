// The game messages between the table client and the room server: builders of every
// message the server sends (chat relay, quit, start, ready, removal, time-out, notice,
// end, watch flag, the item and group confirmations of 133) and builders and parsers of
// the client's game requests. Layouts are byte for byte those the table client reads.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "core/modDaoJuDefine.h"
#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

namespace GameMessages {

using ItemCounts = std::array<std::uint8_t, modDaoJuDefine::kItemCount>;
using ItemTable = std::array<DaoJuDef, modDaoJuDefine::kItemCount>;

// The 8-byte DaoJuItemRecord of every item, in item order.
void AppendItemRecords(Bytes& out, const ItemTable& items);
// Reads one record at pos (false when fewer than 8 bytes remain).
bool ReadItemRecord(const Bytes& msg, std::size_t pos, DaoJuDef& item);

// ---- server to client ----------------------------------------------------------------

Bytes Chat(const std::vector<std::string>& fields);  // 1: the ten chat fields
// A chat line a player sends: exactly the ten fields.
bool ParseChatRequest(const Bytes& msg, std::vector<std::string>& fields);
Bytes PlayerQuit(std::uint8_t seat, const std::string& reason);  // 5

struct StartInfo {
    std::uint8_t recipientSeat = 0;  // byte 11
    std::uint32_t gameNo = 0;        // bytes 2..5
    std::uint8_t mapNo = 0;          // byte 10
    std::array<std::uint8_t, GameSize::kSeatCount> groups{};
    TileGridT board{};
    ItemTable items{};
};
Bytes Start(const StartInfo& s);  // 17
// The whole start of a 10 x 18 table with nine item records; false otherwise.
bool ParseStart(const Bytes& msg, StartInfo& out);

// The head of a start as a table reads it, whatever its length: the groups of bytes
// 12..17 as far as they go, and the board's size (bytes 18, 19) when both are there.
// The board follows from kStartBoardPos, then the item count and the item records.
inline constexpr std::size_t kStartGroupPos = 12;
inline constexpr std::size_t kStartRowsPos = 18;
inline constexpr std::size_t kStartBoardPos = 20;
struct StartHead {
    int groupCount = 0;
    std::array<std::uint8_t, GameSize::kSeatCount> groups{};
    bool sizeRead = false;
    int rows = 0;
    int cols = 0;
};
void ReadStartHead(const Bytes& msg, StartHead& out);

Bytes Ready(std::uint8_t seat);  // 18, two bytes

struct RemoveInfo {
    std::uint8_t seat = 0;
    std::uint8_t comboA = 0;  // the running combo, 0 for none
    std::uint8_t comboB = 0;  // the seat's best combo this game
    ItemCounts counts{};
    LinkPath path;
    // Read from a broadcast: k, the count bytes it carries (may exceed 9), and whether the
    // path is whole (2..4 nodes, all there, all in the grid).
    std::uint8_t countsGiven = 0;
    bool hasPath = false;
};
inline constexpr std::size_t kRemoveCountsPos = 6;
Bytes RemoveBroadcast(const RemoveInfo& r);  // 19
// A removal broadcast of at least 7 bytes (else false): seat, combo and the counts
// present are read; the path after the k counts sets hasPath when it is whole. Bytes
// after a whole path are not read (the request, by contrast, must end with its path).
bool ParseRemoveBroadcast(const Bytes& msg, RemoveInfo& out);

Bytes TimeOut(std::uint8_t seat, std::uint8_t place);  // 20, four bytes
Bytes Finish(std::uint8_t seat, std::uint8_t place);   // 23, four bytes
Bytes Notice(const std::string& text);                 // 21
// 21: the text from byte 1; false for another type.
bool ParseNotice(const Bytes& msg, std::string& text);

struct EndRecord {
    std::uint8_t seat = 0;
    std::uint8_t place = 0;
    std::int32_t score = 0;
};
Bytes End(const std::vector<EndRecord>& records);  // 22
std::vector<EndRecord> ParseEnd(const Bytes& msg);

Bytes WatchFlag(bool allow);  // 113, three bytes
// 113 from the server: exactly three bytes, the flag in byte 2.
bool ParseWatchFlag(const Bytes& msg, bool& allow);

// Item confirmations of 133 (sub-codes 9, 10, 2..7, 8) and the group change (255).
Bytes CompassDone(std::uint8_t seat, std::uint8_t count);                                // 5 bytes
Bytes RearrangeDone(std::uint8_t seat, std::uint8_t count, const TileGridT& grid);       // 185 bytes
Bytes TargetDone(int item, std::uint8_t seat, std::uint8_t target, std::uint8_t count);  // 6 bytes
Bytes BombDone(std::uint8_t seat, std::uint8_t count, const LinkPath& path);             // 6 + 2n bytes
Bytes GridTargetDone(int item, std::uint8_t seat, std::uint8_t target, std::uint8_t count,
                     const TileGridT& grid);             // 186 bytes
Bytes MapDone(std::uint8_t seat, std::uint8_t mapNo);    // 5 bytes
Bytes GroupDone(std::uint8_t seat, std::uint8_t group);  // 5 bytes

// ---- client to server ----------------------------------------------------------------

Bytes ReadyRequest(std::uint8_t seat);
Bytes RemoveRequest(std::uint8_t seat, const LinkPath& path);
Bytes TimeOutRequest(std::uint8_t seat);

// One item or group request of 133.
struct ItemRequest {
    int item = -1;            // 0..8, or kGroupChange
    std::uint8_t seat = 0;    // the seat byte the client wrote (the server uses its own)
    std::uint8_t target = 0;  // items 2, 3, 5, 6, 7
    std::uint8_t value = 0;   // the map number (item 8) or the new group
    LinkPath path;            // the bomb's path
};
inline constexpr int kGroupChange = 255;
Bytes ItemRequestMsg(const ItemRequest& r);
// Checks the exact layout of the sub-code (lengths, node count 2..4); false otherwise.
bool ParseItemRequest(const Bytes& msg, ItemRequest& out);

// A removal request 19, 0, seat, n, nodes: exactly 4 + 2n bytes with n 2..4.
bool ParseRemoveRequest(const Bytes& msg, std::uint8_t& seat, LinkPath& path);

// A text message: the header bytes, then the text in GBK; the bare header for an empty text.
Bytes TextMessage(std::initializer_list<std::uint8_t> head, const std::string& text);

// A path at pos: a node count 2..4, then that many nodes inside the grid; with toEnd the
// nodes must end the message (requests and the bomb), otherwise later bytes are not read.
bool ReadPath(const Bytes& msg, std::size_t pos, LinkPath& path, bool toEnd = true);

// A grid as the 180 bytes of a message, row-major.
void AppendGrid(Bytes& out, const TileGridT& grid);
bool ReadGrid(const Bytes& msg, std::size_t pos, TileGridT& grid);

}  // namespace GameMessages
