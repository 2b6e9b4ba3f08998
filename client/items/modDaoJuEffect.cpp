#include "client/items/modDaoJuEffect.h"

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/game/modGameClock.h"
#include "client/paint/GameSurfaces.h"
#include "client/platform/PictureBox.h"
#include "client/platform/WindowTimer.h"
#include "client/start/frmMain.h"

modDaoJuEffect::modDaoJuEffect(TableClient& client) : client_(client) {}

void modDaoJuEffect::InitDaoJuEffect() {
    lngJinShouSecond = 0;
    lngMengYanSecond = 0;
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    for (WindowTimer* timer : {f.tmrJinShou, f.tmrMengYan}) {
        if (!timer) continue;
        timer->SetEnabled(false);
        timer->SetInterval(kTimerInterval);
    }
    if (f.tmrJinShou) f.tmrJinShou->OnTimer = [this] { tmrJinShou_Timer(); };
    if (f.tmrMengYan) f.tmrMengYan->OnTimer = [this] { tmrMengYan_Timer(); };
}

void modDaoJuEffect::InitNaoZhong() { client_.gameClock->lngNaoZhongTurns = 0; }

void modDaoJuEffect::StartCountdown(WindowTimer* timer, std::int32_t& counter, std::int32_t lngSecond) {
    if (!timer) return;
    if (timer->Enabled()) {
        counter += lngSecond;  // the timer keeps its phase
    } else {
        counter = lngSecond;
        timer->SetEnabled(true);
    }
}

bool modDaoJuEffect::CountdownTick(WindowTimer* timer, std::int32_t& counter) {
    if (counter > 0) {
        --counter;
        return false;
    }
    if (timer) timer->SetEnabled(false);
    counter = 0;
    return true;
}

void modDaoJuEffect::StartJinShou(std::int32_t lngSecond) {
    if (!client_.mainForm) return;
    PaintJinShou();
    StartCountdown(client_.mainForm->tmrJinShou, lngJinShouSecond, lngSecond);
    client_.game.blnCanSelect = false;
}

void modDaoJuEffect::StartMengYan(std::int32_t lngSecond) {
    if (!client_.mainForm) return;
    PaintMengYan();
    StartCountdown(client_.mainForm->tmrMengYan, lngMengYanSecond, lngSecond);
}

void modDaoJuEffect::tmrJinShou_Timer() {
    if (!client_.mainForm) return;
    if (CountdownTick(client_.mainForm->tmrJinShou, lngJinShouSecond)) EndJinShou();
}

void modDaoJuEffect::tmrMengYan_Timer() {
    if (!client_.mainForm) return;
    if (CountdownTick(client_.mainForm->tmrMengYan, lngMengYanSecond)) EndMengYan();
}

void modDaoJuEffect::RepaintOwnBoard() {
    const int seat = client_.game.bteCurUserNo;
    client_.paintFangKuai->DrawSeatBoardBack(seat);
    client_.paintFangKuai->DrawSeatBoard(seat, false);
}

void modDaoJuEffect::EndJinShou() {
    RepaintOwnBoard();
    client_.game.blnCanSelect = true;
    if (client_.mainForm && client_.mainForm->tmrMengYan && client_.mainForm->tmrMengYan->Enabled()) PaintMengYan();
}

void modDaoJuEffect::EndMengYan() {
    RepaintOwnBoard();
    if (client_.mainForm && client_.mainForm->tmrJinShou && client_.mainForm->tmrJinShou->Enabled()) PaintJinShou();
}

void modDaoJuEffect::PaintJinShou() {
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    // On the window and on the clean background, so that animations erasing from the
    // background leave the sign in place.
    for (QImage* surface : {&f.Image, f.picGameBack ? &f.picGameBack->Image : nullptr}) {
        if (!surface) continue;
        Gdi::Circle(*surface, kJinShouCenterX, kJinShouCenterY, kJinShouRadius, kJinShouColor, kJinShouLineWidth);
        Gdi::Line(*surface, kJinShouBarX1, kJinShouBarY1, kJinShouBarX2, kJinShouBarY2, kJinShouColor,
                  kJinShouLineWidth);
    }
    GameSurfaces(client_).Refresh();
}

void modDaoJuEffect::PaintMengYan() {
    const BoardPosDef& own = client_.paintFangKuai->BoardPos[0];
    const int x0 = own.lngLeft - kMengYanLeft, y0 = own.lngTop - kMengYanAbove;
    GameSurfaces surfaces(client_);
    surfaces.FillBox(x0, y0, x0 + kMengYanWidth, y0 + kMengYanHeight, Gdi::RGB(0, 0, 0));
    surfaces.Refresh();
}

void modDaoJuEffect::PaintZhiNanZhen(CellPos first, CellPos last) {
    if (!client_.mainForm) return;
    frmMain& f = *client_.mainForm;
    const BoardPosDef& own = client_.paintFangKuai->BoardPos[0];
    for (const CellPos node : {first, last}) {
        const int x0 = own.lngLeft + node.col * own.lngCellWidth, y0 = own.lngTop + node.row * own.lngCellHeight;
        for (QImage* surface : {&f.Image, f.picGameBack ? &f.picGameBack->Image : nullptr}) {
            if (!surface) continue;
            for (int d = 0; d < kZhiNanZhenFrames; ++d)
                Gdi::Box(*surface, x0 + d, y0 + d, x0 + own.lngCellWidth - 1 - d, y0 + own.lngCellHeight - 1 - d,
                         kZhiNanZhenColor);
        }
    }
    GameSurfaces(client_).Refresh();
}
