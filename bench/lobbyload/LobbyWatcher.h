// One lobby client of the lobby load driver: it says the lobby hello, enters as a guest,
// takes the whole table and user lists and then follows the room's changes. It counts what
// it reads, and notes when it saw each seat change at the tables it follows: a seat taken
// by the player named "spare" and a number N, and left by it again.
#pragma once
#include <asio.hpp>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Framing.h"

class LobbyWatcher {
public:
    using Clock = std::chrono::steady_clock;

    LobbyWatcher(asio::io_context& io, asio::ip::tcp::endpoint server, const std::vector<int>& followed);
    LobbyWatcher(const LobbyWatcher&) = delete;
    LobbyWatcher& operator=(const LobbyWatcher&) = delete;

    void Start();
    void Stop();

    // In as a guest, with the whole table and user lists.
    bool Ready() const { return you_ && tablesWhole_ && usersWhole_; }
    // The server closed the connection (or never took it).
    bool Cut() const { return cut_; }
    Clock::time_point CutAt() const { return cutAt_; }
    std::uint64_t BytesRead() const { return bytes_; }
    std::uint64_t MessagesRead() const { return messages_; }
    // When this lobby saw spareN take a seat (taken) or leave it again; none when it did not.
    std::optional<Clock::time_point> Saw(std::size_t n, bool taken) const;

private:
    void Read();
    void Handle(const Bytes& m);
    void Closed();

    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    asio::ip::tcp::socket socket_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 16384> buf_{};
    Bytes hello_;
    std::map<int, std::string> followed_;          // table number -> the name seated there, as last seen
    std::vector<Clock::time_point> taken_, left_;  // by N; zero: not seen
    bool you_ = false, tablesWhole_ = false, usersWhole_ = false;
    bool cut_ = false, stopped_ = false;
    Clock::time_point cutAt_{};
    std::uint64_t bytes_ = 0, messages_ = 0;
};
