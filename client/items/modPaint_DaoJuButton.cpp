#include "client/items/modPaint_DaoJuButton.h"

#include <QCursor>
#include <QPixmap>

#include "client/TableClient.h"
#include "client/board/modSelectFk.h"
#include "client/game/frmSelectMap.h"
#include "client/game/modGameMsg.h"
#include "client/items/frmDaoJuInfo.h"
#include "client/items/frmDaoJuToolTip.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"
#include "client/start/frmMain.h"
#include "core/GameMessages.h"
#include "core/LeadingNumber.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"

using namespace modDaoJuDefine;

namespace {

constexpr int kItems = kItemCount;

}  // namespace

modPaint_DaoJuButton::modPaint_DaoJuButton(TableClient& client) : client_(client) {}

std::string modPaint_DaoJuButton::DaoJuIconName(int k) { return "Res\\DaoJu\\DjFlag" + std::to_string(k) + ".ico"; }

PictureBox* modPaint_DaoJuButton::Button(int index) const {
    if (!client_.mainForm || index < 0 || index >= kItems) return nullptr;
    return client_.mainForm->picDaoJuBut[index];
}

void modPaint_DaoJuButton::InitDaoJuButton() {
    if (!client_.mainForm) return;
    // Button 0 is set up hidden in the top-left corner; the others are its copies.
    for (int k = 0; k < kItems; ++k) {
        PictureBox& b = *Button(k);
        b.AutoRedraw = true;
        b.Tag = "0";
        b.hide();
        b.Place(0, 0, kButtonSize, kButtonSize);
        b.OnMouseMove = [this, k](int button, int x, int y) { picDaoJuBut_MouseMove(k, button, x, y); };
        b.OnMouseDown = [this, k](int button, int x, int y) { picDaoJuBut_MouseDown(k, button, x, y); };
        b.OnMouseUp = [this, k](int button, int x, int y) { picDaoJuBut_MouseUp(k, button, x, y); };
    }
}

void modPaint_DaoJuButton::ArrangeDaoJuButton() {
    for (int k = 0; k < kItems; ++k)
        if (PictureBox* b = Button(k)) b->Place(ButtonLeft(k), ButtonTop(k), kButtonSize, kButtonSize);
}

void modPaint_DaoJuButton::LoadDaoJuToolTip() {
    if (!client_.mainForm) return;
    if (!toolTip_) toolTip_ = new frmDaoJuToolTip(client_.mainForm.get());
    toolTip_->Form_Load();
    toolTip_->move(frmDaoJuToolTip::kAwayLeft, frmDaoJuToolTip::kAwayTop);
    toolTip_->show();
}

frmDaoJuToolTip* modPaint_DaoJuButton::DaoJuToolTip() {
    if (!toolTip_) LoadDaoJuToolTip();
    return toolTip_.data();
}

frmDaoJuInfo* modPaint_DaoJuButton::ShowDaoJuInfo() {
    if (!client_.mainForm) return nullptr;
    if (!info_) {
        info_ = new frmDaoJuInfo(client_, client_.mainForm.get());
        info_->Form_Load();
    }
    info_->show();
    info_->raise();
    info_->activateWindow();
    info_->update();  // the settings may have changed since it was last painted
    return info_.data();
}

void modPaint_DaoJuButton::PaintDaoJuButton(int index) {
    const auto& g = client_.game;
    PictureBox* b = Button(index);
    if (!b || g.blnIsWatcher) return;
    // 1. Painting shows the button.
    b->show();
    // 2. Its cell of the sheet: the item's column, the state's row.
    const int state = LeadingNumber::Value(b->Tag);
    const QImage sheet = PictureFile::LoadPicture(client_.ResPath("Res\\DaoJu\\DjBut.bmp"));
    if (!sheet.isNull()) {
        Gdi::BitBlt(b->Image, 0, 0, kButtonSize, kButtonSize, sheet, kButtonSize * index, kButtonSize * state,
                    Gdi::SRCCOPY);
        b->Refresh();
    }
    // 3. The uses the local player holds, in bold white, on an enabled button.
    if (state == 0 || g.bteCurUserNo >= GameSize::kSeatCount) return;
    const std::uint8_t count = g.SeatUser[g.bteCurUserNo].bteDaoJuCount[index];
    if (count == 0) return;
    Gdi::PrintText(b->Image, 2, b->height() - kCountFontSize - 3, std::to_string(count), Gdi::RGB(255, 255, 255),
                   kCountFontSize * 72.0 / 96.0, true);
    b->Refresh();
}

void modPaint_DaoJuButton::ShowDaoJuButton(bool blnShow) {
    for (int k = 0; k < kItems; ++k) {
        if (blnShow) {
            PaintDaoJuButton(k);
        } else if (PictureBox* b = Button(k)) {
            b->ReleaseCapture();  // a hidden button gives the mouse back
            b->hide();
        }
    }
    if (!blnShow) HideToolTip();
}

void modPaint_DaoJuButton::RefreshDaoJuButton() {
    if (client_.game.blnIsWatcher || !client_.mainForm) return;
    // The table's item rule: in a game every item but the map once enough tiles are
    // removed (between games it leaves the map alone, as SetDaoJuButtonState does).
    for (int k = 0; k < kItems; ++k) Button(k)->Tag = modDaoJuRule::IsDaoJuUsable(client_.game, k) ? "1" : "0";
    for (int k = 0; k < kItems; ++k) PaintDaoJuButton(k);
}

void modPaint_DaoJuButton::SetDaoJuButtonState(bool blnGameStopped) {
    if (client_.game.blnIsWatcher || !client_.mainForm) return;
    if (!blnGameStopped) {
        RefreshDaoJuButton();
        return;
    }
    // Between games only the map choice.
    for (int k = 0; k < kItems; ++k) Button(k)->Tag = k == DJ_DITU ? "1" : "0";
    for (int k = 0; k < kItems; ++k) PaintDaoJuButton(k);
}

std::string modPaint_DaoJuButton::ToolTipText(int k) const {
    const DaoJuDef& item = client_.game.g_DaoJu[k];
    if (item.lngPrice == -1) return item.strName;
    return item.strName + " " + std::to_string(item.lngPrice);
}

void modPaint_DaoJuButton::HideToolTip() {
    if (toolTip_) toolTip_->move(frmDaoJuToolTip::kAwayLeft, frmDaoJuToolTip::kAwayTop);
}

void modPaint_DaoJuButton::SetTag(int index, const char* tag) {
    PictureBox* b = Button(index);
    if (!b || b->Tag == tag) return;
    b->Tag = tag;
    PaintDaoJuButton(index);
}

void modPaint_DaoJuButton::picDaoJuBut_MouseMove(int index, int, int x, int y) {
    PictureBox* b = Button(index);
    if (!b) return;
    if (b->Contains(x, y)) {
        // The tooltip goes under the button, kept inside the window's right edge; it
        // shows for a disabled button too.
        if (frmDaoJuToolTip* tip = DaoJuToolTip()) {
            int left = b->x();
            const int top = b->y() + b->height() + 1;
            const int innerWidth = client_.mainForm->width();
            if (left + tip->width() > innerWidth) left = innerWidth - tip->width();
            tip->SetNote(ToolTipText(index));
            tip->move(left, top);
            tip->raise();
        }
        if (b->Tag == "1") SetTag(index, "2");
        b->SetCapture();  // so that leaving the button is noticed
    } else {
        if (toolTip_) toolTip_->SetNote("");
        HideToolTip();
        if (b->Tag == "2" || b->Tag == "3") SetTag(index, "1");
        b->ReleaseCapture();
    }
}

void modPaint_DaoJuButton::picDaoJuBut_MouseDown(int index, int, int, int) {
    PictureBox* b = Button(index);
    if (b && b->Tag == "2") SetTag(index, "3");
}

void modPaint_DaoJuButton::picDaoJuBut_MouseUp(int index, int button, int x, int y) {
    PictureBox* b = Button(index);
    // 1. A disabled button does nothing at all.
    if (!b || b->Tag == "0") return;
    // A press carried off the button is no use: leaving it gave the mouse back, so the
    // release belongs to wherever the pointer is now.
    if (!b->Contains(x, y)) {
        picDaoJuBut_MouseMove(index, button, x, y);
        return;
    }
    // 2. The tooltip goes (its text stays), the button is normal again, and the mouse
    // is free, as after every release.
    HideToolTip();
    if (b->Tag == "2" || b->Tag == "3") SetTag(index, "1");
    b->ReleaseCapture();
    // 3. A watcher uses nothing.
    const auto& g = client_.game;
    if (g.blnIsWatcher) return;
    // 4. An item on another player waits on the mouse pointer for its target.
    if (!g.g_DaoJu[index].blnUseSelf) {
        auto& select = *client_.selectFk;
        select.ItemTargetMode = 1;
        select.bteWaitDaoJu = static_cast<std::uint8_t>(index);
        client_.mainForm->unsetCursor();
        const QImage icon = PictureFile::LoadPicture(client_.ResPath(DaoJuIconName(index)), 32);
        if (!icon.isNull()) client_.mainForm->setCursor(QCursor(QPixmap::fromImage(icon)));
        return;
    }
    // 5. An item on the own board or table.
    UseSelfItem(index);
}

void modPaint_DaoJuButton::UseSelfItem(int k) {
    const auto& g = client_.game;
    if (g.bteCurUserNo >= GameSize::kSeatCount) return;
    const SeatUserDef& me = g.SeatUser[g.bteCurUserNo];
    if (me.strUserName.empty()) return;
    const bool playing = !g.blnGameStopped && !me.blnGameOut;
    LinkPath path;
    switch (k) {
        case DJ_ZHINANZHEN:
            if (!playing) return;
            if (!modLinkSearch::FindLinkPair(me.TileGrid, path)) {
                ShowNotice(kCompassNoPair);
                return;
            }
            SendRequest(k);
            return;
        case DJ_CHONGLIE:
            if (playing) SendRequest(k);
            return;
        case DJ_ZHADAN: {
            if (!playing) return;
            if (!modLinkSearch::FindLinkPair(me.TileGrid, path)) {
                ShowNotice(modGameMsg::kNoSolutionHurry);
                return;
            }
            SendRequest(k, 0, 0, path);
            return;
        }
        case DJ_DITU:
            if (g.blnGameStopped) ChooseMap();
            return;
        default:
            return;  // no other item acts on its user
    }
}

void modPaint_DaoJuButton::ChooseMap() {
    frmSelectMap dialog(client_, client_.mainForm.get());
    dialog.Form_Load();
    dialog.SelectMap(intLastMapIdx);  // the player's last choice, when there is one
    dialog.exec();
    const std::int16_t chosen = dialog.intSelMapIdx;
    if (chosen < 0 || chosen > 255) return;
    intLastMapIdx = chosen;
    // The window may have gone while the dialog was open.
    if (!client_.mainForm || client_.mainForm->Unloaded()) return;
    SendRequest(DJ_DITU, 0, static_cast<std::uint8_t>(chosen));
}

void modPaint_DaoJuButton::SendItemToUser(std::uint8_t bteDaoJuNo, std::uint8_t bteDstUserNo) {
    const auto& g = client_.game;
    if (g.blnIsWatcher || bteDstUserNo >= GameSize::kSeatCount || g.SeatUser[bteDstUserNo].blnGameOut) return;
    switch (bteDaoJuNo) {
        case DJ_JINSHOU:
        case DJ_NAOZHONG:
        case DJ_MENGYAN:
        case DJ_JINGZI:
        case DJ_ZHANGAI:
            SendRequest(bteDaoJuNo, bteDstUserNo);
            break;
        default:
            break;  // no other item is thrown
    }
}

bool modPaint_DaoJuButton::SendRequest(int item, std::uint8_t target, std::uint8_t value, const LinkPath& path) {
    GameMessages::ItemRequest request;
    request.item = item;
    request.seat = client_.game.bteCurUserNo;
    request.target = target;
    request.value = value;
    request.path = path;
    return client_.SendMessage(GameMessages::ItemRequestMsg(request));
}

void modPaint_DaoJuButton::ShowNotice(const std::string& strNote) {
    auto& notice = client_.gameMsg->ShowGameMsgWindow;
    if (notice) notice(strNote, client_.strGameCaption);
}
