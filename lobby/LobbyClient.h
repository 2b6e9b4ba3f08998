// The lobby's side of the lobby protocol: one connection to a room server (TLS with the
// pinned certificate, or plain TCP to this machine), the hello, and then requests and
// the room's events. It keeps the table list and the user list current from the events it
// reads. Calls block for at most the time they are given; the command line uses it as it
// is, a window from a thread of its own.
#pragma once
#include <asio.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Framing.h"
#include "core/LobbyMessages.h"
#include "net/NetStream.h"

class LobbyClient {
public:
    using Ms = std::chrono::milliseconds;

    LobbyClient();
    ~LobbyClient();

    // Connects, says the hello and reads the welcome and the whole lists; false with the
    // reason in `error`. `fingerprint` empty: plain TCP.
    bool Connect(const std::string& host, int port, const std::string& fingerprint, std::string& error,
                 Ms timeout = Ms(10000));
    bool Connected() const { return stream_ != nullptr && !failed_; }
    void Close();

    bool Send(const Bytes& request, Ms timeout = Ms(10000));
    // The next event (already applied to the lists), or none when `timeout` passed or the
    // connection ended.
    std::optional<LobbyMessages::Event> Next(Ms timeout);
    // Sends a request and waits for what answers it: an answer to its type, or (for a
    // seat request that succeeds) the seat ticket. Other events are applied on the way.
    std::optional<LobbyMessages::Event> Ask(const Bytes& request, Ms timeout = Ms(20000));
    // Reads whatever has come, without waiting.
    void Drain() {
        while (Next(Ms(0))) {}
    }

    const std::string& RoomName() const { return roomName_; }
    const std::string& Me() const { return me_; }
    const std::map<int, LobbyMessages::TableView>& Tables() const { return tables_; }
    const std::map<std::string, LobbyMessages::UserView>& Users() const { return users_; }
    // The room chat read so far: sender and text.
    const std::vector<std::pair<std::string, std::string>>& ChatLines() const { return chat_; }
    const std::string& LastNotice() const { return notice_; }
    // The live rooms of the room's shared database, as last sent (111), and whether any
    // list came yet.
    const std::vector<LobbyMessages::RoomView>& Rooms() const { return rooms_; }
    bool RoomsRead() const { return roomsRead_; }
    // Waits until a room list has come; false when none came within `timeout`.
    bool AwaitRooms(Ms timeout);

private:
    void Apply(const LobbyMessages::Event& e);
    // Runs the io until `done` or the deadline; false at the deadline.
    bool RunUntil(const bool& done, std::chrono::steady_clock::time_point deadline);
    void StartRead();

    asio::io_context io_;
    std::shared_ptr<asio::ssl::context> tls_;
    std::unique_ptr<NetStream> stream_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 4096> buf_{};
    bool reading_ = false;
    bool failed_ = false;
    std::string roomName_, me_, notice_;
    std::map<int, LobbyMessages::TableView> tables_;
    std::map<std::string, LobbyMessages::UserView> users_;
    std::vector<std::pair<std::string, std::string>> chat_;
    std::vector<LobbyMessages::RoomView> rooms_;
    bool roomsRead_ = false;
};
