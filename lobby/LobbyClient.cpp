#include "lobby/LobbyClient.h"

#include "net/TlsContext.h"

using namespace LobbyMessages;
using Clock = std::chrono::steady_clock;

LobbyClient::LobbyClient() = default;
LobbyClient::~LobbyClient() { Close(); }

void LobbyClient::Close() {
    if (stream_) stream_->Close();
    failed_ = true;
    io_.restart();
    io_.poll();  // the cancelled operations finish here
}

bool LobbyClient::RunUntil(const bool& done, Clock::time_point deadline) {
    io_.restart();
    while (!done && !failed_) {
        const auto now = Clock::now();
        if (now >= deadline) {
            io_.poll();
            return done;
        }
        io_.run_one_until(deadline);
    }
    return done;
}

bool LobbyClient::Connect(const std::string& host, int port, const std::string& fingerprint, std::string& error,
                          Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    asio::ip::tcp::socket socket(io_);
    std::error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    asio::ip::tcp::endpoint ep;
    if (!ec) {
        ep = {address, static_cast<unsigned short>(port)};
    } else {
        asio::ip::tcp::resolver resolver(io_);
        const auto found = resolver.resolve(host, std::to_string(port), ec);
        if (ec || found.empty()) {
            error = "cannot find the room server " + host;
            return false;
        }
        ep = *found.begin();
    }
    bool done = false;
    std::error_code result;
    socket.async_connect(ep, [&](std::error_code e) {
        result = e;
        done = true;
    });
    if (!RunUntil(done, deadline) || result) {
        error = "cannot connect to " + host + ":" + std::to_string(port) + (result ? ": " + result.message() : "");
        return false;
    }
    if (fingerprint.empty()) {
        stream_ = std::make_unique<NetStream>(std::move(socket));
    } else {
        tls_ = TlsContext::ForClient(fingerprint);
        stream_ = std::make_unique<NetStream>(std::move(socket), *tls_);
    }
    done = false;
    stream_->AsyncHandshake(asio::ssl::stream_base::client, [&](std::error_code e) {
        result = e;
        done = true;
    });
    if (!RunUntil(done, deadline) || result) {
        error = "the TLS handshake with " + host + " failed (a different certificate?)";
        failed_ = true;
        return false;
    }
    if (!Send(Hello(), timeout)) {
        error = "the room server closed the connection";
        return false;
    }
    // The welcome, then the whole table list and the whole user list.
    bool tablesDone = false, usersDone = false, welcomed = false;
    while (!(welcomed && tablesDone && usersDone)) {
        const auto left = std::chrono::duration_cast<Ms>(deadline - Clock::now());
        const auto e = Next(left < Ms(0) ? Ms(0) : left);
        if (!e) {
            error = notice_.empty() ? "no lobby answer from the room server" : notice_;
            return false;
        }
        if (e->type == kWelcome) welcomed = true;
        if (e->type == kTables && e->flag) tablesDone = true;
        if (e->type == kUsers && e->flag) usersDone = true;
    }
    return true;
}

bool LobbyClient::Send(const Bytes& request, Ms timeout) {
    if (!Connected()) return false;
    const Bytes frame = Framing::EncodeFrame(request);
    bool done = false;
    std::error_code result;
    asio::async_write(*stream_, asio::buffer(frame), [&](std::error_code e, std::size_t) {
        result = e;
        done = true;
    });
    if (!RunUntil(done, Clock::now() + timeout) || result) {
        failed_ = true;
        return false;
    }
    return true;
}

void LobbyClient::StartRead() {
    if (reading_ || failed_) return;
    reading_ = true;
    stream_->async_read_some(asio::buffer(buf_), [this](std::error_code e, std::size_t n) {
        reading_ = false;
        if (e) {
            failed_ = true;
            return;
        }
        decoder_.Feed(buf_.data(), n);
        if (decoder_.Failed()) failed_ = true;
    });
}

std::optional<Event> LobbyClient::Next(Ms timeout) {
    if (!stream_) return std::nullopt;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        Bytes message;
        while (!decoder_.Next(message)) {
            if (failed_) return std::nullopt;
            StartRead();
            io_.restart();
            if (Clock::now() >= deadline) {
                io_.poll();
                if (decoder_.Next(message)) break;
                return std::nullopt;
            }
            io_.run_one_until(deadline);
        }
        auto e = ParseEvent(message);
        if (e) {
            Apply(*e);
            return e;
        }
        // A message a later room added is skipped; a known one this lobby cannot read ends
        // the connection.
        if (message.empty() || KnownEvent(message[0])) {
            failed_ = true;
            return std::nullopt;
        }
    }
}

std::optional<Event> LobbyClient::Ask(const Bytes& request, Ms timeout) {
    if (request.empty() || !Send(request, timeout)) return std::nullopt;
    const auto type = request[0];
    const bool seat = type == kSit || type == kWatch || type == kOpenTable;
    const bool bans = type == kListBans;
    const auto deadline = Clock::now() + timeout;
    std::optional<Event> answer;
    while (!answer) {
        const auto left = std::chrono::duration_cast<Ms>(deadline - Clock::now());
        if (left <= Ms(0)) break;
        auto e = Next(left);
        if (!e) break;
        if ((e->type == kAnswer && e->request == type) || (seat && e->type == kSeat) || (bans && e->type == kBans))
            answer = std::move(e);
    }
    return answer;
}

bool LobbyClient::AwaitRooms(Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!roomsRead_) {
        const auto left = std::chrono::duration_cast<Ms>(deadline - Clock::now());
        if (left <= Ms(0) || !Next(left)) break;
    }
    return roomsRead_;
}

void LobbyClient::Apply(const Event& e) {
    switch (e.type) {
        case kWelcome:
            roomName_ = e.text;
            break;
        case kYou:
            me_ = e.name;
            break;
        case kTables:
            for (const auto& t : e.tables) tables_[t.number] = t;
            break;
        case kTable:
            if (e.tables.front().Empty()) tables_.erase(e.tables.front().number);
            else tables_[e.tables.front().number] = e.tables.front();
            break;
        case kUsers:
            for (const auto& u : e.users) users_[u.name] = u;
            break;
        case kUser:
            if (e.flag) users_[e.users.front().name] = e.users.front();
            else users_.erase(e.users.front().name);
            break;
        case kChatLine:
            chat_.emplace_back(e.name, e.text);
            if (chat_.size() > 1000) chat_.erase(chat_.begin());
            break;
        case kNotice:
            notice_ = e.text;
            break;
        case kRooms:
            rooms_ = e.rooms;
            roomsRead_ = true;
            break;
        case kAnswer:
            if (e.request == kLogOut && e.code == 0) me_.clear();
            break;
        default:
            break;
    }
}
