// Wire frames, hello frames, seat tickets and the user record texts.
#include <gtest/gtest.h>

#include <random>

#include "core/Framing.h"
#include "core/Ticket.h"
#include "core/UserRecord.h"

using namespace Framing;

namespace {
std::vector<Bytes> SampleMessages() {
    std::vector<Bytes> msgs;
    msgs.push_back({130, 0, '4', '0', '0'});
    msgs.push_back({18});
    msgs.push_back(Bytes(kMaxMessage, 0xAB));
    msgs.push_back({19, 0, 2, 2, 0, 0, 0, 1});
    return msgs;
}

Bytes Stream(const std::vector<Bytes>& msgs) {
    Bytes s;
    for (const auto& m : msgs) {
        Bytes f = EncodeFrame(m);
        s.insert(s.end(), f.begin(), f.end());
    }
    return s;
}

std::vector<Bytes> Drain(FrameDecoder& d) {
    std::vector<Bytes> out;
    Bytes m;
    while (d.Next(m)) out.push_back(m);
    return out;
}
}  // namespace

TEST(Frames, SameMessagesWhateverTheReadSizes) {
    const auto msgs = SampleMessages();
    const Bytes stream = Stream(msgs);
    {
        FrameDecoder d;
        d.Feed(stream.data(), stream.size());
        EXPECT_EQ(Drain(d), msgs);
    }
    {
        FrameDecoder d;
        std::vector<Bytes> got;
        for (std::uint8_t b : stream) {
            d.Feed(&b, 1);
            for (auto& m : Drain(d)) got.push_back(m);
        }
        EXPECT_EQ(got, msgs);
        EXPECT_EQ(d.Pending(), 0u);
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        FrameDecoder d;
        std::vector<Bytes> got;
        std::size_t pos = 0;
        while (pos < stream.size()) {
            std::size_t n = std::min<std::size_t>(stream.size() - pos, 1 + rng() % 9000);
            d.Feed(stream.data() + pos, n);
            pos += n;
            for (auto& m : Drain(d)) got.push_back(m);
        }
        ASSERT_EQ(got, msgs);
    }
}

TEST(Frames, RefusesZeroAndOversizedLengths) {
    EXPECT_TRUE(EncodeFrame(Bytes{}).empty());
    EXPECT_TRUE(EncodeFrame(Bytes(kMaxMessage + 1)).empty());
    for (std::uint32_t bad : {0u, std::uint32_t(kMaxMessage + 1), 0xFFFFFFFFu}) {
        FrameDecoder d;
        Bytes good = EncodeFrame(Bytes{18, 1});
        d.Feed(good.data(), good.size());
        std::uint8_t h[4] = {std::uint8_t(bad >> 24), std::uint8_t(bad >> 16), std::uint8_t(bad >> 8),
                             std::uint8_t(bad)};
        d.Feed(h, 4);
        Bytes m;
        EXPECT_TRUE(d.Next(m));
        EXPECT_FALSE(d.Next(m));
        EXPECT_TRUE(d.Failed());
        EXPECT_EQ(d.Pending(), 0u);
        d.Feed(good.data(), good.size());  // nothing more is taken after the error
        EXPECT_FALSE(d.Next(m));
    }
}

TEST(Frames, HelloCarriesTheTicket) {
    Bytes frame = EncodeHello("v1.1.x.y.5.-");
    FrameDecoder d;
    d.Feed(frame.data(), frame.size());
    Bytes m;
    ASSERT_TRUE(d.Next(m));
    std::string t;
    ASSERT_TRUE(ParseHello(m, t));
    EXPECT_EQ(t, "v1.1.x.y.5.-");
    EXPECT_FALSE(ParseHello(Bytes{130, 0}, t));
}

TEST(Tickets, SignedTicketsVerifyAndForgeriesFail) {
    const std::string secret = "s3cret";
    Ticket::SeatTicket t{3, "张三", "", 2000};
    const std::string text = Ticket::Make(t, &secret);
    EXPECT_EQ(text.find(' '), std::string::npos);
    Ticket::SeatTicket got;
    EXPECT_EQ(Ticket::Check(text, &secret, 1000, &got), Ticket::Verdict::Ok);
    EXPECT_EQ(got.table, 3);
    EXPECT_EQ(got.name, "张三");
    EXPECT_EQ(got.watched, "");
    EXPECT_EQ(Ticket::Check(text, &secret, 2001, nullptr), Ticket::Verdict::Expired);
    const std::string other = "other";
    EXPECT_EQ(Ticket::Check(text, &other, 1000, nullptr), Ticket::Verdict::Forged);
    std::string tampered = Ticket::Make({4, "张三", "", 2000}, nullptr);
    tampered = tampered.substr(0, tampered.rfind('.') + 1) + text.substr(text.rfind('.') + 1);
    EXPECT_EQ(Ticket::Check(tampered, &secret, 1000, nullptr), Ticket::Verdict::Forged);
    EXPECT_EQ(Ticket::Check(Ticket::Make(t, nullptr), &secret, 1000, nullptr), Ticket::Verdict::Unsigned);
    EXPECT_EQ(Ticket::Check(Ticket::Make(t, nullptr), nullptr, 1000, nullptr), Ticket::Verdict::Ok);
}

TEST(Tickets, MalformedTextsAreRefused) {
    for (const char* bad : {"", "v1", "v2.1.eA.. 5.-", "v1.0.eA..5.-", "v1.1.eA..5", "v1.1.eA..5.-.x", "v1.1...5.-",
                            "v1.1.eA..x5.-", "v1.1.e*..5.-", "v1.1.YA..5.-"}) {
        EXPECT_EQ(Ticket::Check(bad, nullptr, 0, nullptr), Ticket::Verdict::Malformed) << bad;
    }
    EXPECT_FALSE(Ticket::IsValidName("a`b"));
    EXPECT_FALSE(Ticket::IsValidName(" a"));
    EXPECT_FALSE(Ticket::IsValidName(std::string(33, 'a')));
    EXPECT_TRUE(Ticket::IsValidName("电脑 3"));
    const std::string raw("\xFF\x00\x10", 3);
    EXPECT_EQ(Ticket::Base64UrlDecode(Ticket::Base64UrlEncode(raw)), raw);
    EXPECT_EQ(Ticket::Base64UrlDecode("YB"), std::nullopt);  // stray bits in the tail
}

TEST(UserRecords, ListLinesAndUpdates) {
    const std::string rec = "张三`1001`250`250``10`50`0`5`5`0`0`1005`7`1`0";
    auto list = UserRecord::SplitList(rec + "\n\n" + rec + "\r\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(UserRecord::Fields(list[1]).size(), 16u);
    EXPECT_TRUE(UserRecord::Fields("a`b").empty());
    std::string r = rec;
    EXPECT_TRUE(UserRecord::ApplyUpdate(r, "张三`300`310`11`54`0`6`5`0"));
    auto f = UserRecord::Fields(r);
    EXPECT_EQ(f[UserRecord::kScore], "300");
    EXPECT_EQ(f[UserRecord::kLevel], "310");
    EXPECT_EQ(f[UserRecord::kGames], "11");
    EXPECT_EQ(f[UserRecord::kChair], "7");
    EXPECT_FALSE(UserRecord::ApplyUpdate(r, "李四`300`310`11`54`0`6`5`0"));
    EXPECT_FALSE(UserRecord::ApplyUpdate(r, "张三`300"));
}
