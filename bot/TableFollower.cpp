#include "bot/TableFollower.h"

#include <algorithm>

#include "core/BroadcastParsers.h"
#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
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
    using namespace UserRecord;
    if (f.size() != static_cast<std::size_t>(kFieldCount)) return;
    if (!modPublicTools::TrimBlanks(f[kWatched]).empty()) return;
    const std::int32_t chair = LeadingNumber::Long(f[kChair]);
    auto& s = game_.SeatUser[((chair % kSeats) + kSeats) % kSeats];
    s.strUserName = f[kName];
    s.lngIconNo = LeadingNumber::Long(f[kIconNo]);
    if (withFlags) {
        s.blnReady = LeadingNumber::Long(f[kReady]) > 0;
        s.blnNetBreak = LeadingNumber::Long(f[kNetBreak]) > 0;
    }
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
    const std::string body = modPublicTools::ConvertBytesToStr(msg, 2);
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
            if (s >= 0) {
                auto& seat = game_.SeatUser[s];
                seat.strUserName.clear();
                seat.lngIconNo = 0;
                seat.blnReady = false;
                seat.blnNetBreak = false;
            }
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
            h.kind = Event::Notice;
            h.text = modPublicTools::ConvertBytesToStr(msg, 3);
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
        case GAMEMSG_READY: {
            std::uint8_t seat = 0;
            if (!BroadcastParsers::ParseReady(msg, seat) || seat >= kSeats) break;
            game_.SeatUser[seat].blnReady = true;
            h.kind = Event::Ready;
            h.seat = seat;
            break;
        }
        case GAMEMSG_REMOVE:
            return OnRemove(msg);
        case GAMEMSG_TIMEOUT: {
            std::uint8_t seat = 0, place = 0;
            if (!BroadcastParsers::ParseTimeOut(msg, seat, place) || IsWatcher() || !GameRunning()) break;
            if (!SeatInPlay(seat)) break;
            game_.SeatUser[seat].blnGameOut = true;
            game_.SeatUser[seat].btePlace = place;
            h.kind = Event::TimeOut;
            h.seat = seat;
            h.place = place;
            break;
        }
        case GAMEMSG_NOTICE:
            h.kind = Event::Notice;
            h.text = modPublicTools::ConvertBytesToStr(msg, 1);
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
    // Bytes 12..17 the groups, 18 and 19 the board's rows and columns, then the board,
    // the number of items and their records.
    constexpr std::size_t kGroups = 12, kRows = 18, kBoard = 20;
    Happening h;
    game_.ResetBoards();
    game_.blnGameSetKnown = true;
    game_.blnGameStopped = false;
    game_.blnShowStart = false;
    for (auto& s : game_.SeatUser)
        if (!s.strUserName.empty()) s.blnGameOut = false;
    game_.blnCanSelect = !IsWatcher();
    for (int s = 0; s < kSeats && kGroups + s < msg.size(); ++s) game_.SeatUser[s].bteFenZu = msg[kGroups + s];
    ++gamesStarted_;
    h.kind = Event::GameStart;
    if (msg.size() < kBoard) return h;
    const int rows = msg[kRows], cols = msg[kRows + 1];
    if (!modGameDefine::BoardSizeFits(rows, cols)) {
        // A board that does not fit: the size notice instead of a board, and no turn.
        h.kind = Event::Notice;
        h.text = "服务器发送的方块阵列数据无法处理！尺寸不符！";
        return h;
    }
    TileGridT board{};
    const std::size_t pos = modGameDefine::StoreBoardBytes(board, msg, kBoard, rows, cols);
    const auto tiles = static_cast<std::uint8_t>(modGameDefine::CountTiles(board));
    for (auto& seat : game_.SeatUser) {
        seat.TileGrid = board;  // every seat starts with the same board, empty seats too
        seat.bteDelFkCount = 0;
        seat.bteLeftFkCount = tiles;
    }
    if (pos < msg.size()) modDaoJuRule::ReadDaoJuList(game_, msg, pos + 1, msg[pos], true);
    return h;
}

void TableFollower::RemovePair(int seat, const LinkPath& path) {
    auto& s = game_.SeatUser[seat];
    const CellPos a = path.First(), b = path.Last();
    s.TileGrid[a.row][a.col] = 0;
    s.TileGrid[b.row][b.col] = 0;
    s.bteDelFkCount = static_cast<std::uint8_t>(std::min(255, s.bteDelFkCount + 2));
    // A counter never wraps below zero, whatever an inconsistent message says.
    s.bteLeftFkCount = static_cast<std::uint8_t>(std::max(0, s.bteLeftFkCount - 2));
}

TableFollower::Happening TableFollower::OnRemove(const Bytes& msg) {
    Happening h;
    GameMessages::RemoveInfo r;
    if (!GameMessages::ParseRemoveBroadcast(msg, r) || r.seat >= kSeats) return h;
    modDaoJuRule::StoreDaoJuCounts(game_, r.seat, msg, 6, msg[5]);
    RemovePair(r.seat, r.path);
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
        if (!game_.blnGameStopped || c.seat >= kSeats) return h;
        if (modPublicTools::TrimBlanks(game_.SeatUser[c.seat].strUserName).empty()) return h;
        game_.SeatUser[c.seat].bteFenZu = c.group;
        h.kind = Event::GroupChanged;
        h.seat = c.seat;
        return h;
    }
    if (game_.blnGameStopped || !SeatInPlay(c.seat)) return h;
    const bool thrown = BroadcastParsers::IsThrownItem(c.item);
    if (thrown && !SeatInPlay(c.target)) return h;
    modDaoJuRule::SetDaoJuCount(game_, c.seat, c.item, c.count);
    switch (c.item) {
        case DJ_CHONGLIE:
            game_.SeatUser[c.seat].TileGrid = c.grid;
            break;
        case DJ_NAOZHONG:
            if (c.target == OwnSeat()) lngNaoZhongTurns_ += 5;
            break;
        case DJ_ZHADAN:
            if (c.hasPath) RemovePair(c.seat, c.path);
            break;
        case DJ_JINGZI:
            game_.SeatUser[c.target].TileGrid = c.grid;
            break;
        case DJ_ZHANGAI: {
            auto& t = game_.SeatUser[c.target];
            t.TileGrid = c.grid;
            t.bteLeftFkCount = static_cast<std::uint8_t>(modGameDefine::CountTiles(c.grid));
            break;
        }
        default:
            break;  // compass, freeze and blindfold change no board
    }
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
    for (const auto& r : GameMessages::ParseEnd(msg))
        if (SeatNamed(r.seat)) h.results.push_back(r);
    game_.ResetBoards();
    game_.blnShowStart = !IsWatcher();
    h.kind = Event::GameEnd;
    return h;
}
