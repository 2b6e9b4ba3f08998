// Slow and greedy peers against the real server: a client that stops reading, one that
// sends half a frame and waits, a flood of chat, and a thousand connections at once.
// Each ends at worst its own connection; the computer players' table plays on.
// Forges raw messages: frames that never complete or carry junk, from slow peers.
#include "FaultFixture.h"
#include "core/BroadcastParsers.h"
#include "core/ChatFields.h"
#include "core/ChatLine.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"

namespace {

// Settings no master may choose (nine players): each one is answered with a notice and
// the settings question again, so it makes output without making a game.
Bytes BadSettings(const std::string& name) {
    GameSettings s;
    s.playerCount = 9;
    return RoomMessages::GameSetConfirm(name, s);
}

Bytes Frames(const Bytes& message, int times) {
    const Bytes one = Framing::EncodeFrame(message);
    Bytes all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), one.begin(), one.end());
    return all;
}

// Chat lines relayed from `sender`.
int LinesFrom(const FaultClient& c, const std::string& sender) {
    int n = 0;
    for (const auto& m : c.Log()) {
        std::vector<std::string> f;
        n += BroadcastParsers::ParseChat(m, f) && f[ChatFields::kSender] == sender;
    }
    return n;
}

bool LineSaying(const Bytes& m, const std::string& text) {
    std::vector<std::string> f;
    return BroadcastParsers::ParseChat(m, f) && f[ChatFields::kText] == text;
}

}  // namespace

TEST_F(FaultTest, AClientThatStopsReadingIsCutOffAtTheOutputBound) {
    ASSERT_TRUE(StartServer({"--max-output", "16384", "--send-buffer", "4096"}));
    const int mark = StartBots();
    auto deaf = Connect(4096);
    ASSERT_TRUE(deaf->Enter(TicketFor("甲", 2)));  // the master
    auto neighbour = Player("乙", 2);

    // From here on the deaf one reads nothing and keeps asking for answers, well within
    // the request rate.
    int sent = 150;
    deaf->SendBytes(Frames(BadSettings("甲"), sent));
    const auto end = std::chrono::steady_clock::now() + 20s;
    bool gone = false;
    while (!gone && std::chrono::steady_clock::now() < end) {
        deaf->SendBytes(Frames(BadSettings("甲"), 10));
        sent += 10;
        gone = neighbour->AwaitText(ROOMMSG_USERLEAVE, 0, "甲", 250ms).has_value();
    }
    ASSERT_TRUE(gone) << "the server still waits for a client that reads nothing after " << sent << " requests";
    // What reached it is the start of its output and then the end of the connection.
    EXPECT_TRUE(deaf->AwaitClosed());
    EXPECT_LT(deaf->Count(GAMEMSG_NOTICE), sent);

    // The neighbour is the master now; the same traffic from a client that reads is
    // answered in full.
    ASSERT_TRUE(neighbour->Await([](const Bytes& m) {
        BroadcastParsers::SettingsAsk ask;
        return BroadcastParsers::ParseSettingsAsk(m, ask) && ask.isMaster;
    }));
    const int before = neighbour->Count(GAMEMSG_NOTICE);
    neighbour->SendBytes(Frames(BadSettings("乙"), 150));
    for (int i = 0; i < 150; ++i) ASSERT_TRUE(neighbour->Await(GAMEMSG_NOTICE)) << i;
    EXPECT_EQ(neighbour->Count(GAMEMSG_NOTICE), before + 150);
    EXPECT_TRUE(neighbour->Connected());
    ExpectTablePlaysOn(mark);
}

TEST_F(FaultTest, HalfAFrameIsDroppedAtItsDeadline) {
    ASSERT_TRUE(StartServer());
    const int mark = StartBots();
    auto other = Player("乙", 2);

    // Before the login: the login deadline ends it.
    auto early = Connect();
    early->SendBytes({0, 0, 0, 20, 'T', 'L'});
    EXPECT_TRUE(early->AwaitClosed(8s));

    // Seated: a frame begun and never finished ends the connection, and the seat goes
    // as with any lost connection between games.
    auto stuck = Player("甲", 2);
    stuck->SendBytes({0, 0, 0, 12, 1, '0'});
    EXPECT_TRUE(stuck->AwaitClosed(8s));
    EXPECT_TRUE(other->AwaitText(ROOMMSG_USERLEAVE, 0, "甲"));

    // A slow frame that is finished in time is a message like any other, and a player
    // who sends nothing at all keeps the seat past the deadline.
    auto slow = Player("丙", 2);
    const Bytes line = Framing::EncodeFrame(GameMessages::Chat(ChatLine::ToEveryone("丙", "慢慢说")));
    for (std::size_t i = 0; i < line.size(); i += 16) {
        slow->SendBytes(Bytes(line.begin() + static_cast<std::ptrdiff_t>(i),
                              line.begin() + static_cast<std::ptrdiff_t>(std::min(line.size(), i + 16))));
        std::this_thread::sleep_for(std::chrono::milliseconds(500 * 16 / static_cast<long>(line.size()) + 1));
    }
    EXPECT_TRUE(other->Await([](const Bytes& m) { return LineSaying(m, "慢慢说"); }));
    std::this_thread::sleep_for(3s);
    slow->Drain();
    other->Drain();
    EXPECT_TRUE(slow->Connected());
    EXPECT_TRUE(other->Connected());
    EXPECT_NE(TableLine(2).find("丙"), std::string::npos);
    ExpectTablePlaysOn(mark);
}

TEST_F(FaultTest, AFloodOfChatIsRateLimitedAndOthersAreHeard) {
    ASSERT_TRUE(StartServer());
    const int mark = StartBots();
    auto listener = Player("乙", 2);
    auto talker = Player("甲", 2);

    // A hundred lines at once, within the request rate: only the first few go round.
    Bytes flood;
    for (int i = 0; i < 100; ++i) {
        const Bytes f =
            Framing::EncodeFrame(GameMessages::Chat(ChatLine::ToEveryone("甲", "刷屏" + std::to_string(i))));
        flood.insert(flood.end(), f.begin(), f.end());
    }
    talker->SendBytes(flood);
    listener->Say("我还在");
    ASSERT_TRUE(talker->Await([](const Bytes& m) { return LineSaying(m, "我还在"); }));
    // The two connections are served side by side: the flood may come round after the
    // listener's line. Its first line always goes round; the rest are counted after it.
    EXPECT_TRUE(listener->Await([](const Bytes& m) { return LineSaying(m, "刷屏0"); }));
    listener->Drain(500ms);
    const int heard = LinesFrom(*listener, "甲");
    EXPECT_GE(heard, 1);
    EXPECT_LE(heard, 6);
    EXPECT_TRUE(talker->Connected());

    // The limit refills: a while later the talker is heard again.
    std::this_thread::sleep_for(2500ms);
    talker->Say("再说一句");
    EXPECT_TRUE(listener->Await([](const Bytes& m) { return LineSaying(m, "再说一句"); }));

    // Far beyond the request rate the connection ends; the listener stays.
    talker->SendBytes(Frames(GameMessages::Chat(ChatLine::ToEveryone("甲", "刷")), 500));
    EXPECT_TRUE(talker->AwaitClosed());
    EXPECT_TRUE(listener->AwaitText(ROOMMSG_USERLEAVE, 0, "甲"));
    listener->Say("安静了");
    EXPECT_TRUE(listener->Await([](const Bytes& m) { return LineSaying(m, "安静了"); }));
    ExpectTablePlaysOn(mark);
}

TEST_F(FaultTest, AThousandConnectionsAtOnceLeaveAPlayingTableResponsive) {
    // A thousand sockets in this process (the server lifts its own limit).
    ASSERT_GE(RaiseOpenFileLimit(1200), 1200u) << "too few descriptors for the test";

    ASSERT_TRUE(StartServer({"--login-timeout", "3"}));
    // The guests fill the tables from 1 on; the computer players sit far beyond them.
    StartBots(500);
    const int base = server_.QueryStatus().connections;
    std::vector<std::unique_ptr<FaultClient>> crowd;
    for (int i = 0; i < 1000; ++i) {
        crowd.push_back(std::make_unique<FaultClient>(server_.Port()));
        if (i % 2 == 0) crowd.back()->SendLogin();  // a guest; the others stay silent
    }
    int connected = 0;
    for (const auto& c : crowd) connected += c->Connected();
    EXPECT_EQ(connected, 1000);

    // While they are all there, a player is seated and the computer players finish games.
    const int during = bots_->GamesEnded();
    auto player = Player("甲", 600);
    ExpectTablePlaysOn(during);
    ExpectTablePlaysOn(during + 1);

    // The silent half meets the login deadline; the guests stay seated.
    EXPECT_TRUE(AwaitConnections(base + 500 + 1));
    const auto status = server_.QueryStatus();
    EXPECT_EQ(status.users, 3 + 500 + 1);
    // All gone, the server holds nothing of them.
    crowd.clear();
    EXPECT_TRUE(AwaitConnections(base + 1));
    EXPECT_EQ(server_.QueryStatus().users, 3 + 1);
    EXPECT_TRUE(player->Connected());
    player->Say("还能聊天");
    EXPECT_TRUE(player->Await([](const Bytes& m) { return LineSaying(m, "还能聊天"); }));
    ExpectTablePlaysOn(bots_->GamesEnded());
}

TEST_F(FaultTest, BoundsThatWouldCutEveryClientAreRefusedAtStart) {
    // No output at all allowed, or a bound that is no number: the server does not start.
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--max-output", "0"},
                                                {"--max-output", "lots"},
                                                {"--send-buffer", "-1"},
                                                {"--frame-timeout", "soon"},
                                                {"--max-output", "99999999999"}}) {
        ServerProcess refused;
        std::vector<std::string> args = {"--db", ":memory:"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_FALSE(refused.Start(args)) << bad[0] << " " << bad[1];
        EXPECT_EQ(refused.Stop(), 2) << bad[0] << " " << bad[1];
        EXPECT_NE(refused.Errors().find(bad[0]), std::string::npos) << refused.Errors();
    }
}
