// One table inside the test process: the real Table and game rules, the real records
// store in memory behind the real store worker (its answers come on an io context the
// test runs), a virtual clock that moves only when the test says, and users whose
// outboxes keep every message the table sent them, unframed as a client reads them.
#pragma once
#include <gtest/gtest.h>
#include <asio.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/BroadcastParsers.h"
#include "core/Framing.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"
#include "server/MapStore.h"
#include "server/ServerOptions.h"
#include "server/SqliteStore.h"
#include "server/StoreWorker.h"
#include "server/Table.h"
#include "server/TableClock.h"

// What one user's table client was sent.
struct FakeOutbox : Outbox {
    std::vector<Bytes> messages;
    bool closed = false;
    std::string closeReason;

    void Send(const SharedFrame& frame) override {
        if (closed) return;
        Framing::FrameDecoder decoder;
        decoder.Feed(frame->data(), frame->size());
        Bytes m;
        while (decoder.Next(m)) messages.push_back(m);
        EXPECT_FALSE(decoder.Failed());
    }
    void Close(const char* why) override {
        closed = true;
        closeReason = why;
    }
    void CloseAfterFlush() override { Close("after flush"); }

    // The messages of that type (and sub-code byte 1, 255 for any).
    std::vector<Bytes> All(std::uint8_t type, std::uint8_t sub = 255) const {
        std::vector<Bytes> out;
        for (const Bytes& m : messages)
            if (m[0] == type && (sub == 255 || (m.size() > 1 && m[1] == sub))) out.push_back(m);
        return out;
    }
    int Count(std::uint8_t type, std::uint8_t sub = 255) const { return static_cast<int>(All(type, sub).size()); }
    // The names carried by the 108 user-state messages of that sub-code.
    std::vector<std::string> StateNames(std::uint8_t sub) const {
        std::vector<std::string> names;
        for (const Bytes& m : All(modRoomMsgDefine::ROOMMSG_USERSTATE, sub))
            names.push_back(RoomMessages::RequestFields(m).at(0));
        return names;
    }
    // The texts of the operator-style notices (21).
    std::vector<std::string> Notices() const {
        std::vector<std::string> texts;
        for (const Bytes& m : All(modGameMsgDefine::GAMEMSG_NOTICE))
            if (std::string text; GameMessages::ParseNotice(m, text)) texts.push_back(text);
        return texts;
    }
};

// The room around the table: it owns the users, forgets them when the table releases them
// and keeps their outboxes for the test to read.
class TableRoom : public TableHost {
public:
    ServerOptions options;
    VirtualTableClock clock;
    asio::io_context io;
    asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
    SqliteStore store;
    StoreWorker records{io, store, StoreWorker::Options{}};
    MapStore maps{"/nonexistent"};
    std::mt19937 rng{1234};
    std::map<std::string, std::unique_ptr<UserSession>> users;
    std::map<std::string, std::shared_ptr<FakeOutbox>> outboxes;  // the latest of each user
    std::vector<std::unique_ptr<UserSession>> released;
    int emptied = 0;
    std::unique_ptr<Table> table;

    TableRoom() {
        options.startPause = std::chrono::milliseconds(1500);
        std::string error;
        EXPECT_TRUE(store.Open(":memory:", error)) << error;
        EXPECT_TRUE(records.Start(RoomEntry{"table-rules", "test room", "127.0.0.1:0", 0}, error)) << error;
    }
    // The table is made on first use, after the test has set the options.
    Table& T() {
        if (!table) table = std::make_unique<Table>(*this, 1);
        return *table;
    }

    const ServerOptions& Options() const override { return options; }
    std::mt19937& Rng() override { return rng; }
    const MapStore& Maps() const override { return maps; }
    StoreWorker& Records() override { return records; }
    TableClock& Clock() override { return clock; }
    // The released user stays readable till the end of the test, as its outbox does.
    void Release(UserSession& u) override {
        if (u.conn) u.conn->CloseAfterFlush();
        u.conn.reset();
        if (auto it = users.find(u.name); it != users.end() && it->second.get() == &u) {
            released.push_back(std::move(it->second));
            users.erase(it);
        }
    }
    void TableEmptied(int) override { ++emptied; }
    UserSession* FindUser(const std::string& name) override {
        const auto it = users.find(name);
        return it == users.end() ? nullptr : it->second.get();
    }

    // A user logs in to this table: a player (registered, or a guest) or a spectator of
    // `watched`. False when the table turns it away.
    bool Arrive(const std::string& name, bool guest = false, const std::string& watched = "") {
        auto u = std::make_unique<UserSession>();
        u->name = name;
        u->guest = guest;
        if (!guest) u->stats = Stored(name);
        u->stats.name = name;
        Connect(*u);
        UserSession& user = *u;
        users[name] = std::move(u);
        const bool seated = watched.empty() ? T().SeatPlayer(user) : T().AddWatcher(user, watched);
        if (!seated) users.erase(name);
        return seated;
    }
    UserSession& User(const std::string& name) { return *users.at(name); }
    FakeOutbox& Out(const std::string& name) { return *outboxes.at(name); }
    int Seat(const std::string& name) { return User(name).seat; }

    void Say(const std::string& name, const Bytes& message) { T().OnMessage(User(name), message); }
    // The connection ends without a word, and a new one of the same user comes back.
    void Drop(const std::string& name) {
        UserSession& u = User(name);
        u.conn->session = nullptr;
        u.conn.reset();
        T().ConnectionLost(u);
    }
    void Return(const std::string& name) {
        UserSession& u = User(name);
        Connect(u);
        T().Resume(u);
    }
    void Advance(std::chrono::milliseconds by) { clock.Advance(by); }

    // Waits until the store worker has answered everything handed to it before, and runs
    // those answers: the results of a game that ended are shown by then.
    void Settle() {
        bool answered = false;
        records.Exists("", [&](bool) { answered = true; });
        RunUntil(answered);
    }
    // The user's record as the store has it.
    UserStats Stored(const std::string& name) {
        UserStats stats;
        bool answered = false;
        records.Load(name, [&](bool ok, const UserStats& s, const std::string& error) {
            EXPECT_TRUE(ok) << error;
            stats = s;
            answered = true;
        });
        RunUntil(answered);
        return stats;
    }

    // The master sets the table for `players`, and every other seated player agrees.
    void SetUpAndAgree(const std::string& master, const std::vector<std::string>& others, int players) {
        GameSettings s = options.defaultSettings;
        s.playerCount = players;
        Say(master, RoomMessages::GameSetConfirm(master, s));
        for (const auto& name : others) Say(name, RoomMessages::GameSetAccept(name));
    }

private:
    // Runs the store worker's answers as they come, until `done`; a few seconds at most.
    void RunUntil(const bool& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            io.run_one_for(std::chrono::milliseconds(20));
        }
        EXPECT_TRUE(done) << "the store worker did not answer";
    }

    void Connect(UserSession& u) {
        auto out = std::make_shared<FakeOutbox>();
        out->session = &u;
        u.conn = out;
        outboxes[u.name] = out;
    }
};

// A player's own view of its board, kept from the start message and its removals.
struct BoardView {
    TileGridT grid{};

    // The start message the user was sent last; false when there is none.
    bool Start(const FakeOutbox& out, GameMessages::StartInfo* info = nullptr) {
        const auto starts = out.All(modGameMsgDefine::GAMEMSG_START);
        GameMessages::StartInfo s;
        if (starts.empty() || !GameMessages::ParseStart(starts.back(), s)) return false;
        grid = s.board;
        if (info) *info = s;
        return true;
    }
    // Some linkable pair of the board; false when there is none.
    bool NextPair(LinkPath& path) const { return modLinkSearch::FindLinkPair(grid, path); }
    void Take(const LinkPath& path) {
        const CellPos a = path.First(), b = path.Last();
        grid[a.row][a.col] = grid[b.row][b.col] = 0;
    }
};
