#include "client/game/modGameMsg.h"

#include <algorithm>

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/board/modSelectFk.h"
#include "client/game/modGameClock.h"
#include "client/items/modDaoJuEffect.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/items/modPaint_FenZuBut.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/EventWait.h"
#include "client/platform/SelectFrame.h"
#include "client/platform/ZelChatCtrl.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/start/frmMain.h"
#include "core/BroadcastParsers.h"
#include "core/ChatFields.h"
#include "core/GameMessages.h"
#include "core/TableExit.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
#include "core/modTableModel.h"

using namespace modGameMsgDefine;
using namespace modDaoJuDefine;

namespace {

constexpr int kSeats = GameSize::kSeatCount;

}  // namespace

modGameMsg::modGameMsg(TableClient& client) : client_(client) {
    ShowGameMsgWindow = [this](const std::string& note, const std::string& caption) {
        if (client_.mainForm)
            client_.msgObjects->ShowMsgWindow(0, client_.mainForm.get(), 1, note, caption, 10, "确定", "", true);
    };
    ShowChatNotice = [this](const std::string& line) {
        if (client_.mainForm) client_.mainForm->ZelChat->ShowNotice(line);
    };
    ShowChatRecord = [this](const std::array<std::string, 8>& fields) {
        if (client_.mainForm) client_.mainForm->ZelChat->ShowChatMsg(fields);
    };
}

void modGameMsg::ExecGameMsg(const Bytes& msg) {
    if (msg.empty() || !client_.mainForm) return;
    switch (msg[0]) {
        case GAMEMSG_CHAT:
            ExecChat(msg);
            break;
        case GAMEMSG_PLAYERQUIT:
            ExecPlayerQuit(msg);
            break;
        case GAMEMSG_START:
            ExecGameStart(msg);
            break;
        case GAMEMSG_READY:
            ExecReady(msg);
            break;
        case GAMEMSG_REMOVE:
            ExecRemove(msg);
            break;
        case GAMEMSG_TIMEOUT:
            ExecTimeOut(msg);
            break;
        case GAMEMSG_NOTICE:
            ExecNotice(msg);
            break;
        case GAMEMSG_END:
            ExecGameEnd(msg);
            break;
        case GAMEMSG_FINISH:
            ExecFinish(msg);
            break;
        case GAMEMSG_WATCH:
            ExecWatch(msg);
            break;
        case GAMEMSG_ITEM:
            ExecItemMsg(msg);
            break;
        default:
            break;  // no other game message means anything to the table
    }
}

bool modGameMsg::IsLocalSeat(int seat) const { return seat == client_.game.bteCurUserNo; }

void modGameMsg::ShowGameNotice(const std::string& strNote) {
    if (ShowGameMsgWindow) ShowGameMsgWindow(strNote, client_.strGameCaption);
}

void modGameMsg::ExecChat(const Bytes& msg) {
    std::vector<std::string> fields;
    if (!BroadcastParsers::ParseChat(msg, fields)) return;
    std::array<std::string, 8> shown;
    for (int i = 0; i < 8; ++i) shown[i] = fields[ChatFields::kSender + i];
    if (ShowChatRecord) ShowChatRecord(shown);
}

void modGameMsg::ExecPlayerQuit(const Bytes& msg) {
    std::uint8_t seat = 0;
    std::string reason;
    if (!BroadcastParsers::ParsePlayerQuit(msg, seat, reason) || seat >= kSeats) return;
    const auto& g = client_.game;
    if (ShowGameMsgWindow)
        ShowGameMsgWindow(g.SeatUser[seat].strUserName + " 不能继续玩下去，原因：" + reason,
                          client_.strGameCaption + "系统提示");
    // The local player cannot go on: the client leaves the table.
    if (IsLocalSeat(seat) && !g.blnIsWatcher && client_.mainForm) client_.mainForm->Unload(TableExit::CannotGoOn);
}

void modGameMsg::ExecGameStart(const Bytes& msg) {
    // 1-7. A fresh game in the table's store: every named seat plays, a watcher never
    // selects, the groups, one board for every seat, the item settings.
    const auto dealt = modTableModel::ApplyGameStart(client_.game, msg);
    client_.selectFk->ClearSelection();
    // The start button has done its work once the game is on; a player whose agreement
    // to the table settings counted as ready never pressed it.
    client_.gameClock->UpdateStartButton();

    // 4. A board that does not fit the grid (or none at all) gives no game to show.
    if (dealt == modTableModel::StartResult::SizeError) ShowGameNotice(kBoardSizeWrong);
    if (dealt != modTableModel::StartResult::Dealt) return;

    // 8. Sound, the whole window, the first turn.
    client_.mainForm->PlayGameSound(4);
    client_.mainForm->RedrawAllSeats();
    client_.gameClock->StartTurnClock();
}

void modGameMsg::ExecReady(const Bytes& msg) {
    const int seat = modTableModel::ApplyReady(client_.game, msg);
    if (seat >= 0) client_.paintUser->PaintUserHand(seat);
}

void modGameMsg::ExecRemove(const Bytes& msg) {
    // 1-4. Seat, combo, item counts and path must at least begin; the mover's counts are
    // stored and a whole path takes the pair off the seat's board.
    GameMessages::RemoveInfo r;
    if (!modTableModel::ApplyRemoval(client_.game, msg, r)) return;
    const int seat = r.seat;
    const bool validSeat = seat < kSeats;
    const bool removed = validSeat && r.hasPath;
    strLianJiText = modTableModel::ComboText(r);
    if (removed) client_.paintUser->PaintUserFkCount(seat);

    // 5. The own item bar and the removal sound.
    const bool local = validSeat && IsLocalSeat(seat);
    if (local) {
        client_.paintDaoJuButton->RefreshDaoJuButton();
        client_.mainForm->PlayGameSound(0);
    }

    // 6-7. The removal on screen and the combo banner.
    if (removed) client_.paintFangKuai->ShowRemoval(seat, r.path);
    if (validSeat && !strLianJiText.empty()) client_.lianJiObjects->StartLianJiAni(seat, strLianJiText);

    // 8. The next turn, unless the own board has no move left.
    if (!local) return;
    if (CheckNoSolution(kNoSolutionHurry, true)) return;
    // A cleared board has no next turn: a clock running on it would report a time-out
    // for a player who has finished.
    if (client_.game.SeatUser[seat].bteLeftFkCount == 0) return;
    client_.gameClock->StartTurnClock();
}

void modGameMsg::ExecTimeOut(const Bytes& msg) {
    const auto& g = client_.game;
    std::uint8_t seat = 0, place = 0;
    if (!BroadcastParsers::ParseTimeOut(msg, seat, place) || g.blnIsWatcher || g.blnGameStopped) return;
    if (!PutSeatOut(seat, place)) return;
    if (ShowChatNotice) ShowChatNotice(g.SeatUser[seat].strUserName + " 时间耗尽...");
}

void modGameMsg::ExecFinish(const Bytes& msg) {
    // The server's chat line tells the table; the board shows the place.
    std::uint8_t seat = 0, place = 0;
    if (BroadcastParsers::ParseFinish(msg, seat, place) && !client_.game.blnGameStopped) PutSeatOut(seat, place);
}

bool modGameMsg::PutSeatOut(int seat, std::uint8_t place) {
    if (!modTableModel::PutSeatOut(client_.game, seat, place)) return false;
    client_.paintUser->PaintUserScore(seat, place, 0);
    if (IsLocalSeat(seat)) {
        client_.gameClock->StopTurnClock();
        client_.selectFk->ClearSelection();  // no selection is left on a board that is out
    }
    return true;
}

void modGameMsg::ExecNotice(const Bytes& msg) {
    std::string text;
    if (GameMessages::ParseNotice(msg, text)) ShowGameNotice(text);
}

void modGameMsg::ExecGameEnd(const Bytes& msg) {
    auto& g = client_.game;
    frmMain& f = *client_.mainForm;
    // 1. No more turns.
    client_.gameClock->StopTurnClock();
    f.shpSelectFlag->hide();
    g.blnGameStopped = true;

    // 2. Group and item buttons for the time between games.
    if (g.blnIsWatcher) {
        client_.paintFenZuBut->ShowFenZuBut(false);
        client_.paintDaoJuButton->ShowDaoJuButton(false);
    } else {
        client_.paintFenZuBut->RefreshFenZuBut();
        client_.paintDaoJuButton->SetDaoJuButtonState(true);
    }

    // 3-4. The results, one record of seat, place and score each.
    f.PlayGameSound(1);
    for (const auto& r : modTableModel::NamedResults(g, msg)) {
        client_.paintUser->PaintUserScore(r.seat, r.place, r.score);
        if (ShowChatNotice) ShowChatNotice(g.SeatUser[r.seat].strUserName + "得分：" + std::to_string(r.score));
    }

    // 5. Groups shown again; the boards are cleared in the store.
    for (int s = 0; s < kSeats; ++s)
        if (!g.SeatUser[s].strUserName.empty()) client_.paintUser->PaintUserFenZu(s);
    g.ResetBoards();
    client_.selectFk->ClearSelection();

    // 6. The results stay on screen for a while; the window keeps working meanwhile.
    if (!DelayMilliseconds(client_, lngEndDelayTime)) return;
    // A game that started during the pause keeps its boards and its hidden start button.
    if (!g.blnGameStopped || !client_.mainForm || client_.mainForm->Unloaded()) return;

    // 7. Empty boards and the start button.
    for (int s = 0; s < kSeats; ++s)
        if (!g.SeatUser[s].strUserName.empty()) client_.paintFangKuai->DrawSeatBoardBack(s);
    if (g.bteCurUserNo < kSeats) client_.paintUser->PaintUserFkCount(g.bteCurUserNo);
    g.blnShowStart = !g.blnIsWatcher;
    client_.gameClock->UpdateStartButton();
}

void modGameMsg::ExecWatch(const Bytes& msg) {
    // The watched player's allow-watch setting: accepted, but nothing on this table
    // depends on it.
    const auto& g = client_.game;
    bool allow = false;
    if (!GameMessages::ParseWatchFlag(msg, allow) || !g.blnGameSetKnown || !g.blnIsWatcher) return;
}

void modGameMsg::ExecItemMsg(const Bytes& msg) {
    BroadcastParsers::ItemConfirm c;
    if (!BroadcastParsers::ParseItemConfirm(msg, c)) return;  // a length that fits no layout
    if (c.item == GameMessages::kGroupChange) {
        ExecFenZu(c);
        return;
    }
    ExecDaoJu(c);
}

void modGameMsg::ExecDaoJu(const BroadcastParsers::ItemConfirm& c) {
    auto& g = client_.game;
    // 1. A game runs; the user, and for a thrown item the target, must be playing.
    if (!modTableModel::ItemTakesEffect(g, c)) return;
    const int item = c.item, user = c.seat, target = c.target;

    // 2-4. The chat line, the sound and the flight of the item.
    const std::string& itemName = g.g_DaoJu[item].strName;
    const std::string line =
        BroadcastParsers::IsThrownItem(item)
            ? g.SeatUser[user].strUserName + " 对 " + g.SeatUser[target].strUserName + " 使用了道具：" + itemName
            : g.SeatUser[user].strUserName + " 使用了道具：" + itemName;
    if (ShowChatNotice) ShowChatNotice(line);
    client_.mainForm->PlayGameSound(2);
    client_.daoJuObjects->StartDaoJuAni(static_cast<std::uint8_t>(item), static_cast<std::uint8_t>(user),
                                        static_cast<std::uint8_t>(target));

    // 5-6. The user's new count of the item.
    modDaoJuRule::SetDaoJuCount(g, user, item, c.count);
    if (IsLocalSeat(user)) client_.paintDaoJuButton->PaintDaoJuButton(item);

    // 7. The item's own effect.
    ExecDaoJuEffect(c);
}

void modGameMsg::ExecDaoJuEffect(const BroadcastParsers::ItemConfirm& c) {
    auto& board = *client_.paintFangKuai;
    const int user = c.seat, target = c.target;
    // The new grid of a rearrange, mirror or obstacle, or the bomb's pair, in the store.
    const bool boardChanged = modTableModel::ApplyItemBoards(client_.game, c);
    switch (c.item) {
        case DJ_ZHINANZHEN:
            if (IsLocalSeat(user)) ShowHint();
            break;
        case DJ_CHONGLIE:
            board.DrawSeatBoard(user, false);
            client_.paintUser->PaintUserFkCount(user);
            if (IsLocalSeat(user)) CheckNoSolution(kNoSolutionAgain, true);
            break;
        case DJ_JINSHOU:
            if (IsLocalSeat(target)) client_.daoJuEffect->StartJinShou(5);
            break;
        case DJ_NAOZHONG:
            if (IsLocalSeat(target)) client_.gameClock->lngNaoZhongTurns += 5;
            break;
        case DJ_ZHADAN:
            // The bomb's pair goes only when the message holds exactly its path.
            if (!boardChanged) break;
            client_.paintUser->PaintUserFkCount(user);
            client_.mainForm->PlayGameSound(0);
            board.ShowRemoval(user, c.path);
            // The own bomb is followed by the board test; any bomb ends the selection.
            if (!(IsLocalSeat(user) && CheckNoSolution(kNoSolutionHurry, true))) client_.selectFk->ClearSelection();
            break;
        case DJ_MENGYAN:
            if (IsLocalSeat(target)) client_.daoJuEffect->StartMengYan(5);
            break;
        case DJ_JINGZI:
            board.DrawSeatBoardBack(target);
            board.DrawSeatBoard(target, false);
            client_.paintUser->PaintUserFkCount(target);
            break;
        case DJ_ZHANGAI:
            board.DrawSeatBoardBack(target);
            board.DrawSeatBoard(target, false);
            client_.paintUser->PaintUserFkCount(target);
            if (IsLocalSeat(target)) CheckNoSolution(kNoSolutionHurry, true);
            break;
        default:
            break;
    }
}

void modGameMsg::ShowHint() {
    const auto& g = client_.game;
    LinkPath path;
    if (modLinkSearch::FindLinkPair(g.SeatUser[g.bteCurUserNo].TileGrid, path)) {
        client_.daoJuEffect->PaintZhiNanZhen(path.First(), path.Last());
        client_.shanDianObjects->StartShanDianAni(path);
    } else if (!g.blnIsWatcher) {
        ShowGameNotice(kNoSolutionHurry);
    }
}

bool modGameMsg::CheckNoSolution(const std::string& strNote, bool blnNeedFiveTiles) {
    const auto& g = client_.game;
    if (g.blnIsWatcher || g.bteCurUserNo >= kSeats) return false;
    const auto& me = g.SeatUser[g.bteCurUserNo];
    if (blnNeedFiveTiles && me.bteLeftFkCount < 5) return false;
    LinkPath path;
    if (modLinkSearch::FindLinkPair(me.TileGrid, path)) return false;
    ShowGameNotice(strNote);
    return true;
}

void modGameMsg::ExecFenZu(const BroadcastParsers::ItemConfirm& c) {
    auto& g = client_.game;
    if (!modTableModel::ApplyGroupChange(g, c)) return;  // during a game, or no such player
    const int seat = c.seat;
    const auto& s = g.SeatUser[seat];
    client_.paintUser->PaintUserFenZu(seat);
    // A watcher has no group buttons.
    if (!g.blnIsWatcher) client_.paintFenZuBut->RefreshFenZuBut();
    if (s.bteFenZu < GameSize::kGroupCount && ShowChatNotice)
        ShowChatNotice(s.strUserName + " 将分组改为了 " + g.strFenZuName[s.bteFenZu]);
}
