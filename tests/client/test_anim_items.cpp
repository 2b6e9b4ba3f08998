// The item flight and its halo, and the item effects on the receiving screen: freeze,
// fog, their countdowns and overlaps, and the compass's marks.
#include "AnimTable.h"
#include "client/game/modGameClock.h"
#include "client/items/clsGuangZhao.h"

using namespace animtable;

namespace {
QRgb Brighter(QRgb p, int add) { return qRgb(qRed(p), std::min(qGreen(p) + add, 255), std::min(qBlue(p) + add, 255)); }
}  // namespace

TEST(DaoJuFlight, AThrowFromTheOwnSeatToPosition1StopsAt60_84AfterTwelveSteps) {
    AnimTable t;
    t.c().daoJuObjects->StartDaoJuAni(2, 0, 1);
    const clsAni_DaoJu& a = t.c().daoJuObjects->g_DaoJuObj[0];
    EXPECT_EQ(a.lngStepCount, 12);
    EXPECT_EQ(a.lngStepX, -20);
    EXPECT_EQ(a.lngStepY, -18);
    t.TickAll();
    EXPECT_EQ(a.lngCurX, 280);
    EXPECT_EQ(a.lngCurY, 282);
    for (int tick = 2; tick <= 12; ++tick) t.TickAll();
    EXPECT_EQ(a.lngCurX, 60);
    EXPECT_EQ(a.lngCurY, 84);

    // The icon at (60, 84) over a halo of radius 25 around its centre (76, 100).
    const int cx = 76, cy = 100;
    EXPECT_EQ(t.win().pixel(cx, cy), IconColor(2));
    EXPECT_EQ(t.win().pixel(cx + 5, cy + 20), Brighter(BackAt(cx + 5, cy + 20), (25 - 21) * 6));
    EXPECT_EQ(t.win().pixel(cx, cy + 20), Brighter(BackAt(cx, cy + 20), (25 - 20) * 6 * 2));  // the cross
    EXPECT_EQ(t.win().pixel(cx + 13, cy), Brighter(BackAt(cx + 13, cy), (25 - 13) * 6 * 2));  // in the icon's border
    EXPECT_EQ(t.win().pixel(cx + 12, cy), Brighter(BackAt(cx + 12, cy), (25 - 12) * 6));      // the cross starts at 13
    EXPECT_EQ(t.win().pixel(cx + 26, cy), BackAt(cx + 26, cy));
    // The frame before (centre (96, 118)) is gone.
    EXPECT_EQ(t.DiffersFromBack(cx + 26, cy - 30, 60, 80), 0);
    EXPECT_EQ(t.DiffersFromBack(0, 0, 612, cy - 25) + t.DiffersFromBack(0, cy + 26, 612, 600), 0);

    // Glowing in place: the halo grows by one a step, 26 to 39, never piling up.
    t.TickAll();
    EXPECT_EQ(t.win().pixel(cx + 25, cy), Brighter(BackAt(cx + 25, cy), 1 * 6 * 2));
    for (int tick = 14; tick <= 26; ++tick) t.TickAll();
    EXPECT_EQ(a.lngCurRadius, 39);
    EXPECT_EQ(t.win().pixel(cx + 38, cy), Brighter(BackAt(cx + 38, cy), 1 * 4 * 2));
    EXPECT_EQ(t.win().pixel(cx, cy + 30), Brighter(BackAt(cx, cy + 30), 9 * 4 * 2));
    EXPECT_EQ(t.win().pixel(cx + 40, cy), BackAt(cx + 40, cy));
    EXPECT_TRUE(t.TimerOn(0));
    t.TickAll();  // tick 27 = 12 + 15 ends it
    EXPECT_FALSE(t.TimerOn(0));
    EXPECT_TRUE(a.blnAniEnd);
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(DaoJuFlight, AnItemOnOneselfGlowsFifteenTicksAtTheSeatAndASameRowThrowIsLevel) {
    AnimTable t;
    t.c().daoJuObjects->StartDaoJuAni(0, 2, 2);
    EXPECT_EQ(t.c().daoJuObjects->g_DaoJuObj[0].lngStepCount, 0);
    t.TickAll();
    EXPECT_EQ(t.win().pixel(174 + 16, 80 + 16), IconColor(0));  // position 2's point
    for (int tick = 2; tick <= 14; ++tick) t.TickAll();
    EXPECT_TRUE(t.TimerOn(0));
    t.TickAll();
    EXPECT_FALSE(t.TimerOn(0));
    EXPECT_EQ(t.DiffersFromBack(), 0);

    // Seat 1 to seat 3, both at y = 80: 238 pixels right, 11 steps of (20, 0).
    t.c().daoJuObjects->StartDaoJuAni(3, 1, 3);
    const clsAni_DaoJu& a = t.c().daoJuObjects->g_DaoJuObj[0];
    EXPECT_EQ(a.lngStepCount, 11);
    EXPECT_EQ(a.lngStepY, 0);
    EXPECT_EQ(t.RunToEnd(), 11 + 15);
    EXPECT_EQ(a.lngCurX, 55 + 220);
    EXPECT_EQ(a.lngCurY, 80);
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(DaoJuFlight, TwoFlightsAtOnceUseTwoEntriesAndTheirOwnIconsAndALaterOneReusesEntry0) {
    AnimTable t;
    t.c().daoJuObjects->StartDaoJuAni(1, 0, 3);
    t.c().daoJuObjects->StartDaoJuAni(6, 4, 0);
    ASSERT_EQ(t.c().daoJuObjects->g_DaoJuObj.Count(), 2);
    ASSERT_EQ(t.f().imgDaoJu.size(), 2u);
    EXPECT_EQ(t.f().imgDaoJu[0].pixel(16, 16), IconColor(1));
    EXPECT_EQ(t.f().imgDaoJu[1].pixel(16, 16), IconColor(6));
    EXPECT_EQ(t.timers().g_AniTimerTask[1].bteObjIdx, 1);
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
    t.c().daoJuObjects->StartDaoJuAni(7, 1, 2);
    EXPECT_EQ(t.timers().g_AniTimerTask[0].bteObjIdx, 0);
    EXPECT_FALSE(t.TimerOn(1));
    EXPECT_EQ(t.f().imgDaoJu[0].pixel(16, 16), IconColor(7));
    EXPECT_EQ(t.c().daoJuObjects->g_DaoJuObj.Count(), 2);
}

TEST(DaoJuFlight, AMissingIconKeepsThePictureTheEntryHadOrNone) {
    AnimTable t(AnimTable::Art{true, {2}});
    t.c().daoJuObjects->StartDaoJuAni(2, 0, 0);
    t.RunToEnd();
    t.c().daoJuObjects->StartDaoJuAni(5, 0, 0);  // no file for item 5
    t.c().daoJuObjects->StartDaoJuAni(5, 1, 1);  // a new entry that never had a picture
    t.TickAll();
    EXPECT_EQ(t.win().pixel(300 + 16, 300 + 16), IconColor(2));
    EXPECT_TRUE(t.f().imgDaoJu[1].isNull());
    // Without a picture the halo centres on the point itself.
    EXPECT_EQ(t.win().pixel(55 + 20, 80), Brighter(BackAt(75, 80), (26 - 20) * 6 * 2));
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(GuangZhao, BrightensGreenAndBlueByTheWorkedFiguresAndStaysInsideThePicture) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(qRgb(10, 20, 30));
    clsGuangZhao halo;
    halo.CircleJiaLiang_Image(img, 50, 50, 25);
    EXPECT_EQ(img.pixel(50, 50), qRgb(10, 170, 180));  // k = 6: +150 in the centre
    EXPECT_EQ(img.pixel(50, 74), qRgb(10, 32, 42));    // the cross: d 24, (25 - 24) x 6 x 2
    EXPECT_EQ(img.pixel(50, 75), qRgb(10, 20, 30));    // d = r adds nothing
    EXPECT_EQ(img.pixel(50, 76), qRgb(10, 20, 30));
    EXPECT_EQ(img.pixel(68, 68), qRgb(10, 20, 30));  // d = 25.46 rounds to 25
    EXPECT_EQ(img.pixel(67, 67), qRgb(10, 26, 36));  // d = 24.04 rounds to 24

    img.fill(qRgb(10, 20, 30));
    halo.CircleJiaLiang_Image(img, 50, 50, 39);
    EXPECT_EQ(img.pixel(50, 50), qRgb(10, 176, 186));  // k = 4: +156

    img.fill(qRgb(10, 200, 250));
    halo.CircleJiaLiang_Image(img, 50, 50, 25);
    EXPECT_EQ(img.pixel(50, 50), qRgb(10, 255, 255));

    // At the picture's edge only the part inside is touched; radius 0 does nothing.
    img.fill(qRgb(10, 20, 30));
    halo.CircleJiaLiang_Image(img, 2, 98, 25);
    EXPECT_EQ(img.pixel(0, 98), qRgb(10, 20 + 23 * 6, 30 + 23 * 6));
    EXPECT_EQ(img.pixel(99, 0), qRgb(10, 20, 30));
    const QImage before = img.copy();
    halo.CircleJiaLiang_Image(img, 50, 50, 0);
    halo.CircleJiaLiang_Image(img, 50, 50, -3);
    EXPECT_EQ(img, before);
}

TEST(DaoJuEffect, AFreezeAt0AndAnotherAt2_5sEndsElevenTicksAfterTheFirst) {
    AnimTable t;
    t.c().gameClock->lngNaoZhongTurns = 9;
    t.c().daoJuEffect->InitNaoZhong();
    EXPECT_EQ(t.c().gameClock->lngNaoZhongTurns, 0);
    WindowTimer& timer = *t.f().tmrJinShou;
    EXPECT_EQ(timer.Interval(), 1000);
    auto press = [&] { t.c().selectFk->Form_MouseDown(1, 26 + 3 * 31 + 10, 200 + 2 * 35 + 10); };

    t.c().daoJuEffect->StartJinShou(5);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(t.c().game.blnCanSelect);
    EXPECT_EQ(t.win().pixel(300, 240), qRgb(255, 50, 50));  // the ring, on both surfaces
    EXPECT_EQ(t.back().pixel(300, 240), qRgb(255, 50, 50));
    EXPECT_EQ(t.win().pixel(300, 300), BackAt(300, 300));   // inside the ring, off the bar
    EXPECT_EQ(t.win().pixel(240, 420), qRgb(255, 50, 50));  // the bar
    press();
    EXPECT_EQ(t.c().selectFk->SelFk, CellPos{});

    int ticks = 0;
    timer.OnTimer();
    timer.OnTimer();
    ticks = 2;
    EXPECT_EQ(t.c().daoJuEffect->lngJinShouSecond, 3);
    t.c().daoJuEffect->StartJinShou(5);  // at 2.5 s
    EXPECT_EQ(t.c().daoJuEffect->lngJinShouSecond, 8);
    while (timer.Enabled() && ticks < 30) {
        timer.OnTimer();
        ++ticks;
        if (ticks == 10) {
            EXPECT_FALSE(t.c().game.blnCanSelect);
        }
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_TRUE(t.c().game.blnCanSelect);
    EXPECT_EQ(t.c().daoJuEffect->lngJinShouSecond, 0);
    // The own board is drawn afresh: no ring, the tiles again.
    EXPECT_NE(t.win().pixel(300, 240), qRgb(255, 50, 50));
    EXPECT_NE(t.back().pixel(300, 240), qRgb(255, 50, 50));
    EXPECT_EQ(t.win().pixel(26 + 8 * 31 + 5, 200 + 35 + 5), paintfix::TileColor((18 + 8) % 39));
    press();
    EXPECT_EQ(t.c().selectFk->SelFk, (CellPos{2, 3}));
}

TEST(DaoJuEffect, FreezeAndFogOverlapAndTheEndOfEitherDrawsTheOtherAgain) {
    AnimTable t;
    auto& fx = *t.c().daoJuEffect;
    WindowTimer& freeze = *t.f().tmrJinShou;
    WindowTimer& fog = *t.f().tmrMengYan;
    const QRgb black = qRgb(0, 0, 0), red = qRgb(255, 50, 50);

    // The freeze first, the fog two ticks later: the freeze ends first.
    fx.StartJinShou(5);
    freeze.OnTimer();
    freeze.OnTimer();
    fx.StartMengYan(5);
    EXPECT_EQ(t.win().pixel(9, 180), black);
    EXPECT_EQ(t.win().pixel(602, 565), black);
    EXPECT_NE(t.win().pixel(603, 565), black);
    EXPECT_NE(t.win().pixel(9, 179), black);
    EXPECT_EQ(t.back().pixel(300, 240), black);
    for (int i = 0; i < 4; ++i) {
        freeze.OnTimer();
        fog.OnTimer();
    }
    EXPECT_FALSE(freeze.Enabled());
    EXPECT_TRUE(fog.Enabled());
    EXPECT_TRUE(t.c().game.blnCanSelect);
    EXPECT_EQ(t.win().pixel(15, 190), black);   // the fog is back over the fresh board
    EXPECT_EQ(t.win().pixel(300, 240), black);  // and over where the ring was
    // An animation over the fog erases to the fog.
    t.c().selectFk->StartDelFkAni(Path({{3, 2}, {3, 4}}));
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
    EXPECT_EQ(t.win().pixel(120, 320), black);
    fog.OnTimer();
    fog.OnTimer();
    EXPECT_FALSE(fog.Enabled());
    EXPECT_EQ(t.win().pixel(15, 190), BackAt(15, 190));
    EXPECT_NE(t.win().pixel(300, 240), red);

    // The fog first: when it ends under a running freeze, the sign comes back.
    fx.StartMengYan(5);
    fog.OnTimer();
    fx.StartJinShou(5);
    EXPECT_EQ(t.win().pixel(300, 240), red);  // the sign is drawn over the fog
    for (int i = 0; i < 5; ++i) {
        fog.OnTimer();
        freeze.OnTimer();
    }
    EXPECT_FALSE(fog.Enabled());
    EXPECT_TRUE(freeze.Enabled());
    EXPECT_EQ(t.win().pixel(15, 190), BackAt(15, 190));
    EXPECT_EQ(t.win().pixel(300, 240), red);
    EXPECT_FALSE(t.c().game.blnCanSelect);
}

TEST(DaoJuEffect, TheCompassMarksTwoTilesWithAFourPixelFrameOnBothSurfaces) {
    AnimTable t;
    t.c().daoJuEffect->PaintZhiNanZhen({2, 3}, {5, 10});
    const QRgb blue = qRgb(100, 100, 250);
    for (QImage* img : {&t.win(), &t.back()}) {
        const int x0 = 26 + 3 * 31, y0 = 200 + 2 * 35;
        EXPECT_EQ(img->pixel(x0, y0), blue);
        EXPECT_EQ(img->pixel(x0 + 3, y0 + 3), blue);
        EXPECT_EQ(img->pixel(x0 + 15, y0 + 3), blue);
        EXPECT_NE(img->pixel(x0 + 4, y0 + 4), blue);
        EXPECT_NE(img->pixel(x0 + 15, y0 + 4), blue);
        EXPECT_EQ(img->pixel(x0 + 30, y0 + 34), blue);
        EXPECT_EQ(img->pixel(x0 + 27, y0 + 31), blue);
        EXPECT_NE(img->pixel(x0 + 26, y0 + 30), blue);
        EXPECT_NE(img->pixel(x0 + 31, y0 + 34), blue);
        EXPECT_NE(img->pixel(x0 + 30, y0 + 35), blue);
        EXPECT_EQ(img->pixel(26 + 10 * 31 + 30, 200 + 5 * 35 + 17), blue);
    }
    EXPECT_EQ(t.DiffersFromBack(), 0);
}
