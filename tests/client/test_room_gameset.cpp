// The table settings: the request and agreement messages, the dialog's captions, its
// countdown and default answer, the master's checks and what is sent.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "RoomTestKit.h"
#include "client/platform/WindowTimer.h"
#include "client/room/frmGameSet.h"
#include "client/room/frmMsg.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modRoomMsg.h"

using roomkit::Msg;
using roomkit::Rec;
using roomkit::Table;

namespace {
const std::string kSettings = "6`10`100`1`50`200`0";

// The settings request: field 3 master, field 5 settings to make, field 6 master decided.
std::string Ask(bool master, bool toSet, bool decided, const std::string& settings = kSettings) {
    return std::string("0`0`0`") + (master ? "1" : "0") + "`0`" + (toSet ? "1" : "0") + "`" + (decided ? "1" : "0") +
           "`" + settings;
}

struct SetTable : Table {
    SetTable() {
        Rec me{"tester"};
        Rec boss{"桌主"};
        boss.chair = "1";
        LoadList({me, boss});
        h.sent.clear();
        harness::Boxes().clear();
    }
    frmGameSet* Dialog() { return c().roomMsg->GameSetWindow(); }
    void Tick(int n) {
        for (int i = 0; i < n && Dialog(); ++i) Dialog()->tmrDelay_Timer();
    }
};
}  // namespace

TEST(GameSet, MasterDialogShowsTheSettingsAndIsEditable) {
    SetTable t;
    t.Receive(111, 0, Ask(true, true, false));
    frmGameSet* d = t.Dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowTitle().toStdString(), "tilelink 游戏设置");
    EXPECT_EQ(d->famGameSet->title().toStdString(), "你是桌主，请进行本桌游戏设置");
    EXPECT_EQ(d->cmdUser[0]->text().toStdString(), "确定");
    EXPECT_EQ(d->cmdUser[1]->text().toStdString(), "取消");
    EXPECT_EQ(d->txtUser[0]->text().toStdString(), "10");
    EXPECT_EQ(d->txtUser[1]->text().toStdString(), "50");
    EXPECT_EQ(d->lngMaxBaseScore, 100);
    EXPECT_EQ(d->lngMinBaseScore, 1);
    EXPECT_EQ(d->lngMaxRunScore, 200);
    EXPECT_EQ(d->lngMinRunScore, 0);
    EXPECT_FALSE(d->txtUser[0]->isReadOnly());
    EXPECT_TRUE(d->cboPlayerNum->isEnabled());
    // The master's box starts at four players, not at the six the server proposes.
    EXPECT_EQ(d->cboPlayerNum->currentIndex(), 2);
    EXPECT_EQ(d->cboPlayerNum->currentText().toStdString(), "  4");
    EXPECT_TRUE(d->tmrDelay->Enabled());
    EXPECT_TRUE(t.h.sent.empty());

    // Only digits and backspace reach the boxes.
    d->txtUser[0]->clear();
    QTest::keyClicks(d->txtUser[0], "1a2-3 ");
    QKeyEvent wideDigit(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("４"));
    QCoreApplication::sendEvent(d->txtUser[0], &wideDigit);
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    QCoreApplication::sendEvent(d->txtUser[0], &paste);
    EXPECT_EQ(d->txtUser[0]->text().toStdString(), "123");
    QTest::keyClick(d->txtUser[0], Qt::Key_Backspace);
    EXPECT_EQ(d->txtUser[0]->text().toStdString(), "12");

    // Accepting sends the master's settings in the layout they came in.
    d->cboPlayerNum->setCurrentIndex(1);
    d->cmdUser[0]->click();
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(112, 0, "tester`5`12`100`1`50`200`0"));
    EXPECT_EQ(t.Dialog(), nullptr);
}

TEST(GameSet, PlayerLeftAloneAgreesAfterTwentyOneTicks) {
    SetTable t;
    t.Receive(111, 0, Ask(false, true, true));
    frmGameSet* d = t.Dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->famGameSet->title().toStdString(), "桌主对本桌游戏进行的设置情况");
    EXPECT_EQ(d->cmdUser[1]->text().toStdString(), "不同意");
    EXPECT_TRUE(d->txtUser[1]->isReadOnly());
    EXPECT_FALSE(d->cboPlayerNum->isEnabled());
    EXPECT_EQ(d->cboPlayerNum->currentText().toStdString(), "  6");  // the master's choice
    d->tmrDelay_Timer();
    EXPECT_EQ(d->cmdUser[0]->text().toStdString(), "同意 20");
    t.Tick(19);
    EXPECT_EQ(d->cmdUser[0]->text().toStdString(), "同意 1");
    EXPECT_TRUE(t.h.sent.empty());
    t.Tick(1);
    EXPECT_EQ(d->cmdUser[0]->text().toStdString(), "同意 0");
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(112, 1, "tester"));
    EXPECT_EQ(t.Dialog(), nullptr);
}

TEST(GameSet, RefusingLeavesTheTable) {
    SetTable t;
    t.Receive(111, 0, Ask(false, true, true));
    ASSERT_NE(t.Dialog(), nullptr);
    t.Dialog()->cmdUser[1]->click();
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(110, 0, "tester"));
    EXPECT_EQ(t.Dialog(), nullptr);
}

TEST(GameSet, InvalidMasterValueWarnsAgainEveryTickAfterTheCountdown) {
    SetTable t;
    t.Receive(111, 0, Ask(true, true, false, "4`0`100`1`50`200`0"));
    frmGameSet* d = t.Dialog();
    ASSERT_NE(d, nullptr);
    t.Tick(21);
    ASSERT_EQ(harness::Boxes().size(), 1u);
    EXPECT_EQ(harness::Boxes()[0].text, "本桌底倍数的大小必须在 1 和 100 之间！");
    EXPECT_EQ(harness::Boxes()[0].caption, "tilelink");
    EXPECT_EQ(harness::Boxes()[0].icon, MsgBox::Icon::Warning);
    EXPECT_EQ(t.Dialog(), d);
    EXPECT_TRUE(d->tmrDelay->Enabled());
    EXPECT_TRUE(t.h.sent.empty());

    t.Tick(1);
    EXPECT_EQ(d->cmdUser[0]->text().toStdString(), "确定 -1");
    EXPECT_EQ(harness::Boxes().size(), 2u);

    d->txtUser[0]->setText("1");
    t.Tick(1);
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(112, 0, "tester`4`1`100`1`50`200`0"));
}

TEST(GameSet, ChecksInOrderWithInclusiveBounds) {
    SetTable t;
    t.Receive(111, 0, Ask(true, true, false, "4`10`100`1`50`200`5"));
    frmGameSet* d = t.Dialog();
    ASSERT_NE(d, nullptr);
    auto check = [&](const char* base, const char* run) {
        harness::Boxes().clear();
        d->txtUser[0]->setText(base);
        d->txtUser[1]->setText(run);
        const bool ok = d->CheckGameSetInfo();
        return ok ? std::string("ok") : harness::Boxes().at(0).text;
    };
    // Eight digits come first, even when the other box is out of bounds too.
    EXPECT_EQ(check("12345678", "9999"), "每个输入区域的数字不能超过 7 位！");
    EXPECT_EQ(check("5", "12345678"), "每个输入区域的数字不能超过 7 位！");
    EXPECT_EQ(check("1234567", "5"), "本桌底倍数的大小必须在 1 和 100 之间！");
    EXPECT_EQ(check("1", "5"), "ok");
    EXPECT_EQ(check("100", "200"), "ok");
    EXPECT_EQ(check("101", "200"), "本桌底倍数的大小必须在 1 和 100 之间！");
    EXPECT_EQ(check("", "50"), "本桌底倍数的大小必须在 1 和 100 之间！");
    EXPECT_EQ(check("50", "4"), "逃跑者扣分大小必须在 5 和 200 之间！");
    EXPECT_EQ(check("50", "201"), "逃跑者扣分大小必须在 5 和 200 之间！");
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(GameSet, NothingToSettleArmsTheStartButton) {
    SetTable t;
    t.c().game.blnGameSetKnown = true;
    t.Receive(111, 0, Ask(true, false, false));
    EXPECT_EQ(t.Dialog(), nullptr);
    EXPECT_TRUE(t.c().game.blnShowStart);
    EXPECT_FALSE(t.c().game.blnGameSetKnown);
    EXPECT_TRUE(t.h.sent.empty());
    // Fewer than six fields: no request at all.
    t.c().game.blnShowStart = false;
    t.Receive(111, 0, "0`0`0`1`0");
    EXPECT_FALSE(t.c().game.blnShowStart);
}

TEST(GameSet, SettingsWithoutSevenFieldsLeaveTheTable) {
    SetTable t;
    t.Receive(111, 0, Ask(true, true, false, "4`10`100`1`50`200"));
    EXPECT_EQ(t.Dialog(), nullptr);
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(110, 0, "tester"));

    // The master's settings relayed with a field too many: the same, and the ready
    // marks stay although the sub-code asks to clear them.
    t.h.sent.clear();
    t.c().game.SeatUser[0].blnReady = true;
    t.Receive(112, 2, "桌主`" + kSettings + "`x");
    EXPECT_EQ(t.Dialog(), nullptr);
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], Msg(110, 0, "tester"));
    EXPECT_TRUE(t.c().game.SeatUser[0].blnReady);
    EXPECT_TRUE(t.c().game.SeatUser[1].blnReady);
}

TEST(GameSet, WaitingNoticeClosesWhenTheMastersSettingsArrive) {
    SetTable t;
    auto& pool = *t.c().msgObjects;
    t.Receive(111, 0, Ask(false, true, false));
    EXPECT_EQ(t.Dialog(), nullptr);
    ASSERT_EQ(pool.lngMsgObjectMax, 0);
    frmMsg* notice = pool.udtMsgObject[0].window;
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->bteMsgType, 0);
    EXPECT_EQ(notice->strNote, "等待桌主进行本桌游戏设置...");
    EXPECT_EQ(notice->lngMaxDelayTime, 0);

    t.Receive(112, 0, "桌主`" + kSettings);
    EXPECT_EQ(pool.udtMsgObject[0].window, nullptr);
    EXPECT_TRUE(t.c().game.SeatUser[1].blnReady);
    ASSERT_NE(t.Dialog(), nullptr);
    EXPECT_EQ(t.Dialog()->famGameSet->title().toStdString(), "桌主对本桌游戏进行的设置情况");
    EXPECT_EQ(t.Dialog()->txtUser[0]->text().toStdString(), "10");
}

TEST(GameSet, AgreementsRaiseHandsAndNeverOpenADialogForTheLocalUser) {
    SetTable t;
    t.Receive(112, 0, "tester`" + kSettings);
    EXPECT_EQ(t.Dialog(), nullptr);
    EXPECT_TRUE(t.c().game.SeatUser[0].blnReady);
    EXPECT_TRUE(t.h.sent.empty());

    t.Receive(112, 1, "桌主");
    EXPECT_EQ(t.Dialog(), nullptr);
    EXPECT_TRUE(t.c().game.SeatUser[1].blnReady);

    // Unknown users change nothing; a sub-code above 1 lowers every hand afterwards.
    t.Receive(112, 2, "谁");
    EXPECT_TRUE(t.c().game.SeatUser[1].blnReady);
    t.Receive(112, 2, "桌主");
    for (const auto& s : t.c().game.SeatUser) EXPECT_FALSE(s.blnReady);
}

TEST(GameSet, ANewRequestReplacesAnOpenDialogWithAFreshCountdown) {
    SetTable t;
    t.Receive(111, 0, Ask(false, true, true));
    t.Tick(10);
    t.Receive(111, 0, Ask(true, true, false));
    ASSERT_NE(t.Dialog(), nullptr);
    EXPECT_TRUE(t.Dialog()->blnDeskMaster);
    EXPECT_EQ(t.Dialog()->lngDelayCount, 0);
    EXPECT_TRUE(t.h.sent.empty());
}
