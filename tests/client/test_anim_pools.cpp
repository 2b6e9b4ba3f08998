// Animation tasks and pools: which timers and pool entries the starters take, when the
// timers stop, reuse of the lowest entries, the 250-entry cap of the task record, the
// minimised window, the release at unload, and the starts from the game messages.
#include "AnimTable.h"
#include "GameTable.h"
#include "core/GameMessages.h"

using namespace animtable;

namespace {
const LinkPath kGapPath = Path({{3, 2}, {3, 4}});  // one empty cell between
const LinkPath kOtherGap = Path({{6, 10}, {6, 12}});
const LinkPath kNeighbours = Path({{5, 7}, {5, 8}});
}  // namespace

TEST(AniPools, TwoRemovalsInOneTickUseTwoTimersAndTwoObjectSetsThenReuseTheLowest) {
    AnimTable t;
    auto& sel = *t.c().selectFk;
    sel.StartDelFkAni(kGapPath);
    sel.StartDelFkAni(kOtherGap);
    ASSERT_EQ(t.f().tmrAni.size(), 2u);
    EXPECT_TRUE(t.TimerOn(0));
    EXPECT_TRUE(t.TimerOn(1));
    EXPECT_EQ(t.f().tmrAni[0]->Interval(), 50);
    const AniTimerTask a = t.timers().g_AniTimerTask[0], b = t.timers().g_AniTimerTask[1];
    EXPECT_EQ(a.bteAniType, ANITYPE_DELFK);
    EXPECT_EQ(b.bteAniType, ANITYPE_DELFK);
    EXPECT_EQ(a.bteShanDianIdx, 0);
    EXPECT_EQ(b.bteShanDianIdx, 1);
    EXPECT_EQ((std::array<int, 4>{a.bteBlastIdx1, a.bteBlastIdx2, b.bteBlastIdx1, b.bteBlastIdx2}),
              (std::array<int, 4>{0, 1, 2, 3}));
    // The blasts sit on the two end tiles of their own path.
    EXPECT_EQ(t.c().blastObjects->g_BlastObj[2].lngBlastX, 26 + 10 * 31 - 30);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj[3].lngBlastX, 26 + 12 * 31 - 30);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj[3].lngBlastY, 200 + 6 * 35 - 29);

    // Lightning and blasts end together on the fourth tick.
    for (int tick = 1; tick <= 3; ++tick) t.TickAll();
    EXPECT_EQ(t.EnabledTimers(), 2);
    t.TickAll();
    EXPECT_EQ(t.EnabledTimers(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(t.c().blastObjects->g_BlastObj[i].blnAniEnd);

    // The next removal takes timer 0, lightning 0 and blasts 0 and 1 again; nothing grows.
    sel.StartDelFkAni(kOtherGap);
    EXPECT_TRUE(t.TimerOn(0));
    EXPECT_FALSE(t.TimerOn(1));
    const AniTimerTask c = t.timers().g_AniTimerTask[0];
    EXPECT_EQ(c.bteShanDianIdx, 0);
    EXPECT_EQ(c.bteBlastIdx1, 0);
    EXPECT_EQ(c.bteBlastIdx2, 1);
    EXPECT_EQ(t.f().tmrAni.size(), 2u);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj.Count(), 4);
    EXPECT_EQ(t.c().shanDianObjects->g_ShanDianObj.Count(), 2);
    EXPECT_EQ(t.timers().g_AniTimerTask.size(), t.f().tmrAni.size());
}

TEST(AniPools, NeighboursGetTwoBlastsAndNoLightningAndTheTimerStopsAfterTheBlasts) {
    AnimTable t;
    t.c().selectFk->StartDelFkAni(kNeighbours);
    const AniTimerTask task = t.timers().g_AniTimerTask[0];
    EXPECT_EQ(task.bteShanDianIdx, kNoShanDian);
    EXPECT_TRUE(t.c().shanDianObjects->g_ShanDianObj[0].blnAniEnd);
    EXPECT_FALSE(t.c().blastObjects->g_BlastObj[0].blnAniEnd);
    EXPECT_FALSE(t.c().blastObjects->g_BlastObj[1].blnAniEnd);
    EXPECT_EQ(t.RunToEnd(), 4);
    EXPECT_EQ(t.c().shanDianObjects->g_ShanDianObj.Count(), 1);

    // The hint's lightning refuses touching tiles too, in a column as in a row.
    t.c().shanDianObjects->StartShanDianAni(kNeighbours);
    t.c().shanDianObjects->StartShanDianAni(Path({{2, 4}, {3, 4}}));
    EXPECT_EQ(t.EnabledTimers(), 0);
    // Two nodes one cell apart diagonally are no neighbours, a path of three nodes never.
    EXPECT_FALSE(modManage_ShanDianObject::IsNeighbourPair(Path({{2, 4}, {3, 5}})));
    EXPECT_FALSE(modManage_ShanDianObject::IsNeighbourPair(Path({{2, 4}, {2, 5}, {2, 5}})));
}

TEST(AniPools, EveryStarterTakesItsTypeIntervalAndObject) {
    AnimTable t;
    t.c().shanDianObjects->StartShanDianAni(kGapPath);
    t.c().lianJiObjects->StartLianJiAni(2, "2/3");
    t.c().daoJuObjects->StartDaoJuAni(3, 0, 4);
    ASSERT_EQ(t.f().tmrAni.size(), 3u);
    const auto& tasks = t.timers().g_AniTimerTask;
    EXPECT_EQ(tasks[0].bteAniType, ANITYPE_SHANDIAN);
    EXPECT_EQ(tasks[1].bteAniType, ANITYPE_LIANJI);
    EXPECT_EQ(tasks[2].bteAniType, ANITYPE_DAOJU);
    EXPECT_EQ(t.f().tmrAni[0]->Interval(), 50);
    EXPECT_EQ(t.f().tmrAni[1]->Interval(), 60);
    EXPECT_EQ(t.f().tmrAni[2]->Interval(), 20);
    // Each timer stops with its own animation: lightning after 4 ticks, combo after 13,
    // the flight (0 -> 4: 220 pixels up, 11 steps) after 11 + 15.
    int stopped[3] = {0, 0, 0};
    for (int tick = 1; tick <= 40; ++tick) {
        t.TickAll();
        for (int i = 0; i < 3; ++i)
            if (!stopped[i] && !t.TimerOn(i)) stopped[i] = tick;
    }
    EXPECT_EQ(stopped[0], 4);
    EXPECT_EQ(stopped[1], 13);
    EXPECT_EQ(stopped[2], 26);
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(AniPools, AMinimisedWindowStartsNothing) {
    AnimTable t;
    t.f().showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(t.f().IsMinimized());
    const QImage before = t.win().copy();
    t.c().selectFk->StartDelFkAni(kGapPath);
    t.c().selectFk->StartDelFkAni(kNeighbours);
    t.c().shanDianObjects->StartShanDianAni(kGapPath);
    t.c().lianJiObjects->StartLianJiAni(0, "1/2");
    t.c().daoJuObjects->StartDaoJuAni(2, 0, 1);
    EXPECT_EQ(t.EnabledTimers(), 0);
    EXPECT_TRUE(t.c().blastObjects->g_BlastObj[0].blnAniEnd);
    EXPECT_TRUE(t.c().shanDianObjects->g_ShanDianObj[0].blnAniEnd);
    EXPECT_TRUE(t.c().lianJiObjects->g_LianJiObj[0].blnAniEnd);
    EXPECT_TRUE(t.c().daoJuObjects->g_DaoJuObj[0].blnAniEnd);
    EXPECT_EQ(t.win(), before);

    t.f().showNormal();
    QCoreApplication::processEvents();
    t.c().lianJiObjects->StartLianJiAni(0, "1/2");
    EXPECT_EQ(t.EnabledTimers(), 1);
}

TEST(AniPools, APoolStopsAt250EntriesAndAFullPoolStartsNothing) {
    AnimTable t;
    // 250 banners at once fill the combo pool, each with its own composition controls.
    for (int i = 0; i < 250; ++i) t.c().lianJiObjects->StartLianJiAni(i % 6, "1/1");
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj.Count(), 250);
    EXPECT_EQ(t.f().picLianJi.size(), 250u);
    EXPECT_EQ(t.f().imgLianJi.size(), 250u);
    EXPECT_EQ(t.EnabledTimers(), 250);
    EXPECT_EQ(t.timers().g_AniTimerTask[249].bteObjIdx, 249);
    t.c().lianJiObjects->StartLianJiAni(0, "1/1");
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj.Count(), 250);
    EXPECT_EQ(t.EnabledTimers(), 250);
    EXPECT_EQ(t.c().lianJiObjects->GetFreeLianJiObject(), -1);
    t.RunToEnd();

    // Lightnings: indices 0..249, never 250 (which would read as "no lightning").
    for (int i = 0; i < 251; ++i) t.c().shanDianObjects->StartShanDianAni(kGapPath);
    EXPECT_EQ(t.c().shanDianObjects->g_ShanDianObj.Count(), 250);
    EXPECT_EQ(t.EnabledTimers(), 250);
    t.RunToEnd();

    // Blasts: 125 removals take all 250; the next removal's lightning is given back.
    for (int i = 0; i < 125; ++i) t.c().selectFk->StartDelFkAni(kNeighbours);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj.Count(), 250);
    t.c().selectFk->StartDelFkAni(kGapPath);
    EXPECT_EQ(t.EnabledTimers(), 125);
    EXPECT_TRUE(t.c().shanDianObjects->g_ShanDianObj[0].blnAniEnd);
    // With one blast free a removal needs two and still starts nothing.
    t.c().blastObjects->g_BlastObj[7].Class_Initialize();
    t.c().selectFk->StartDelFkAni(kNeighbours);
    EXPECT_EQ(t.EnabledTimers(), 125);
    EXPECT_TRUE(t.c().blastObjects->g_BlastObj[7].blnAniEnd);
    t.RunToEnd();

    // Item flights.
    for (int i = 0; i < 251; ++i) t.c().daoJuObjects->StartDaoJuAni(0, 0, 1);
    EXPECT_EQ(t.c().daoJuObjects->g_DaoJuObj.Count(), 250);
    EXPECT_EQ(t.f().imgDaoJu.size(), 250u);
    EXPECT_EQ(t.EnabledTimers(), 250);
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(AniPools, UnloadReleasesPoolsAndTimersAndALateTickIsHarmless) {
    AnimTable t;
    t.c().selectFk->StartDelFkAni(kGapPath);
    t.c().lianJiObjects->StartLianJiAni(1, "2/2");
    t.c().lianJiObjects->StartLianJiAni(1, "3/3");
    t.c().daoJuObjects->StartDaoJuAni(1, 2, 3);
    t.c().daoJuObjects->StartDaoJuAni(1, 3, 2);
    t.TickAll();
    t.f().Unload();
    EXPECT_EQ(t.f().tmrAni.size(), 1u);
    EXPECT_FALSE(t.TimerOn(0));
    EXPECT_TRUE(t.timers().g_AniTimerTask.empty());
    EXPECT_EQ(t.f().picLianJi.size(), 1u);
    EXPECT_EQ(t.f().imgLianJi.size(), 1u);
    EXPECT_EQ(t.f().imgDaoJu.size(), 1u);
    EXPECT_EQ(t.c().blastObjects->g_BlastObj.Count(), 0);
    EXPECT_EQ(t.c().daoJuObjects->g_DaoJuObj.Count(), 0);
    // A tick that was already queued finds no record and no object.
    t.timers().ExecAniTimer(0);
    t.timers().ExecAniTimer(3);
    EXPECT_FALSE(t.TimerOn(0));
    // Nothing starts on the unloaded window.
    t.c().lianJiObjects->StartLianJiAni(1, "4/4");
    t.c().selectFk->StartDelFkAni(kGapPath);
    EXPECT_EQ(t.EnabledTimers(), 0);
}

TEST(AniPools, TheGameMessagesStartRemovalComboHintAndFlight) {
    AnimTable t;
    using gametable::Node;
    TileGridT board{};
    board[3][2] = board[3][4] = 9;  // a pair with one gap
    board[0][0] = board[0][1] = 4;  // the hint's pair: touching tiles
    board[7][0] = board[7][5] = 6;
    t.h.Receive(gametable::StartMsg(board));
    ASSERT_FALSE(t.c().game.blnGameStopped);
    const int before = t.EnabledTimers();

    // Another seat's removal with a combo: the banner only, at that seat.
    t.h.Receive(gametable::RemoveMsg(2, {{7, 0}, {7, 5}}, 2, 3));
    ASSERT_EQ(t.EnabledTimers(), before + 1);
    EXPECT_EQ(t.timers().g_AniTimerTask[0].bteAniType, ANITYPE_LIANJI);
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].lngLianJiY, 55);
    EXPECT_EQ(t.c().lianJiObjects->g_LianJiObj[0].lngLianJiX, 18 + 119);

    // The own removal: lightning and blasts on the own board.
    t.h.Receive(gametable::RemoveMsg(0, {{3, 2}, {3, 4}}));
    ASSERT_EQ(t.EnabledTimers(), before + 2);
    EXPECT_EQ(t.timers().g_AniTimerTask[1].bteAniType, ANITYPE_DELFK);
    EXPECT_EQ(t.timers().g_AniTimerTask[1].bteShanDianIdx, 0);

    // The own compass: the flight of its icon at the own seat; its pair touches, so no
    // lightning, but the marks.
    t.h.Receive(GameMessages::CompassDone(0, 4));
    ASSERT_EQ(t.EnabledTimers(), before + 3);
    EXPECT_EQ(t.timers().g_AniTimerTask[2].bteAniType, ANITYPE_DAOJU);
    EXPECT_EQ(t.c().daoJuObjects->g_DaoJuObj[0].lngStepCount, 0);
    EXPECT_EQ(Gdi::GetPixel(t.back(), 26, 200), Gdi::RGB(100, 100, 250));
    t.RunToEnd();
    EXPECT_EQ(t.DiffersFromBack(), 0);
}

TEST(AniPools, StartersRefuseSeatsAndItemsThatAreNone) {
    AnimTable t;
    t.c().lianJiObjects->StartLianJiAni(6, "1/1");
    t.c().lianJiObjects->StartLianJiAni(-1, "1/1");
    t.c().daoJuObjects->StartDaoJuAni(9, 0, 1);
    t.c().daoJuObjects->StartDaoJuAni(1, 6, 1);
    t.c().daoJuObjects->StartDaoJuAni(1, 0, 200);
    t.c().game.bteSeatPosNo[3] = 7;  // a seat shown nowhere
    t.c().lianJiObjects->StartLianJiAni(3, "1/1");
    t.c().daoJuObjects->StartDaoJuAni(1, 0, 3);
    t.c().selectFk->StartDelFkAni(LinkPath{});
    LinkPath tooLong = kGapPath;
    tooLong.lngNodeCount = 5;
    t.c().shanDianObjects->StartShanDianAni(tooLong);
    EXPECT_EQ(t.EnabledTimers(), 0);
    // The lightning itself refuses counts outside 2..4 and a node list that is too short.
    clsAni_ShanDian& s = t.c().shanDianObjects->g_ShanDianObj[0];
    const std::int32_t nodes[6] = {1, 1, 1, 3, 4, 3};
    EXPECT_FALSE(s.InitAniInfo(0, 50, 3, 1, nodes));
    EXPECT_FALSE(s.InitAniInfo(0, 50, 3, 4, nodes));
    EXPECT_TRUE(s.InitAniInfo(0, 50, 3, 3, nodes));
    s.Class_Initialize();
}
