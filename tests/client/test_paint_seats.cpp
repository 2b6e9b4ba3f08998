// Seat panels and results: free and taken seats, group bars, tiles-left boxes, the
// connection mark, the raised hand, and the results drawn over finished boards.
#include <gtest/gtest.h>

#include "ClientHarness.h"
#include "PaintFixtures.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/paint/modPaint_User.h"
#include "client/platform/PictureBox.h"

namespace {

struct SeatTable {
    harness::Harness h;
    SeatTable() {
        const std::string app = h.AppFolder();
        paintfix::WriteTileSheets(app);
        paintfix::WriteGameBack(app);
        paintfix::WriteSeatArt(app);
        paintfix::WriteScoreArt(app);
        paintfix::WriteSolidBmp(app, "Res\\NetBreak.bmp", 20, 20, qRgb(255, 128, 0));
        paintfix::WriteIcon(app, "Res\\Hand.ico", 32, qRgb(250, 200, 150), 6);
        EXPECT_TRUE(h.Start());
        paintfix::SeatSixPlayers(*h.client);
    }
    TableClient& c() { return *h.client; }
    SeatUserDef& seat(int s) { return h.client->game.SeatUser[s]; }
    QImage& window() { return h.Main().Image; }
    QImage& back() { return h.Main().picGameBack->Image; }
    modPaint_User& user() { return *h.client->paintUser; }
    QImage Region(int x, int y, int w, int hh) { return window().copy(x, y, w, hh); }
};

int CountColorIn(const QImage& img, int x, int y, int w, int h, QRgb c) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) n += img.pixel(xx, yy) == c;
    return n;
}

// The rightmost column of white pixels in a block (-1 for none).
int RightmostWhite(const QImage& img, int x, int y, int w, int h) {
    int right = -1;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            if (img.pixel(xx, yy) == qRgb(255, 255, 255)) right = std::max(right, xx);
    return right;
}

}  // namespace

TEST(SeatPanels, AFreeSmallSeatShowsOnlyItsBackground) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    // Seat 1 leaves: its panel is redrawn as the room handler does for a departure.
    t.seat(1) = SeatUserDef{};
    t.user().PaintUserSeat(1);
    t.user().PaintUserHand(1);
    t.user().PaintUserNetBreak(1);
    EXPECT_EQ(CountColorIn(t.window(), 10, 32, 117, 140, paintfix::kOtherOutColor), 117 * 140);
    EXPECT_EQ(CountColorIn(t.back(), 10, 32, 117, 140, paintfix::kOtherOutColor), 117 * 140);
    // And so it stays through a whole redraw: no number, no bar, no count, no tiles.
    t.c().mainForm->RedrawAllSeats();
    EXPECT_EQ(CountColorIn(t.window(), 10, 32, 117, 140, paintfix::kOtherOutColor), 117 * 140);
    // Its neighbour is taken: background, number, bar.
    EXPECT_EQ(t.window().pixel(129 + 2, 32 + 2), paintfix::kOtherInColor);
    EXPECT_EQ(t.window().pixel(129 + 85 + 12, 32 + 6 + 12), paintfix::PosNoColor(2));
}

TEST(SeatPanels, TheOwnSeatFreeShowsItsPictureAndAnEmptyBoard) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    EXPECT_EQ(t.window().pixel(26, 200), paintfix::TileColor(0));
    t.seat(0) = SeatUserDef{};
    t.user().PaintUserSeat(0);
    EXPECT_EQ(CountColorIn(t.window(), 614, 108, 177, 56, paintfix::kCurOutColor), 177 * 56);
    EXPECT_EQ(t.window().pixel(26, 200), paintfix::BackColor(26, 200));
    EXPECT_EQ(t.window().pixel(583, 549), paintfix::BackColor(583, 549));
    EXPECT_EQ(t.back().pixel(26, 200), paintfix::BackColor(26, 200));
}

TEST(SeatPanels, GroupBarsTakeTheRowOfTheGroup) {
    SeatTable t;
    t.seat(2).bteFenZu = 2;
    t.seat(0).bteFenZu = 2;
    t.user().PaintUserFenZu(2);
    t.user().PaintUserFenZu(0);
    // Small seat at position 2: bar (x + 1, y + 105), 115 x 33, from sheet y 66.
    const int bx = 129 + 1, by = 32 + 105;
    EXPECT_EQ(t.window().pixel(bx + 114, by + 32), paintfix::GroupRowColor(2, false));
    EXPECT_EQ(t.window().pixel(bx, by), paintfix::GroupRowColor(2, false));
    EXPECT_EQ(t.window().pixel(bx + 115, by + 32), paintfix::BackColor(bx + 115, by + 32));
    // Own seat: bar at (614, 108), 177 x 56, from sheet y 112.
    EXPECT_EQ(t.window().pixel(614 + 176, 108 + 55), paintfix::GroupRowColor(2, true));
    // The name is printed in black on the bar, and the background copy gets the same bar.
    EXPECT_GT(CountColorIn(t.window(), bx + 6, by + 3, 40, 14, qRgb(0, 0, 0)), 0);
    EXPECT_EQ(t.back().copy(bx, by, 115, 33), t.window().copy(bx, by, 115, 33));
    // Another group repaints the whole bar, text included.
    t.seat(2).bteFenZu = 1;
    t.seat(2).strUserName = "";
    t.seat(2).strUserTitle = "";
    t.user().PaintUserFenZu(2);
    EXPECT_EQ(CountColorIn(t.window(), bx, by, 115, 33, paintfix::GroupRowColor(1, false)), 115 * 33);
}

TEST(SeatPanels, TilesLeftBoxesShowTheCountInYellowOnBothSurfaces) {
    SeatTable t;
    t.seat(2).bteLeftFkCount = 7;
    t.seat(0).bteLeftFkCount = 136;
    t.user().PaintUserSeat(2);
    t.user().PaintUserFkCount(2);
    t.user().PaintUserFkCount(0);
    const int x = 129 + 8, y = 32 + 8;
    EXPECT_EQ(t.window().pixel(x + 30, y + 13), qRgb(115, 166, 255));  // the far corner
    EXPECT_EQ(t.window().pixel(x + 31, y + 13), paintfix::kOtherInColor);
    EXPECT_GT(CountColorIn(t.window(), x, y, 31, 14, qRgb(255, 255, 0)), 5);
    EXPECT_EQ(t.back().copy(x, y, 31, 14), t.window().copy(x, y, 31, 14));
    // Own seat: at (544, 573) in the darker box colour, a wider number.
    EXPECT_EQ(t.window().pixel(544 + 30, 573 + 13), qRgb(49, 77, 115));
    EXPECT_GT(CountColorIn(t.window(), 544 + 16, 573, 15, 14, qRgb(255, 255, 0)), 0);
    EXPECT_EQ(t.back().copy(544, 573, 31, 14), t.window().copy(544, 573, 31, 14));
    // A free seat has no box.
    t.seat(3) = SeatUserDef{};
    const QImage before = t.window();
    t.user().PaintUserFkCount(3);
    t.user().PaintUserFkCount(6);
    EXPECT_EQ(t.window(), before);
}

TEST(SeatPanels, ConnectionMarkComesAndGoesWithTheBar) {
    SeatTable t;
    t.user().PaintUserFenZu(4);
    const int mx = 367 + 83, my = 32 + 106;
    t.seat(4).blnNetBreak = true;
    t.user().PaintUserNetBreak(4);
    EXPECT_EQ(CountColorIn(t.window(), mx, my, 20, 20, qRgb(255, 128, 0)), 400);
    EXPECT_EQ(CountColorIn(t.back(), mx, my, 20, 20, qRgb(255, 128, 0)), 400);
    t.seat(4).blnNetBreak = false;
    t.user().PaintUserNetBreak(4);
    EXPECT_EQ(CountColorIn(t.window(), mx, my, 20, 20, qRgb(255, 128, 0)), 0);
    EXPECT_EQ(t.window().pixel(mx + 19, my + 19), paintfix::GroupRowColor(t.seat(4).bteFenZu, false));
    // Own seat: the mark at (754, 121).
    t.seat(0).blnNetBreak = true;
    t.user().PaintUserNetBreak(0);
    EXPECT_EQ(t.window().pixel(754, 121), qRgb(255, 128, 0));
}

TEST(SeatPanels, RaisedHandIsDrawnWithItsTransparencyAndClearedWithTheBoard) {
    SeatTable t;
    t.c().game.blnGameStopped = true;
    t.seat(3).blnReady = true;
    t.seat(3).TileGrid = TileGridT{};
    t.user().PaintUserSeat(3);
    t.user().PaintUserHand(3);
    const int hx = 248 + 50, hy = 32 + 56;
    EXPECT_EQ(t.window().pixel(hx + 16, hy + 16), qRgb(250, 200, 150));
    EXPECT_EQ(t.back().pixel(hx + 16, hy + 16), qRgb(250, 200, 150));
    EXPECT_EQ(t.window().pixel(hx + 1, hy + 1), paintfix::kOtherInColor);  // transparent border
    t.seat(3).blnReady = false;
    t.user().PaintUserHand(3);
    EXPECT_EQ(t.window().pixel(hx + 16, hy + 16), paintfix::kOtherInColor);
    // Own seat at (294, 338).
    t.seat(0).blnReady = true;
    t.user().PaintUserHand(0);
    EXPECT_EQ(t.window().pixel(294 + 16, 338 + 16), qRgb(250, 200, 150));
}

TEST(Results, SmallSeatShowsSpritePlacardAndShadowedScore) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    const int x0 = 10 + 119 * 2, y0 = 32;  // seat 3 at position 3
    t.user().PaintUserScore(3, 6, 250);
    // Place 6 takes the cell at x = 205; black (its key) leaves the board showing.
    EXPECT_EQ(t.window().pixel(x0 + 36 + 20, y0 + 8 + 20), paintfix::SpriteColor(6));
    EXPECT_EQ(t.window().pixel(x0 + 36 + 1, y0 + 8 + 20), paintfix::kOtherInColor);
    EXPECT_EQ(t.window().pixel(x0 + 7 + 10, y0 + 56 + 2), paintfix::kPlacardColor);
    EXPECT_NE(t.window().pixel(x0 + 7 + 1, y0 + 56 + 2), paintfix::kPlacardColor);
    // The score: white over black, on both surfaces.
    EXPECT_GT(CountColorIn(t.window(), x0 + 66, y0 + 69, 40, 20, qRgb(255, 255, 255)), 5);
    EXPECT_GT(CountColorIn(t.window(), x0 + 66, y0 + 69, 40, 20, qRgb(0, 0, 0)), 5);
    EXPECT_EQ(t.back().copy(x0, y0, 117, 140), t.window().copy(x0, y0, 117, 140));
    // The board under it went grey.
    EXPECT_EQ(t.window().pixel(261 + 2, 61 + 2), paintfix::GreyTileColor(0));
}

TEST(Results, NoPlaceOnASmallSeatOnlyGreysTheBoard) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    t.user().PaintUserScore(2, 255, 0);
    EXPECT_EQ(t.window().pixel(142 + 2, 61 + 2), paintfix::GreyTileColor(0));
    EXPECT_EQ(CountColorIn(t.window(), 129, 32, 117, 140, paintfix::kPlacardColor), 0);
    for (int place = 1; place <= 6; ++place)
        EXPECT_EQ(CountColorIn(t.window(), 129, 32, 117, 140, paintfix::SpriteColor(place)), 0);
}

TEST(Results, OwnSeatWithoutPlaceShowsFailAndTimeOutOnly) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    t.user().PaintUserScore(0, 255, 0);
    EXPECT_EQ(t.window().pixel(210, 300), paintfix::kFailColor);
    EXPECT_EQ(t.window().pixel(204, 300), paintfix::GreyTileColor(2));  // the key strip shows the grey board
    EXPECT_EQ(t.window().pixel(250, 200), paintfix::kTimeEndColor);
    EXPECT_EQ(CountColorIn(t.window(), 244, 442, 101, 42, paintfix::kPlacardColor), 0);
    EXPECT_EQ(t.back().copy(204, 188, 194, 234), t.window().copy(204, 188, 194, 234));
}

TEST(Results, OwnSeatWinnerAfterTimeOutShowsEverythingInOrder) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    t.seat(0).blnGameOut = true;
    t.user().PaintUserScore(0, 1, 480);
    EXPECT_EQ(t.window().pixel(210, 300), paintfix::kWinColor);
    EXPECT_EQ(t.window().pixel(250, 200), paintfix::kTimeEndColor);  // the banner over the picture
    EXPECT_EQ(t.window().pixel(244 + 10, 442 + 2), paintfix::kPlacardColor);
    EXPECT_EQ(t.window().pixel(333 + 20, 427 + 20), paintfix::SpriteColor(1));  // the sprite last, over the placard
    EXPECT_GT(CountColorIn(t.window(), 303, 455, 40, 20, qRgb(255, 255, 255)), 5);
    EXPECT_EQ(t.back().copy(204, 188, 200, 300), t.window().copy(204, 188, 200, 300));
}

TEST(Results, InvalidPlacesAndSeatsDrawNothing) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    const QImage before = t.window();
    t.user().PaintUserScore(1, 0, 10);
    t.user().PaintUserScore(1, 7, 10);
    t.user().PaintUserScore(1, 254, 10);
    t.user().PaintUserScore(6, 1, 10);
    t.user().PaintUserScore(-1, 1, 10);
    EXPECT_EQ(t.window(), before);
    EXPECT_FALSE(t.user().udtSeatResult[1].blnKnown);
}

TEST(Results, NegativeScoresKeepTheirMinusSign) {
    int right[2];
    const std::int32_t scores[2] = {35, -35};
    for (int i = 0; i < 2; ++i) {
        SeatTable t;
        t.user().PaintUserScore(1, 2, scores[i]);
        right[i] = RightmostWhite(t.window(), 10 + 66, 32 + 69, 50, 20);
    }
    EXPECT_GT(right[1], right[0]);
}

TEST(Results, ScoresReceivedAtTheEndSurviveARedrawUntilTheBoardsAreCleared) {
    SeatTable t;
    t.c().mainForm->RedrawAllSeats();
    auto& g = t.c().game;
    // Seat 2 timed out with place 4 (score 0 then), the game ends with its real score.
    t.seat(2).blnGameOut = true;
    t.seat(2).btePlace = 4;
    t.user().PaintUserScore(2, 4, 0);
    g.blnGameStopped = true;
    t.user().PaintUserScore(2, 4, -120);
    const QImage placard = t.Region(129 + 7 + 3, 32 + 56, 98, 42);  // placard and score
    g.ResetBoards();  // the end of a game clears the seats' places and grids
    t.c().mainForm->RedrawAllSeats();
    EXPECT_EQ(t.Region(129 + 7 + 3, 32 + 56, 98, 42), placard);
    EXPECT_EQ(t.user().udtSeatResult[2].lngScore, -120);
    // The boards are cleared for the next game: the result goes with them.
    t.c().paintFangKuai->DrawSeatBoardBack(2);
    EXPECT_FALSE(t.user().udtSeatResult[2].blnKnown);
    t.c().mainForm->RedrawAllSeats();
    EXPECT_EQ(CountColorIn(t.window(), 129, 32, 117, 140, paintfix::kPlacardColor), 0);
    // The next game's time-out at the same place shows 0, not the old score.
    g.blnGameStopped = false;
    t.user().PaintUserScore(2, 4, 0);
    EXPECT_EQ(t.user().udtSeatResult[2].lngScore, 0);
    // A result leaves with the player who leaves the seat.
    t.user().PaintUserScore(3, 2, 75);
    t.seat(3) = SeatUserDef{};
    t.user().PaintUserSeat(3);
    EXPECT_FALSE(t.user().udtSeatResult[3].blnKnown);
}
