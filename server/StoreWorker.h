// The store worker: the one thread that talks to the database, so that a slow or absent
// database never stalls the tables. Reads (records at login, guest names, leases) go in
// a bounded queue and answer on the room's io context. A game's results are kept before
// the players are shown them: stored, or, when the database does not take them (or games
// wait before them), appended to the spill file and flushed to the disk; they wait there,
// in order, and are written until the database takes them, once each (every game has its
// own key). The spill file is emptied whenever nothing waits. Past `maxWaiting` waiting games the room
// starts no new games. It also keeps the room registered with a heartbeat and reports the
// session leases the room still holds.
#pragma once
#include <asio/io_context.hpp>
#include <asio/strand.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/PasswordWorker.h"
#include "server/ResultSpill.h"
#include "server/Store.h"

class StoreWorker {
public:
    struct Options {
        std::size_t maxWaiting = 1000;  // games waiting for the database, at most
        std::size_t maxReads = 10000;   // reads queued, at most
        std::size_t maxHashes = 64;     // passwords waiting to be hashed or checked, at most
        std::string spillPath;          // empty: waiting games are kept in memory only
        std::chrono::milliseconds heartbeat{1000};
        std::chrono::milliseconds retry{1000};  // a database that went away is tried again this often
    };

    StoreWorker(asio::io_context& io, Store& store, Options options);
    ~StoreWorker();
    StoreWorker(const StoreWorker&) = delete;
    StoreWorker& operator=(const StoreWorker&) = delete;

    // Opens the spill file (its games wait first) and starts the thread, which registers
    // the room; false with a message when the spill file cannot be used.
    bool Start(const RoomEntry& room, std::string& error);
    // Ends the thread; games not yet kept go to the spill file first.
    void Stop();
    const std::string& RoomId() const { return room_.id; }

    // Reads; the answers come on the io context. A read that fails (or finds the queue
    // full, or the database away) answers with ok = false and the reason.
    using LoadDone = std::function<void(bool ok, const UserStats& stats, const std::string& error)>;
    void Load(const std::string& name, const LoadDone& done);
    void Exists(const std::string& name, const std::function<void(bool exists)>& done);
    void TakeSession(const std::string& name, const std::function<void(bool ok)>& done);
    void EndSession(const std::string& name);
    // Accounts. The password's hash is made and checked on the password worker's thread
    // (Busy: too many wait there already), the account read and written on this one's.
    enum class AccountAnswer { Ok, Taken, WrongPassword, NoSuchAccount, Away, Busy };
    void Register(const std::string& name, std::string password, const std::function<void(AccountAnswer)>& done);
    using LoginDone = std::function<void(AccountAnswer, const Account&, const UserStats&)>;
    void LogIn(const std::string& name, std::string password, const LoginDone& done);
    // Whether the name belongs to an account; `ok` false when the database could not say.
    void IsAccount(const std::string& name, const std::function<void(bool ok, bool account)>& done);
    void SetAdmin(const std::string& name, bool admin, const std::function<void(bool found)>& done);
    // Moderation: every step is kept; the bans and mutes in force.
    void Moderate(const ModerationAction& action, const std::function<void(bool kept)>& done);
    void Sanctions(const std::function<void(bool ok, const std::vector<ModerationAction>&)>& done);

    // The live rooms of the database: those whose heartbeat is at most `lapse` old.
    void LiveRooms(std::chrono::seconds lapse, const std::function<void(bool ok, const std::vector<RoomEntry>&)>& done);
    // The room's tables in use and players, written with the next heartbeats; any thread.
    void SetLoad(const RoomLoad& load) {
        loadTables_ = load.tables;
        loadPlayers_ = load.players;
    }

    // Every heartbeat: the names whose session lease this room still holds.
    std::function<void(const std::vector<std::string>& held)> onLeases;

    // Hands one game over (its key and room are filled in here); `kept` runs on the io
    // context once its results are safe.
    void SaveGame(GameRecord game, std::function<void()> kept);
    // Whether new games may start: fewer than `maxWaiting` games wait.
    bool Accepting() const { return waiting_.load() < options_.maxWaiting; }
    std::size_t Waiting() const { return waiting_.load(); }

private:
    struct Pending {
        GameRecord game;
        std::function<void()> kept;  // empty once the game is safe
        bool spilled = false;
    };
    using Clock = std::chrono::steady_clock;

    void Run();
    // Each runs on the worker thread only.
    void KeepNew(std::deque<Pending>& fresh);
    void WriteWaiting();
    void Beat();
    void WentAway(const std::string& error);
    void CameBack();
    void Post(std::function<void()> f);

    asio::io_context& io_;
    // The answers run in the order they were given, whatever thread runs them: a heartbeat's
    // list of held leases never overtakes the answer of a lease taken after it was read.
    asio::strand<asio::io_context::executor_type> answers_;
    Store& store_;
    Options options_;
    RoomEntry room_;
    ResultSpill spill_;
    std::string keyPrefix_;
    std::uint64_t nextKey_ = 1;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void(Store&)>> reads_;
    std::deque<Pending> fresh_;  // handed over, not yet safe
    bool stopping_ = false;
    std::atomic<std::size_t> waiting_{0};
    std::atomic<int> loadTables_{0}, loadPlayers_{0};
    std::thread thread_;

    // The worker thread's own.
    std::deque<Pending> queue_;  // safe in the spill file (or memory), not yet stored
    bool away_ = false;
    bool full_ = false;
    bool caughtUp_ = true;  // nothing waited since the last report
    Clock::time_point nextRetry_{}, nextBeat_{}, nextReport_{};
    bool registered_ = false;

    // Last, so that it ends first: its jobs hand on to the queue above.
    PasswordWorker passwords_;
};
