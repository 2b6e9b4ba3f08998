#include "client/board/modSelectFk.h"

#include <span>

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/game/modGameClock.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/platform/SelectFrame.h"
#include "client/start/frmMain.h"
#include "core/GameMessages.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"

modSelectFk::modSelectFk(TableClient& client) : client_(client) {}

void modSelectFk::Form_MouseDown([[maybe_unused]] int button, int x, int y) {
    if (!client_.mainForm) return;
    // 1. The caption strip drags the window.
    if (y < kCaptionHeight) {
        client_.mainForm->BeginCaptionDrag();
        return;
    }
    // 2. A thrown item waits: this press names its target and does nothing else.
    if (ItemTargetMode == 1) {
        ThrowWaitingItem(x, y);
        return;
    }
    // 3. Selection, only for a player in a running game who is not frozen.
    const auto& g = client_.game;
    if (g.blnIsWatcher || g.bteCurUserNo >= GameSize::kSeatCount) return;
    const auto& me = g.SeatUser[g.bteCurUserNo];
    if (me.blnGameOut || me.strUserName.empty() || g.blnGameStopped || !g.blnCanSelect) return;
    CellPos cell;
    if (!HitTestBoard(x, y, cell.row, cell.col)) return;
    SelectTile(cell);
}

void modSelectFk::ThrowWaitingItem(int x, int y) {
    ItemTargetMode = 0;
    client_.mainForm->unsetCursor();
    const auto& g = client_.game;
    if (g.blnIsWatcher || g.blnGameStopped) return;
    const int s = HitTestSeatBoard(x, y);
    if (s >= GameSize::kSeatCount) return;
    const auto& target = g.SeatUser[s];
    if (modPublicTools::TrimBlanks(target.strUserName).empty() || target.blnGameOut) return;
    client_.paintDaoJuButton->SendItemToUser(bteWaitDaoJu, static_cast<std::uint8_t>(s));
}

void modSelectFk::SelectTile(CellPos cell) {
    client_.mainForm->PlayGameSound(3);
    if (SelFk == CellPos{}) {
        SelFk = cell;
        ShowSelectFlag(cell.row, cell.col);
        return;
    }
    const auto& g = client_.game;
    LinkPath path;
    if (!modLinkSearch::CheckLink(g.SeatUser[g.bteCurUserNo].TileGrid, SelFk, cell, path)) {
        SelFk = cell;  // the new tile becomes the selection
        ShowSelectFlag(cell.row, cell.col);
        return;
    }
    // A legal pair: the turn ends here; the tiles go when the server's broadcast comes.
    client_.gameClock->StopTurnClock();
    client_.SendMessage(GameMessages::RemoveRequest(g.bteCurUserNo, path));
    ClearSelection();
}

bool modSelectFk::HitTestBoard(int x, int y, std::int32_t& row, std::int32_t& col) const {
    row = -1;
    col = -1;
    const BoardPosDef& own = client_.paintFangKuai->BoardPos[0];
    if (x < own.lngLeft || y < own.lngTop) return false;
    const std::int32_t c = (x - own.lngLeft) / kOwnCellWidth;
    const std::int32_t r = (y - own.lngTop) / kOwnCellHeight;
    if (c >= GameSize::kCols || r >= GameSize::kRows) return false;
    const auto& g = client_.game;
    if (g.bteCurUserNo >= GameSize::kSeatCount) return false;
    if (g.SeatUser[g.bteCurUserNo].TileGrid[r][c] == 0) return false;
    if (SelFk == CellPos{r, c}) return false;
    row = r;
    col = c;
    return true;
}

int modSelectFk::HitTestSeatBoard(int x, int y) const {
    const auto& pos = client_.paintFangKuai->BoardPos;
    const std::int32_t L = pos[1].lngLeft - 7;
    const std::int32_t T = pos[1].lngTop - 22;
    const std::int32_t d = pos[2].lngLeft - pos[1].lngLeft;
    if (d <= 0) return kNoSeat;  // the small boards are not laid out
    if (y < T || y > T + kPanelHeight || x < L) return kNoSeat;
    const std::int32_t p = (x - L) / d + 1;
    if (p > 5) return kNoSeat;
    if (x > pos[p].lngLeft + kPanelWidth - 7) return kNoSeat;  // the gap between two panels
    const auto& g = client_.game;
    for (int s = 0; s < GameSize::kSeatCount; ++s)
        if (g.bteSeatPosNo[s] == p) return s;
    return kNoSeat;
}

void modSelectFk::ShowSelectFlag(std::int32_t row, std::int32_t col) {
    if (!client_.mainForm) return;
    SelectFrame* frame = client_.mainForm->shpSelectFlag;
    const BoardPosDef& own = client_.paintFangKuai->BoardPos[0];
    const int w = frame->BorderWidth;
    frame->move(own.lngLeft + col * kOwnCellWidth - w, own.lngTop + row * kOwnCellHeight - w);
    frame->raise();
    frame->show();
}

void modSelectFk::ClearSelection() {
    if (client_.mainForm) client_.mainForm->shpSelectFlag->hide();
    SelFk = CellPos{};
}

void modSelectFk::StartDelFkAni(const LinkPath& path) {
    // 1. Nothing is shown on a minimised window.
    auto& timers = *client_.aniTimer;
    if (!timers.AniAllowed() || path.lngNodeCount < 2 || path.lngNodeCount > 4) return;
    auto& lightnings = *client_.shanDianObjects;
    auto& blasts = *client_.blastObjects;
    constexpr int kInterval = 50;
    // A pool that is full starts nothing: what was already started goes back to idle.
    clsAniObject* started[3] = {};
    int startedCount = 0;
    auto giveUp = [&] {
        for (int i = 0; i < startedCount; ++i) started[i]->Class_Initialize();
    };

    // 2. The lightning, unless the two tiles touch.
    AniTimerTask task;
    task.bteAniType = ANITYPE_DELFK;
    task.bteShanDianIdx = kNoShanDian;
    if (!modManage_ShanDianObject::IsNeighbourPair(path)) {
        const int index = lightnings.GetFreeShanDianObject();
        if (index < 0) return;
        lightnings.g_ShanDianObj[index].InitAniInfo(
            index, kInterval, modManage_ShanDianObject::kStepCount, path.lngNodeCount,
            std::span<const std::int32_t>(path.lngNodePos, 2 * path.lngNodeCount));
        started[startedCount++] = &lightnings.g_ShanDianObj[index];
        task.bteShanDianIdx = static_cast<std::uint8_t>(index);
    }

    // 3. A blast on each of the two tiles.
    const CellPos ends[2] = {path.First(), path.Last()};
    std::uint8_t* blastSlot[2] = {&task.bteBlastIdx1, &task.bteBlastIdx2};
    for (int i = 0; i < 2; ++i) {
        const int index = blasts.GetFreeBlastObject();
        if (index < 0) {
            giveUp();
            return;
        }
        blasts.g_BlastObj[index].InitAniInfo(index, kInterval, ends[i].row, ends[i].col);
        started[startedCount++] = &blasts.g_BlastObj[index];
        *blastSlot[i] = static_cast<std::uint8_t>(index);
    }

    // 4. One timer drives the three.
    if (timers.StartAniTask(task, kInterval) < 0) giveUp();
}
