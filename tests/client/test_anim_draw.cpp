// What the lightning, the blasts and the combo banner put on the window, tick by tick,
// and that nothing of them is left once they have ended, also when several overlap.
#include <set>

#include "AnimTable.h"
#include "client/items/modDaoJuEffect.h"
#include "client/paint/modPaint_User.h"

using namespace animtable;

namespace {
// The rectangle [x0, x1) x [y0, y1).
struct Rect {
    int x0, y0, x1, y1;
    bool Has(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// Every pixel of the window that an animation drew (blue in it) lies in one of the
// rectangles, and every pixel of them was drawn.
void ExpectDrawnExactly(AnimTable& t, std::initializer_list<Rect> rects) {
    int outside = 0, missing = 0;
    for (int y = 0; y < AnimTable::kBackHeight; ++y)
        for (int x = 0; x < AnimTable::kBackWidth; ++x) {
            bool in = false;
            for (const Rect& r : rects) in = in || r.Has(x, y);
            if (t.Drawn(x, y) && !in) ++outside;
            if (!t.Drawn(x, y) && in) ++missing;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(missing, 0);
}

QRgb Mix(QRgb src, QRgb dst, int level) {
    auto m = [level](int s, int d) { return (s * level + d * (255 - level) + 127) / 255; };
    return qRgb(m(qRed(src), qRed(dst)), m(qGreen(src), qGreen(dst)), m(qBlue(src), qBlue(dst)));
}
}  // namespace

TEST(ShanDian, OneGapGivesTwoPiecesOf31And1PixelsInEitherDirection) {
    AnimTable t;
    t.c().shanDianObjects->StartShanDianAni(Path({{3, 2}, {3, 4}}));    // a row
    t.c().shanDianObjects->StartShanDianAni(Path({{8, 15}, {6, 15}}));  // a column, upwards
    t.TickAll();
    // Row: from x = 88 + 15 + 15 to 150 - 15 + 15, 24 high from y = 305 + 5.
    const int top = 310, left = 118;
    int piece = -1;
    for (int x = left; x < left + 32; ++x)
        for (int j = 0; j < 24; ++j) {
            const StripPixel p = DecodeStrip(t.win().pixel(x, top + j));
            ASSERT_FALSE(p.vertical) << x << "," << j;
            EXPECT_EQ(p.along, x < left + 31 ? x - left : 0);
            EXPECT_EQ(p.across, j);
            EXPECT_GE(p.piece, 0);
            EXPECT_LT(p.piece, 14);
            if (x == left) piece = p.piece;
            if (x < left + 31) {
                EXPECT_EQ(p.piece, piece);  // one piece, 31 wide
            }
        }
    // Column (6,15)-(8,15): x = 26 + 465 + 4, from y = 410 + 17 + 17 to 480 - 17 + 17.
    const int vx = 495, vtop = 444;
    for (int y = vtop; y < vtop + 36; ++y) {
        const StripPixel p = DecodeStrip(t.win().pixel(vx + 3, y));
        ASSERT_TRUE(p.vertical) << y;
        EXPECT_EQ(p.along, y < vtop + 35 ? y - vtop : 0);
        EXPECT_EQ(p.across, 3);
    }
    ExpectDrawnExactly(t, {{left, top, left + 32, top + 24}, {vx, vtop, vx + 23, vtop + 36}});

    // Three drawing ticks, then the fourth puts the background back.
    t.TickAll();
    t.TickAll();
    EXPECT_GT(t.DiffersFromBack(), 0);
    t.TickAll();
    EXPECT_EQ(t.DiffersFromBack(), 0);
    EXPECT_EQ(t.EnabledTimers(), 0);
}

TEST(ShanDian, AFourNodePathDrawsFirstMiddleAndLastSegments) {
    AnimTable t;
    // (4,2) -> (4,0) -> (8,0) -> (8,3): left along row 4, down column 0, right along row 8.
    t.c().shanDianObjects->StartShanDianAni(Path({{4, 2}, {4, 0}, {8, 0}, {8, 3}}));
    t.TickAll();
    // First: shortened at the tile (its right end), not at the corner.
    const Rect first{41, 345, 88, 369};
    // Middle: the whole 140 pixels between the corners, four pieces of 35.
    const Rect middle{30, 357, 53, 497};
    // Last: shortened at the tile (its right end).
    const Rect last{41, 485, 119, 509};
    ExpectDrawnExactly(t, {first, middle, last});
    for (int y = middle.y0; y < last.y0; ++y) {
        const StripPixel p = DecodeStrip(t.win().pixel(40, y));
        ASSERT_TRUE(p.vertical);
        EXPECT_EQ(p.along, (y - middle.y0) % 35);
        EXPECT_EQ(p.across, 10);
    }
    for (int x = middle.x1; x < first.x1; ++x) {
        const StripPixel p = DecodeStrip(t.win().pixel(x, 350));
        ASSERT_FALSE(p.vertical);
        EXPECT_EQ(p.along, (x - first.x0) % 31);
    }
    for (int x = middle.x1; x < last.x1; ++x) EXPECT_EQ(DecodeStrip(t.win().pixel(x, 500)).along, (x - last.x0) % 31);
    EXPECT_EQ(t.RunToEnd(), 3);
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(ShanDian, PiecesAreChosenFromAllFourteenAndAllTwelve) {
    AnimTable t;
    clsAni_ShanDian& row = t.c().shanDianObjects->g_ShanDianObj[0];
    const std::int32_t rowNodes[4] = {9, 0, 9, 17};
    ASSERT_TRUE(row.InitAniInfo(0, 50, 1000, 2, rowNodes));
    std::set<int> hz, vs;
    for (int tick = 0; tick < 40; ++tick) {
        row.DispCurAni();
        for (int x = 26 + 30; x < 26 + 17 * 31; x += 31) hz.insert(DecodeStrip(t.win().pixel(x, 200 + 315 + 5)).piece);
    }
    const int colIndex = t.c().shanDianObjects->GetFreeShanDianObject();
    clsAni_ShanDian& col = t.c().shanDianObjects->g_ShanDianObj[colIndex];
    const std::int32_t colNodes[4] = {0, 17, 9, 17};
    ASSERT_TRUE(col.InitAniInfo(colIndex, 50, 1000, 2, colNodes));
    for (int tick = 0; tick < 40; ++tick) {
        col.DispCurAni();
        for (int y = 200 + 34; y < 200 + 9 * 35; y += 35)
            vs.insert(DecodeStrip(t.win().pixel(26 + 17 * 31 + 4, y)).piece);
    }
    EXPECT_EQ(hz.size(), 14u);
    EXPECT_EQ(*hz.begin(), 0);
    EXPECT_EQ(*hz.rbegin(), 13);
    EXPECT_EQ(vs.size(), 12u);
    EXPECT_EQ(*vs.begin(), 0);
    EXPECT_EQ(*vs.rbegin(), 11);
}

TEST(Blast, ThreeFramesOverEachOtherThenTheBackgroundOnTheFourthTick) {
    AnimTable t;
    // A diagonal "path" draws no lightning, so only the two blasts show.
    t.c().selectFk->StartDelFkAni(Path({{0, 0}, {3, 5}}));
    EXPECT_EQ(t.c().blastObjects->g_BlastObj[0].lngBlastX, -4);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj[0].lngBlastY, 171);
    t.TickAll();
    // Cell (0, 0): the rectangle (-4, 171) 88 x 80, clipped at the window's left.
    EXPECT_EQ(t.win().pixel(0, 171), BlastColor(1));
    EXPECT_EQ(t.win().pixel(83, 250), BlastColor(1));
    EXPECT_FALSE(t.Drawn(84, 171));
    EXPECT_FALSE(t.Drawn(0, 170));
    EXPECT_FALSE(t.Drawn(0, 251));
    // Cell (3, 5): (151, 276); the magenta key lets the background through.
    const int X = 26 + 5 * 31 - 30, Y = 200 + 3 * 35 - 29;
    EXPECT_EQ(t.win().pixel(X, Y + 40), BackAt(X, Y + 40));
    EXPECT_EQ(t.win().pixel(X + 30, Y + 40), BlastColor(1));
    t.TickAll();
    t.TickAll();
    EXPECT_EQ(t.win().pixel(X, Y + 40), BackAt(X, Y + 40));
    EXPECT_EQ(t.win().pixel(X + 5, Y + 40), BlastColor(1));
    EXPECT_EQ(t.win().pixel(X + 15, Y + 40), BlastColor(2));
    EXPECT_EQ(t.win().pixel(X + 30, Y + 40), BlastColor(3));
    EXPECT_EQ(t.win().pixel(X + 87, Y + 79), BlastColor(3));
    EXPECT_TRUE(t.TimerOn(0));
    t.TickAll();
    EXPECT_FALSE(t.TimerOn(0));
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(Blast, AMissingFrameIsLeftOutAndTheRestoreStillComes) {
    AnimTable t(AnimTable::Art{true, {}, {1, 3}});
    t.c().selectFk->StartDelFkAni(Path({{2, 2}, {2, 2 + 6}}));
    const int X = 26 + 2 * 31 - 30, Y = 200 + 2 * 35 - 29;
    t.TickAll();
    const QImage afterFirst = t.win().copy();
    t.TickAll();
    EXPECT_EQ(t.win().pixel(X + 15, Y + 40), BlastColor(1));  // no frame 2
    t.TickAll();
    EXPECT_EQ(t.win().pixel(X + 30, Y + 40), BlastColor(3));
    t.TickAll();
    EXPECT_EQ(t.DiffersFromBack(), 0);
    EXPECT_NE(afterFirst, t.win());
}

TEST(LianJi, TheBannerRisesFromItsSeatFadesAndIsErasedOnTick13) {
    AnimTable t;
    t.c().lianJiObjects->StartLianJiAni(1, "3/5");  // seat 1 at display position 1
    const int X = 18;
    // Full opacity on ticks 1 to 7 (the first fading step still at 255), then 42 less a tick.
    const int levels[13] = {0, 255, 255, 255, 255, 255, 255, 255, 213, 171, 129, 87, 45};
    for (int tick = 1; tick <= 12; ++tick) {
        t.TickAll();
        const int y = 55 - 2 * tick;
        const int level = levels[tick];
        auto shows = [&](int bx, int by, QRgb banner) {
            return t.win().pixel(X + bx, y + by) == Mix(banner, BackAt(X + bx, y + by), level);
        };
        EXPECT_TRUE(shows(5, 5, kBannerColor)) << tick;                              // the badge
        EXPECT_TRUE(shows(51, 6, GlyphColor(3))) << tick;                            // "3" at x 50
        EXPECT_TRUE(shows(61, 6, GlyphColor(10))) << tick;                           // "/" at x 60
        EXPECT_TRUE(shows(71, 6, GlyphColor(5))) << tick;                            // "5" at x 70
        EXPECT_EQ(t.win().pixel(X + 50, y + 5), BackAt(X + 50, y + 5)) << tick;      // black glyph pixel
        EXPECT_EQ(t.win().pixel(X + 100, y + 10), BackAt(X + 100, y + 10)) << tick;  // the see-through part
        EXPECT_EQ(t.DiffersFromBack(X, y + 24, 110, 2), 0) << tick;                  // the old place is clean
        EXPECT_EQ(t.DiffersFromBack(0, 0, 612, y) + t.DiffersFromBack(0, y + 24, 612, 600), 0) << tick;
    }
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].lngLianJiY, 31);
    EXPECT_TRUE(t.TimerOn(0));
    t.TickAll();
    EXPECT_FALSE(t.TimerOn(0));
    EXPECT_EQ(t.DiffersFromBack(), 0);
    EXPECT_TRUE(t.c().lianJiObjects->g_LianJiObj[0].blnAniEnd);
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].bteAlphaLevel, 255);

    // The own seat's banner starts at (46, 500).
    t.c().lianJiObjects->StartLianJiAni(0, "1/1");
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].lngLianJiX, 46);
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].lngLianJiY, 500);
}

TEST(LianJi, TwoBannersForOneSeatKeepTheirOwnPicturesAndEraseOnlyTheirOwnPlaces) {
    AnimTable t;
    t.c().lianJiObjects->StartLianJiAni(4, "2/9");
    t.TickAll();
    t.TickAll();
    t.c().lianJiObjects->StartLianJiAni(4, "7/9");
    ASSERT_EQ(t.f().picLianJi.size(), 2u);
    EXPECT_NE(t.f().picLianJi[0], t.f().picLianJi[1]);
    EXPECT_EQ(t.f().imgLianJi[0].pixel(51, 6), GlyphColor(2));
    EXPECT_EQ(t.f().imgLianJi[1].pixel(51, 6), GlyphColor(7));
    t.TickAll();
    // The newer banner, drawn later at y = 53, is whole over the older one at y = 49,
    // whose top rows still show.
    EXPECT_EQ(t.win().pixel(375 + 51, 53 + 6), GlyphColor(7));
    EXPECT_EQ(t.win().pixel(375 + 5, 49 + 1), kBannerColor);
    EXPECT_EQ(t.RunToEnd(), 12);
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(LianJi, WithoutTheBannerFileTheLastPictureRunsAndIsErased) {
    AnimTable t;
    t.c().lianJiObjects->StartLianJiAni(0, "1/2");
    t.RunToEnd();
    std::filesystem::remove(paintfix::PathOf(t.h.AppFolder(), "Res\\LianJiBk.bmp").toStdString());
    t.c().lianJiObjects->StartLianJiAni(0, "8/8");
    t.TickAll();
    EXPECT_EQ(t.win().pixel(46 + 51, 498 + 6), GlyphColor(1));  // the old picture
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);

    AnimTable bare(AnimTable::Art{false});
    EXPECT_FALSE(bare.c().lianJiObjects->g_LianJiObj[0].InitAniInfo(0, 60, 12, 46, 500, "1/1"));
    bare.c().lianJiObjects->g_LianJiObj[0].Class_Initialize();
    bare.c().lianJiObjects->StartLianJiAni(0, "1/1");
    EXPECT_EQ(bare.RunToEnd(), 13);
    EXPECT_EQ(bare.DiffersFromBack(), 0);
}

TEST(AniOverlap, ManyTasksAtOnceLeaveNothingBehindAndKeepTheFreezeSign) {
    AnimTable t;
    t.c().daoJuEffect->PaintJinShou();
    const QRgb ring = t.win().pixel(300, 240);
    ASSERT_EQ(ring, qRgb(255, 50, 50));
    auto& sel = *t.c().selectFk;
    sel.StartDelFkAni(Path({{0, 2}, {-1, 2}, {-1, 5}, {0, 5}}));  // round the top of the board
    sel.StartDelFkAni(Path({{4, 2}, {4, 0}, {8, 0}, {8, 3}}));
    t.c().lianJiObjects->StartLianJiAni(0, "4/6");
    t.TickAll();
    t.c().daoJuObjects->StartDaoJuAni(2, 0, 1);  // across the own board to seat 1
    t.c().daoJuObjects->StartDaoJuAni(5, 3, 0);
    sel.StartDelFkAni(Path({{9, 17}, {10, 17}, {10, 16}, {9, 16}}));  // round the bottom right corner
    t.TickAll();
    t.c().shanDianObjects->StartShanDianAni(Path({{2, 1}, {2, 9}}));
    t.c().lianJiObjects->StartLianJiAni(0, "5/6");
    sel.StartDelFkAni(Path({{5, 8}, {5, 9}}));
    EXPECT_GE(t.EnabledTimers(), 8);
    EXPECT_GT(t.DiffersFromBack(), 0);
    t.RunToEnd();
    EXPECT_EQ(t.EnabledTimers(), 0);
    EXPECT_EQ(t.DiffersFromBack(), 0);
    EXPECT_EQ(t.win().pixel(300, 240), ring);
}

// A result drawn over a seat while its combo banner still rises (the finishing pair's
// combo): the banner ends erased down to the result, nothing of it stays behind.
TEST(AniOverlap, AResultDrawnUnderARunningBannerKeepsNoneOfIt) {
    AnimTable t;
    paintfix::WriteScoreArt(t.h.AppFolder());
    t.c().lianJiObjects->StartLianJiAni(1, "7/7");
    for (int i = 0; i < 4; ++i) t.TickAll();
    ASSERT_GT(t.DiffersFromBack(10, 32, 117, 140), 0);  // the banner is on the seat
    t.c().paintUser->PaintUserScore(1, 1, 0);
    EXPECT_EQ(t.back().pixel(10 + 36 + 20, 32 + 8 + 20), paintfix::SpriteColor(1));
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
    int banner = 0;
    for (int y = 32; y < 172; ++y)
        for (int x = 10; x < 127; ++x) banner += t.win().pixel(x, y) == kBannerColor;
    EXPECT_EQ(banner, 0);
    EXPECT_EQ(t.win().pixel(10 + 36 + 20, 32 + 8 + 20), paintfix::SpriteColor(1));
}
