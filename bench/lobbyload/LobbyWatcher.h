// One lobby client of the lobby load driver: it says the lobby hello, enters as a guest,
// takes the whole table and user lists and then follows the room's changes. It counts what
// it reads, and notes when it saw each seat change at the tables it follows (a table whose
// seat is taken, or left again).
#pragma once
#include <asio.hpp>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
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
    // For each followed table (in the order given), when this lobby saw its seats change:
    // the first entry is the first change after the start, and so on.
    const std::vector<std::vector<Clock::time_point>>& SeatChanges() const { return seen_; }

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
    std::map<int, std::size_t> followed_;  // table number -> index
    std::vector<bool> taken_;              // as last seen
    std::vector<std::vector<Clock::time_point>> seen_;
    bool you_ = false, tablesWhole_ = false, usersWhole_ = false;
    bool cut_ = false, stopped_ = false;
    Clock::time_point cutAt_{};
    std::uint64_t bytes_ = 0, messages_ = 0;
};
