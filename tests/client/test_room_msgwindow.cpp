// The message windows: slots of the pool, the countdown and its default answer, the
// modal answer, layout by type, the icon and the etched line.
#include <gtest/gtest.h>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "RoomTestKit.h"
#include "client/platform/WindowTimer.h"
#include "client/room/frmMsg.h"
#include "client/room/modGlobalMsgObject.h"

using roomkit::Table;

namespace {
// Runs `inside` once the modal window of the pool's slot `slot` is up, then returns
// what ShowMsgWindow returned.
template <class F>
bool AskWith(modGlobalMsgObject& pool, QWidget* owner, std::uint8_t type, std::int32_t seconds, bool yesDefault,
             int slot, F inside) {
    QTimer::singleShot(0, [&] {
        frmMsg* w = slot < static_cast<int>(pool.udtMsgObject.size()) ? pool.udtMsgObject[slot].window : nullptr;
        if (!w) {
            ADD_FAILURE() << "no window in slot " << slot;
            pool.CloseMsgWindows(0);
            return;
        }
        inside(*w);
    });
    return pool.ShowMsgWindow(0, owner, type, "大伙正在游戏，你是否强退？", "系统提示", seconds, "强退", "取消",
                              yesDefault);
}
}  // namespace

TEST(MsgWindow, QuestionWithNoByDefaultAnswersNoAfterItsCountdown) {
    Table t;
    auto& pool = *t.c().msgObjects;
    pool.lngDelayInterval = 1000000;  // the test ticks itself
    std::string shownAtTen, shownAtOne;
    const bool answer = AskWith(pool, &t.h.Main(), 2, 10, false, 0, [&](frmMsg& w) {
        EXPECT_EQ(w.cmdUser[0]->text().toStdString(), "强退(&Y)");
        EXPECT_EQ(w.cmdUser[1]->text().toStdString(), "取消(&N)");
        w.tmrDelay_Timer();
        shownAtTen = w.cmdUser[1]->text().toStdString();
        for (int i = 0; i < 9; ++i) w.tmrDelay_Timer();
        shownAtOne = w.cmdUser[1]->text().toStdString();
        EXPECT_EQ(pool.udtMsgObject[0].window, &w);  // still open after ten ticks
        EXPECT_EQ(w.cmdUser[0]->text().toStdString(), "强退(&Y)");
        w.tmrDelay_Timer();  // the eleventh gives the answer
    });
    EXPECT_FALSE(answer);
    EXPECT_EQ(shownAtTen, "取消(&N) 10");
    EXPECT_EQ(shownAtOne, "取消(&N) 1");
    EXPECT_EQ(pool.udtMsgObject[0].window, nullptr);
}

TEST(MsgWindow, ZeroSecondsAnswerAtTheFirstTickThroughTheRealTimer) {
    Table t;
    auto& pool = *t.c().msgObjects;
    pool.lngDelayInterval = 5;
    EXPECT_TRUE(pool.ShowMsgWindow(0, &t.h.Main(), 1, "没有可以消除的方块了", "系统提示", 0, "确定", "", false));
    EXPECT_TRUE(pool.udtMsgObject[0].answer);  // the answer stays in the slot
    EXPECT_TRUE(pool.ShowMsgWindow(0, &t.h.Main(), 2, "?", "系统提示", 0, "是", "否", true));
    EXPECT_FALSE(pool.ShowMsgWindow(0, &t.h.Main(), 2, "?", "系统提示", 1, "是", "否", false));
    EXPECT_EQ(pool.lngMsgObjectMax, 0);
}

TEST(MsgWindow, ButtonsAnswerAndAWindowClosedFromOutsideAnswersNo) {
    Table t;
    auto& pool = *t.c().msgObjects;
    pool.lngDelayInterval = 1000000;
    EXPECT_TRUE(AskWith(pool, &t.h.Main(), 2, 10, false, 0, [](frmMsg& w) { w.cmdUser[0]->click(); }));
    EXPECT_TRUE(pool.udtMsgObject[0].answer);
    EXPECT_FALSE(AskWith(pool, &t.h.Main(), 2, 10, true, 0, [](frmMsg& w) { w.cmdUser[1]->click(); }));
    // A yes left in the slot by the last window is not the answer of the next one.
    EXPECT_TRUE(AskWith(pool, &t.h.Main(), 2, 10, true, 0, [](frmMsg& w) { w.cmdUser[0]->click(); }));
    EXPECT_FALSE(AskWith(pool, &t.h.Main(), 2, 10, true, 0, [&](frmMsg&) { pool.CloseMsgWindows(0); }));
    // Escape on a question is no.
    EXPECT_FALSE(AskWith(pool, &t.h.Main(), 2, 10, true, 0, [](frmMsg& w) { w.reject(); }));
}

TEST(MsgWindow, NoticesTakeTheLowestFreeSlot) {
    Table t;
    auto& pool = *t.c().msgObjects;
    auto notice = [&](const std::string& text) { pool.ShowMsgWindow(0, &t.h.Main(), 0, text, "", 0, "", "", false); };
    notice("一");
    notice("二");
    ASSERT_EQ(pool.lngMsgObjectMax, 1);
    frmMsg* first = pool.udtMsgObject[0].window;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(pool.udtMsgObject[1].window->strNote, "二");
    EXPECT_EQ(first->lngMsgObjectIdx, 0);
    EXPECT_FALSE(first->tmrDelay->Enabled());
    EXPECT_TRUE(first->isVisible());

    first->Unload();
    EXPECT_EQ(pool.udtMsgObject[0].window, nullptr);
    notice("三");
    EXPECT_EQ(pool.udtMsgObject[0].window->strNote, "三");
    EXPECT_EQ(pool.udtMsgObject[0].window->lngMsgObjectIdx, 0);
    EXPECT_EQ(pool.lngMsgObjectMax, 1);

    // Closing by owner group leaves other groups' windows; the pool does not shrink.
    pool.ShowMsgWindow(7, &t.h.Main(), 0, "别的", "", 0, "", "", false);
    pool.CloseMsgWindows(0);
    EXPECT_EQ(pool.udtMsgObject[0].window, nullptr);
    EXPECT_EQ(pool.udtMsgObject[1].window, nullptr);
    ASSERT_NE(pool.udtMsgObject[2].window, nullptr);
    EXPECT_EQ(pool.lngMsgObjectMax, 2);
    pool.CloseMsgWindows(7);
    EXPECT_EQ(pool.udtMsgObject[2].window, nullptr);
}

TEST(MsgWindow, LayoutByType) {
    Table t;
    auto& pool = *t.c().msgObjects;
    frmMsg notice(pool, nullptr);
    notice.SetMsgInfo(0, "等待桌主进行本桌游戏设置...", "不用", "", "", 5, false);
    notice.Form_Load();
    EXPECT_EQ(notice.size(), QSize(397, 68));
    EXPECT_TRUE(notice.windowTitle().isEmpty());
    EXPECT_EQ(notice.labNote->geometry(), QRect(50, 25, 397 - 60, 68 - 40));
    EXPECT_FALSE(notice.cmdUser[0]->isVisibleTo(&notice));
    EXPECT_FALSE(notice.tmrDelay->Enabled());
    EXPECT_TRUE(notice.windowFlags() & Qt::WindowStaysOnTopHint);

    frmMsg one(pool, nullptr);
    one.SetMsgInfo(1, "注意", "系统提示", "确定", "", 3, false);
    one.Form_Load();
    const int W = one.width(), H = one.height();
    EXPECT_EQ(frmMsg::WindowSize(1), QSize(368, 144));
    EXPECT_EQ(one.windowTitle().toStdString(), "系统提示");
    EXPECT_EQ(one.labNote->geometry(), QRect(50, 22, W - 60, H - 70));
    const int w = one.cmdUser[0]->width();
    EXPECT_EQ(one.cmdUser[0]->pos(), QPoint((W - w) / 2, H - 30));
    EXPECT_FALSE(one.cmdUser[1]->isVisibleTo(&one));
    EXPECT_TRUE(one.cmdUser[0]->isDefault());
    EXPECT_TRUE(one.tmrDelay->Enabled());
    one.tmrDelay_Timer();
    EXPECT_EQ(one.cmdUser[0]->text().toStdString(), "确定(&Y) 3");

    frmMsg two(pool, nullptr);
    two.SetMsgInfo(2, "?", "系统提示", "强退", "取消", 10, false);
    two.Form_Load();
    const int x = (W - 2 * w - 6) / 2;
    EXPECT_EQ(two.cmdUser[0]->pos(), QPoint(x, H - 30));
    EXPECT_EQ(two.cmdUser[1]->pos(), QPoint(x + w + 6, H - 30));
    EXPECT_TRUE(two.cmdUser[1]->isDefault());
    EXPECT_FALSE(two.cmdUser[0]->isDefault());
    EXPECT_EQ(two.EtchedLineTop(), H - 40);
}

TEST(MsgWindow, IconFromTheLobbyFolderAndTheEtchedLine) {
    if (!QImageWriter::supportedImageFormats().contains("ico")) GTEST_SKIP() << "no icon writer";
    Table t;
    auto& pool = *t.c().msgObjects;
    std::filesystem::create_directories(pool.strMsgResPath);
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(200, 30, 40));
    ASSERT_TRUE(icon.save(QString::fromStdString(pool.strMsgResPath + "Msg2.ico"), "ico"));

    frmMsg with(pool, nullptr);
    with.SetMsgInfo(2, "", "c", "是", "否", 10, true);
    with.Form_Load();
    ASSERT_FALSE(with.imgIcon.isNull());
    const QImage shot = with.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(20, 25)), QColor(200, 30, 40));
    const int y = with.EtchedLineTop();
    EXPECT_EQ(QColor(shot.pixel(10, y)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(shot.pixel(with.width() - 11, y)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(shot.pixel(100, y + 1)), QColor(132, 130, 132));

    // Type 1 has no icon file here: the icon area keeps the window's background.
    frmMsg without(pool, nullptr);
    without.SetMsgInfo(1, "", "c", "是", "", 10, true);
    without.Form_Load();
    EXPECT_TRUE(without.imgIcon.isNull());
    const QImage plain = without.grab().toImage();
    EXPECT_EQ(QColor(plain.pixel(20, 25)), without.palette().color(QPalette::Window));
}
