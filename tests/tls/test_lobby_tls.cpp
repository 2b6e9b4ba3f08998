// The lobby over TLS: what a recording in the middle sees of a registration, a login, room
// chat and a seat ticket is no password, text or ticket in clear; a server showing another
// certificate than the pinned one gets nothing.
#include <gtest/gtest.h>

#include <thread>

#include "core/LobbyMessages.h"
#include "lobby/LobbyClient.h"
#include "tests/tls/TlsKit.h"

using namespace std::chrono_literals;
namespace LM = LobbyMessages;

TEST(TlsLobby, PasswordsChatAndTicketsNeverCrossInClear) {
    tlskit::TempFolder dir("lobby");
    tlskit::CertPair room(dir.path, "room"), other(dir.path, "other");
    ChildProcess server;
    const int port = tlskit::StartServerProgram(server, 0, {"--tls-cert", room.cert, "--tls-key", room.key});
    ASSERT_GT(port, 0);
    asio::io_context io;
    tlskit::RecordingProxy proxy(io, {asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)});
    auto work = asio::make_work_guard(io);
    std::thread wire([&] { io.run(); });

    const std::string password = "PlainPassword-7f3a";
    const std::string chat = "ChatInClear-91b2";
    std::string ticket;
    {
        LobbyClient c;
        std::string error;
        ASSERT_TRUE(c.Connect("127.0.0.1", proxy.Port(), room.fingerprint, error)) << error;
        const auto reg = c.Ask(LM::Register("secretive", password));
        ASSERT_TRUE(reg && reg->code == 0) << (reg ? reg->text : "no answer");
        const auto login = c.Ask(LM::LogIn("secretive", password));
        ASSERT_TRUE(login && login->code == 0);
        c.Send(LM::Chat(chat));
        for (int i = 0; i < 50 && c.ChatLines().empty(); ++i) c.Next(100ms);
        ASSERT_EQ(c.ChatLines().size(), 1u);
        EXPECT_EQ(c.ChatLines()[0].second, chat);
        const auto seat = c.Ask(LM::Sit(0));
        ASSERT_TRUE(seat && seat->type == LM::kSeat);
        ticket = seat->ticket;
        // Another certificate than the pinned one: no handshake, nothing sent.
        LobbyClient impostor;
        EXPECT_FALSE(impostor.Connect("127.0.0.1", port, other.fingerprint, error));
    }
    std::this_thread::sleep_for(200ms);
    io.stop();
    wire.join();
    const std::string& seen = proxy.Recorded();
    EXPECT_GT(seen.size(), 1000u);
    EXPECT_EQ(seen.find(password), std::string::npos);
    EXPECT_EQ(seen.find(chat), std::string::npos);
    EXPECT_EQ(seen.find(ticket), std::string::npos);
    EXPECT_EQ(seen.find("secretive"), std::string::npos);
    EXPECT_EQ(seen.find("TLLOBBY"), std::string::npos);
}
