#include "core/GameMessages.h"

#include "core/ChatFields.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

namespace GameMessages {
namespace {

using namespace modGameMsgDefine;
constexpr int kCells = GameSize::kRows * GameSize::kCols;

void AppendPath(Bytes& out, const LinkPath& path) {
    out.push_back(static_cast<std::uint8_t>(path.lngNodeCount));
    for (int i = 0; i < path.lngNodeCount; ++i) {
        out.push_back(static_cast<std::uint8_t>(path.lngNodePos[2 * i]));
        out.push_back(static_cast<std::uint8_t>(path.lngNodePos[2 * i + 1]));
    }
}

}  // namespace

bool ReadPath(const Bytes& msg, std::size_t pos, LinkPath& path, bool toEnd) {
    if (pos >= msg.size()) return false;
    const int n = msg[pos];
    const std::size_t end = pos + 1 + 2 * static_cast<std::size_t>(n);
    if (n < 2 || n > 4 || msg.size() < end || (toEnd && msg.size() != end)) return false;
    path.lngNodeCount = n;
    for (int i = 0; i < n; ++i) {
        const int r = msg[pos + 1 + 2 * i], c = msg[pos + 2 + 2 * i];
        if (r >= GameSize::kRows || c >= GameSize::kCols) return false;
        path.lngNodePos[2 * i] = r;
        path.lngNodePos[2 * i + 1] = c;
    }
    return true;
}

Bytes TextMessage(std::initializer_list<std::uint8_t> head, const std::string& text) {
    Bytes out(head);
    modPublicTools::ConvertStrToBytes(text, out, head);  // leaves the bare head for an empty text
    return out;
}

void AppendGrid(Bytes& out, const TileGridT& grid) {
    for (const auto& row : grid) out.insert(out.end(), row.begin(), row.end());
}

bool ReadGrid(const Bytes& msg, std::size_t pos, TileGridT& grid) {
    if (pos > msg.size() || msg.size() - pos < static_cast<std::size_t>(kCells)) return false;
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c) grid[r][c] = msg[pos + r * GameSize::kCols + c];
    return true;
}

void AppendItemRecords(Bytes& out, const ItemTable& items) {
    for (const auto& d : items) {
        modPublicTools::PutLong(out, d.lngPrice);
        out.push_back(d.bteFreeCount);
        out.push_back(d.blnUseSelf ? 1 : 0);
        out.push_back(d.bteNeedDelFk);
        out.push_back(d.bteFreePerDelFk);
    }
}

bool ReadItemRecord(const Bytes& msg, std::size_t pos, DaoJuDef& item) {
    if (pos > msg.size() || msg.size() - pos < static_cast<std::size_t>(modDaoJuDefine::kRecordSize)) return false;
    modPublicTools::GetLongFromBytes(item.lngPrice, msg, pos);
    item.bteFreeCount = msg[pos + 4];
    item.blnUseSelf = msg[pos + 5] != 0;
    item.bteNeedDelFk = msg[pos + 6];
    item.bteFreePerDelFk = msg[pos + 7];
    return true;
}

Bytes Chat(const std::vector<std::string>& fields) {
    return TextMessage({GAMEMSG_CHAT}, modPublicTools::JoinFields(fields));
}

bool ParseChatRequest(const Bytes& msg, std::vector<std::string>& fields) {
    if (msg.empty() || msg[0] != GAMEMSG_CHAT) return false;
    auto f = modPublicTools::SplitFields(modPublicTools::ConvertBytesToStr(msg, 1));
    if (f.size() != static_cast<std::size_t>(ChatFields::kFieldCount)) return false;
    fields = std::move(f);
    return true;
}

Bytes PlayerQuit(std::uint8_t seat, const std::string& reason) {
    return TextMessage({GAMEMSG_PLAYERQUIT, 0, seat}, reason);
}

Bytes Start(const StartInfo& s) {
    Bytes out{GAMEMSG_START, 0};
    out.push_back(static_cast<std::uint8_t>(s.gameNo >> 24));
    out.push_back(static_cast<std::uint8_t>(s.gameNo >> 16));
    out.push_back(static_cast<std::uint8_t>(s.gameNo >> 8));
    out.push_back(static_cast<std::uint8_t>(s.gameNo));
    out.insert(out.end(), {0, 0, 0, 0});  // bytes 6..9
    out.push_back(s.mapNo);               // byte 10
    out.push_back(s.recipientSeat);       // byte 11
    out.insert(out.end(), s.groups.begin(), s.groups.end());
    out.push_back(GameSize::kRows);
    out.push_back(GameSize::kCols);
    AppendGrid(out, s.board);
    out.push_back(modDaoJuDefine::kItemCount);
    AppendItemRecords(out, s.items);
    return out;
}

bool ParseStart(const Bytes& msg, StartInfo& out) {
    constexpr std::size_t kLen = 20 + kCells + 1 + modDaoJuDefine::kItemCount * modDaoJuDefine::kRecordSize;
    if (msg.size() != kLen || msg[0] != GAMEMSG_START || msg[18] != GameSize::kRows || msg[19] != GameSize::kCols ||
        msg[20 + kCells] != modDaoJuDefine::kItemCount)
        return false;
    out.gameNo = (std::uint32_t(msg[2]) << 24) | (std::uint32_t(msg[3]) << 16) | (std::uint32_t(msg[4]) << 8) | msg[5];
    out.mapNo = msg[10];
    out.recipientSeat = msg[11];
    for (int i = 0; i < GameSize::kSeatCount; ++i) out.groups[i] = msg[12 + i];
    ReadGrid(msg, 20, out.board);
    for (int k = 0; k < modDaoJuDefine::kItemCount; ++k)
        ReadItemRecord(msg, 21 + kCells + k * modDaoJuDefine::kRecordSize, out.items[k]);
    return true;
}

void ReadStartHead(const Bytes& msg, StartHead& out) {
    out = StartHead{};
    for (int s = 0; s < GameSize::kSeatCount && kStartGroupPos + s < msg.size(); ++s) {
        out.groups[s] = msg[kStartGroupPos + s];
        out.groupCount = s + 1;
    }
    out.sizeRead = msg.size() >= kStartBoardPos;
    if (!out.sizeRead) return;
    out.rows = msg[kStartRowsPos];
    out.cols = msg[kStartRowsPos + 1];
}

Bytes Ready(std::uint8_t seat) { return {GAMEMSG_READY, seat}; }

Bytes RemoveBroadcast(const RemoveInfo& r) {
    Bytes out{GAMEMSG_REMOVE, 0, r.seat, r.comboA, r.comboB, modDaoJuDefine::kItemCount};
    out.insert(out.end(), r.counts.begin(), r.counts.end());
    AppendPath(out, r.path);
    return out;
}

bool ParseRemoveBroadcast(const Bytes& msg, RemoveInfo& out) {
    if (msg.size() < 7 || msg[0] != GAMEMSG_REMOVE) return false;
    out = RemoveInfo{};
    out.seat = msg[2];
    out.comboA = msg[3];
    out.comboB = msg[4];
    out.countsGiven = msg[5];
    const std::size_t k = out.countsGiven;
    for (std::size_t i = 0; i < k && i < out.counts.size() && kRemoveCountsPos + i < msg.size(); ++i)
        out.counts[i] = msg[kRemoveCountsPos + i];
    out.hasPath = ReadPath(msg, kRemoveCountsPos + k, out.path, false);
    return true;
}

Bytes TimeOut(std::uint8_t seat, std::uint8_t place) { return {GAMEMSG_TIMEOUT, 0, seat, place}; }
Bytes Finish(std::uint8_t seat, std::uint8_t place) { return {GAMEMSG_FINISH, 0, seat, place}; }

Bytes Notice(const std::string& text) { return TextMessage({GAMEMSG_NOTICE}, text); }

bool ParseNotice(const Bytes& msg, std::string& text) {
    if (msg.empty() || msg[0] != GAMEMSG_NOTICE) return false;
    text = modPublicTools::ConvertBytesToStr(msg, 1);
    return true;
}

Bytes End(const std::vector<EndRecord>& records) {
    Bytes out{GAMEMSG_END, 0};
    for (const auto& r : records) {
        out.push_back(r.seat);
        out.push_back(r.place);
        modPublicTools::PutLong(out, r.score);
    }
    return out;
}

std::vector<EndRecord> ParseEnd(const Bytes& msg) {
    std::vector<EndRecord> out;
    if (msg.empty() || msg[0] != GAMEMSG_END) return out;
    for (std::size_t p = 2; p + 6 <= msg.size(); p += 6) {
        EndRecord r{msg[p], msg[p + 1], 0};
        modPublicTools::GetLongFromBytes(r.score, msg, p + 2);
        out.push_back(r);
    }
    return out;
}

Bytes WatchFlag(bool allow) { return {GAMEMSG_WATCH, 0, static_cast<std::uint8_t>(allow ? 1 : 0)}; }

bool ParseWatchFlag(const Bytes& msg, bool& allow) {
    if (msg.size() != 3 || msg[0] != GAMEMSG_WATCH) return false;
    allow = msg[2] != 0;
    return true;
}

Bytes CompassDone(std::uint8_t seat, std::uint8_t count) { return {GAMEMSG_ITEM, ITEMSUB_ZHINANZHEN, 0, seat, count}; }

Bytes RearrangeDone(std::uint8_t seat, std::uint8_t count, const TileGridT& grid) {
    Bytes out{GAMEMSG_ITEM, ITEMSUB_CHONGLIE, 0, seat, count};
    AppendGrid(out, grid);
    return out;
}

Bytes TargetDone(int item, std::uint8_t seat, std::uint8_t target, std::uint8_t count) {
    return {GAMEMSG_ITEM, modDaoJuDefine::ItemSubCode(item), 0, seat, target, count};
}

Bytes BombDone(std::uint8_t seat, std::uint8_t count, const LinkPath& path) {
    Bytes out{GAMEMSG_ITEM, static_cast<std::uint8_t>(modDaoJuDefine::DJ_ZHADAN), 0, seat, count};
    AppendPath(out, path);
    return out;
}

Bytes GridTargetDone(int item, std::uint8_t seat, std::uint8_t target, std::uint8_t count, const TileGridT& grid) {
    Bytes out{GAMEMSG_ITEM, modDaoJuDefine::ItemSubCode(item), 0, seat, target, count};
    AppendGrid(out, grid);
    return out;
}

Bytes MapDone(std::uint8_t seat, std::uint8_t mapNo) {
    return {GAMEMSG_ITEM, static_cast<std::uint8_t>(modDaoJuDefine::DJ_DITU), 0, seat, mapNo};
}

Bytes GroupDone(std::uint8_t seat, std::uint8_t group) { return {GAMEMSG_ITEM, ITEMSUB_FENZU, 0, seat, group}; }

Bytes ReadyRequest(std::uint8_t seat) { return {GAMEMSG_READY, seat}; }

Bytes RemoveRequest(std::uint8_t seat, const LinkPath& path) {
    Bytes out{GAMEMSG_REMOVE, 0, seat};
    AppendPath(out, path);
    return out;
}

Bytes TimeOutRequest(std::uint8_t seat) { return {GAMEMSG_TIMEOUT, 0, seat, 0}; }

Bytes ItemRequestMsg(const ItemRequest& r) {
    using namespace modDaoJuDefine;
    if (r.item == kGroupChange) return {GAMEMSG_ITEM, ITEMSUB_FENZU, 0, r.seat, r.value};
    const std::uint8_t sub = ItemSubCode(r.item);
    switch (r.item) {
        case DJ_ZHINANZHEN:
            return {GAMEMSG_ITEM, sub, 0, r.seat, 0};
        case DJ_CHONGLIE:
            return {GAMEMSG_ITEM, sub, 0, r.seat};
        case DJ_JINSHOU:
        case DJ_NAOZHONG:
        case DJ_MENGYAN:
            return {GAMEMSG_ITEM, sub, 0, r.seat, r.target, 0};
        case DJ_ZHADAN: {
            Bytes out{GAMEMSG_ITEM, sub, 0, r.seat, 0};
            AppendPath(out, r.path);
            return out;
        }
        case DJ_JINGZI:
        case DJ_ZHANGAI:
            return {GAMEMSG_ITEM, sub, 0, r.seat, r.target};
        case DJ_DITU:
            return {GAMEMSG_ITEM, sub, 0, r.seat, r.value};
        default:
            return {};
    }
}

bool ParseItemRequest(const Bytes& msg, ItemRequest& out) {
    using namespace modDaoJuDefine;
    if (msg.size() < 4 || msg[0] != GAMEMSG_ITEM) return false;
    out = ItemRequest{};
    out.seat = msg[3];
    if (msg[1] == ITEMSUB_FENZU) {
        if (msg.size() != 5) return false;
        out.item = kGroupChange;
        out.value = msg[4];
        return true;
    }
    out.item = ItemOfSubCode(msg[1]);
    switch (out.item) {
        case DJ_ZHINANZHEN:
            return msg.size() == 5;
        case DJ_CHONGLIE:
            return msg.size() == 4;
        case DJ_JINSHOU:
        case DJ_NAOZHONG:
        case DJ_MENGYAN:
            if (msg.size() != 6) return false;
            out.target = msg[4];
            return true;
        case DJ_ZHADAN:
            return msg.size() >= 6 && ReadPath(msg, 5, out.path);
        case DJ_JINGZI:
        case DJ_ZHANGAI:
            if (msg.size() != 5) return false;
            out.target = msg[4];
            return true;
        case DJ_DITU:
            if (msg.size() != 5) return false;
            out.value = msg[4];
            return true;
        default:
            return false;
    }
}

bool ParseRemoveRequest(const Bytes& msg, std::uint8_t& seat, LinkPath& path) {
    if (msg.size() < 4 || msg[0] != GAMEMSG_REMOVE) return false;
    seat = msg[2];
    return ReadPath(msg, 3, path);
}

}  // namespace GameMessages
