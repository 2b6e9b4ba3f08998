#include "core/BroadcastParsers.h"

#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

namespace BroadcastParsers {
namespace {

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;

// Field i read as a number; a missing field reads as 0.
std::int32_t NumberField(const std::vector<std::string>& f, std::size_t i) {
    return i < f.size() ? LeadingNumber::Long(f[i]) : 0;
}

}  // namespace

bool ParseSettingsAsk(const Bytes& msg, SettingsAsk& out) {
    if (msg.size() < 2 || msg[0] != ROOMMSG_GAMESETASK) return false;
    const auto f = RoomMessages::RequestFields(msg);
    if (f.size() < 6) return false;
    out = SettingsAsk{};
    out.isMaster = NumberField(f, 3) > 0;
    out.answerDue = NumberField(f, 5) > 0;
    out.masterDecided = NumberField(f, 6) > 0;
    out.settingsText = modPublicTools::JoinFields(f, 7);
    out.settings = GameSettings::FromText(out.settingsText);
    return true;
}

bool ParseSettingsAgree(const Bytes& msg, SettingsAgree& out) {
    if (msg.size() < 2 || msg[0] != ROOMMSG_GAMESETAGREE) return false;
    const auto f = RoomMessages::RequestFields(msg);
    if (f.empty()) return false;
    out = SettingsAgree{};
    out.sub = msg[1];
    out.name = f[0];
    out.carriesSettings = f.size() > 1;
    if (out.carriesSettings) {
        out.settingsText = modPublicTools::JoinFields(f, 1);
        out.settings = GameSettings::FromText(out.settingsText);
    }
    return true;
}

bool ParseIdentity(const Bytes& msg, std::string& name, std::string& seatName) {
    if (msg.size() < 2 || msg[0] != ROOMMSG_TABLE || msg[1] != TABLE_IDENTITY) return false;
    const auto f = RoomMessages::RequestFields(msg);
    if (f.size() != 2) return false;
    name = f[0];
    seatName = f[1];
    return true;
}

bool ParseReady(const Bytes& msg, std::uint8_t& seat) {
    if (msg.size() != 2 || msg[0] != GAMEMSG_READY) return false;
    seat = msg[1];
    return true;
}

bool ParseTimeOut(const Bytes& msg, std::uint8_t& seat, std::uint8_t& place) {
    if (msg.size() != 4 || msg[0] != GAMEMSG_TIMEOUT) return false;
    seat = msg[2];
    place = msg[3];
    return true;
}

bool ParseFinish(const Bytes& msg, std::uint8_t& seat, std::uint8_t& place) {
    if (msg.size() != 4 || msg[0] != GAMEMSG_FINISH) return false;
    seat = msg[2];
    place = msg[3];
    return true;
}

bool ParsePlayerQuit(const Bytes& msg, std::uint8_t& seat, std::string& reason) {
    if (msg.size() < 3 || msg[0] != GAMEMSG_PLAYERQUIT) return false;
    seat = msg[2];
    reason = modPublicTools::ConvertBytesToStr(msg, 3);
    return true;
}

bool ParseBroadcast(const Bytes& msg, std::string& text) {
    if (msg.empty() || msg[0] != ROOMMSG_BROADCAST) return false;
    text = modPublicTools::ConvertBytesToStr(msg, 3);
    return true;
}

bool ParseChat(const Bytes& msg, std::vector<std::string>& fields) {
    if (msg.empty() || msg[0] != GAMEMSG_CHAT) return false;
    auto f = modPublicTools::SplitFields(modPublicTools::ConvertBytesToStr(msg, 1));
    if (f.size() < 10) return false;
    fields = std::move(f);
    return true;
}

bool IsThrownItem(int item) {
    return item >= 0 && item < modDaoJuDefine::kItemCount && !modDaoJuDefine::DefaultItem(item).blnUseSelf;
}

bool ParseItemConfirm(const Bytes& msg, ItemConfirm& out) {
    using namespace modDaoJuDefine;
    if (msg.size() < 5 || msg[0] != GAMEMSG_ITEM) return false;
    out = ItemConfirm{};
    out.seat = msg[3];
    out.target = msg[3];
    if (msg[1] == ITEMSUB_FENZU) {
        if (msg.size() != 5) return false;
        out.item = GameMessages::kGroupChange;
        out.group = msg[4];
        return true;
    }
    out.item = ItemOfSubCode(msg[1]);
    out.count = msg[4];
    switch (out.item) {
        case DJ_ZHINANZHEN:
            return msg.size() == 5;
        case DJ_CHONGLIE:
            out.hasGrid = msg.size() == 5 + static_cast<std::size_t>(kGridBytes);
            return out.hasGrid && GameMessages::ReadGrid(msg, 5, out.grid);
        case DJ_JINSHOU:
        case DJ_NAOZHONG:
        case DJ_MENGYAN:
            if (msg.size() != 6) return false;
            out.target = msg[4];
            out.count = msg[5];
            return true;
        case DJ_ZHADAN:
            if (msg.size() < 10) return false;
            out.hasPath = GameMessages::ReadPath(msg, 5, out.path);
            return true;
        case DJ_JINGZI:
        case DJ_ZHANGAI:
            if (msg.size() != 6 + static_cast<std::size_t>(kGridBytes)) return false;
            out.target = msg[4];
            out.count = msg[5];
            out.hasGrid = true;
            return GameMessages::ReadGrid(msg, 6, out.grid);
        default:
            return false;  // the map choice and unknown sub-codes
    }
}

}  // namespace BroadcastParsers
