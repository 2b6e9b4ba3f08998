// Message text bodies, big-endian integers and the leading-number rule.
#include <gtest/gtest.h>

#include "core/GbkText.h"
#include "core/LeadingNumber.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"

using namespace modPublicTools;

TEST(MessageText, EncodesBehindHeaderInGbk) {
    Bytes out;
    ASSERT_TRUE(ConvertStrToBytes("a中b", out, {130, 0}));
    EXPECT_EQ(out, (Bytes{130, 0, 0x61, 0xD6, 0xD0, 0x62}));

    Bytes untouched{1, 2, 3};
    EXPECT_FALSE(ConvertStrToBytes("", untouched, {130, 0}));
    EXPECT_EQ(untouched, (Bytes{1, 2, 3}));

    ASSERT_TRUE(ConvertStrToBytes("x", out, 0, nullptr));
    EXPECT_EQ(out, (Bytes{'x'}));
}

TEST(MessageText, DecodesPairsAndRefusesALostTrailByte) {
    EXPECT_EQ(ConvertBytesToStr(Bytes{0x61, 0xD6, 0xD0, 0x62}, 0), "a中b");
    EXPECT_EQ(ConvertBytesToStr(Bytes{130, 0, 0x61, 0xD6, 0xD0}, 2), "a中");
    EXPECT_EQ(ConvertBytesToStr(Bytes{0x61, 0xD6}, 0), "");
    EXPECT_EQ(ConvertBytesToStr(Bytes{0x61}, 1), "");
    EXPECT_EQ(ConvertBytesToStr(Bytes{0x61}, 7), "");
    // 0x80 leads a pair even though GBK defines no such pair: it still takes two bytes.
    EXPECT_EQ(ConvertBytesToStr(Bytes{0x80, 0x41, 0x42}, 0), "?B");
}

TEST(MessageText, RoundTripsTheClientTexts) {
    for (const char* s : {"自由人", "所有人", "现在你的方块阵列无解，请尽快使用“重列”道具！", "长工_100`短工_200"}) {
        Bytes b;
        ASSERT_TRUE(ConvertStrToBytes(s, b, {1}));
        EXPECT_EQ(ConvertBytesToStr(b, 1), s);
    }
    // A character GBK cannot hold becomes a question mark.
    EXPECT_EQ(GbkText::FromUtf8("a\xF0\x9F\x98\x80"
                                "b"),
              "a?b");
    EXPECT_EQ(GbkText::CharCount("a中b"), 3u);
}

TEST(MessageText, SplitsFieldsAtEveryBackquote) {
    EXPECT_EQ(SplitFields("a``b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitFields("`"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(SplitFields("").empty());
    EXPECT_EQ(JoinFields({"x", "y", "z"}, 1), "y`z");
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
}

TEST(BigEndian, ReadsSignedValuesAndRefusesShortRests) {
    std::int32_t v = 7;
    EXPECT_TRUE(GetLongFromBytes(v, Bytes{0xFF, 0xFF, 0xFF, 0xFE}, 0));
    EXPECT_EQ(v, -2);
    EXPECT_TRUE(GetLongFromBytes(v, Bytes{9, 0x00, 0x00, 0x01, 0x00}, 1));
    EXPECT_EQ(v, 256);
    EXPECT_TRUE(GetLongFromBytes(v, Bytes{0x80, 0, 0, 0}, 0));
    EXPECT_EQ(v, INT32_MIN);
    v = 7;
    EXPECT_FALSE(GetLongFromBytes(v, Bytes{1, 2, 3}, 0));
    EXPECT_FALSE(GetLongFromBytes(v, Bytes{1, 2, 3, 4}, 1));
    EXPECT_FALSE(GetLongFromBytes(v, Bytes{1, 2, 3, 4}, 9));
    EXPECT_EQ(v, 7);
    Bytes out;
    PutLong(out, -2);
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
}

TEST(LeadingNumberRule, ReadsTheLongestNumberPrefix) {
    EXPECT_EQ(LeadingNumber::Long("6000abc"), 6000);
    EXPECT_EQ(LeadingNumber::Long("abc"), 0);
    EXPECT_EQ(LeadingNumber::Long(""), 0);
    EXPECT_EQ(LeadingNumber::Long(" 1 2\t3\n4x"), 1234);
    EXPECT_EQ(LeadingNumber::Long("-17"), -17);
    EXPECT_EQ(LeadingNumber::Long("+5"), 5);
    EXPECT_DOUBLE_EQ(LeadingNumber::Value("1.5e2z"), 150.0);
    EXPECT_DOUBLE_EQ(LeadingNumber::Value("2D3"), 2000.0);
    EXPECT_DOUBLE_EQ(LeadingNumber::Value("3e"), 3.0);
    EXPECT_DOUBLE_EQ(LeadingNumber::Value(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber::Value("-"), 0.0);
    EXPECT_EQ(LeadingNumber::Long("&H1F"), 31);
    EXPECT_EQ(LeadingNumber::Long("&hFFFF"), -1);
    EXPECT_EQ(LeadingNumber::Long("&H10000"), 65536);
    EXPECT_EQ(LeadingNumber::Long("&O17"), 15);
    EXPECT_EQ(LeadingNumber::Long("&X1"), 0);
}

TEST(LeadingNumberRule, RoundsHalvesToEven) {
    EXPECT_EQ(LeadingNumber::Long("0.5"), 0);
    EXPECT_EQ(LeadingNumber::Long("1.5"), 2);
    EXPECT_EQ(LeadingNumber::Long("2.5"), 2);
    EXPECT_EQ(LeadingNumber::Long("-2.5"), -2);
    EXPECT_EQ(LeadingNumber::Long("2.51"), 3);
    EXPECT_FALSE(LeadingNumber::ToLong("3000000000").has_value());
    EXPECT_EQ(LeadingNumber::Long("3000000000"), 0);
}

TEST(Dispatch, RoutesByTypeByte) {
    EXPECT_TRUE(MsgRoute::IsGameMessage(0));
    EXPECT_TRUE(MsgRoute::IsGameMessage(94));
    EXPECT_FALSE(MsgRoute::IsGameMessage(95));
    EXPECT_FALSE(MsgRoute::IsGameMessage(112));
    EXPECT_TRUE(MsgRoute::IsGameMessage(113));
    EXPECT_FALSE(MsgRoute::IsGameMessage(114));
    EXPECT_TRUE(MsgRoute::IsGameMessage(133));
    EXPECT_FALSE(MsgRoute::IsGameMessage(255));
}
