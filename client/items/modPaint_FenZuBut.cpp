#include "client/items/modPaint_FenZuBut.h"

#include "client/TableClient.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"
#include "client/start/frmMain.h"
#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/modGameMsgDefine.h"

namespace {
constexpr int kGroups = GameSize::kGroupCount;
}  // namespace

modPaint_FenZuBut::modPaint_FenZuBut(TableClient& client) : client_(client) {}

PictureBox* modPaint_FenZuBut::Button(int group) const {
    if (!client_.mainForm || group < 0 || group >= kGroups) return nullptr;
    return client_.mainForm->picFenZuBut[group];
}

void modPaint_FenZuBut::InitFenZuBut() {
    // The free players' button stands apart; A, B and C follow each other.
    FenZuButPos[0] = {620, 64};
    for (int g = 1; g < kGroups; ++g) FenZuButPos[g] = {667 + 41 * (g - 1), 64};
    if (!client_.mainForm) return;
    for (int g = 0; g < kGroups; ++g) {
        PictureBox& b = *Button(g);
        b.AutoRedraw = true;
        b.Tag = "0";
        b.hide();
        b.Place(0, 0, kButtonWidth, kButtonHeight);
        b.OnMouseMove = [this, g](int button, int x, int y) { picFenZuBut_MouseMove(g, button, x, y); };
        b.OnMouseUp = [this, g](int button, int x, int y) { picFenZuBut_MouseUp(g, button, x, y); };
    }
}

void modPaint_FenZuBut::ArrangeFenZuBut() {
    for (int g = 0; g < kGroups; ++g)
        if (PictureBox* b = Button(g))
            b->Place(FenZuButPos[g].lngLeft, FenZuButPos[g].lngTop, kButtonWidth, kButtonHeight);
}

void modPaint_FenZuBut::PaintFenZuBut(int group) {
    PictureBox* b = Button(group);
    if (!b) return;
    b->show();
    const auto& g = client_.game;
    if (g.bteCurUserNo < GameSize::kSeatCount && g.SeatUser[g.bteCurUserNo].bteFenZu == group) b->Tag = "2";
    const QImage sheet = PictureFile::LoadPicture(client_.ResPath("Res\\FenZuBut.bmp"));
    if (sheet.isNull()) return;
    Gdi::BitBlt(b->Image, 0, 0, kButtonWidth, kButtonHeight, sheet, kButtonWidth * group,
                kButtonHeight * LeadingNumber::Value(b->Tag), Gdi::SRCCOPY);
    b->Refresh();
}

void modPaint_FenZuBut::ShowFenZuBut(bool blnShow) {
    for (int g = 0; g < kGroups; ++g) {
        if (blnShow) {
            PaintFenZuBut(g);
        } else if (PictureBox* b = Button(g)) {
            b->ReleaseCapture();  // a hidden button gives the mouse back
            b->hide();
        }
    }
}

void modPaint_FenZuBut::RefreshFenZuBut() {
    for (int g = 0; g < kGroups; ++g)
        if (PictureBox* b = Button(g)) b->Tag = "0";
    ShowFenZuBut(true);
}

void modPaint_FenZuBut::SetTag(int group, const char* tag) {
    Button(group)->Tag = tag;
    PaintFenZuBut(group);
}

void modPaint_FenZuBut::picFenZuBut_MouseMove(int group, int, int x, int y) {
    PictureBox* b = Button(group);
    if (!b) return;
    if (b->Contains(x, y)) {
        if (b->Tag == "2") return;  // the own group: no hover
        if (b->Tag == "0") SetTag(group, "1");
        b->SetCapture();  // so that leaving the button is noticed
    } else {
        if (b->Tag == "1") SetTag(group, "0");
        b->ReleaseCapture();
    }
}

void modPaint_FenZuBut::picFenZuBut_MouseUp(int group, int button, int x, int y) {
    PictureBox* b = Button(group);
    const auto& g = client_.game;
    // 1. The own group, or a game running: the groups stay as they are.
    if (!b || b->Tag == "2" || !g.blnGameStopped) return;
    // A press carried off the button asks for nothing: leaving it gave the mouse back.
    if (!b->Contains(x, y)) {
        picFenZuBut_MouseMove(group, button, x, y);
        return;
    }
    // 2. The button is normal again, the mouse free.
    if (b->Tag == "1") SetTag(group, "0");
    b->ReleaseCapture();
    // 3. The request; the buttons change when the server confirms it.
    if (g.blnIsWatcher || g.bteCurUserNo >= GameSize::kSeatCount) return;
    if (g.SeatUser[g.bteCurUserNo].strUserName.empty()) return;
    GameMessages::ItemRequest change;
    change.item = GameMessages::kGroupChange;
    change.seat = g.bteCurUserNo;
    change.value = static_cast<std::uint8_t>(group);
    client_.SendMessage(GameMessages::ItemRequestMsg(change));
}
