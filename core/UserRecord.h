// The user record of the room protocol (16 backquote-separated fields), the whole user
// list of room message 130/2 (records one a line) and the 9-field update of 108/6.
// The room server builds these texts and the client's user list reads them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace UserRecord {

enum Field : int {
    kName = 0,        // 用户名
    kUserId = 1,      // 用户ID
    kScore = 2,       // 经验 / 积分
    kLevel = 3,       // 级别: the number the title table is looked up with
    kWatched = 4,     // 旁观对象: the watched player's name, empty for a player
    kGames = 5,       // 总局数
    kWinRate = 6,     // 胜率, percent
    kEscapeRate = 7,  // 逃跑率, percent
    kWins = 8,        // 胜
    kLosses = 9,      // 输
    kDraws = 10,      // 和
    kCharacter = 11,  // 人物类型
    kIconNo = 12,     // 图标号: \ 1000 is the membership level
    kChair = 13,      // 实际椅子号: seat = chair mod 6
    kReady = 14,      // 举手: > 0 ready
    kNetBreak = 15,   // 掉线: > 0 connection lost
    kFieldCount = 16
};

// Fields of the 108/6 update text.
enum UpdateField : int {
    kUpdName = 0,
    kUpdScore = 1,
    kUpdLevel = 2,
    kUpdGames = 3,
    kUpdWinRate = 4,
    kUpdEscapeRate = 5,
    kUpdWins = 6,
    kUpdLosses = 7,
    kUpdDraws = 8,
    kUpdateFieldCount = 9
};

// Where each update field goes in the full record.
inline constexpr int kUpdateToRecord[kUpdateFieldCount] = {kName,       kScore, kLevel,  kGames, kWinRate,
                                                           kEscapeRate, kWins,  kLosses, kDraws};

inline constexpr char kRecordSep = '\n';

// Splits a 130/2 list text into record texts; empty lines are skipped.
std::vector<std::string> SplitList(std::string_view listText);
std::string JoinList(const std::vector<std::string>& records);

// The 16 fields of a record text, or an empty vector when it does not have exactly 16.
std::vector<std::string> Fields(std::string_view record);

// Applies a 9-field update to a 16-field record text; the record is unchanged when the
// update does not have exactly 9 fields or names another user.
bool ApplyUpdate(std::string& record, std::string_view update);

}  // namespace UserRecord
