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
#include "core/ChatFields.h"
#include "core/TableExit.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

using namespace modGameMsgDefine;
using namespace modDaoJuDefine;

namespace {

constexpr int kSeats = GameSize::kSeatCount;

// Board dimensions and positions in the game start message.
constexpr std::size_t kStartGroupPos = 12;
constexpr std::size_t kStartRowsPos = 18;
constexpr std::size_t kStartBoardPos = 20;

bool InGrid(CellPos c) { return c.row >= 0 && c.row < GameSize::kRows && c.col >= 0 && c.col < GameSize::kCols; }

// Items used on another player carry a target seat; the others act on the user's own
// board or table.
bool IsThrownItem(int item) {
    return item == DJ_JINSHOU || item == DJ_NAOZHONG || item == DJ_MENGYAN || item == DJ_JINGZI || item == DJ_ZHANGAI;
}

// The exact length of each item confirmation; the bomb's is its least length.
std::size_t ItemMsgLength(int item) {
    switch (item) {
        case DJ_ZHINANZHEN:
            return 5;
        case DJ_CHONGLIE:
            return 5 + kGridBytes;
        case DJ_JINSHOU:
        case DJ_NAOZHONG:
        case DJ_MENGYAN:
            return 6;
        case DJ_ZHADAN:
            return 10;
        case DJ_JINGZI:
        case DJ_ZHANGAI:
            return 6 + kGridBytes;
        default:
            return 0;
    }
}

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
    const auto fields = modPublicTools::SplitFields(modPublicTools::ConvertBytesToStr(msg, 1));
    if (fields.size() < ChatFields::kFieldCount) return;
    std::array<std::string, 8> shown;
    for (int i = 0; i < 8; ++i) shown[i] = fields[ChatFields::kSender + i];
    if (ShowChatRecord) ShowChatRecord(shown);
}

void modGameMsg::ExecPlayerQuit(const Bytes& msg) {
    if (msg.size() < 3 || msg[2] >= kSeats) return;
    const int seat = msg[2];
    const auto& g = client_.game;
    if (ShowGameMsgWindow)
        ShowGameMsgWindow(
            g.SeatUser[seat].strUserName + " 不能继续玩下去，原因：" + modPublicTools::ConvertBytesToStr(msg, 3),
            client_.strGameCaption + "系统提示");
    // The local player cannot go on: the client leaves the table.
    if (IsLocalSeat(seat) && !g.blnIsWatcher && client_.mainForm) client_.mainForm->Unload(TableExit::CannotGoOn);
}

void modGameMsg::ExecGameStart(const Bytes& msg) {
    auto& g = client_.game;
    // 1-2. A fresh game: every named seat plays; a watcher never selects.
    g.ResetBoards();
    g.blnGameSetKnown = true;
    g.blnGameStopped = false;
    for (auto& s : g.SeatUser)
        if (!s.strUserName.empty()) s.blnGameOut = false;
    g.blnCanSelect = !g.blnIsWatcher;
    client_.selectFk->ClearSelection();
    // The start button has done its work once the game is on; a player whose agreement
    // to the table settings counted as ready never pressed it.
    g.blnShowStart = false;
    client_.gameClock->UpdateStartButton();

    // 3. Groups of seats 0..5.
    for (int s = 0; s < kSeats && kStartGroupPos + s < msg.size(); ++s)
        g.SeatUser[s].bteFenZu = msg[kStartGroupPos + s];

    // 4. The board's size.
    if (msg.size() < kStartBoardPos) return;
    const int rows = msg[kStartRowsPos];
    const int cols = msg[kStartRowsPos + 1];
    if (!modGameDefine::BoardSizeFits(rows, cols)) {
        ShowGameNotice(kBoardSizeWrong);
        return;
    }

    // 5-6. One board for every seat, empty seats too.
    TileGridT board{};
    std::size_t pos = modGameDefine::StoreBoardBytes(board, msg, kStartBoardPos, rows, cols);
    const auto tiles = static_cast<std::uint8_t>(modGameDefine::CountTiles(board));
    for (auto& s : g.SeatUser) {
        s.TileGrid = board;
        s.bteDelFkCount = 0;
        s.bteLeftFkCount = tiles;
    }

    // 7. The table's item settings; the local player starts with the free uses.
    if (pos < msg.size()) modDaoJuRule::ReadDaoJuList(g, msg, pos + 1, msg[pos], true);

    // 8. Sound, the whole window, the first turn.
    client_.mainForm->PlayGameSound(4);
    client_.mainForm->RedrawAllSeats();
    client_.gameClock->StartTurnClock();
}

void modGameMsg::ExecReady(const Bytes& msg) {
    if (msg.size() != 2 || msg[1] >= kSeats) return;
    client_.game.SeatUser[msg[1]].blnReady = true;
    client_.paintUser->PaintUserHand(msg[1]);
}

bool modGameMsg::ReadPath(const Bytes& msg, std::size_t pos, LinkPath& path) {
    if (pos >= msg.size()) return false;
    const int n = msg[pos];
    if (n < 2 || n > 4 || pos + 1 + 2 * std::size_t(n) > msg.size()) return false;
    path.lngNodeCount = n;
    for (int i = 0; i < 2 * n; ++i) path.lngNodePos[i] = msg[pos + 1 + i];
    for (int i = 0; i < n; ++i)
        if (!InGrid(path.Node(i))) return false;
    return true;
}

void modGameMsg::RemovePair(int seat, const LinkPath& path) {
    auto& s = client_.game.SeatUser[seat];
    const CellPos a = path.First(), b = path.Last();
    s.TileGrid[a.row][a.col] = 0;
    s.TileGrid[b.row][b.col] = 0;
    // The counters are bytes: they stop at their ends instead of wrapping round.
    s.bteDelFkCount = static_cast<std::uint8_t>(std::min(s.bteDelFkCount + 2, 255));
    s.bteLeftFkCount = static_cast<std::uint8_t>(std::max(s.bteLeftFkCount - 2, 0));
    client_.paintUser->PaintUserFkCount(seat);
}

void modGameMsg::ExecRemove(const Bytes& msg) {
    // 1. Seat, combo, item counts and path must at least begin.
    if (msg.size() < 7) return;
    const int seat = msg[2];
    const bool validSeat = seat < kSeats;

    // 2. The combo banner's text.
    strLianJiText = msg[3] != 0 ? std::to_string(msg[3]) + "/" + std::to_string(msg[4]) : std::string();

    // 3. The mover's item counts; counts beyond the ninth are passed over.
    const std::size_t pathPos = modDaoJuRule::StoreDaoJuCounts(client_.game, seat, msg, 6, msg[5]);

    LinkPath path;
    const bool validPath = ReadPath(msg, pathPos, path);

    // 4. The pair leaves the seat's board.
    if (validSeat && validPath) RemovePair(seat, path);

    // 5. The own item bar and the removal sound.
    const bool local = validSeat && IsLocalSeat(seat);
    if (local) {
        client_.paintDaoJuButton->RefreshDaoJuButton();
        client_.mainForm->PlayGameSound(0);
    }

    // 6-7. The removal on screen and the combo banner.
    if (validSeat && validPath) client_.paintFangKuai->ShowRemoval(seat, path);
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
    if (msg.size() != 4 || g.blnIsWatcher || g.blnGameStopped) return;
    if (!PutSeatOut(msg[2], msg[3])) return;
    if (ShowChatNotice) ShowChatNotice(g.SeatUser[msg[2]].strUserName + " 时间耗尽...");
}

void modGameMsg::ExecFinish(const Bytes& msg) {
    // The server's chat line tells the table; the board shows the place.
    if (msg.size() == 4 && !client_.game.blnGameStopped) PutSeatOut(msg[2], msg[3]);
}

bool modGameMsg::PutSeatOut(int seat, std::uint8_t place) {
    if (seat >= kSeats) return false;
    auto& s = client_.game.SeatUser[seat];
    if (s.strUserName.empty() || s.blnGameOut) return false;
    s.blnGameOut = true;
    s.btePlace = place;
    client_.paintUser->PaintUserScore(seat, s.btePlace, 0);
    if (IsLocalSeat(seat)) {
        client_.gameClock->StopTurnClock();
        client_.selectFk->ClearSelection();  // no selection is left on a board that is out
    }
    return true;
}

void modGameMsg::ExecNotice(const Bytes& msg) { ShowGameNotice(modPublicTools::ConvertBytesToStr(msg, 1)); }

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
    for (std::size_t pos = 2; pos + 6 <= msg.size(); pos += 6) {
        const int seat = msg[pos];
        if (seat >= kSeats || g.SeatUser[seat].strUserName.empty()) continue;
        std::int32_t score = 0;
        modPublicTools::GetLongFromBytes(score, msg, pos + 2);
        client_.paintUser->PaintUserScore(seat, msg[pos + 1], score);
        if (ShowChatNotice) ShowChatNotice(g.SeatUser[seat].strUserName + "得分：" + std::to_string(score));
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
    if (msg.size() != 3 || !g.blnGameSetKnown || !g.blnIsWatcher) return;
}

void modGameMsg::ExecItemMsg(const Bytes& msg) {
    if (msg.size() < 2) return;
    if (msg[1] == ITEMSUB_FENZU) {
        ExecFenZu(msg);
        return;
    }
    const int item = ItemOfSubCode(msg[1]);
    if (item < 0 || item == DJ_DITU) return;  // the map choice is the server's matter
    ExecDaoJu(msg, item);
}

void modGameMsg::ExecDaoJu(const Bytes& msg, int item) {
    auto& g = client_.game;
    if (g.blnGameStopped) return;
    const std::size_t length = ItemMsgLength(item);
    if (item == DJ_ZHADAN ? msg.size() < length : msg.size() != length) return;

    // 1. The user, and for a thrown item the target, must be playing.
    const int user = msg[3];
    const bool thrown = IsThrownItem(item);
    const int target = thrown ? msg[4] : user;
    auto playing = [&](int s) { return s < kSeats && !g.SeatUser[s].strUserName.empty() && !g.SeatUser[s].blnGameOut; };
    if (!playing(user) || !playing(target)) return;

    // 2-4. The chat line, the sound and the flight of the item.
    const std::string& itemName = g.g_DaoJu[item].strName;
    const std::string line =
        thrown ? g.SeatUser[user].strUserName + " 对 " + g.SeatUser[target].strUserName + " 使用了道具：" + itemName
               : g.SeatUser[user].strUserName + " 使用了道具：" + itemName;
    if (ShowChatNotice) ShowChatNotice(line);
    client_.mainForm->PlayGameSound(2);
    client_.daoJuObjects->StartDaoJuAni(static_cast<std::uint8_t>(item), static_cast<std::uint8_t>(user),
                                        static_cast<std::uint8_t>(target));

    // 5-6. The user's new count of the item.
    modDaoJuRule::SetDaoJuCount(g, user, item, msg[thrown ? 5 : 4]);
    if (IsLocalSeat(user)) client_.paintDaoJuButton->PaintDaoJuButton(item);

    // 7. The item's own effect.
    ExecDaoJuEffect(msg, item, user, target);
}

void modGameMsg::ExecDaoJuEffect(const Bytes& msg, int item, int user, int target) {
    auto& g = client_.game;
    auto& board = *client_.paintFangKuai;
    // The whole new grid a rearrange, mirror or obstacle carries.
    auto takeGrid = [&](int seat, std::size_t pos) {
        modGameDefine::StoreBoardBytes(g.SeatUser[seat].TileGrid, msg, pos, GameSize::kRows, GameSize::kCols);
    };
    switch (item) {
        case DJ_ZHINANZHEN:
            if (IsLocalSeat(user)) ShowHint();
            break;
        case DJ_CHONGLIE:
            takeGrid(user, 5);
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
        case DJ_ZHADAN: {
            // The bomb's pair goes only when the message holds exactly its path.
            LinkPath path;
            if (msg.size() != 6 + 2 * std::size_t(msg[5]) || !ReadPath(msg, 5, path)) break;
            RemovePair(user, path);
            client_.mainForm->PlayGameSound(0);
            board.ShowRemoval(user, path);
            // The own bomb is followed by the board test; any bomb ends the selection.
            if (!(IsLocalSeat(user) && CheckNoSolution(kNoSolutionHurry, true))) client_.selectFk->ClearSelection();
            break;
        }
        case DJ_MENGYAN:
            if (IsLocalSeat(target)) client_.daoJuEffect->StartMengYan(5);
            break;
        case DJ_JINGZI:
            takeGrid(target, 6);
            board.DrawSeatBoardBack(target);
            board.DrawSeatBoard(target, false);
            client_.paintUser->PaintUserFkCount(target);
            break;
        case DJ_ZHANGAI:
            takeGrid(target, 6);
            board.DrawSeatBoardBack(target);
            board.DrawSeatBoard(target, false);
            g.SeatUser[target].bteLeftFkCount =
                static_cast<std::uint8_t>(modGameDefine::CountTiles(g.SeatUser[target].TileGrid));
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

void modGameMsg::ExecFenZu(const Bytes& msg) {
    auto& g = client_.game;
    if (!g.blnGameStopped || msg.size() != 5 || msg[3] >= kSeats) return;
    const int seat = msg[3];
    auto& s = g.SeatUser[seat];
    if (modPublicTools::TrimBlanks(s.strUserName).empty()) return;
    s.bteFenZu = msg[4];
    client_.paintUser->PaintUserFenZu(seat);
    // A watcher has no group buttons.
    if (!g.blnIsWatcher) client_.paintFenZuBut->RefreshFenZuBut();
    if (s.bteFenZu < GameSize::kGroupCount && ShowChatNotice)
        ShowChatNotice(s.strUserName + " 将分组改为了 " + g.strFenZuName[s.bteFenZu]);
}
