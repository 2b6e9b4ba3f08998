// A room server on loopback inside the test process, sharing one event loop with the
// scripted clients, and helpers to run that loop until something has happened.
#pragma once
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/Ticket.h"
#include "server/RoomServer.h"
#include "server/ScriptedClient.h"
#include "server/SqliteStore.h"

// Bounds under which one fast talker soon fills the output queue of a client that does not
// read (and nothing else is cut off first).
inline void DeafReaderBounds(ServerOptions& o) {
    o.maxOutputBytes = 32 * 1024;
    o.sendBufferBytes = 4096;
    o.chatPerMinute = 100000;
    o.messagesPerSecond = 100000;
    o.messageBurst = 100000;
}

struct ServerHarness {
    asio::io_context io;
    ServerOptions options;
    SqliteStore store;
    std::unique_ptr<MapStore> maps;
    std::unique_ptr<RoomServer> room;
    std::string secret = "table-secret";

    explicit ServerHarness(const std::function<void(ServerOptions&)>& tweak = {},
                           const std::string& dbPath = ":memory:") {
        options.port = 0;
        options.seed = 1234;
        options.startPause = std::chrono::milliseconds(100);
        options.tick = std::chrono::milliseconds(50);
        options.secret = secret;
        if (tweak) tweak(options);
        std::string error;
        EXPECT_TRUE(store.Open(dbPath, error)) << error;
        maps = std::make_unique<MapStore>(options.mapsDir.empty() ? "/nonexistent" : options.mapsDir);
        room = std::make_unique<RoomServer>(io, options, store, *maps);
        EXPECT_TRUE(room->Listen(error)) << error;
    }
    ~ServerHarness() {
        room->Stop();
        io.poll();
    }

    asio::ip::tcp::endpoint Endpoint() const {
        return {asio::ip::make_address("127.0.0.1"), room->LocalEndpoint().port()};
    }

    std::string TicketFor(const std::string& name, int table = 1, const std::string& watched = "",
                          std::int64_t lifetime = 3600) const {
        Ticket::SeatTicket t;
        t.table = table;
        t.name = name;
        t.watched = watched;
        t.expiry = std::time(nullptr) + lifetime;
        return Ticket::Make(t, options.secret ? &*options.secret : nullptr);
    }

    // Runs the loop until `done` holds; false when `limit` passed first.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        return RunLoopUntil(io, done, limit);
    }
    // The same for another loop (clients of their own).
    static bool RunLoopUntil(asio::io_context& loop, const std::function<bool()>& done,
                             std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            loop.run_for(std::chrono::milliseconds(5));
            if (loop.stopped()) loop.restart();
        }
        return true;
    }
    void RunFor(std::chrono::milliseconds d) {
        RunUntil([] { return false; }, d);
    }

    std::unique_ptr<ScriptedClient> Client(ScriptPlan plan) {
        auto c = std::make_unique<ScriptedClient>(io, Endpoint(), std::move(plan));
        c->Start();
        return c;
    }
};

// The first column of the first row a query of the SQLite file gives, or -1.
inline int CountRows(const std::string& db, const std::string& sql) {
    sqlite3* h = nullptr;
    sqlite3_open(db.c_str(), &h);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
    const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(h);
    return n;
}
