#include "bench/lobbyload/LobbyWatcher.h"

#include "core/LobbyMessages.h"

using namespace LobbyMessages;

LobbyWatcher::LobbyWatcher(asio::io_context& io, asio::ip::tcp::endpoint server, const std::vector<int>& followed)
    : io_(io), server_(std::move(server)), socket_(io) {
    for (int t : followed) followed_[t] = "";
}

std::optional<LobbyWatcher::Clock::time_point> LobbyWatcher::Saw(std::size_t n, bool taken) const {
    const auto& seen = taken ? taken_ : left_;
    if (n >= seen.size() || seen[n] == Clock::time_point{}) return std::nullopt;
    return seen[n];
}

namespace {

// N of "spareN"; none for another name.
std::optional<std::size_t> SpareNumber(const std::string& name) {
    constexpr std::string_view prefix = "spare";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return static_cast<std::size_t>(std::stoul(name.substr(prefix.size())));
}

void Note(std::vector<LobbyWatcher::Clock::time_point>& seen, std::size_t n) {
    if (n >= seen.size()) seen.resize(n + 1);
    seen[n] = LobbyWatcher::Clock::now();
}

}  // namespace

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
        std::string seated;
        for (const auto& seat : e->tables.front().seats)
            if (!seat.name.empty()) seated = seat.name;
        std::string& before = it->second;
        if (seated == before) return;
        if (const auto n = SpareNumber(before)) Note(left_, *n);
        if (const auto n = SpareNumber(seated)) Note(taken_, *n);
        before = seated;
        return;
    }
    if (type == kYou) you_ = true;
    if (type != kTables && type != kUsers) return;
    const auto e = ParseEvent(m);
    if (e && e->flag) (type == kTables ? tablesWhole_ : usersWhole_) = true;
}
