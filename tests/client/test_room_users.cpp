// Users, seats and the user list: the room messages of entering, watching, dropping and
// leaving, the full list load, the local seat, the title look-up and the user card.
// Forges raw messages: cut, unknown and odd-sized room messages and snapshots, at the client.
#include <gtest/gtest.h>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

#include "RoomTestKit.h"
#include "client/room/frmUserMenu.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/room/modPublicDefine.h"
#include "client/room/modRoomMsg.h"

using roomkit::Rec;
using roomkit::Table;

TEST(RoomUsers, PlayerEntersOnceAndIsSeatedByChairModSix) {
    Table t;
    Rec p{"李四"};
    p.chair = "7";
    p.icon = "2005";
    p.level = "250";
    t.Receive(130, 4, p.Text());
    auto& seat = t.c().game.SeatUser[1];
    EXPECT_EQ(seat.strUserName, "李四");
    EXPECT_EQ(seat.lngIconNo, 2005);
    EXPECT_EQ(seat.strUserTitle, "短工");
    EXPECT_EQ(t.list().RowNames(), std::vector<std::string>{"李四"});
    EXPECT_EQ(t.LastNotice(), "李四 进来了...");
    EXPECT_EQ(t.chat().Addressees(), (std::vector<std::string>{"所有人", "李四"}));

    // The same user again, now claiming another chair: nothing changes, nothing shows.
    const auto history = t.History();
    p.chair = "2";
    t.Receive(130, 4, p.Text());
    EXPECT_EQ(t.c().game.SeatUser[2].strUserName, "");
    EXPECT_EQ(t.list().RowNames().size(), 1u);
    EXPECT_EQ(t.History(), history);
}

TEST(RoomUsers, RecordsWithTheWrongFieldCountOrNoChairChangeNothing) {
    Table t;
    std::string text = Rec{"王五"}.Text();
    t.Receive(130, 4, text + "`extra");
    t.Receive(130, 4, text.substr(0, text.rfind('`')));
    t.Receive(130, 0, text + "`extra");
    EXPECT_TRUE(t.list().RowNames().empty());
    EXPECT_TRUE(t.History().empty());

    // A chair that is no number seats at 0; a negative chair seats nobody.
    Rec letters{"甲"};
    letters.chair = "abc";
    t.Receive(130, 4, letters.Text());
    EXPECT_EQ(t.c().game.SeatUser[0].strUserName, "甲");
    Rec negative{"乙"};
    negative.chair = "-1";
    t.Receive(130, 4, negative.Text());
    for (const auto& s : t.c().game.SeatUser) EXPECT_NE(s.strUserName, "乙");
    EXPECT_EQ(t.list().RowNames().size(), 2u);
}

TEST(RoomUsers, SpectatorsComeAndGoWithoutTouchingSeats) {
    Table t;
    t.LoadList({Rec{"tester"}});
    Rec w{"观众"};
    w.watched = "tester";
    w.chair = "3";

    // A record without a watched player is no spectator.
    t.Receive(130, 0, Rec{"路人"}.Text());
    EXPECT_EQ(t.list().RowNames().size(), 1u);

    t.Receive(130, 0, w.Text());
    EXPECT_EQ(t.LastNotice(), "观众 进来了，正在旁观 tester 游戏...");
    EXPECT_EQ(t.list().RowNames().size(), 2u);
    EXPECT_EQ(t.c().game.SeatUser[3].strUserName, "");
    EXPECT_EQ(t.chat().Addressees().back(), "观众");

    t.Receive(110, 0, "观众");
    EXPECT_EQ(t.LastNotice(), "观众 走了...");
    EXPECT_EQ(t.list().RowNames(), std::vector<std::string>{"tester"});
    EXPECT_EQ(t.c().game.SeatUser[0].strUserName, "tester");
    EXPECT_EQ(t.chat().Addressees(), std::vector<std::string>{"所有人"});

    t.Receive(130, 0, w.Text());
    t.Receive(108, 4, "观众");
    EXPECT_EQ(t.LastNotice(), "旁观用户 观众 走了...");
    EXPECT_EQ(t.list().RowNames().size(), 1u);

    // Users nobody knows: no notice.
    const auto history = t.History();
    t.Receive(108, 4, "观众");
    t.Receive(110, 0, "谁");
    t.Receive(108, 0, "谁");
    t.Receive(108, 3, "谁");
    EXPECT_EQ(t.History(), history);
}

TEST(RoomUsers, PlayerLeavingClearsTheSeat) {
    Table t;
    Rec p{"张三"};
    p.chair = "4";
    p.ready = "1";
    p.icon = "1000";
    t.LoadList({Rec{"tester"}, p});
    ASSERT_TRUE(t.c().game.SeatUser[4].blnReady);
    t.Receive(110, 0, "张三");
    const auto& s = t.c().game.SeatUser[4];
    EXPECT_EQ(s.strUserName, "");
    EXPECT_EQ(s.lngIconNo, 0);
    EXPECT_FALSE(s.blnReady);
    EXPECT_FALSE(s.blnNetBreak);
    EXPECT_EQ(t.LastNotice(), "张三 走了...");
    // Other sub-codes of the leave message are not a leave.
    t.Receive(110, 1, "tester");
    EXPECT_EQ(t.c().game.SeatUser[0].strUserName, "tester");
}

TEST(RoomUsers, ConnectionLostAndBack) {
    Table t;
    Rec p{"张三"};
    p.chair = "2";
    t.LoadList({Rec{"tester"}, p});
    t.Receive(108, 3, "张三");
    EXPECT_TRUE(t.c().game.SeatUser[2].blnNetBreak);
    EXPECT_EQ(t.LastNotice(), "不好，张三 掉线了...");
    t.Receive(108, 0, "张三");
    EXPECT_FALSE(t.c().game.SeatUser[2].blnNetBreak);
    EXPECT_EQ(t.LastNotice(), "哈哈，张三 终于上线了...");
}

TEST(RoomUsers, UpdateChangesListRowAndSeatTitle) {
    Table t;
    Rec p{"张三"};
    p.chair = "1";
    t.LoadList({Rec{"tester"}, p});
    t.Receive(108, 6, "张三`8800`12500`30`60`2`18`9`3");
    const auto rec = modPublicTools::SplitFields(t.list().GetUser("张三"));
    ASSERT_EQ(rec.size(), 16u);
    EXPECT_EQ(rec[2], "8800");
    EXPECT_EQ(rec[3], "12500");
    EXPECT_EQ(rec[5], "30");
    EXPECT_EQ(rec[10], "3");
    EXPECT_EQ(rec[13], "1");  // the chair stays
    EXPECT_EQ(t.c().game.SeatUser[1].strUserTitle, "恶霸");
    EXPECT_EQ(t.list().CellText("张三", 3), "恶霸");

    // Eight fields: neither the row nor the title changes.
    t.Receive(108, 6, "张三`1`1`1`1`1`1`1");
    EXPECT_EQ(modPublicTools::SplitFields(t.list().GetUser("张三"))[2], "8800");
    EXPECT_EQ(t.c().game.SeatUser[1].strUserTitle, "恶霸");
}

TEST(RoomUsers, FullListSeatsPlayersWithFlagsAndFindsTheLocalSeat) {
    Table t;
    Rec me{"tester"};
    me.chair = "2";
    Rec a{"甲"};
    a.chair = "3";
    a.ready = "1";
    a.netBreak = "2";
    Rec w{"看客"};
    w.watched = "甲";
    Rec bad{"坏"};
    t.Receive(130, 2, me.Text() + "\n" + a.Text() + "\r\n" + w.Text() + "\n" + bad.Text() + "`x\n");
    auto& g = t.c().game;
    EXPECT_EQ(t.list().RowNames(), (std::vector<std::string>{"tester", "甲", "看客"}));
    EXPECT_EQ(g.SeatUser[3].strUserName, "甲");
    EXPECT_TRUE(g.SeatUser[3].blnReady);
    EXPECT_TRUE(g.SeatUser[3].blnNetBreak);
    EXPECT_FALSE(g.SeatUser[2].blnReady);
    EXPECT_EQ(t.chat().Addressees(), (std::vector<std::string>{"所有人", "甲", "看客"}));
    // Seated under the launch name: own seat 2 at position 0.
    t.Receive(130, 3, "tester`tester");
    t.LoadList({me, a, w});
    EXPECT_FALSE(g.blnIsWatcher);
    EXPECT_EQ(g.bteCurUserNo, 2);
    EXPECT_EQ(g.bteSeatPosNo[2], 0);
    EXPECT_EQ(g.bteSeatPosNo[1], 5);
    EXPECT_TRUE(t.list().IsMarkedLocal("tester"));
    EXPECT_FALSE(t.list().IsMarkedLocal("甲"));
}

TEST(RoomUsers, WatcherSeesTheWatchedSeatAtPositionZero) {
    Table t;
    t.Receive(130, 3, "看客`甲");
    EXPECT_EQ(t.c().strCurUserName, "看客");
    EXPECT_EQ(t.chat().CurUserName(), "看客");
    Rec a{"甲"};
    a.chair = "5";
    Rec b{"乙"};
    b.chair = "0";
    Rec w{"看客"};
    w.watched = "甲";
    t.LoadList({a, b, w});
    auto& g = t.c().game;
    EXPECT_TRUE(g.blnIsWatcher);
    EXPECT_EQ(g.bteCurUserNo, 5);
    EXPECT_EQ(g.bteSeatPosNo[5], 0);
    EXPECT_EQ(g.bteSeatPosNo[0], 1);
    EXPECT_TRUE(t.list().IsMarkedLocal("看客"));

    // The identity needs exactly two fields.
    t.Receive(130, 3, "x`y`z");
    EXPECT_EQ(t.c().strCurUserName, "看客");
}

TEST(RoomUsers, TableResetEmptiesSeatsListAndAddressees) {
    Table t;
    Rec a{"甲"};
    a.chair = "1";
    t.LoadList({Rec{"tester"}, a});
    t.chat().SetTalkTo("甲");
    t.c().msgObjects->ShowMsgWindow(0, &t.h.Main(), 0, "等一下", "", 0, "", "", false);
    t.Receive(130, 1, "");
    for (const auto& s : t.c().game.SeatUser) EXPECT_EQ(s.strUserName, "");
    EXPECT_TRUE(t.list().RowNames().empty());
    EXPECT_EQ(t.chat().Addressees(), std::vector<std::string>{"所有人"});
    EXPECT_EQ(t.chat().TalkTo(), "所有人");
    EXPECT_EQ(t.c().msgObjects->lngMsgObjectMax, -1);
    EXPECT_TRUE(t.c().game.blnGameStopped);
}

TEST(RoomUsers, TitleAndLevelLookUps) {
    Table t;
    auto& d = *t.c().publicDefine;
    EXPECT_EQ(d.GetUserTitle(50), "长工");
    EXPECT_EQ(d.GetUserTitle(100), "长工");
    EXPECT_EQ(d.GetUserTitle(199), "长工");
    EXPECT_EQ(d.GetUserTitle(200), "短工");
    EXPECT_EQ(d.GetUserTitle(7999), "富农");
    EXPECT_EQ(d.GetUserTitle(12000), "恶霸");
    EXPECT_EQ(d.GetUserTitle(2000000), "恶霸");
    EXPECT_EQ(d.GetLevelName(2005), "蓝钻会员");
    EXPECT_EQ(d.GetLevelName(4999), "绿钻会员");
    EXPECT_EQ(d.GetLevelName(7000), "未知身份");
    EXPECT_EQ(d.GetLevelName(-1000), "未知身份");
    d.InitUserTitle("");
    EXPECT_EQ(d.GetUserTitle(500), "未知级别");
}

TEST(RoomUsers, UserCardCaptionsAndTalkToEntry) {
    Table t;
    Rec p{"张三"};
    p.icon = "2005";
    p.level = "12000";
    p.watched = "";
    auto& room = *t.c().roomMsg;
    ASSERT_TRUE(room.ShowUserCard(p.Text()));
    const frmUserMenu& m = *room.UserMenu();
    ASSERT_EQ(m.ItemCount(), 8);
    EXPECT_EQ(m.Caption(0), "张三   身份：蓝钻会员");
    EXPECT_EQ(m.Caption(1), "游戏ID：ID张三");
    EXPECT_EQ(m.Caption(2), "旁观对象：");
    EXPECT_TRUE(m.IsSeparator(3));
    EXPECT_EQ(m.Caption(4), "与他（她）交谈");
    EXPECT_TRUE(m.IsSeparator(5));
    EXPECT_EQ(m.Caption(6), "级别:恶霸   胜率:50%   逃跑率:8%");
    EXPECT_EQ(m.Caption(7), "经验:1500   胜:6   输:5   和:1   总局数:12");
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m.Tag(i), "张三");

    room.ExecUserMenu(1);
    EXPECT_EQ(t.chat().TalkTo(), "所有人");
    room.ExecUserMenu(4);
    EXPECT_EQ(t.chat().TalkTo(), "张三");

    // Another card replaces all entries; a wrong record leaves the menu as it was.
    Rec q{"李四"};
    q.icon = "7000";
    ASSERT_TRUE(room.ShowUserCard(q.Text()));
    EXPECT_EQ(m.ItemCount(), 8);
    EXPECT_EQ(m.Caption(0), "李四   身份：未知身份");
    EXPECT_FALSE(room.ShowUserCard(q.Text() + "`x"));
    EXPECT_FALSE(room.ShowUserCard(""));
    EXPECT_EQ(m.Tag(4), "李四");

    // With the points wording.
    t.c().bteScoreKind = 0;
    room.ShowUserCard(q.Text());
    EXPECT_EQ(m.Caption(7).rfind("积分:1500", 0), 0u);

    // A chosen entry runs once: the menu's entries lose their names afterwards.
    t.chat().SetTalkTo("所有人");
    room.UserMenu()->mnuUserItem_Click(4);
    EXPECT_EQ(t.chat().TalkTo(), "李四");
    EXPECT_EQ(m.Tag(4), "");
}

TEST(RoomUsers, ListClicksNameTheAddresseeOrShowTheCard) {
    Table t;
    Rec a{"甲"};
    a.chair = "1";
    t.LoadList({Rec{"tester"}, a});
    QTreeWidget* tree = t.list().Tree();
    t.list().resize(162, 127);
    t.list().show();
    const QRect rect = tree->visualItemRect(tree->topLevelItem(1));
    ASSERT_TRUE(rect.isValid());
    const QPoint at(20, rect.center().y());  // the row is wider than the list
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(t.chat().TalkTo(), "甲");

    t.chat().SetTalkTo("所有人");
    QContextMenuEvent right(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(tree->viewport(), &right);
    EXPECT_EQ(t.chat().TalkTo(), "所有人");
    ASSERT_NE(t.c().roomMsg->UserMenu(), nullptr);
    EXPECT_EQ(t.c().roomMsg->UserMenu()->Caption(0), "甲   身份：普通用户");
    t.c().roomMsg->UserMenu()->Unload();
}

TEST(RoomUsers, ListSortsNumbersByValueAndShowsTitles) {
    Table t;
    Rec a{"甲"}, b{"乙"}, c{"丙"};
    a.score = "900";
    b.score = "1500";
    c.score = "20";
    a.level = "100";
    b.level = "12000";
    c.level = "2000";
    a.chair = "0";
    b.chair = "1";
    c.chair = "2";
    t.LoadList({a, b, c});
    auto& list = t.list();
    EXPECT_EQ(list.CellText("乙", 3), "恶霸");
    EXPECT_EQ(list.CellText("丙", 3), "中农");
    list.SortByColumn(2);
    EXPECT_EQ(list.RowNames(), (std::vector<std::string>{"丙", "甲", "乙"}));
    list.SortByColumn(2);
    EXPECT_EQ(list.RowNames(), (std::vector<std::string>{"乙", "甲", "丙"}));
    // Titles sort by their level, not their text.
    list.SortByColumn(3);
    EXPECT_EQ(list.RowNames(), (std::vector<std::string>{"甲", "丙", "乙"}));
    // A user entering a sorted list takes his place in the order.
    Rec d{"丁"};
    d.level = "500";
    d.chair = "3";
    t.Receive(130, 4, d.Text());
    EXPECT_EQ(list.RowNames(), (std::vector<std::string>{"甲", "丁", "丙", "乙"}));
}

TEST(RoomUsers, NamesShowWholeInTheListTheOwnBoldOneToo) {
    Table t;
    QTreeWidget& tree = *t.list().Tree();
    Rec a{"甲"}, b{"乙"};
    b.chair = "1";
    t.LoadList({a, b});
    EXPECT_EQ(tree.columnWidth(0), 100);  // short names keep the designed width
    const std::string longName = "新来的玩家甲乙丙";
    t.Receive(130, 3, longName + "`" + longName);
    Rec me{longName};
    me.chair = "2";
    t.Receive(130, 4, me.Text());
    ASSERT_TRUE(t.list().IsMarkedLocal(longName));
    const QTreeWidgetItem* row = tree.findItems(QString::fromStdString(longName), Qt::MatchExactly, 0).value(0);
    ASSERT_NE(row, nullptr);
    const int bold = QFontMetrics(row->font(0)).horizontalAdvance(row->text(0));
    EXPECT_GT(bold + 6, 100);  // it would not fit the designed width with the margins
    EXPECT_GE(tree.columnWidth(0), bold + 6);
}

TEST(RoomUsers, ShortOrUnknownRoomMessagesAreIgnored) {
    Table t;
    t.LoadList({Rec{"tester"}});
    const auto history = t.History();
    t.h.Receive(Bytes{130});
    t.h.Receive(Bytes{105, 0, 0});
    t.h.Receive(Bytes{200, 1, 'x'});
    t.Receive(130, 9, Rec{"甲"}.Text());
    t.Receive(108, 5, "tester");
    EXPECT_EQ(t.History(), history);
    EXPECT_EQ(t.list().RowNames().size(), 1u);

    // A broadcast's text starts at byte 3.
    t.h.Receive(Bytes{105, 7, 9, 'h', 'i'});
    EXPECT_EQ(t.LastNotice(), "【广播】hi");
}

TEST(RoomUsers, TableStateSnapshotBetweenGamesAndWithABoardTooLarge) {
    Table t;
    Rec me{"tester"};
    me.chair = "1";
    t.Receive(130, 3, "tester`tester");
    t.LoadList({me});
    auto& g = t.c().game;
    ASSERT_EQ(g.bteCurUserNo, 1);
    g.SeatUser[1].TileGrid[0][0] = 7;
    g.SeatUser[1].blnReady = true;

    // No game: ready flags and groups; the local seat (1) not ready shows Start.
    t.h.Receive(Bytes{109, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 0, 3});
    EXPECT_TRUE(g.blnGameSetKnown);
    EXPECT_TRUE(g.blnGameStopped);
    EXPECT_TRUE(g.SeatUser[0].blnReady);
    EXPECT_FALSE(g.SeatUser[1].blnReady);
    EXPECT_TRUE(g.SeatUser[5].blnReady);
    EXPECT_EQ(g.SeatUser[1].bteFenZu, 2);
    EXPECT_EQ(g.SeatUser[5].bteFenZu, 3);
    EXPECT_EQ(g.SeatUser[1].TileGrid[0][0], 0);  // the boards were cleared first
    EXPECT_TRUE(g.blnShowStart);
    EXPECT_TRUE(harness::Boxes().empty());

    // A running game with 11 rows: the size message, and no game marked running.
    t.h.Receive(Bytes{109, 0, 1, 0, 1, 0, 0, 11, 18, 1});
    ASSERT_EQ(harness::Boxes().size(), 1u);
    EXPECT_EQ(harness::Boxes()[0].text, "服务器发送的方块阵列数据无法处理！尺寸不符！");
    EXPECT_TRUE(g.blnGameStopped);

    // A running game with one 1 x 2 board for the local seat.
    t.h.Receive(Bytes{109, 0, 1, 0, 1, 0, 0, 1, 2, 1, /*seat*/ 1, 0, 0, 0, 4, 2, /*tiles*/ 5, 5});
    EXPECT_FALSE(g.blnGameStopped);
    EXPECT_TRUE(g.blnCanSelect);
    EXPECT_FALSE(g.SeatUser[1].blnGameOut);
    EXPECT_EQ(g.SeatUser[1].TileGrid[0][1], 5);
    EXPECT_EQ(harness::Boxes().size(), 1u);
}
