#include "client/room/modRoomMsg.h"

#include <QCursor>
#include <QRect>

#include "client/TableClient.h"
#include "client/game/modGameClock.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/items/modPaint_FenZuBut.h"
#include "client/paint/modPaint_GameBack.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/FrmZelListGm.h"
#include "client/platform/MsgBox.h"
#include "client/platform/SelectFrame.h"
#include "client/platform/ZelChatCtrl.h"
#include "client/room/frmGameSet.h"
#include "client/room/frmUserMenu.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modPublicDefine.h"
#include "client/start/frmMain.h"
#include "core/BroadcastParsers.h"
#include "core/ChatFields.h"
#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/RoomMessages.h"
#include "core/UserRecord.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"
#include "core/modTableModel.h"
#include "core/modTableState.h"

using namespace modRoomMsgDefine;
using modPublicTools::SplitFields;

namespace {
bool IsBlank(const std::string& s) { return modPublicTools::TrimBlanks(s).empty(); }
}  // namespace

modRoomMsg::modRoomMsg(TableClient& client) : client_(client) {}

modRoomMsg::~modRoomMsg() { delete frmGameSetWnd_.data(); }

frmGameSet* modRoomMsg::GameSetWindow() const { return frmGameSetWnd_.data(); }

void modRoomMsg::ExecRoomMsg(const Bytes& msg) {
    if (!client_.mainForm || msg.size() < 2) return;
    const std::uint8_t sub = msg[1];
    switch (msg[0]) {
        case ROOMMSG_TABLE:
            ExecTableMsg(msg);
            break;
        case ROOMMSG_USERSTATE:
            ExecUserStateMsg(sub, RoomMessages::RequestText(msg));
            break;
        case ROOMMSG_USERLEAVE:
            if (sub == 0) ExecUserLeave(RoomMessages::RequestText(msg));
            break;
        case ROOMMSG_GAMESETASK:
            ExecGameSetAsk(msg);
            break;
        case ROOMMSG_GAMESETAGREE:
            ExecGameSetAgree(msg);
            break;
        case ROOMMSG_BROADCAST: {
            std::string text;
            if (BroadcastParsers::ParseBroadcast(msg, text) && !text.empty())
                client_.mainForm->ZelChat->ShowBroadcast(text);
            break;
        }
        case ROOMMSG_TABLESTATE:
            ExecTableState(msg);
            break;
        default:
            break;
    }
}

void modRoomMsg::ExecTableMsg(const Bytes& msg) {
    frmMain& f = *client_.mainForm;
    const std::string text = RoomMessages::RequestText(msg);
    switch (msg[1]) {
        case TABLE_WATCHER_IN: {
            const auto rec = UserRecord::Fields(text);
            if (rec.empty() || IsBlank(rec[UserRecord::kWatched])) return;
            const std::string& name = rec[UserRecord::kName];
            if (!f.lstUser->GetUser(name).empty()) return;
            f.lstUser->AddUser(text);
            ShowNotice(name + " 进来了，正在旁观 " + rec[UserRecord::kWatched] + " 游戏...");
            f.ZelChat->ChangeUser("ADD", name);
            break;
        }
        case TABLE_RESET:
            ResetTable();
            break;
        case TABLE_USERLIST:
            f.lstUser->ClearList();
            f.lstUser->LoadList(text);
            break;
        case TABLE_IDENTITY: {
            std::string name, seatName;
            if (!BroadcastParsers::ParseIdentity(msg, name, seatName)) return;
            client_.strCurUserName = name;
            client_.game.strSeatUserName = seatName;
            f.lstUser->SetLocalUser(name);
            f.ZelChat->SetCurUserName(name);
            break;
        }
        case TABLE_PLAYER_IN: {
            const auto rec = UserRecord::Fields(text);
            if (rec.empty()) return;
            const std::string& name = rec[UserRecord::kName];
            if (!f.lstUser->GetUser(name).empty()) return;
            f.lstUser->AddUser(text);
            ShowNotice(name + " 进来了...");
            f.ZelChat->ChangeUser("ADD", name);
            const int seat = SeatPlayer(rec);
            if (seat >= 0) client_.paintUser->PaintUserSeat(seat);
            break;
        }
        default:
            break;
    }
}

void modRoomMsg::ExecUserStateMsg(std::uint8_t sub, const std::string& text) {
    frmMain& f = *client_.mainForm;
    auto& g = client_.game;
    switch (sub) {
        case USERSTATE_BACK:
        case USERSTATE_DROPPED: {
            const int seat = g.FindSeat(text);
            if (seat < 0) return;
            const bool dropped = sub == USERSTATE_DROPPED;
            g.SeatUser[seat].blnNetBreak = dropped;
            client_.paintUser->PaintUserNetBreak(seat);
            ShowNotice(dropped ? "不好，" + text + " 掉线了..." : "哈哈，" + text + " 终于上线了...");
            break;
        }
        case USERSTATE_WATCHER_GONE:
            if (f.lstUser->GetUser(text).empty()) return;
            f.lstUser->RemoveUser(text);
            ShowNotice("旁观用户 " + text + " 走了...");
            f.ZelChat->ChangeUser("DEL", text);
            break;
        case USERSTATE_UPDATE: {
            f.lstUser->UpdateUser(text);
            const auto upd = SplitFields(text);
            if (upd.size() != UserRecord::kUpdateFieldCount) return;
            const int seat = g.FindSeat(upd[UserRecord::kUpdName]);
            if (seat >= 0)
                g.SeatUser[seat].strUserTitle =
                    client_.publicDefine->GetUserTitle(LeadingNumber::Long(upd[UserRecord::kUpdLevel]));
            break;
        }
        default:
            break;
    }
}

void modRoomMsg::ExecUserLeave(const std::string& name) {
    frmMain& f = *client_.mainForm;
    if (f.lstUser->GetUser(name).empty()) return;
    f.lstUser->RemoveUser(name);
    ShowNotice(name + " 走了...");
    f.ZelChat->ChangeUser("DEL", name);
    const int seat = client_.game.FindSeat(name);
    if (seat < 0) return;
    modTableModel::FreeSeat(client_.game, seat);
    client_.paintUser->PaintUserSeat(seat);
    client_.paintUser->PaintUserHand(seat);
    client_.paintUser->PaintUserNetBreak(seat);
}

void modRoomMsg::ResetTable() {
    frmMain& f = *client_.mainForm;
    client_.publicDefine->InitPublicDefine();
    client_.msgObjects->CloseMsgWindows(0);
    client_.msgObjects->InitMsgObject();
    client_.game.InitGameDefine();
    client_.gameClock->StopTurnClock();
    f.shpSelectFlag->hide();
    client_.paintGameBack->InitGameBack();
    f.PaintWindowBack();
    f.RedrawAllSeats();
    client_.paintDaoJuButton->ShowDaoJuButton(false);
    client_.paintFenZuBut->ShowFenZuBut(false);
    f.lstUser->ClearList();
    f.ZelChat->ClearUsers();
    f.ZelChat->SetTalkTo(ChatFields::kEveryone);
}

int modRoomMsg::SeatPlayer(const std::vector<std::string>& rec) {
    const int seat = modTableModel::SeatFromRecord(client_.game, rec);
    if (seat >= 0)
        client_.game.SeatUser[seat].strUserTitle =
            client_.publicDefine->GetUserTitle(LeadingNumber::Long(rec[UserRecord::kLevel]));
    return seat;
}

void modRoomMsg::lstUser_OnListLoaded(const std::string& strNames) {
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    const auto names = SplitFields(strNames);
    for (const auto& name : names) f.ZelChat->ChangeUser("ADD", name);
    for (const auto& name : names) {
        const auto rec = UserRecord::Fields(f.lstUser->GetUser(name));
        modTableModel::TakeRecordFlags(client_.game, SeatPlayer(rec), rec);
    }
    client_.publicDefine->SetCurSeatInfo();
    f.RedrawAllSeats();
}

void modRoomMsg::lstUser_OnUserClicked(bool blnContext, const std::string& strName, const std::string& strRecord) {
    if (!client_.mainForm) return;
    if (!blnContext) {
        client_.mainForm->ZelChat->SetTalkTo(strName);
        return;
    }
    // The card of another record never shows under this user's name.
    if (ShowUserCard(strRecord)) userMenu_->PopupAt(QCursor::pos());
}

bool modRoomMsg::ShowUserCard(const std::string& strUserInfo) {
    const auto f = UserRecord::Fields(strUserInfo);
    if (f.empty()) return false;
    using namespace UserRecord;
    const std::string identity = client_.publicDefine->GetLevelName(LeadingNumber::Long(f[kIconNo]));
    const std::string title = client_.publicDefine->GetUserTitle(LeadingNumber::Long(f[kLevel]));
    const std::string scoreWord = client_.bteScoreKind != 0 ? "经验:" : "积分:";
    const std::vector<std::string> captions = {
        f[kName] + "   身份：" + identity,
        "游戏ID：" + f[kUserId],
        "旁观对象：" + f[kWatched],
        "-",
        "与他（她）交谈",
        "-",
        "级别:" + title + "   " + "胜率:" + f[kWinRate] + "%   " + "逃跑率:" + f[kEscapeRate] + "%",
        scoreWord + f[kScore] + "   " + "胜:" + f[kWins] + "   " + "输:" + f[kLosses] + "   " + "和:" + f[kDraws] +
            "   " + "总局数:" + f[kGames],
    };
    if (!userMenu_) userMenu_ = std::make_unique<frmUserMenu>(client_);
    userMenu_->SetItems(captions, f[kName]);
    return true;
}

void modRoomMsg::ExecUserMenu(int lngUserMenuItemIdx) {
    if (!userMenu_ || !client_.mainForm) return;
    const std::string name = userMenu_->Tag(lngUserMenuItemIdx);
    if (!name.empty() && lngUserMenuItemIdx == 4) client_.mainForm->ZelChat->SetTalkTo(name);
}

void modRoomMsg::ZelChat_OnSendChat(const std::array<std::string, 10>& fields) {
    client_.SendMessage(GameMessages::Chat({fields.begin(), fields.end()}));
}

void modRoomMsg::ExecGameSetAsk(const Bytes& msg) {
    BroadcastParsers::SettingsAsk ask;
    if (!BroadcastParsers::ParseSettingsAsk(msg, ask)) return;  // fewer than six fields
    auto& g = client_.game;
    if (!ask.answerDue) {  // nothing to settle: the start button is armed
        g.blnGameSetKnown = false;
        g.blnShowStart = true;
        client_.gameClock->UpdateStartButton();
        return;
    }
    if (ask.isMaster) OpenGameSet(true, ask.settingsText);
    else if (!ask.masterDecided)
        client_.msgObjects->ShowMsgWindow(0, client_.mainForm.get(), 0, "等待桌主进行本桌游戏设置...", "", 0, "", "",
                                          false);
    else OpenGameSet(false, ask.settingsText);
}

void modRoomMsg::ExecGameSetAgree(const Bytes& msg) {
    BroadcastParsers::SettingsAgree agree;
    if (!BroadcastParsers::ParseSettingsAgree(msg, agree)) return;  // no name
    auto& g = client_.game;
    const int seat = g.FindSeat(agree.name);
    if (seat < 0) return;
    g.SeatUser[seat].blnReady = true;
    client_.paintUser->PaintUserHand(seat);
    client_.msgObjects->CloseMsgWindows(0);
    if (agree.name != client_.strCurUserName && agree.carriesSettings) {
        if (!OpenGameSet(false, agree.settingsText)) return;  // the player has left
    }
    if (agree.sub > 1) {
        for (int s = 0; s < GameSize::kSeatCount; ++s) {
            g.SeatUser[s].blnReady = false;
            client_.paintUser->PaintUserHand(s);
        }
    }
}

bool modRoomMsg::OpenGameSet(bool blnDeskMaster, const std::string& strAllGameSetInfo) {
    // A new request takes the place of a dialog still open.
    if (frmGameSetWnd_) frmGameSetWnd_->Unload();
    auto* w = new frmGameSet(client_, client_.mainForm.get());
    bool shown = false;
    w->SetInitGameSetInfo(blnDeskMaster, strAllGameSetInfo, shown);
    if (shown) {
        frmGameSetWnd_ = w;
        w->OnUnload = [this, w] {
            if (frmGameSetWnd_.data() == w) frmGameSetWnd_ = nullptr;
        };
        // Over the middle of the table, where the player is looking.
        w->adjustSize();
        const QRect table = client_.mainForm->frameGeometry();
        w->move(table.center() - QPoint(w->width() / 2, w->height() / 2));
        w->show();
        return true;
    }
    w->Unload();
    // A name is never empty once seated; before that there is nobody to take away.
    if (!client_.strCurUserName.empty()) client_.SendMessage(RoomMessages::LeaveRequest(client_.strCurUserName));
    return false;
}

void modRoomMsg::ExecTableState(const Bytes& msg) {
    frmMain& f = *client_.mainForm;
    auto& g = client_.game;
    g.blnGameSetKnown = true;
    g.ResetBoards();
    client_.gameClock->StopTurnClock();
    f.shpSelectFlag->hide();
    switch (modTableState::DecodeTableState(g, msg)) {
        case TableStateResult::NoGame:
            client_.gameClock->StopTurnClock();
            client_.gameClock->UpdateStartButton();
            break;
        case TableStateResult::GameRunning:
            client_.gameClock->StartTurnClock();
            break;
        case TableStateResult::SizeError:
            MsgBox::Show(&f, "服务器发送的方块阵列数据无法处理！尺寸不符！", client_.strGameCaption,
                         MsgBox::Icon::Information);
            break;
        case TableStateResult::TooShort:
            break;
    }
    f.RedrawAllSeats();
}

void modRoomMsg::ShowNotice(const std::string& text) { client_.mainForm->ZelChat->ShowNotice(text); }
