#include "core/RoomMessages.h"

#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

using namespace modRoomMsgDefine;

std::string GameSettings::ToText() const {
    return modPublicTools::JoinFields({std::to_string(playerCount), std::to_string(baseScore),
                                       std::to_string(maxBaseScore), std::to_string(minBaseScore),
                                       std::to_string(deduction), std::to_string(maxDeduction),
                                       std::to_string(minDeduction)});
}

std::optional<GameSettings> GameSettings::FromText(const std::string& text) {
    const auto f = modPublicTools::SplitFields(text);
    if (f.size() != 7) return std::nullopt;
    GameSettings s;
    std::int32_t* v[7] = {&s.playerCount, &s.baseScore,    &s.maxBaseScore, &s.minBaseScore,
                          &s.deduction,   &s.maxDeduction, &s.minDeduction};
    for (int i = 0; i < 7; ++i) *v[i] = LeadingNumber::Long(f[i]);
    return s;
}

namespace RoomMessages {

using GameMessages::TextMessage;

Bytes TableReset() { return {ROOMMSG_TABLE, TABLE_RESET}; }

Bytes Identity(const std::string& name, const std::string& seatName) {
    return TextMessage({ROOMMSG_TABLE, TABLE_IDENTITY}, name + "`" + seatName);
}

Bytes UserList(const std::vector<std::string>& records) {
    return TextMessage({ROOMMSG_TABLE, TABLE_USERLIST}, UserRecord::JoinList(records));
}

Bytes PlayerIn(const std::string& record) { return TextMessage({ROOMMSG_TABLE, TABLE_PLAYER_IN}, record); }
Bytes WatcherIn(const std::string& record) { return TextMessage({ROOMMSG_TABLE, TABLE_WATCHER_IN}, record); }
Bytes UserBack(const std::string& name) { return TextMessage({ROOMMSG_USERSTATE, USERSTATE_BACK}, name); }
Bytes UserDropped(const std::string& name) { return TextMessage({ROOMMSG_USERSTATE, USERSTATE_DROPPED}, name); }
Bytes WatcherGone(const std::string& name) { return TextMessage({ROOMMSG_USERSTATE, USERSTATE_WATCHER_GONE}, name); }
Bytes UserUpdate(const std::string& updateText) {
    return TextMessage({ROOMMSG_USERSTATE, USERSTATE_UPDATE}, updateText);
}
Bytes UserLeave(const std::string& name) { return TextMessage({ROOMMSG_USERLEAVE, 0}, name); }
Bytes Broadcast(const std::string& text) { return TextMessage({ROOMMSG_BROADCAST, 0, 0}, text); }

Bytes GameSetAskMsg(const GameSetAsk& a) {
    const std::string text = modPublicTools::JoinFields(
        {std::to_string(a.table), a.recipient, a.master, a.isMaster ? "1" : "0", std::to_string(a.seated),
         a.answerDue ? "1" : "0", a.masterDecided ? "1" : "0", a.settings.ToText()});
    return TextMessage({ROOMMSG_GAMESETASK, 0}, text);
}

Bytes GameSetAgreeMsg(std::uint8_t sub, const std::string& name, const GameSettings* settings) {
    return TextMessage({ROOMMSG_GAMESETAGREE, sub}, settings ? name + "`" + settings->ToText() : name);
}

Bytes TableStateMsg(const TableState& s) {
    Bytes out{ROOMMSG_TABLESTATE, 0, static_cast<std::uint8_t>(s.running ? 1 : 0), s.recipientSeat};
    if (!s.running) {
        for (bool r : s.ready) out.push_back(r ? 1 : 0);
        out.insert(out.end(), s.groups.begin(), s.groups.end());
        if (s.forWatcher) out.push_back(s.watchFlag);
        return out;
    }
    out.push_back(s.recipientSeat);  // byte 4
    out.push_back(s.watchFlag);      // byte 5
    out.push_back(modDaoJuDefine::kItemCount);
    out.push_back(GameSize::kRows);
    out.push_back(GameSize::kCols);
    out.push_back(static_cast<std::uint8_t>(s.seats.size()));
    for (const auto& seat : s.seats) {
        out.insert(out.end(), {seat.seat, seat.group, static_cast<std::uint8_t>(seat.out ? 1 : 0), seat.place,
                               seat.removed, seat.left});
        GameMessages::AppendGrid(out, seat.grid);
    }
    out.insert(out.end(), s.counts.begin(), s.counts.end());
    GameMessages::AppendItemRecords(out, s.items);
    return out;
}

Bytes Login(bool allowWatch) {
    return TextMessage({ROOMMSG_TABLE, TABLE_WATCHER_IN},
                       std::string(kLoginVersion) + "`" + kGameKindTag + "`" + (allowWatch ? "1" : "0"));
}

Bytes LeaveRequest(const std::string& name) { return TextMessage({ROOMMSG_USERLEAVE, 0}, name); }

Bytes GameSetConfirm(const std::string& name, const GameSettings& s) { return GameSetAnswer(name, s.ToText()); }

Bytes GameSetAnswer(const std::string& name, const std::string& settingsText) {
    return TextMessage({ROOMMSG_GAMESETAGREE, 0}, name + "`" + settingsText);
}

Bytes GameSetAccept(const std::string& name) { return TextMessage({ROOMMSG_GAMESETAGREE, 1}, name); }

Bytes WatchChange(const std::string& name, bool allow) {
    return TextMessage({modGameMsgDefine::GAMEMSG_WATCH, 1}, name + "`" + (allow ? "1" : "0"));
}

bool ParseLogin(const Bytes& msg, bool& allowWatch) {
    if (msg.size() < 3 || msg[0] != ROOMMSG_TABLE || msg[1] != TABLE_WATCHER_IN) return false;
    const auto f = RequestFields(msg);
    if (f.size() != 3 || f[0] != kLoginVersion || f[1] != kGameKindTag) return false;
    allowWatch = LeadingNumber::Long(f[2]) > 0;
    return true;
}

std::string RequestText(const Bytes& msg) { return modPublicTools::ConvertBytesToStr(msg, 2); }

std::vector<std::string> RequestFields(const Bytes& msg) { return modPublicTools::SplitFields(RequestText(msg)); }

}  // namespace RoomMessages
