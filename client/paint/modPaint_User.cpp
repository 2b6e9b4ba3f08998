#include "client/paint/modPaint_User.h"

#include <string>

#include "client/TableClient.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/paint/GameSurfaces.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/clsPaintImageByNullBack.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

namespace {
// Sheets and cells.
constexpr int kSmallBarWidth = 115, kSmallBarHeight = 33;
constexpr int kOwnBarWidth = 177, kOwnBarHeight = 56;
constexpr int kPosNoSize = modPaint_FangKuai::kPosNoSize;
constexpr int kCountBoxWidth = 30, kCountBoxHeight = 13;  // the box reaches origin + (30, 13)
constexpr int kSpriteWidth = 41, kSpriteHeight = 48;
constexpr int kPlacardWidth = 101, kPlacardHeight = 42;

// Text.
constexpr double kNamePoints = 9;
constexpr Gdi::ColorRef kBlack = Gdi::RGB(0, 0, 0);
constexpr Gdi::ColorRef kWhite = Gdi::RGB(255, 255, 255);
constexpr Gdi::ColorRef kYellow = Gdi::RGB(255, 255, 0);
constexpr double kScorePoints = 11;

// Key colours of the result pictures.
constexpr Gdi::ColorRef kSpriteKey = Gdi::RGB(0, 0, 0);
constexpr Gdi::ColorRef kPlacardKey = Gdi::RGB(248, 0, 234);
constexpr Gdi::ColorRef kFlagKey = Gdi::RGB(255, 255, 255);
constexpr Gdi::ColorRef kTimeEndKey = Gdi::RGB(255, 0, 255);

constexpr std::uint8_t kNoPlace = 255;
}  // namespace

modPaint_User::modPaint_User(TableClient& client) : client_(client) {}

void modPaint_User::InitUserPaint() {
    client_.game.blnShowStart = false;
    udtUserPanelPos[0] = {614, 108};
    for (int p = 1; p < 6; ++p) udtUserPanelPos[p] = {10 + 119 * (p - 1), 32};
    lngFkCountColorOther = Gdi::RGB(115, 166, 255);
    lngFkCountColorCur = Gdi::RGB(49, 77, 115);
    udtSeatResult.fill(SeatResult{});
    if (client_.Canvas() && client_.Canvas()->picScoreTmpBuf) {
        PictureBox& scratch = *client_.Canvas()->picScoreTmpBuf;
        scratch.AutoRedraw = true;
        scratch.hide();
    }
}

bool modPaint_User::PanelOf(int seat, int& position, Point& origin) const {
    if (seat < 0 || seat > 5 || !client_.Canvas()) return false;
    position = client_.game.bteSeatPosNo[seat];
    if (position > 5) return false;
    origin = udtUserPanelPos[position];
    return true;
}

bool modPaint_User::SeatTaken(int seat) const { return !client_.game.SeatUser[seat].strUserName.empty(); }

void modPaint_User::PaintUserSeat(int seat) {
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o)) return;
    GameSurfaces surfaces(client_);
    if (!SeatTaken(seat)) {
        ForgetUserScore(seat);  // a result belongs to the player who sat here
        if (p == 0) {
            surfaces.DrawFile("Res\\CurUserOut.bmp", o.x, o.y);
            client_.paintFangKuai->DrawSeatBoardBack(seat);
        } else {
            surfaces.DrawFile("Res\\OtherUserOut.bmp", o.x, o.y);
        }
    } else if (p == 0) {
        PaintUserFenZu(seat);
    } else {
        surfaces.DrawFile("Res\\OtherUserIn.bmp", o.x, o.y);
        PaintUserFenZu(seat);
        surfaces.DrawFile("Res\\OtherUserPosNo.bmp", o.x + 85, o.y + 6, (p - 1) * kPosNoSize, 0, kPosNoSize,
                          kPosNoSize);
    }
    surfaces.Refresh();
}

void modPaint_User::PaintUserFenZu(int seat) {
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o)) return;
    const SeatUserDef& user = client_.game.SeatUser[seat];
    const bool own = p == 0;
    const int barX = own ? o.x : o.x + 1, barY = own ? o.y : o.y + 105;
    const int barW = own ? kOwnBarWidth : kSmallBarWidth, barH = own ? kOwnBarHeight : kSmallBarHeight;
    GameSurfaces surfaces(client_);
    surfaces.DrawFileOnWindow(own ? "Res\\CurUserFenZu.bmp" : "Res\\OtherUserFenZu.bmp", barX, barY, 0,
                              user.bteFenZu * barH, barW, barH);
    // Name and title stay inside the bar, so the background copy takes all of them.
    const Gdi::TextClip bar{barX, barY, barW, barH};
    const int textX = barX + (own ? 55 : 6), nameY = barY + (own ? 12 : 3);
    surfaces.PrintTextOnWindow(textX, nameY, user.strUserName, kBlack, kNamePoints, true, bar);
    surfaces.PrintTextOnWindow(textX, nameY + (own ? 20 : 14), user.strUserTitle, kBlack, kNamePoints, false, bar);
    surfaces.RefreshWindow();
    surfaces.CopyToBack(barX, barY, barW, barH);
    surfaces.RefreshBack();
}

void modPaint_User::PaintUserFkCount(int seat) {
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o) || !SeatTaken(seat)) return;
    const bool own = p == 0;
    const int x = own ? o.x - 70 : o.x + 8, y = own ? o.y + 465 : o.y + 8;
    GameSurfaces surfaces(client_);
    surfaces.FillBox(x, y, x + kCountBoxWidth, y + kCountBoxHeight, own ? lngFkCountColorCur : lngFkCountColorOther);
    // The number stays inside its box, so the background copy takes all of it.
    const Gdi::TextClip box{x, y, kCountBoxWidth + 1, kCountBoxHeight + 1};
    surfaces.PrintTextOnWindow(x, y, std::to_string(client_.game.SeatUser[seat].bteLeftFkCount), kYellow, own ? 11 : 10,
                               true, box);
    surfaces.CopyToBack(x, y, kCountBoxWidth + 1, kCountBoxHeight + 1);
    surfaces.Refresh();
}

void modPaint_User::PaintUserNetBreak(int seat) {
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o) || !SeatTaken(seat)) return;
    if (client_.game.SeatUser[seat].blnNetBreak) {
        GameSurfaces surfaces(client_);
        surfaces.DrawPicture(client_.Canvas()->imgNetBreak, p == 0 ? o.x + 140 : o.x + 83,
                             p == 0 ? o.y + 13 : o.y + 106);
        surfaces.Refresh();
    } else {
        PaintUserFenZu(seat);  // the bar covers the mark
    }
}

void modPaint_User::PaintUserHand(int seat) {
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o) || !SeatTaken(seat)) return;
    if (client_.game.SeatUser[seat].blnReady) {
        GameSurfaces surfaces(client_);
        surfaces.DrawFile("Res\\Hand.ico", p == 0 ? o.x - 320 : o.x + 50, p == 0 ? o.y + 230 : o.y + 56);
        surfaces.Refresh();
    } else {
        client_.paintFangKuai->DrawSeatBoardBack(seat);  // the board area covers the hand
    }
}

void modPaint_User::ForgetUserScore(int seat) {
    if (seat >= 0 && seat < 6) udtSeatResult[seat] = SeatResult{};
}

void modPaint_User::PaintResultPicture(const char* resName, Gdi::ColorRef key, int x, int y, int sx, int sy, int w,
                                       int h) {
    TableCanvas& f = *client_.Canvas();
    const QImage picture = PictureFile::LoadPicture(client_.ResPath(resName));
    if (picture.isNull()) return;
    if (w < 0) {
        f.imgTmpBuf = picture;
    } else {
        // The cut-out goes through the scratch area: placed at (0, 0) in its size, painted,
        // taken as the picture, and cleared.
        PictureBox& scratch = *f.picScoreTmpBuf;
        scratch.Place(0, 0, w, h);
        scratch.Cls();
        Gdi::BitBlt(scratch.Image, 0, 0, w, h, picture, sx, sy, Gdi::SRCCOPY);
        scratch.Refresh();
        f.imgTmpBuf = scratch.Image.copy();
        scratch.Cls();
    }
    clsPaintImageByNullBack painter;
    painter.Form_PaintImageByNullBack(f, f.imgTmpBuf, *f.picTmpBuf, key, x, y);
    // The background copy gets the picture drawn the same way rather than a copy of the
    // window: an animation running over the seat (a finishing player's last combo) is on
    // the window only and must not stay behind in the copy it erases itself from.
    painter.PictureBox_PaintImageByNullBack(*f.picGameBack, f.imgTmpBuf, *f.picTmpBuf, key, x, y);
    GameSurfaces surfaces(client_);
    surfaces.RefreshBack();
}

void modPaint_User::PaintScoreText(GameSurfaces& surfaces, int blackX, int blackY, std::int32_t score) {
    const std::string text = std::to_string(score);
    surfaces.PrintText(blackX, blackY, text, kBlack, kScorePoints, true);
    surfaces.PrintText(blackX - 1, blackY - 1, text, kWhite, kScorePoints, true);
    surfaces.Refresh();
}

void modPaint_User::PaintUserScore(int seat, std::uint8_t place, std::int32_t score) {
    if (place == 0 || (place > 6 && place != kNoPlace) || seat < 0 || seat > 5) return;
    int p = 0;
    Point o;
    if (!PanelOf(seat, p, o)) return;
    // A redraw passes 0: the score received for the same place is shown again.
    SeatResult& kept = udtSeatResult[seat];
    if (score == 0 && kept.blnKnown && kept.btePlace == place) score = kept.lngScore;
    kept = SeatResult{true, place, score};

    client_.paintFangKuai->DrawSeatBoard(seat, true);
    GameSurfaces surfaces(client_);
    const int spriteX = (place == kNoPlace ? 0 : place - 1) * kSpriteWidth;
    if (p != 0) {
        if (place == kNoPlace) return;
        PaintResultPicture("Res\\ScoreSort.bmp", kSpriteKey, o.x + 36, o.y + 8, spriteX, 0, kSpriteWidth,
                           kSpriteHeight);
        PaintResultPicture("Res\\ScorePalard.bmp", kPlacardKey, o.x + 7, o.y + 56, 0, 0, kPlacardWidth, kPlacardHeight);
        PaintScoreText(surfaces, o.x + 67, o.y + 70, score);
        return;
    }
    PaintResultPicture(place == 1 ? "Res\\CurUserWinFlag.bmp" : "Res\\CurUserFailFlag.bmp", kFlagKey, 204, 188);
    // The time-out banner: no place, or out of the game with tiles left (a player who
    // cleared the board is out too, but finished, not timed out).
    const SeatUserDef& user = client_.game.SeatUser[seat];
    if (place == kNoPlace || (user.blnGameOut && user.bteLeftFkCount > 0))
        PaintResultPicture("Res\\TimeEnd.bmp", kTimeEndKey, 214, 188);
    if (place == kNoPlace) return;
    PaintResultPicture("Res\\ScorePalard.bmp", kPlacardKey, 244, 442, 0, 0, kPlacardWidth, kPlacardHeight);
    PaintScoreText(surfaces, 304, 456, score);
    PaintResultPicture("Res\\ScoreSort.bmp", kSpriteKey, 333, 427, spriteX, 0, kSpriteWidth, kSpriteHeight);
}
