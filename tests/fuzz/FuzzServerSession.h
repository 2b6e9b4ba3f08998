// One connection's traffic against a fresh room server on loopback, for the server's fuzz
// target and for the seed writer that records real sessions for it.
//
// Every session starts a new server with the same seed (so the deal of a game is the same
// from session to session) and a scripted player who sits first at table 1, becomes the
// master, answers the settings and raises its hand, and then thinks for a minute: the
// fuzzed connection is the only one that moves. The fuzzed connection's messages are the
// input's (FuzzInput.h); two of them are commands rather than traffic:
//   {0xFF}            let the server run for 30 ms (a game start, a clock, an answer)
//   {0xFE, bytes...}  write the bytes as they are, without a frame
// At the end the connection closes and the scripted player leaves; the server must then
// forget both.
#pragma once
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "RawClient.h"
#include "core/Ticket.h"
#include "server/RoomServer.h"
#include "server/ScriptedClient.h"
#include "server/SqliteStore.h"

namespace fuzzserver {

inline constexpr std::uint8_t kWait = 0xFF;
inline constexpr std::uint8_t kRaw = 0xFE;
inline const std::string kSecret = "fuzz-secret";

inline std::string TicketFor(const std::string& name, int table = 1, const std::string& watched = "") {
    Ticket::SeatTicket t;
    t.table = table;
    t.name = name;
    t.watched = watched;
    t.expiry = 4'102'444'800;  // 2100-01-01
    return Ticket::Make(t, &kSecret);
}

class Session {
public:
    Session() {
        options_.port = 0;
        options_.seed = 1234;
        options_.secret = kSecret;
        options_.startPause = std::chrono::milliseconds(10);
        options_.tick = std::chrono::milliseconds(10);
        options_.dropGrace = std::chrono::milliseconds(0);
        options_.loginTimeout = std::chrono::milliseconds(2000);
        options_.frameTimeout = std::chrono::milliseconds(2000);
        std::string error;
        if (!store_.Open(":memory:", error)) Fail(error.c_str());
        room_ = std::make_unique<RoomServer>(io_, options_, store_, Maps());
        if (!room_->Listen(error)) Fail(error.c_str());
        const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), room_->LocalEndpoint().port());

        ScriptPlan plan;
        plan.think = std::chrono::seconds(60);
        plan.settings.playerCount = 2;
        companion_ = std::make_unique<ScriptedClient>(io_, ep, plan);
        companion_->Start();
        if (!RunUntil([&] { return companion_->Seat() >= 0; }, std::chrono::seconds(5)))
            Fail("the scripted player was not seated");
        client_ = std::make_unique<RawClient>(io_, ep);
        if (!RunUntil([&] { return client_->connected || client_->closed; }, std::chrono::seconds(5)))
            Fail("no connection");
    }

    ~Session() {
        client_.reset();
        companion_->Stop();
        const bool forgotten =
            RunUntil([&] { return room_->ConnectionCount() == 0 && room_->UserCount() == 0; }, std::chrono::seconds(5));
        companion_.reset();
        if (!forgotten) Fail("the server still holds a connection or a user after both left");
        room_->Stop();
        io_.poll();
    }

    // One message of the input: traffic or a command.
    void Step(const Bytes& m) {
        if (m.size() == 1 && m[0] == kWait) {
            RunFor(std::chrono::milliseconds(30));
        } else if (!m.empty() && m[0] == kRaw) {
            client_->SendBytes(Bytes(m.begin() + 1, m.end()));
            io_.poll();
        } else {
            client_->Send(m);
            io_.poll();
        }
    }

    // Lets what was sent arrive and be answered.
    void Settle() { RunFor(std::chrono::milliseconds(20)); }

    const std::vector<Bytes>& Received() const { return client_->messages; }
    bool Closed() const { return client_->closed; }

private:
    static const MapStore& Maps() {
        static const MapStore maps(std::string(TILELINK_TABLE_DIR) + "/Res/Map");
        return maps;
    }
    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "server session: %s\n", why);
        std::abort();
    }
    template <class Done>
    bool RunUntil(Done done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            io_.run_for(std::chrono::milliseconds(2));
            if (io_.stopped()) io_.restart();
        }
        return true;
    }
    void RunFor(std::chrono::milliseconds d) {
        RunUntil([] { return false; }, d);
    }

    asio::io_context io_;
    ServerOptions options_;
    SqliteStore store_;
    std::unique_ptr<RoomServer> room_;
    std::unique_ptr<ScriptedClient> companion_;
    std::unique_ptr<RawClient> client_;
};

}  // namespace fuzzserver
