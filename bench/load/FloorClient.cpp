#include "bench/load/FloorClient.h"

namespace {

Bytes Word(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

}  // namespace

FloorClient::FloorClient(asio::io_context& io, const asio::ip::tcp::endpoint& server, std::uint32_t table,
                         std::uint32_t id, std::chrono::milliseconds think)
    : socket_(io), timer_(io), server_(server), table_(table), id_(id), think_(think) {}

void FloorClient::Start() {
    socket_.async_connect(server_, [this, alive = std::weak_ptr<bool>(alive_)](std::error_code ec) {
        if (alive.expired() || stopped_ || ec) return;
        connected_ = true;
        std::error_code ignored;
        socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
        Send(Word(table_));
        Read();
        Schedule();
    });
}

void FloorClient::Stop() {
    stopped_ = true;
    connected_ = false;
    timer_.cancel();
    std::error_code ignored;
    socket_.close(ignored);
}

void FloorClient::Schedule() {
    timer_.expires_after(think_);
    timer_.async_wait([this, alive = std::weak_ptr<bool>(alive_)](std::error_code ec) {
        if (alive.expired() || ec || stopped_) return;
        // A removal request's size: the seat, two cells and the path.
        Bytes request = Word(id_);
        request.resize(12, 0);
        sentAt_ = std::chrono::steady_clock::now();
        ++requests_;
        Send(std::move(request));
    });
}

void FloorClient::Read() {
    socket_.async_read_some(
        asio::buffer(buf_), [this, alive = std::weak_ptr<bool>(alive_)](std::error_code ec, std::size_t n) {
            if (alive.expired() || stopped_) return;
            if (ec) {
                connected_ = false;
                return;
            }
            decoder_.Feed(buf_.data(), n);
            Bytes m;
            const Bytes mine = Word(id_);
            while (decoder_.Next(m)) {
                // The broadcast: the sender's seat, then its request.
                if (m.size() >= 5 && std::equal(mine.begin(), mine.end(), m.begin() + 1)) {
                    latencies_.push_back(
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sentAt_).count());
                    ++removals_;
                    Schedule();
                }
            }
            Read();
        });
}

void FloorClient::Send(Bytes message) {
    out_.push_back(Framing::EncodeFrame(message));
    if (out_.size() == 1) Write();
}

void FloorClient::Write() {
    asio::async_write(socket_, asio::buffer(out_.front()),
                      [this, alive = std::weak_ptr<bool>(alive_)](std::error_code ec, std::size_t) {
                          if (alive.expired() || stopped_ || ec) return;
                          out_.pop_front();
                          if (!out_.empty()) Write();
                      });
}
