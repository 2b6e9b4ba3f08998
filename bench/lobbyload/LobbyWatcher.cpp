#include "bench/lobbyload/LobbyWatcher.h"

#include "core/LobbyMessages.h"

using namespace LobbyMessages;

LobbyWatcher::LobbyWatcher(asio::io_context& io, asio::ip::tcp::endpoint server, const std::vector<int>& followed)
    : io_(io), server_(std::move(server)), socket_(io), taken_(followed.size()), seen_(followed.size()) {
    for (std::size_t i = 0; i < followed.size(); ++i) followed_[followed[i]] = i;
}

void LobbyWatcher::Start() {
    hello_ = Framing::EncodeFrame(Hello());
    const Bytes guest = Framing::EncodeFrame(Plain(kGuest));
    hello_.insert(hello_.end(), guest.begin(), guest.end());
    socket_.async_connect(server_, [this](std::error_code ec) {
        if (ec) return Closed();
        asio::async_write(socket_, asio::buffer(hello_), [this](std::error_code e, std::size_t) {
            if (e) Closed();
        });
        Read();
    });
}

void LobbyWatcher::Stop() {
    stopped_ = true;
    std::error_code ec;
    socket_.close(ec);
}

void LobbyWatcher::Closed() {
    if (stopped_ || cut_) return;
    cut_ = true;
    cutAt_ = Clock::now();
}

void LobbyWatcher::Read() {
    socket_.async_read_some(asio::buffer(buf_), [this](std::error_code ec, std::size_t n) {
        if (ec) return Closed();
        bytes_ += n;
        decoder_.Feed(buf_.data(), n);
        Bytes m;
        while (decoder_.Next(m)) Handle(m);
        Read();
    });
}

void LobbyWatcher::Handle(const Bytes& m) {
    ++messages_;
    if (m.empty()) return;
    const auto type = static_cast<Type>(m[0]);
    if (type == kTable && m.size() >= 5) {
        // Only the followed tables are read whole: their number comes first.
        const int number = static_cast<int>((std::uint32_t(m[1]) << 24) | (std::uint32_t(m[2]) << 16) |
                                            (std::uint32_t(m[3]) << 8) | std::uint32_t(m[4]));
        const auto it = followed_.find(number);
        if (it == followed_.end()) return;
        const auto e = ParseEvent(m);
        if (!e || e->tables.empty()) return;
        const bool taken = !e->tables.front().Empty();
        if (taken != taken_[it->second]) seen_[it->second].push_back(Clock::now());
        taken_[it->second] = taken;
        return;
    }
    if (type == kYou) you_ = true;
    if (type != kTables && type != kUsers) return;
    const auto e = ParseEvent(m);
    if (e && e->flag) (type == kTables ? tablesWhole_ : usersWhole_) = true;
}
