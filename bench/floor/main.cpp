// bench_floor: the least a room server can do for the load driver's traffic, as the floor
// its figures are compared with. One thread; every connection's first frame names its
// group (a table: four bytes, big-endian); every later frame is sent, framed once and
// shared, to every member of the group, the sender's seat in front. Nothing else: no
// rules, no records, no limits.
//
//   bench_floor        prints "listening on 127.0.0.1:PORT", serves until killed
#include <asio.hpp>

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/Framing.h"

namespace {

using Frame = std::shared_ptr<const Bytes>;

class Member;
using Group = std::vector<std::shared_ptr<Member>>;

class Member : public std::enable_shared_from_this<Member> {
public:
    Member(asio::ip::tcp::socket s, std::unordered_map<std::uint32_t, Group>& groups)
        : socket_(std::move(s)), groups_(groups) {
        socket_.set_option(asio::ip::tcp::no_delay(true));
    }
    void Start() { Read(); }
    void Send(const Frame& f) {
        queue_.push_back(f);
        if (queue_.size() == 1) Write();
    }

private:
    void Read() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(buf_), [self](std::error_code ec, std::size_t n) {
            if (ec) return self->Leave();
            self->decoder_.Feed(self->buf_.data(), n);
            Bytes m;
            while (self->decoder_.Next(m)) self->OnFrame(m);
            if (self->decoder_.Failed()) return self->Leave();
            self->Read();
        });
    }
    void OnFrame(const Bytes& m) {
        if (!group_) {
            if (m.size() != 4) return;
            group_ = (std::uint32_t(m[0]) << 24) | (std::uint32_t(m[1]) << 16) | (std::uint32_t(m[2]) << 8) | m[3];
            Group& g = groups_[*group_];
            seat_ = static_cast<std::uint8_t>(g.size());
            g.push_back(shared_from_this());
            return;
        }
        Bytes out;
        out.reserve(m.size() + 1);
        out.push_back(seat_);
        out.insert(out.end(), m.begin(), m.end());
        const Frame f = std::make_shared<const Bytes>(Framing::EncodeFrame(out));
        for (auto& member : groups_[*group_]) member->Send(f);
    }
    void Write() {
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(*queue_.front()), [self](std::error_code ec, std::size_t) {
            if (ec) return self->Leave();
            self->queue_.pop_front();
            if (!self->queue_.empty()) self->Write();
        });
    }
    void Leave() {
        if (!group_) return;
        Group& g = groups_[*group_];
        for (auto it = g.begin(); it != g.end(); ++it)
            if (it->get() == this) {
                g.erase(it);
                break;
            }
        if (g.empty()) groups_.erase(*group_);
        group_.reset();
        std::error_code ignored;
        socket_.close(ignored);
    }

    asio::ip::tcp::socket socket_;
    std::unordered_map<std::uint32_t, Group>& groups_;
    std::optional<std::uint32_t> group_;
    std::uint8_t seat_ = 0;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 512> buf_{};
    std::deque<Frame> queue_;
};

void Accept(asio::ip::tcp::acceptor& acceptor, std::unordered_map<std::uint32_t, Group>& groups) {
    acceptor.async_accept([&](std::error_code ec, asio::ip::tcp::socket s) {
        if (!ec) std::make_shared<Member>(std::move(s), groups)->Start();
        Accept(acceptor, groups);
    });
}

}  // namespace

int main() {
    asio::io_context io(1);
    asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    acceptor.listen(asio::socket_base::max_listen_connections);
    std::unordered_map<std::uint32_t, Group> groups;
    Accept(acceptor, groups);
    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(acceptor.local_endpoint().port()));
    std::fflush(stdout);
    io.run();
    return 0;
}
