// The room's lobby side as the tables meet it: a mute and an ignore list reach table chat,
// a lobby that does not read is cut off like a table client, a room without guests
// seats none, and only lobbies of version 2 on get the room list.
#include "RawClient.h"
#include "ServerHarness.h"
#include "core/GameMessages.h"
#include "core/GbkText.h"
#include "core/LobbyMessages.h"
#include "core/RoomMessages.h"

using namespace std::chrono_literals;
namespace LM = LobbyMessages;

namespace {

// A user seated with a ticket of the room's secret.
std::unique_ptr<RawClient> Seated(ServerHarness& h, const std::string& name, bool read = true) {
    auto c = std::make_unique<RawClient>(h.io, h.Endpoint(), read);
    h.RunUntil([&] { return c->connected; }, 2s);
    c->SendBytes(Framing::EncodeHello(h.TicketFor(name)));
    c->Send(RoomMessages::Login(true));
    if (read) h.RunUntil([&] { return c->Got(130, 3); }, 5s);
    return c;
}

Bytes ChatLine(const std::string& from, const std::string& text) {
    return GameMessages::Chat({"所有人", "0", from, "所有人", "12:00:00", "0", "0", "0", text, "-"});
}

// Whether a chat line (type 1) holding `text` came (in the wire's code page).
bool Heard(const RawClient& c, const std::string& text) {
    const std::string gbk = GbkText::FromUtf8(text);
    for (const auto& m : c.messages)
        if (!m.empty() && m[0] == 1 && std::string(m.begin(), m.end()).find(gbk) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(LobbySide, MutesAndIgnoreListsReachTheTableChat) {
    ServerHarness h;
    auto a = Seated(h, "amy");
    auto b = Seated(h, "ben");
    auto c = Seated(h, "cat");
    ASSERT_EQ(h.room->UserCount(), 3u);
    ASSERT_TRUE(h.room->Mod().SetIgnore("cat", "amy", true));
    a->Send(ChatLine("amy", "hello-table"));
    ASSERT_TRUE(h.RunUntil([&] { return Heard(*b, "hello-table"); }));
    h.RunFor(100ms);
    EXPECT_TRUE(Heard(*a, "hello-table"));   // the speaker sees its own line
    EXPECT_FALSE(Heard(*c, "hello-table"));  // cat ignores amy
    c->Send(ChatLine("cat", "cat-speaks"));
    ASSERT_TRUE(h.RunUntil([&] { return Heard(*a, "cat-speaks"); }));  // amy does not ignore cat

    std::string reply;
    ASSERT_TRUE(h.room->Moderate("operator", "mute", "amy", 5, "noise", reply)) << reply;
    a->Send(ChatLine("amy", "muted-line"));
    ASSERT_TRUE(h.RunUntil([&] { return Heard(*a, "禁言"); }));  // told, to amy alone
    h.RunFor(100ms);
    EXPECT_FALSE(Heard(*b, "muted-line"));
    EXPECT_FALSE(Heard(*a, "muted-line"));
    EXPECT_FALSE(Heard(*b, "禁言"));
    ASSERT_TRUE(h.room->Moderate("operator", "unmute", "amy", 0, "", reply)) << reply;
    a->Send(ChatLine("amy", "free-again"));
    EXPECT_TRUE(h.RunUntil([&] { return Heard(*b, "free-again"); }));
    // A kick ends the table session.
    ASSERT_TRUE(h.room->Moderate("operator", "kick", "ben", 0, "test", reply)) << reply;
    EXPECT_TRUE(h.RunUntil([&] { return b->closed; }));
    EXPECT_FALSE(h.room->Moderate("operator", "ban", "ben", 0, "no duration", reply));
}

TEST(LobbySide, ALobbyThatDoesNotReadIsCutOff) {
    ServerHarness h(DeafReaderBounds);
    RawClient talker(h.io, h.Endpoint());
    RawClient deaf(h.io, h.Endpoint(), false);
    ASSERT_TRUE(h.RunUntil([&] { return talker.connected && deaf.connected; }));
    asio::socket_base::receive_buffer_size small(4096);
    deaf.socket.set_option(small);
    talker.Send(LM::Hello());
    deaf.Send(LM::Hello());
    talker.Send(LM::Plain(LM::kGuest));
    ASSERT_TRUE(h.RunUntil([&] {
        for (const auto& m : talker.messages)
            if (!m.empty() && m[0] == LM::kYou) return true;
        return false;
    }));
    const std::string text(200, 'x');
    for (int round = 0; round < 400 && h.room->ConnectionCount() == 2; ++round) {
        for (int i = 0; i < 5; ++i) talker.Send(LM::Chat(text));
        h.RunFor(10ms);
    }
    EXPECT_EQ(h.room->ConnectionCount(), 1u);
    EXPECT_FALSE(talker.closed);
}

TEST(LobbySide, ARoomWithoutGuestsSeatsNone) {
    ServerHarness h([](ServerOptions& o) { o.guests = false; });
    RawClient table(h.io, h.Endpoint());
    RawClient lobby(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return table.connected && lobby.connected; }));
    table.Send(RoomMessages::Login(true));
    lobby.Send(LM::Hello());
    lobby.Send(LM::Plain(LM::kGuest));
    EXPECT_TRUE(h.RunUntil([&] { return table.closed; }));
    ASSERT_TRUE(h.RunUntil([&] {
        for (const auto& m : lobby.messages)
            if (const auto e = LM::ParseEvent(m); e && e->type == LM::kAnswer && e->request == LM::kGuest) return true;
        return false;
    }));
    EXPECT_EQ(h.room->UserCount(), 0u);
    // A ticket of the room's secret for a name that is no account still seats its user.
    auto operatorTool = Seated(h, "tool");
    EXPECT_EQ(h.room->UserCount(), 1u);
}

TEST(LobbySide, TheRoomListGoesToNewLobbiesAndAnOldLobbyIsServedWithoutIt) {
    ServerHarness h([](ServerOptions& o) { o.roomName = "东厅"; });
    RawClient older(h.io, h.Endpoint());
    RawClient newer(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return older.connected && newer.connected; }));
    older.Send(LM::Hello(1));
    newer.Send(LM::Hello());
    auto events = [](const RawClient& c, LM::Type type) {
        std::vector<LM::Event> out;
        for (const auto& m : c.messages)
            if (const auto e = LM::ParseEvent(m); e && e->type == type) out.push_back(*e);
        return out;
    };
    // The newer lobby hears of this room, marked as the one it is on, with its address.
    ASSERT_TRUE(h.RunUntil([&] { return !events(newer, LM::kRooms).empty(); }, 10s));
    const auto rooms = events(newer, LM::kRooms).front().rooms;
    ASSERT_EQ(rooms.size(), 1u);
    EXPECT_EQ(rooms[0].name, "东厅");
    EXPECT_EQ(rooms[0].address, "127.0.0.1:" + std::to_string(h.Endpoint().port()));
    EXPECT_TRUE(rooms[0].here);
    EXPECT_EQ(events(newer, LM::kWelcome).at(0).version, LM::kVersion);

    // The older one has its welcome in its own version, its lists, and nothing it cannot read.
    older.Send(LM::Plain(LM::kGuest));
    ASSERT_TRUE(h.RunUntil([&] { return !events(older, LM::kYou).empty(); }));
    h.RunFor(1500ms);
    EXPECT_EQ(events(older, LM::kWelcome).at(0).version, 1);
    EXPECT_EQ(events(older, LM::kTables).size(), 1u);
    for (const auto& m : older.messages) EXPECT_TRUE(LM::ParseEvent(m)) << "type " << int(m.at(0));
    EXPECT_FALSE(older.closed);

    // A lobby of a version the room does not speak is told so and closed.
    RawClient future(h.io, h.Endpoint());
    ASSERT_TRUE(h.RunUntil([&] { return future.connected; }));
    future.Send(LM::Hello(LM::kVersion + 1));
    EXPECT_TRUE(h.RunUntil([&] { return future.closed; }));
    EXPECT_EQ(events(future, LM::kNotice).size(), 1u);
}
