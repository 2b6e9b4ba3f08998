// A player of the floor server (bench_floor): joins its table's group, then, like a
// scripted player, sends a removal-sized request a think time after its previous one came
// back, and keeps the time from request to its broadcast.
#pragma once
#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "core/Framing.h"

class FloorClient {
public:
    FloorClient(asio::io_context& io, const asio::ip::tcp::endpoint& server, std::uint32_t table, std::uint32_t id,
                std::chrono::milliseconds think);
    void Start();
    void Stop();

    bool Connected() const { return connected_; }
    int Requests() const { return requests_; }
    int Removals() const { return removals_; }
    const std::vector<double>& LatenciesMs() const { return latencies_; }

private:
    void Read();
    void Send(Bytes message);
    void Write();
    void Schedule();

    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    asio::ip::tcp::endpoint server_;
    std::uint32_t table_, id_;
    std::chrono::milliseconds think_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 4096> buf_{};
    std::deque<Bytes> out_;
    bool connected_ = false, stopped_ = false;
    std::chrono::steady_clock::time_point sentAt_{};
    int requests_ = 0, removals_ = 0;
    std::vector<double> latencies_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
