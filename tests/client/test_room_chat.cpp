// The chat panel: composing and sending a line, the addressee box, relayed lines and
// notices in the history, and a history that stays bounded under a flood.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "RoomTestKit.h"
#include "client/room/modRoomMsg.h"
#include "core/ChatFields.h"
#include "core/GameMessages.h"

using roomkit::Table;

TEST(Chat, TypedLineGoesOutAsGameMessageOneWithTenFields) {
    Table t;
    t.chat().ChangeUser("ADD", "李四");
    t.chat().SetTalkTo("李四");
    t.chat().chkPrivate->setChecked(true);
    t.chat().txtInput->setText(QString::fromUtf8("你好`世界"));
    QTest::keyClick(t.chat().txtInput, Qt::Key_Return);
    ASSERT_EQ(t.h.sent.size(), 1u);
    const Bytes& m = t.h.sent[0];
    ASSERT_GT(m.size(), 1u);
    EXPECT_EQ(m[0], 1);
    std::vector<std::string> f;
    ASSERT_TRUE(GameMessages::ParseChatRequest(m, f));
    EXPECT_EQ(f[ChatFields::kTarget], "李四");
    EXPECT_EQ(f[ChatFields::kPrivate], "1");
    EXPECT_EQ(f[ChatFields::kSender], "tester");
    EXPECT_EQ(f[ChatFields::kShownTo], "李四");
    EXPECT_EQ(f[ChatFields::kTime].size(), 8u);
    EXPECT_EQ(f[ChatFields::kText], "你好'世界");
    EXPECT_EQ(f[ChatFields::kReserved], "-");
    EXPECT_TRUE(t.chat().txtInput->text().isEmpty());

    // Nothing to say, nothing sent; the program shows nothing of its own line.
    t.chat().txtInput->setText("   ");
    t.chat().SendInput();
    EXPECT_EQ(t.h.sent.size(), 1u);
    EXPECT_TRUE(t.History().empty());
}

TEST(Chat, SendChatJoinsTheFieldsBehindOneHeaderByte) {
    Table t;
    t.c().roomMsg->ZelChat_OnSendChat({"所有人", "0", "me", "所有人", "12:00:00", "255", "0", "0", "a中b", "-"});
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0],
              GameMessages::Chat({"所有人", "0", "me", "所有人", "12:00:00", "255", "0", "0", "a中b", "-"}));
    // "a中b" travels as GBK: 0x61 0xD6 0xD0 0x62 before the last field.
    const Bytes& m = t.h.sent[0];
    const Bytes tail(m.end() - 6, m.end());
    EXPECT_EQ(tail, (Bytes{0x61, 0xD6, 0xD0, 0x62, '`', '-'}));
}

TEST(Chat, CleanTextReplacesBackquotesAndCapsTheLength) {
    EXPECT_EQ(ZelChatCtrl::CleanChatText("  a`b``c  "), "a'b''c");
    EXPECT_EQ(ZelChatCtrl::CleanChatText("x\ny"), "x y");
    std::string longText;
    for (int i = 0; i < 300; ++i) longText += "汉";
    const std::string capped = ZelChatCtrl::CleanChatText(longText);
    EXPECT_EQ(QString::fromStdString(capped).size(), ChatFields::kMaxTextChars);
    // A character outside the basic plane is never cut in half.
    std::string wide(ChatFields::kMaxTextChars - 1, 'a');
    wide += "\xF0\x9F\x98\x80";  // one character, two UTF-16 units
    const QString w = QString::fromStdString(ZelChatCtrl::CleanChatText(wide));
    EXPECT_EQ(w.size(), ChatFields::kMaxTextChars - 1);
    EXPECT_FALSE(w.back().isHighSurrogate());
}

TEST(Chat, AddresseeBoxFollowsTheUsers) {
    Table t;
    auto& chat = t.chat();
    chat.ChangeUser("ADD", "甲");
    chat.ChangeUser("ADD", "乙");
    chat.ChangeUser("ADD", "甲");
    chat.ChangeUser("ADD", "tester");  // not oneself
    EXPECT_EQ(chat.Addressees(), (std::vector<std::string>{"所有人", "甲", "乙"}));
    chat.SetTalkTo("乙");
    EXPECT_EQ(chat.TalkTo(), "乙");
    EXPECT_TRUE(chat.chkPrivate->isEnabled());
    chat.chkPrivate->setChecked(true);
    chat.ChangeUser("DEL", "乙");
    EXPECT_EQ(chat.TalkTo(), "所有人");
    EXPECT_FALSE(chat.chkPrivate->isChecked());
    chat.ChangeUser("DEL", "所有人");
    EXPECT_EQ(chat.Addressees(), (std::vector<std::string>{"所有人", "甲"}));
    chat.SetTalkTo("");
    EXPECT_EQ(chat.TalkTo(), "所有人");
    chat.ClearUsers();
    EXPECT_EQ(chat.Addressees(), std::vector<std::string>{"所有人"});

    // Talking to everyone is never a whisper.
    chat.txtInput->setText("hi");
    chat.SendInput();
    ASSERT_EQ(t.h.sent.size(), 1u);
    std::vector<std::string> fields;
    ASSERT_TRUE(GameMessages::ParseChatRequest(t.h.sent[0], fields));
    EXPECT_EQ(fields[ChatFields::kPrivate], "0");
}

TEST(Chat, RelayedLinesNoticesAndBroadcastsShowInTheHistory) {
    Table t;
    t.chat().ShowChatMsg({"张三", "所有人", "12:30:05", "16711680", "0", "1", "<b>大家好</b>", "-"});
    t.chat().ShowNotice("李四 进来了...");
    t.Receive(105, 0, "x服务器维护");  // byte 2 is not read
    const auto lines = t.History();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "12:30:05 张三 对 所有人 说：<b>大家好</b>");
    EXPECT_EQ(lines[1], "李四 进来了...");
    EXPECT_EQ(lines[2], "【广播】服务器维护");
}

TEST(Chat, FloodKeepsTheHistoryBounded) {
    Table t;
    for (int i = 0; i < 3000; ++i) {
        if (i % 2) t.chat().ShowNotice("n" + std::to_string(i));
        else t.chat().ShowChatMsg({"甲", "所有人", "00:00:00", "0", "0", "0", "c" + std::to_string(i), "-"});
    }
    const auto lines = t.History();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(ZelChatCtrl::kMaxHistoryLines));
    EXPECT_EQ(lines.back(), "n2999");
    EXPECT_EQ(lines.front(), "00:00:00 甲 对 所有人 说：c2700");
}
