// The room server with a certificate, in this process: what crosses the wire, and what a
// failed or missing handshake does to the other connections.
#include <gtest/gtest.h>

#include "core/ChatLine.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "net/TlsContext.h"
#include "tests/server/ServerHarness.h"
#include "tests/tls/TlsKit.h"

using namespace std::chrono_literals;

namespace {

// A connection made by hand: it sends the given bytes once connected (and through the
// handshake, when TLS), then collects every message the server sends.
class HandClient : public std::enable_shared_from_this<HandClient> {
public:
    HandClient(asio::io_context& io, asio::ssl::context* tls)
        : stream_(tls ? NetStream(NetStream::Socket(io), *tls) : NetStream(NetStream::Socket(io))) {}
    ~HandClient() { stream_.Close(); }

    void Start(unsigned short port, Bytes bytes) {
        out_ = std::move(bytes);
        auto self = shared_from_this();
        stream_.Tcp().async_connect({asio::ip::make_address("127.0.0.1"), port}, [self](std::error_code ec) {
            if (ec) return self->Fail();
            self->stream_.AsyncHandshake(asio::ssl::stream_base::client, [self](std::error_code ec) {
                if (ec) return self->Fail();
                self->handshook = true;
                if (!self->out_.empty()) asio::async_write(self->stream_, asio::buffer(self->out_), [](auto, auto) {});
                self->Read();
            });
        });
    }
    bool Saw(const std::string& text) const {
        for (const auto& m : messages)
            if (std::string(m.begin(), m.end()).find(text) != std::string::npos) return true;
        return false;
    }

    std::vector<Bytes> messages;
    bool handshook = false, failed = false, closed = false;
    // Sent once the server has answered the login (a client chats only when seated).
    Bytes afterLogin;

private:
    void Fail() { failed = closed = true; }
    void Read() {
        auto self = shared_from_this();
        stream_.async_read_some(asio::buffer(buf_), [self](std::error_code ec, std::size_t n) {
            if (ec) {
                self->closed = true;
                return;
            }
            self->decoder_.Feed(self->buf_.data(), n);
            Bytes m;
            while (self->decoder_.Next(m)) self->messages.push_back(m);
            if (!self->messages.empty() && !self->afterLogin.empty()) {
                auto later = std::make_shared<Bytes>(std::move(self->afterLogin));
                self->afterLogin.clear();
                asio::async_write(self->stream_, asio::buffer(*later), [later](auto, auto) {});
            }
            self->Read();
        });
    }

    NetStream stream_;
    Bytes out_;
    std::array<std::uint8_t, 4096> buf_{};
    Framing::FrameDecoder decoder_;
};

Bytes Concat(const std::vector<Bytes>& frames) {
    Bytes all;
    for (const auto& f : frames) all.insert(all.end(), f.begin(), f.end());
    return all;
}

// Hello with the ticket and the login, as a table client sends them.
Bytes Seat(const std::string& ticket) {
    return Concat({Framing::EncodeHello(ticket), Framing::EncodeFrame(RoomMessages::Login(true))});
}

// One chat line, framed.
Bytes ChatFrame(const std::string& name, const std::string& chat) {
    return Framing::EncodeFrame(GameMessages::Chat(ChatLine::ToEveryone(name, chat)));
}

// A client that logs in and, once seated, says one chat line.
void SeatAndChat(HandClient& client, unsigned short port, const std::string& ticket, const std::string& name,
                 const std::string& chat) {
    client.afterLogin = ChatFrame(name, chat);
    client.Start(port, Seat(ticket));
}

struct Capture {
    std::string wire, ticket;
    bool echoed = false;
};

// One player logs in through the recording proxy and chats until its line comes back.
Capture ChatThroughProxy(bool tls, const std::string& ticketName, const std::string& chat) {
    tlskit::TempFolder dir(tls ? "wire_tls" : "wire_plain");
    tlskit::CertPair pair(dir.path, "room");
    ServerHarness h([&](ServerOptions& o) {
        if (tls) {
            o.tlsCert = pair.cert;
            o.tlsKey = pair.key;
        }
    });
    EXPECT_EQ(h.room->UsesTls(), tls);
    tlskit::RecordingProxy proxy(h.io, h.Endpoint());
    auto pin = TlsContext::ForClient(pair.fingerprint);
    auto client = std::make_shared<HandClient>(h.io, tls ? pin.get() : nullptr);
    Capture c;
    c.ticket = h.TicketFor(ticketName);
    SeatAndChat(*client, proxy.Port(), c.ticket, ticketName, chat);
    c.echoed = h.RunUntil([&] { return client->Saw(chat) || client->closed; }, 10s) && client->Saw(chat);
    h.RunFor(50ms);
    c.wire = proxy.Recorded();
    return c;
}

}  // namespace

TEST(TlsWire, TicketAndChatAreReadableInPlainTcpButNotOverTls) {
    const std::string chat = "plaintext-chat-line-7731";
    // Plain loopback: the capture shows both, so the check below can see them.
    const Capture plain = ChatThroughProxy(false, "alice", chat);
    ASSERT_TRUE(plain.echoed);
    EXPECT_NE(plain.wire.find(chat), std::string::npos);
    EXPECT_NE(plain.wire.find(plain.ticket), std::string::npos);

    const Capture tls = ChatThroughProxy(true, "alice", chat);
    ASSERT_TRUE(tls.echoed) << "the chat line did not come back over TLS";
    EXPECT_GT(tls.wire.size(), 200u);
    EXPECT_EQ(tls.wire.find(chat), std::string::npos);
    EXPECT_EQ(tls.wire.find("alice"), std::string::npos);  // the name inside the ticket and the line
    EXPECT_EQ(tls.wire.find(tls.ticket), std::string::npos);
    // The first bytes are a TLS handshake record, not a frame length.
    ASSERT_FALSE(tls.wire.empty());
    EXPECT_EQ(static_cast<unsigned char>(tls.wire[0]), 0x16);
}

TEST(TlsWire, BadSlowAndWrongPinHandshakesEndOnlyTheirOwnConnection) {
    tlskit::TempFolder dir("handshakes");
    tlskit::CertPair pair(dir.path, "room"), other(dir.path, "other");
    ServerHarness h([&](ServerOptions& o) {
        o.tlsCert = pair.cert;
        o.tlsKey = pair.key;
        o.loginTimeout = 400ms;
    });
    const unsigned short port = h.Endpoint().port();
    auto pin = TlsContext::ForClient(pair.fingerprint);
    auto wrongPin = TlsContext::ForClient(other.fingerprint);

    auto good = std::make_shared<HandClient>(h.io, pin.get());
    SeatAndChat(*good, port, h.TicketFor("good"), "good", "hello");
    ASSERT_TRUE(h.RunUntil([&] { return good->Saw("hello"); }));

    auto garbage = std::make_shared<HandClient>(h.io, nullptr);  // not TLS at all
    const std::string http = "GET / HTTP/1.0\r\n\r\n";
    garbage->Start(port, Bytes(http.begin(), http.end()));
    auto plainHello = std::make_shared<HandClient>(h.io, nullptr);  // a plain table client
    SeatAndChat(*plainHello, port, h.TicketFor("plain"), "plain", "hi");
    auto silent = std::make_shared<HandClient>(h.io, nullptr);  // connects and says nothing
    silent->Start(port, {});
    auto impostor = std::make_shared<HandClient>(h.io, wrongPin.get());
    SeatAndChat(*impostor, port, h.TicketFor("impostor"), "impostor", "hi");

    ASSERT_TRUE(
        h.RunUntil([&] { return garbage->closed && plainHello->closed && silent->closed && impostor->closed; }));
    EXPECT_TRUE(impostor->failed);  // the client refused the certificate
    EXPECT_FALSE(impostor->handshook);
    EXPECT_TRUE(plainHello->messages.empty());
    h.RunFor(100ms);
    EXPECT_FALSE(good->closed);
    EXPECT_EQ(h.room->UserCount(), 1u);
    EXPECT_EQ(h.room->ConnectionCount(), 1u);
    ASSERT_NE(h.room->FindUser("good"), nullptr);
    EXPECT_EQ(h.room->FindUser("plain"), nullptr);
    EXPECT_EQ(h.room->FindUser("impostor"), nullptr);
}

TEST(TlsWire, AServerWithoutItsCertificateDoesNotStart) {
    tlskit::TempFolder dir("nocert");
    tlskit::CertPair pair(dir.path, "room"), other(dir.path, "other");
    for (const auto& [cert, key] :
         {std::pair{pair.cert, other.key}, std::pair{(dir.path / "none.crt").string(), pair.key},
          std::pair{pair.cert, (dir.path / "none.key").string()}}) {
        asio::io_context io;
        ServerOptions o;
        o.tlsCert = cert;
        o.tlsKey = key;
        SqliteStore store;
        std::string error;
        ASSERT_TRUE(store.Open(":memory:", error));
        MapStore maps("/nonexistent");
        RoomServer room(io, o, store, maps);
        EXPECT_FALSE(room.Listen(error)) << cert << " " << key;
        EXPECT_FALSE(error.empty());
    }
}
