// The time bar's count, warnings and time-out; the turn lengths with alarm clocks; the
// time-out request; the start button's countdown and press.
#include <QPushButton>

#include "GameTable.h"
#include "client/platform/WindowTimer.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/TableExit.h"

using namespace gametable;

namespace {
struct CountedBar {
    ZelTimeBarCtrl bar;
    int ticks = 0, outs = 0;
    CountedBar() {
        bar.OnTick = [this] { ++ticks; };
        bar.OnTimeOut = [this] { ++outs; };
    }
    void Start(std::int32_t seconds) { bar.StartTime(seconds, 5); }
};

// Every row full of side-by-side pairs: a move is always left.
TileGridT Pairs() {
    TileGridT g{};
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 18; ++c) g[r][c] = static_cast<std::uint8_t>(1 + (r * 9 + c / 2) % 39);
    return g;
}
}  // namespace

TEST(TimeBar, WarnsOnceASecondInTheLastFiveAndTimesOutOnce) {
    CountedBar b;
    b.Start(30);
    for (int i = 0; i < 24; ++i) b.bar.ElapseTime(1000);
    EXPECT_EQ(b.ticks, 0);
    b.bar.ElapseTime(1000);
    EXPECT_EQ(b.ticks, 1);
    for (int i = 0; i < 4; ++i) b.bar.ElapseTime(1000);
    b.bar.ElapseTime(999);
    EXPECT_EQ(b.ticks, 5);
    EXPECT_EQ(b.outs, 0);
    EXPECT_TRUE(b.bar.Running());
    b.bar.ElapseTime(1);
    EXPECT_EQ(b.outs, 1);
    EXPECT_FALSE(b.bar.Running());
    b.bar.ElapseTime(5000);
    EXPECT_EQ(b.ticks, 5);
    EXPECT_EQ(b.outs, 1);

    CountedBar jump;  // one late step answers every second it passed
    jump.Start(20);
    jump.bar.ElapseTime(60000);
    EXPECT_EQ(jump.ticks, 5);
    EXPECT_EQ(jump.outs, 1);
}

TEST(TimeBar, StopAndRestartEndTheRunningCount) {
    CountedBar b;
    b.Start(30);
    b.bar.ElapseTime(29000);
    b.bar.StopTime();
    b.bar.ElapseTime(5000);
    EXPECT_EQ(b.outs, 0);

    CountedBar r;  // a warning handler that starts a new turn
    r.bar.OnTick = [&r] {
        ++r.ticks;
        r.Start(10);
    };
    r.Start(30);
    r.bar.ElapseTime(28000);
    EXPECT_EQ(r.ticks, 1);
    EXPECT_EQ(r.outs, 0);
    EXPECT_EQ(r.bar.TotalSeconds(), 10);
    EXPECT_EQ(r.bar.ElapsedMilliseconds(), 0);
}

TEST(TimeBar, PaintsTheTimeLeftGreenToOrangeToRed) {
    EXPECT_EQ(ZelTimeBarCtrl::BarColor(1.0), QColor(40, 200, 60));
    EXPECT_EQ(ZelTimeBarCtrl::BarColor(0.5), QColor(255, 160, 0));
    EXPECT_EQ(ZelTimeBarCtrl::BarColor(0.0), QColor(230, 30, 30));
    CountedBar b;
    b.bar.resize(330, ZelTimeBarCtrl::kBarHeight);
    b.Start(30);
    b.bar.ElapseTime(15000);
    const QImage half = b.bar.grab().toImage();
    EXPECT_EQ(QColor(half.pixel(100, 5)), QColor(255, 160, 0));
    EXPECT_EQ(QColor(half.pixel(250, 5)), QColor(24, 36, 64));  // the emptied part
}

TEST(TurnClock, TwoAlarmClocksShortenTheNextTenTurnsAcrossAGameEnd) {
    Table t;
    t.Deal(Pairs());
    EXPECT_EQ(t.bar().TotalSeconds(), 30);
    t.Receive(GameMessages::TargetDone(modDaoJuDefine::DJ_NAOZHONG, 1, 0, 0));
    t.Receive(GameMessages::TargetDone(modDaoJuDefine::DJ_NAOZHONG, 2, 0, 0));
    std::vector<int> turns;
    auto removeOwn = [&](int row, int col) {
        t.Receive(RemoveMsg(0, {{row, col}, {row, col + 1}}));
        turns.push_back(t.bar().TotalSeconds());
    };
    for (int i = 0; i < 5; ++i) removeOwn(0, 2 * i);
    t.Receive(GameMessages::End({}));
    t.Deal(Pairs());
    turns.push_back(t.bar().TotalSeconds());
    for (int i = 0; i < 5; ++i) removeOwn(1, 2 * i);
    EXPECT_EQ(turns, (std::vector<int>{20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 30}));
    EXPECT_EQ(t.c().gameClock->lngNaoZhongTurns, 0);
}

TEST(TurnClock, RunningOutSendsTheTimeOutOnlyForAPlayerStillIn) {
    Table t;
    t.Deal(Pairs());
    t.bar().ElapseTime(30000);
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], (Bytes{20, 0, 0, 0}));

    t.seat(0).blnGameOut = true;
    t.c().gameClock->ZelTimeBar_OnTimeOut();
    t.seat(0).blnGameOut = false;
    t.game().blnGameStopped = true;
    t.c().gameClock->ZelTimeBar_OnTimeOut();
    EXPECT_EQ(t.h.sent.size(), 1u);

    Table w("李四");
    w.Deal(Pairs());
    w.bar().ElapseTime(30000);
    EXPECT_TRUE(w.h.sent.empty());
    EXPECT_FALSE(w.bar().Running());
}

TEST(StartButton, CountdownBeginsWithAReadyPlayerAndClosesTheWindowAtZero) {
    Table t;
    auto& f = t.h.Main();
    t.game().blnShowStart = true;
    t.c().gameClock->UpdateStartButton();
    EXPECT_TRUE(f.cmdStart->isVisible());
    EXPECT_EQ(f.cmdStart->pos(), QPoint(210, 370));
    EXPECT_TRUE(f.tmrStart->Enabled());
    for (int i = 0; i < 5; ++i) t.c().gameClock->tmrStart_Timer();
    EXPECT_EQ(f.cmdStart->text().toStdString(), "可以开始");

    t.Receive(GameMessages::Ready(2));
    t.c().gameClock->tmrStart_Timer();
    EXPECT_EQ(f.cmdStart->text().toStdString(), "可以开始 29");
    for (int i = 0; i < 28; ++i) t.c().gameClock->tmrStart_Timer();
    EXPECT_EQ(f.cmdStart->text().toStdString(), "可以开始 1");
    EXPECT_EQ(t.h.ended, 0);
    t.c().gameClock->tmrStart_Timer();
    EXPECT_EQ(f.cmdStart->text().toStdString(), "可以开始 0");
    EXPECT_FALSE(f.tmrStart->Enabled());
    EXPECT_EQ(t.h.ended, 1);
    EXPECT_EQ(t.c().exitStatus, TableExit::StartTimeout);  // the launcher opens it again
}

TEST(StartButton, PressStopsTheCountdownAndAsksToPlay) {
    Table t;
    auto& f = t.h.Main();
    t.game().blnShowStart = true;
    t.c().gameClock->UpdateStartButton();
    t.Receive(GameMessages::Ready(2));
    for (int i = 0; i < 10; ++i) t.c().gameClock->tmrStart_Timer();
    f.cmdStart->click();
    EXPECT_FALSE(f.cmdStart->isVisible());
    EXPECT_FALSE(f.tmrStart->Enabled());
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], RoomMessages::GameSetAccept("tester"));  // the table's settings are not known yet

    t.game().blnGameSetKnown = true;
    t.c().gameClock->cmdStart_Click();
    ASSERT_EQ(t.h.sent.size(), 2u);
    EXPECT_EQ(t.h.sent[1], (Bytes{18, 0}));

    Table w("李四");
    w.game().blnGameSetKnown = true;
    w.c().gameClock->cmdStart_Click();
    EXPECT_TRUE(w.h.sent.empty());
}
