// Helpers of the computer-player tests: user records, boards drawn as text, the server's
// messages of a table a player has just joined.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "bot/TableFollower.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/UserRecord.h"
#include "core/modPublicTools.h"

namespace BotTestKit {

// A 16-field user record: a player at `chair`, or a spectator of `watched`.
inline std::string Record(const std::string& name, int chair, const std::string& watched = "", int ready = 0) {
    std::vector<std::string> f(UserRecord::kFieldCount, "0");
    f[UserRecord::kName] = name;
    f[UserRecord::kUserId] = "1";
    f[UserRecord::kWatched] = watched;
    f[UserRecord::kIconNo] = "1000";
    f[UserRecord::kChair] = std::to_string(chair);
    f[UserRecord::kReady] = std::to_string(ready);
    return modPublicTools::JoinFields(f);
}

// A board from up to 10 rows of up to 18 characters: '.' is empty, 'a'..'z' are tile
// codes 1..26, 'A'..'M' codes 27..39.
inline TileGridT Board(std::initializer_list<const char*> rows) {
    TileGridT g{};
    int r = 0;
    for (const char* row : rows) {
        for (int c = 0; row[c] && c < GameSize::kCols; ++c) {
            const char ch = row[c];
            g[r][c] = ch >= 'a' && ch <= 'z'   ? static_cast<std::uint8_t>(ch - 'a' + 1)
                      : ch >= 'A' && ch <= 'M' ? static_cast<std::uint8_t>(ch - 'A' + 27)
                                               : 0;
        }
        ++r;
    }
    return g;
}

// The six players "p0".."p5" seated at chairs 0..5 (only the first `players`).
inline std::vector<std::string> Players(int players) {
    std::vector<std::string> records;
    for (int s = 0; s < players; ++s) records.push_back(Record("p" + std::to_string(s), s));
    return records;
}

// What a player hears on joining a table with no game: reset, identity, the user list
// and the snapshot.
inline std::vector<Bytes> Joined(const std::string& name, const std::string& seatName,
                                 const std::vector<std::string>& records, bool watcher = false) {
    RoomMessages::TableState st;
    st.forWatcher = watcher;
    return {RoomMessages::TableReset(), RoomMessages::Identity(name, seatName), RoomMessages::UserList(records),
            RoomMessages::TableStateMsg(st)};
}

inline void ApplyAll(TableFollower& f, const std::vector<Bytes>& messages) {
    for (const auto& m : messages) f.Apply(m);
}

// The start of a game on `board` with the default items.
inline Bytes StartOn(const TileGridT& board) {
    GameMessages::StartInfo info;
    info.board = board;
    for (int k = 0; k < modDaoJuDefine::kItemCount; ++k) {
        info.items[k] = modDaoJuDefine::DefaultItem(k);
        info.items[k].bteFreeCount = 1;
    }
    return GameMessages::Start(info);
}

inline LinkPath PathOf(std::initializer_list<CellPos> nodes) {
    LinkPath p;
    for (CellPos n : nodes) {
        p.lngNodePos[2 * p.lngNodeCount] = n.row;
        p.lngNodePos[2 * p.lngNodeCount + 1] = n.col;
        ++p.lngNodeCount;
    }
    return p;
}

}  // namespace BotTestKit
