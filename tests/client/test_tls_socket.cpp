// The table client against a room server with a certificate: the socket control speaks
// TLS when the address carries the pinned fingerprint, logs in through it, and treats
// any other certificate as a failed connection. A recording proxy sits in between.
#include <gtest/gtest.h>
#include <QTest>

#include <ctime>
#include <future>
#include <thread>

#include "ClientHarness.h"
#include "core/Ticket.h"
#include "server/RoomServer.h"
#include "server/SqliteStore.h"
#include "tests/tls/TlsKit.h"

namespace {

// The room server with a certificate, and the proxy in front of it, on a thread of their own.
class TlsRoom {
public:
    explicit TlsRoom(const tlskit::CertPair& pair) : maps_("/nonexistent") {
        options_.port = 0;
        options_.secret = secret;
        options_.tlsCert = pair.cert;
        options_.tlsKey = pair.key;
        std::string error;
        EXPECT_TRUE(store_.Open(":memory:", error)) << error;
        room_ = std::make_unique<RoomServer>(io_, options_, store_, maps_);
        EXPECT_TRUE(room_->Listen(error)) << error;
        proxy_ = std::make_unique<tlskit::RecordingProxy>(
            io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), room_->LocalEndpoint().port()));
        thread_ = std::thread([this] { io_.run(); });
    }
    ~TlsRoom() {
        asio::post(io_, [this] {
            room_->Stop();
            io_.stop();
        });
        thread_.join();
    }

    int ProxyPort() const { return proxy_->Port(); }
    std::string Ticket(const std::string& name) const {
        Ticket::SeatTicket t;
        t.table = 1;
        t.name = name;
        t.expiry = std::time(nullptr) + 3600;
        return Ticket::Make(t, &secret);
    }
    // Runs `f` on the server's thread and hands back its result.
    template <class F>
    auto OnServer(F f) {
        std::promise<decltype(f())> result;
        asio::post(io_, [&] { result.set_value(f()); });
        return result.get_future().get();
    }
    bool HasUser(const std::string& name) {
        return OnServer([&] { return room_->FindUser(name) != nullptr; });
    }
    std::string Wire() {
        return OnServer([&] { return proxy_->Recorded(); });
    }

    const std::string secret = "table-secret";

private:
    asio::io_context io_;
    ServerOptions options_;
    SqliteStore store_;
    MapStore maps_;
    std::unique_ptr<RoomServer> room_;
    std::unique_ptr<tlskit::RecordingProxy> proxy_;
    std::thread thread_;
};

// A table client started with the given address argument against the room.
std::unique_ptr<harness::Harness> StartTable(const std::string& address, int port) {
    auto h = std::make_unique<harness::Harness>();
    h->client->RecordSends = nullptr;
    EXPECT_TRUE(h->Start(harness::LaunchArguments("tester", address, port)));
    return h;
}

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 250 && !done(); ++i) QTest::qWait(20);
    return done();
}

}  // namespace

TEST(TlsTable, LogsInWithThePinnedCertificateAndTheWireHidesTheTicket) {
    tlskit::TempFolder dir("client_tls");
    tlskit::CertPair pair(dir.path, "room");
    TlsRoom room(pair);
    const std::string ticket = room.Ticket("tester");
    auto h = StartTable("127.0.0.1#" + ticket + "#" + pair.fingerprint, room.ProxyPort());
    ASSERT_TRUE(WaitFor([&] { return room.HasUser("tester"); }));
    EXPECT_TRUE(h->Main().ZelSckClient->IsConnected());
    EXPECT_EQ(h->ended, 0);
    const std::string wire = room.Wire();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(static_cast<unsigned char>(wire[0]), 0x16);  // a TLS handshake record
    EXPECT_EQ(wire.find(ticket), std::string::npos);
    EXPECT_EQ(wire.find(ticket.substr(0, 12)), std::string::npos);
}

TEST(TlsTable, AnotherCertificateOrABrokenPinIsAConnectionFailure) {
    tlskit::TempFolder dir("client_pin");
    tlskit::CertPair pair(dir.path, "room"), other(dir.path, "other");
    TlsRoom room(pair);
    const std::string ticket = room.Ticket("tester");
    for (const std::string& pin : {other.fingerprint, std::string("not-a-fingerprint"), pair.fingerprint.substr(2)}) {
        auto h = StartTable("127.0.0.1#" + ticket + "#" + pin, room.ProxyPort());
        EXPECT_TRUE(WaitFor([&] { return h->ended > 0; })) << pin;
        EXPECT_FALSE(h->Main().ZelSckClient->IsConnected());
    }
    EXPECT_FALSE(room.HasUser("tester"));
}

TEST(TlsTable, PlainTcpAgainstTheTlsServerNeverLogsIn) {
    tlskit::TempFolder dir("client_plain");
    tlskit::CertPair pair(dir.path, "room");
    TlsRoom room(pair);
    auto h = StartTable("127.0.0.1#" + room.Ticket("tester"), room.ProxyPort());
    EXPECT_TRUE(WaitFor([&] { return h->ended > 0; }));
    EXPECT_FALSE(room.HasUser("tester"));
}
