// The lobby client's reading of a room: a message type of a later room is skipped, the
// room list is kept, and a known message it cannot read ends the connection.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <thread>

#include "core/Framing.h"
#include "core/LobbyMessages.h"
#include "lobby/LobbyClient.h"

using namespace std::chrono_literals;
namespace LM = LobbyMessages;

namespace {

// A room that answers the hello with `messages`, then waits for the lobby to close.
class ScriptedRoom {
public:
    explicit ScriptedRoom(std::vector<Bytes> messages)
        : acceptor_(io_, {asio::ip::make_address("127.0.0.1"), 0}), messages_(std::move(messages)) {
        thread_ = std::thread([this] {
            std::error_code ec;
            asio::ip::tcp::socket s = acceptor_.accept(ec);
            if (ec) return;
            std::array<std::uint8_t, 64> hello{};
            s.read_some(asio::buffer(hello), ec);
            for (const auto& m : messages_) asio::write(s, asio::buffer(Framing::EncodeFrame(m)), ec);
            s.read_some(asio::buffer(hello), ec);  // until the lobby goes
        });
    }
    ~ScriptedRoom() {
        std::error_code ec;
        acceptor_.close(ec);
        thread_.join();
    }
    int Port() const { return acceptor_.local_endpoint().port(); }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::vector<Bytes> messages_;
    std::thread thread_;
};

}  // namespace

TEST(LobbyReading, ALaterRoomsMessageIsSkippedAndABrokenRoomListEndsTheConnection) {
    const std::vector<LM::RoomView> rooms = {{"east", "东厅", "127.0.0.1:47800", true, 1, 2}};
    Bytes broken = LM::Rooms(rooms);
    broken.push_back(7);
    std::vector<Bytes> script = {LM::Welcome("东厅", true), {200, 1, 2, 3}};
    for (auto& m : LM::Tables({})) script.push_back(m);
    for (auto& m : LM::Users({})) script.push_back(m);
    script.push_back(LM::Rooms(rooms));
    script.push_back(broken);
    ScriptedRoom room(script);

    LobbyClient lobby;
    std::string error;
    ASSERT_TRUE(lobby.Connect("127.0.0.1", room.Port(), "", error)) << error;
    EXPECT_EQ(lobby.RoomName(), "东厅");
    ASSERT_TRUE(lobby.AwaitRooms(5s));
    EXPECT_EQ(lobby.Rooms(), rooms);
    EXPECT_FALSE(lobby.Next(5s));
    EXPECT_FALSE(lobby.Connected());
    lobby.Close();
}
