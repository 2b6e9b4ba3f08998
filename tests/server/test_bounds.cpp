// Whatever a client sends ends at worst its own connection: oversized frames, floods,
// silence before the login, not reading, and random bytes. The other tables play on.
#include <random>

#include "RawClient.h"
#include "ServerHarness.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"

using namespace std::chrono_literals;

namespace {

// A guest that logged in and sits at a table.
std::unique_ptr<RawClient> Guest(ServerHarness& h, bool read = true) {
    auto c = std::make_unique<RawClient>(h.io, h.Endpoint(), read);
    h.RunUntil([&] { return c->connected; }, 2s);
    c->Send(RoomMessages::Login(true));
    if (read) h.RunUntil([&] { return c->Got(130, 3); }, 2s);
    return c;
}

Bytes ChatLine(const std::string& text) {
    std::vector<std::string> f = {"所有人", "0", "someone", "所有人", "12:00:00", "0", "0", "0", text, "-"};
    return GameMessages::Chat(f);
}

}  // namespace

TEST(Bounds, OversizedFrameEndsOnlyThatConnection) {
    ServerHarness h;
    auto good = Guest(h);
    auto bad = Guest(h);
    bad->SendBytes({0x00, 0x01, 0x00, 0x01, 1, 2, 3});  // 65537 announced
    auto zero = Guest(h);
    zero->SendBytes({0, 0, 0, 0});  // an empty frame
    ASSERT_TRUE(h.RunUntil([&] { return bad->closed && zero->closed; }));
    // A frame of exactly 65536 bytes is a message like any other (ignored, not fatal).
    good->Send(Bytes(Framing::kMaxMessage, 200));
    good->Send(ChatLine("still here"));
    const bool echoed = h.RunUntil([&] { return !good->messages.empty() && good->messages.back()[0] == 1; }, 3s);
    EXPECT_TRUE(echoed);
    EXPECT_FALSE(good->closed);
}

TEST(Bounds, FloodIsCutOffAndTheNeighboursPlayOn) {
    ServerHarness h([](ServerOptions& o) {
        o.messagesPerSecond = 50;
        o.messageBurst = 100;
    });
    auto flooder = Guest(h);
    auto neighbour = Guest(h);
    Bytes burst;
    for (int i = 0; i < 1000; ++i) {
        const Bytes f = Framing::EncodeFrame({18, 0});
        burst.insert(burst.end(), f.begin(), f.end());
    }
    flooder->SendBytes(burst);
    ASSERT_TRUE(h.RunUntil([&] { return flooder->closed; }));
    // Chat lines stay within the chat limit; the neighbour's own lines come back.
    neighbour->messages.clear();
    neighbour->Send(ChatLine("hello"));
    ASSERT_TRUE(h.RunUntil([&] { return !neighbour->messages.empty(); }));
    EXPECT_EQ(neighbour->messages.back()[0], 1);
    EXPECT_FALSE(neighbour->closed);
}

TEST(Bounds, SilentConnectionsMeetTheLoginDeadline) {
    ServerHarness h([](ServerOptions& o) { o.loginTimeout = 200ms; });
    RawClient silent(h.io, h.Endpoint());
    RawClient halfHello(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return silent.connected && halfHello.connected; }));
    halfHello.SendBytes({0, 0, 0, 20, 'T', 'L'});  // a frame that never completes
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(h.RunUntil([&] { return silent.closed && halfHello.closed; }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 150ms);
    // A login in time keeps the connection past the deadline.
    auto guest = Guest(h);
    h.RunFor(400ms);
    EXPECT_FALSE(guest->closed);
}

TEST(Bounds, AClientThatDoesNotReadIsCutOff) {
    ServerHarness h(DeafReaderBounds);
    auto talker = Guest(h);
    auto deaf = Guest(h, false);  // never reads a byte
    ASSERT_TRUE(h.RunUntil([&] { return h.room->UserCount() == 2; }));
    asio::socket_base::receive_buffer_size small(4096);
    deaf->socket.set_option(small);
    const std::string text(150, 'x');
    for (int round = 0; round < 400 && h.room->ConnectionCount() == 2; ++round) {
        for (int i = 0; i < 5; ++i) talker->Send(ChatLine(text));
        h.RunFor(10ms);
    }
    EXPECT_EQ(h.room->ConnectionCount(), 1u);  // the deaf one is gone
    EXPECT_FALSE(talker->closed);
}

TEST(Bounds, RandomBytesNeverHurtTheServer) {
    ServerHarness h;
    ScriptPlan p;
    p.think = 5ms;
    p.settings.playerCount = 2;
    p.ticket = h.TicketFor("steady1", 7);
    auto a = h.Client(p);
    p.ticket = h.TicketFor("steady2", 7);
    auto b = h.Client(p);
    std::mt19937 rng(99);
    std::vector<std::unique_ptr<RawClient>> noise;
    for (int i = 0; i < 40; ++i) {
        auto c = i % 2 ? Guest(h) : std::make_unique<RawClient>(h.io, h.Endpoint());
        h.RunUntil([&] { return c->connected; }, 1s);
        for (int k = 0; k < 30; ++k) {
            Bytes m(1 + rng() % 300);
            for (auto& byte : m) byte = static_cast<std::uint8_t>(rng());
            if (k % 3 == 0)
                m[0] = static_cast<std::uint8_t>(std::vector<int>{1, 18, 19, 20, 110, 112, 113, 130, 133}[rng() % 9]);
            if (k % 7 == 6) c->SendBytes(m);  // not even framed
            else c->Send(m);
        }
        noise.push_back(std::move(c));
        h.RunFor(5ms);
    }
    ASSERT_TRUE(h.RunUntil([&] { return a->GamesEnded() == 1 && b->GamesEnded() == 1; }, 30s));
    EXPECT_EQ(a->LastResults().size(), 2u);
}
