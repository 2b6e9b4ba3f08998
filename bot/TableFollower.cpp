#include "bot/TableFollower.h"

#include <algorithm>

#include "core/BroadcastParsers.h"
#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
#include "core/modTableModel.h"
#include "core/modTableState.h"

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;
using namespace modDaoJuDefine;

namespace {
constexpr int kSeats = GameSize::kSeatCount;
}

TableFollower::TableFollower() { ResetTable(); }

TableFollower::Happening TableFollower::Apply(const Bytes& msg) {
    if (msg.empty()) return {};
    return MsgRoute::IsGameMessage(msg[0]) ? ExecGameMsg(msg) : ExecRoomMsg(msg);
}

bool TableFollower::Playing() const {
    const int s = OwnSeat();
    return GameRunning() && !IsWatcher() && s >= 0 && SeatInPlay(s);
}

bool TableFollower::SeatNamed(int seat) const {
    return seat >= 0 && seat < kSeats && !game_.SeatUser[seat].strUserName.empty();
}

bool TableFollower::SeatInPlay(int seat) const { return SeatNamed(seat) && !game_.SeatUser[seat].blnGameOut; }

Bytes TableFollower::PressStart() {
    game_.blnShowStart = false;
    if (IsWatcher()) return {};
    if (game_.blnGameSetKnown) {
        if (OwnSeat() < 0) return {};
        return GameMessages::ReadyRequest(static_cast<std::uint8_t>(OwnSeat()));
    }
    return RoomMessages::GameSetAccept(strCurUserName_);
}

double TableFollower::NextTurnSeconds(double fullTurnSeconds) {
    if (lngNaoZhongTurns_ < 1) return fullTurnSeconds;
    --lngNaoZhongTurns_;
    return fullTurnSeconds * 2.0 / 3.0;
}

// ---- the room -------------------------------------------------------------------------

void TableFollower::ResetTable() {
    game_.InitGameDefine();
    game_.blnGameSetKnown = false;
    game_.blnShowStart = false;
    game_.blnIsWatcher = false;
    users_.clear();
    seatKnown_ = false;
}

void TableFollower::SeatFromRecord(const std::vector<std::string>& f, bool withFlags) {
    const int seat = modTableModel::SeatFromRecord(game_, f);
    if (withFlags) modTableModel::TakeRecordFlags(game_, seat, f);
}

void TableFollower::LoadList(const std::string& listText) {
    users_.clear();
    std::vector<std::string> names;
    for (const auto& record : UserRecord::SplitList(listText)) {
        auto f = UserRecord::Fields(record);
        if (f.empty()) continue;
        if (!users_.count(f[UserRecord::kName])) names.push_back(f[UserRecord::kName]);
        users_[f[UserRecord::kName]] = std::move(f);
    }
    for (const auto& name : names) SeatFromRecord(users_[name], true);
    SetCurSeatInfo();
}

void TableFollower::SetCurSeatInfo() {
    const int s = game_.FindSeat(game_.strSeatUserName);
    if (s < 0) return;
    game_.bteCurUserNo = static_cast<std::uint8_t>(s);
    for (int k = 0; k < kSeats; ++k) game_.bteSeatPosNo[(s + k) % kSeats] = static_cast<std::uint8_t>(k);
    game_.blnIsWatcher = game_.strSeatUserName != strCurUserName_;
    seatKnown_ = true;
}

TableFollower::Happening TableFollower::ExecRoomMsg(const Bytes& msg) {
    Happening h;
    if (msg.size() < 2) return h;
    const std::uint8_t sub = msg[1];
    const std::string body = RoomMessages::RequestText(msg);
    switch (msg[0]) {
        case ROOMMSG_TABLE:
            if (sub == TABLE_RESET) {
                ResetTable();
                h.kind = Event::Reset;
            } else if (sub == TABLE_IDENTITY) {
                std::string name, seatName;
                if (!BroadcastParsers::ParseIdentity(msg, name, seatName)) break;
                strCurUserName_ = name;
                game_.strSeatUserName = seatName;
                // A spectator never acts as a player, even before its watched seat is known.
                game_.blnIsWatcher = seatName != name;
                h.kind = Event::Identity;
            } else if (sub == TABLE_USERLIST) {
                LoadList(body);
                h.kind = Event::SeatsLoaded;
            } else if (sub == TABLE_PLAYER_IN || sub == TABLE_WATCHER_IN) {
                auto f = UserRecord::Fields(body);
                if (f.empty() || users_.count(f[UserRecord::kName])) break;
                const bool spectator = !modPublicTools::TrimBlanks(f[UserRecord::kWatched]).empty();
                if (sub == TABLE_WATCHER_IN && !spectator) break;
                if (sub == TABLE_PLAYER_IN) SeatFromRecord(f, false);
                h.text = f[UserRecord::kName];
                users_[h.text] = std::move(f);
                h.kind = Event::SeatsChanged;
            }
            break;
        case ROOMMSG_USERSTATE: {
            const int s = game_.FindSeat(body);
            if (sub == USERSTATE_BACK || sub == USERSTATE_DROPPED) {
                if (s < 0) break;
                game_.SeatUser[s].blnNetBreak = sub == USERSTATE_DROPPED;
                h.kind = Event::SeatsChanged;
                h.seat = s;
            } else if (sub == USERSTATE_WATCHER_GONE) {
                if (users_.erase(body)) h.kind = Event::SeatsChanged;
            }
            break;
        }
        case ROOMMSG_USERLEAVE: {
            if (sub != 0 || !users_.erase(body)) break;
            const int s = game_.FindSeat(body);
            modTableModel::FreeSeat(game_, s);
            h.kind = Event::SeatsChanged;
            h.seat = s;
            h.text = body;
            break;
        }
        case ROOMMSG_GAMESETASK:
            return OnSettingsAsk(msg);
        case ROOMMSG_GAMESETAGREE:
            return OnSettingsAgree(msg);
        case ROOMMSG_BROADCAST:
            if (BroadcastParsers::ParseBroadcast(msg, h.text)) h.kind = Event::Notice;
            break;
        case ROOMMSG_TABLESTATE:
            return OnTableState(msg);
        default:
            break;
    }
    return h;
}

TableFollower::Happening TableFollower::OnSettingsAsk(const Bytes& msg) {
    Happening h;
    BroadcastParsers::SettingsAsk ask;
    if (!BroadcastParsers::ParseSettingsAsk(msg, ask)) return h;
    if (!ask.answerDue) {
        // Nothing to set: only the start button.
        game_.blnGameSetKnown = false;
        game_.blnShowStart = !IsWatcher();
        h.kind = Event::StartButton;
        return h;
    }
    h.settings = ask.settings;
    if (ask.isMaster) h.kind = Event::SettingsMaster;
    else if (!ask.masterDecided) h.kind = Event::SettingsWait;
    else h.kind = Event::SettingsShown;
    return h;
}

TableFollower::Happening TableFollower::OnSettingsAgree(const Bytes& msg) {
    Happening h;
    BroadcastParsers::SettingsAgree agree;
    if (!BroadcastParsers::ParseSettingsAgree(msg, agree)) return h;
    const int s = game_.FindSeat(agree.name);
    if (s < 0) return h;
    game_.SeatUser[s].blnReady = true;
    h.kind = Event::Ready;
    h.seat = s;
    if (agree.name != strCurUserName_ && agree.carriesSettings) {
        h.kind = Event::SettingsShown;
        h.settings = agree.settings;
        return h;  // a dialog that cannot be shown makes the player leave: nothing more here
    }
    if (agree.sub > 1)
        for (auto& seat : game_.SeatUser) seat.blnReady = false;
    return h;
}

TableFollower::Happening TableFollower::OnTableState(const Bytes& msg) {
    Happening h;
    game_.blnGameSetKnown = true;
    game_.ResetBoards();
    const TableStateResult r = modTableState::DecodeTableState(game_, msg);
    if (r == TableStateResult::TooShort || r == TableStateResult::SizeError) return h;
    h.kind = Event::Snapshot;
    h.running = r == TableStateResult::GameRunning;
    return h;
}

// ---- the game -------------------------------------------------------------------------

TableFollower::Happening TableFollower::ExecGameMsg(const Bytes& msg) {
    Happening h;
    switch (msg[0]) {
        case GAMEMSG_CHAT:
            if (BroadcastParsers::ParseChat(msg, h.fields)) h.kind = Event::Chat;
            break;
        case GAMEMSG_PLAYERQUIT: {
            std::uint8_t seat = 0;
            if (!BroadcastParsers::ParsePlayerQuit(msg, seat, h.text)) break;
            h.kind = Event::PlayerQuit;
            h.seat = seat;
            break;
        }
        case GAMEMSG_START:
            return OnStart(msg);
        case GAMEMSG_READY:
            h.seat = modTableModel::ApplyReady(game_, msg);
            if (h.seat >= 0) h.kind = Event::Ready;
            break;
        case GAMEMSG_REMOVE:
            return OnRemove(msg);
        case GAMEMSG_TIMEOUT: {
            std::uint8_t seat = 0, place = 0;
            if (!BroadcastParsers::ParseTimeOut(msg, seat, place) || IsWatcher() || !GameRunning()) break;
            if (!modTableModel::PutSeatOut(game_, seat, place)) break;
            h.kind = Event::TimeOut;
            h.seat = seat;
            h.place = place;
            break;
        }
        case GAMEMSG_NOTICE:
            if (GameMessages::ParseNotice(msg, h.text)) h.kind = Event::Notice;
            break;
        case GAMEMSG_END:
            return OnEnd(msg);
        case GAMEMSG_ITEM:
            return OnItem(msg);
        default:
            break;  // the watch flag and anything else
    }
    return h;
}

TableFollower::Happening TableFollower::OnStart(const Bytes& msg) {
    Happening h;
    const auto dealt = modTableModel::ApplyGameStart(game_, msg);
    ++gamesStarted_;
    h.kind = Event::GameStart;
    if (dealt == modTableModel::StartResult::SizeError) {
        // A board that does not fit: the size notice instead of a board, and no turn.
        h.kind = Event::Notice;
        h.text = "服务器发送的方块阵列数据无法处理！尺寸不符！";
    }
    return h;
}

TableFollower::Happening TableFollower::OnRemove(const Bytes& msg) {
    Happening h;
    GameMessages::RemoveInfo r;
    if (!modTableModel::ApplyRemoval(game_, msg, r) || r.seat >= kSeats || !r.hasPath) return h;
    h.kind = Event::Removal;
    h.seat = r.seat;
    h.path = r.path;
    h.comboA = r.comboA;
    h.comboB = r.comboB;
    return h;
}

TableFollower::Happening TableFollower::OnItem(const Bytes& msg) {
    Happening h;
    BroadcastParsers::ItemConfirm c;
    if (!BroadcastParsers::ParseItemConfirm(msg, c)) return h;
    if (c.item == GameMessages::kGroupChange) {
        if (!modTableModel::ApplyGroupChange(game_, c)) return h;
        h.kind = Event::GroupChanged;
        h.seat = c.seat;
        return h;
    }
    if (!modTableModel::ItemTakesEffect(game_, c)) return h;
    modDaoJuRule::SetDaoJuCount(game_, c.seat, c.item, c.count);
    modTableModel::ApplyItemBoards(game_, c);
    if (c.item == DJ_NAOZHONG && c.target == OwnSeat()) lngNaoZhongTurns_ += 5;
    h.kind = Event::ItemUsed;
    h.item = c.item;
    h.seat = c.seat;
    h.target = c.target;
    if (c.hasPath) h.path = c.path;
    return h;
}

TableFollower::Happening TableFollower::OnEnd(const Bytes& msg) {
    Happening h;
    game_.blnGameStopped = true;
    h.results = modTableModel::NamedResults(game_, msg);
    game_.ResetBoards();
    game_.blnShowStart = !IsWatcher();
    h.kind = Event::GameEnd;
    return h;
}
