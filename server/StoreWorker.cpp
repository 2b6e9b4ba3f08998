#include "server/StoreWorker.h"

#include <asio/post.hpp>

#include <ctime>

#include <sodium.h>

#include "server/BoundedQueue.h"
#include "server/ServerLog.h"

namespace {

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

StoreWorker::StoreWorker(asio::io_context& io, Store& store, Options options)
    : io_(io),
      answers_(asio::make_strand(io)),
      store_(store),
      options_(std::move(options)),
      passwords_(options_.maxHashes) {}

StoreWorker::~StoreWorker() { Stop(); }

bool StoreWorker::Start(const RoomEntry& room, std::string& error) {
    room_ = room;
    keyPrefix_ = room.id + "/" +
                 std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count()) +
                 "/";
    std::vector<GameRecord> held;
    std::string note;
    if (!spill_.Open(options_.spillPath, held, note)) {
        error = note;
        return false;
    }
    if (!note.empty()) ServerLog("%s", note.c_str());
    for (auto& g : held) queue_.push_back({std::move(g), nullptr, true});
    waiting_ = queue_.size();
    caughtUp_ = queue_.empty();
    if (!queue_.empty())
        ServerLog("%zu games from the spill file %s wait for the database", queue_.size(), spill_.Path().c_str());
    thread_ = std::thread([this] { Run(); });
    return true;
}

void StoreWorker::Stop() {
    passwords_.Stop();
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    // What could be kept nowhere is at least in the log, whole, to be put in by hand.
    for (const auto& p : queue_)
        if (!p.spilled)
            ServerLogAt(ProgramLog::Level::Error, "results kept nowhere: %s", ResultSpill::Encode(p.game).c_str());
}

void StoreWorker::Post(std::function<void()> f) { asio::post(answers_, std::move(f)); }

// ---- the io side ------------------------------------------------------------------------

using Workers::Queue;

void StoreWorker::Load(const std::string& name, const LoadDone& done) {
    auto read = [this, name, done](Store& s) {
        UserStats u;
        std::string error = "the database is away";
        const bool ok = !away_ && s.Load(name, u, error);
        Post([done, ok, u, error] { done(ok, u, error); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, read))
        Post([done, name] { done(false, UserStats{}, "too many reads wait for the database"); });
}

void StoreWorker::Exists(const std::string& name, const std::function<void(bool)>& done) {
    auto read = [this, name, done](Store& s) {
        bool exists = false;
        std::string error;
        if (!away_) s.Exists(name, exists, error);
        Post([done, exists] { done(exists); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, read)) Post([done] { done(false); });
}

void StoreWorker::TakeSession(const std::string& name, const std::function<void(bool)>& done) {
    auto write = [this, name, done](Store& s) {
        std::string error;
        const bool ok = !away_ && s.TakeSession(name, room_.id, error);
        Post([done, ok] { done(ok); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, write)) Post([done] { done(false); });
}

void StoreWorker::EndSession(const std::string& name) {
    Queue(mutex_, wake_, reads_, options_.maxReads, [this, name](Store& s) {
        std::string error;
        if (!away_) s.EndSession(name, room_.id, error);
    });
}

void StoreWorker::Register(const std::string& name, std::string password,
                           const std::function<void(AccountAnswer)>& done) {
    auto made = [this, name, done](const std::optional<std::string>& hash) {
        auto write = [this, name, hash, done](Store& s) {
            auto answer = AccountAnswer::Away;
            bool created = false;
            std::string error;
            if (!away_ && hash && s.CreateAccount(Account{name, *hash, false}, created, error))
                answer = created ? AccountAnswer::Ok : AccountAnswer::Taken;
            Post([done, answer] { done(answer); });
        };
        if (!Queue(mutex_, wake_, reads_, options_.maxReads, std::move(write)))
            Post([done] { done(AccountAnswer::Away); });
    };
    if (!passwords_.Hash(std::move(password), made)) Post([done] { done(AccountAnswer::Busy); });
}

void StoreWorker::LogIn(const std::string& name, std::string password, const LoginDone& done) {
    auto read = [this, name, password = std::move(password), done](Store& s) mutable {
        Account account;
        UserStats stats;
        bool found = false;
        std::string error;
        const bool read = !away_ && s.FindAccount(name, account, found, error);
        if (!read || !found) {
            sodium_memzero(password.data(), password.size());
            const auto answer = read ? AccountAnswer::NoSuchAccount : AccountAnswer::Away;
            Post([done, answer] { done(answer, Account{}, UserStats{}); });
            return;
        }
        // The record is read now; the password is checked on the password worker's thread.
        const bool loaded = s.Load(name, stats, error);
        std::string hash = std::move(account.passwordHash);
        account.passwordHash.clear();
        auto checked = [this, account, stats, loaded, done](bool right) {
            const auto answer = !right   ? AccountAnswer::WrongPassword
                                : loaded ? AccountAnswer::Ok
                                         : AccountAnswer::Away;
            Post([done, answer, account, stats] { done(answer, account, stats); });
        };
        if (!passwords_.Verify(std::move(hash), std::move(password), checked))
            Post([done] { done(AccountAnswer::Busy, Account{}, UserStats{}); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, std::move(read)))
        Post([done] { done(AccountAnswer::Away, Account{}, UserStats{}); });
}

void StoreWorker::IsAccount(const std::string& name, const std::function<void(bool, bool)>& done) {
    auto read = [this, name, done](Store& s) {
        Account account;
        bool found = false;
        std::string error;
        const bool ok = !away_ && s.FindAccount(name, account, found, error);
        Post([done, ok, found] { done(ok, found); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, read)) Post([done] { done(false, false); });
}

void StoreWorker::SetAdmin(const std::string& name, bool admin, const std::function<void(bool)>& done) {
    auto write = [this, name, admin, done](Store& s) {
        bool found = false;
        std::string error;
        const bool ok = !away_ && s.SetAdmin(name, admin, found, error);
        Post([done, found = ok && found] { done(found); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, write)) Post([done] { done(false); });
}

void StoreWorker::Moderate(const ModerationAction& action, const std::function<void(bool)>& done) {
    auto write = [this, action, done](Store& s) {
        std::string error;
        const bool ok = !away_ && s.RecordModeration(action, error);
        if (!ok) ServerLog("a moderation step could not be kept (%s)", error.c_str());
        Post([done, ok] { done(ok); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, write)) Post([done] { done(false); });
}

void StoreWorker::Sanctions(const std::function<void(bool, const std::vector<ModerationAction>&)>& done) {
    auto read = [this, done](Store& s) {
        std::vector<ModerationAction> list;
        std::string error;
        const bool ok = !away_ && s.ActiveSanctions(Now(), list, error);
        Post([done, ok, list] { done(ok, list); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, read))
        Post([done] { done(false, std::vector<ModerationAction>{}); });
}

void StoreWorker::LiveRooms(std::chrono::seconds lapse,
                            const std::function<void(bool, const std::vector<RoomEntry>&)>& done) {
    auto read = [this, lapse, done](Store& s) {
        std::vector<RoomEntry> rooms;
        std::string error;
        const bool ok = !away_ && s.LiveRooms(Now() - lapse.count(), rooms, error);
        Post([done, ok, rooms = std::move(rooms)] { done(ok, rooms); });
    };
    if (!Queue(mutex_, wake_, reads_, options_.maxReads, read)) Post([done] { done(false, std::vector<RoomEntry>{}); });
}

void StoreWorker::SaveGame(GameRecord game, std::function<void()> kept) {
    game.key = keyPrefix_ + std::to_string(nextKey_++);
    game.room = room_.id;
    ++waiting_;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        fresh_.push_back({std::move(game), std::move(kept), false});
    }
    wake_.notify_one();
}

// ---- the worker thread ------------------------------------------------------------------

void StoreWorker::Run() {
    for (;;) {
        std::deque<Pending> fresh;
        std::function<void(Store&)> read;
        bool stop = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            auto due = nextBeat_;
            if (!queue_.empty() && nextRetry_ < due) due = nextRetry_;
            wake_.wait_until(lock, due, [&] { return stopping_ || !reads_.empty() || !fresh_.empty(); });
            fresh.swap(fresh_);
            if (!reads_.empty()) {
                read = std::move(reads_.front());
                reads_.pop_front();
            }
            stop = stopping_;
        }
        KeepNew(fresh);
        if (stop) {
            // What the database takes now need not wait in the spill file for the next start.
            while (!away_ && !queue_.empty()) WriteWaiting();
            return;
        }
        if (read) read(store_);
        if (!queue_.empty() && Clock::now() >= nextRetry_) WriteWaiting();
        if (Clock::now() >= nextBeat_) Beat();
    }
}

void StoreWorker::KeepNew(std::deque<Pending>& fresh) {
    for (auto& p : fresh) {
        // Straight into the database when it answers and nothing waits before it.
        std::string error;
        if (!away_ && queue_.empty()) {
            if (store_.SaveGame(p.game, error)) {
                --waiting_;
                Post(std::move(p.kept));
                continue;
            }
            WentAway(error);
        }
        // Otherwise the spill file: flushed to the local disk before the players see it.
        if (spill_.Enabled()) {
            p.spilled = spill_.Append(p.game, error);
            if (!p.spilled) ServerLogAt(ProgramLog::Level::Error, "%s; the results wait in memory only", error.c_str());
        }
        Post(std::move(p.kept));
        queue_.push_back({std::move(p.game), nullptr, p.spilled});
    }
    if (!away_ && !queue_.empty()) nextRetry_ = Clock::now();
    const bool full = !Accepting();
    if (full && !full_)
        ServerLogAt(ProgramLog::Level::Warn,
                    "%zu games wait for the database, the most this server keeps: new games do not start until it "
                    "takes them",
                    queue_.size());
    full_ = full;
}

void StoreWorker::WriteWaiting() {
    // A few at a time, so that logins and new games are not held up behind a long queue.
    for (int n = 0; n < 50 && !queue_.empty(); ++n) {
        std::string error;
        if (!store_.SaveGame(queue_.front().game, error)) {
            WentAway(error);
            return;
        }
        queue_.pop_front();
        --waiting_;
    }
    if (away_) CameBack();
    if (!queue_.empty()) return;  // more at the next turn of the loop
    std::string error;
    if (!spill_.Clear(error)) ServerLogAt(ProgramLog::Level::Error, "%s", error.c_str());
    if (caughtUp_) return;
    caughtUp_ = true;
    ServerLog("every waiting game is stored");
    if (full_) ServerLog("new games start again");
    full_ = false;
}

void StoreWorker::Beat() {
    nextBeat_ = Clock::now() + options_.heartbeat;
    std::string error;
    if (!registered_) {
        RoomEntry entry = room_;
        entry.heartbeat = Now();
        if (!store_.RegisterRoom(entry, error)) {
            WentAway(error);
            return;
        }
        registered_ = true;
    }
    std::vector<std::string> held;
    if (!store_.Heartbeat(room_.id, Now(), RoomLoad{loadTables_.load(), loadPlayers_.load()}, held, error)) {
        WentAway(error);
        return;
    }
    if (away_ && queue_.empty()) CameBack();
    if (onLeases) Post([this, held = std::move(held)] { onLeases(held); });
}

void StoreWorker::WentAway(const std::string& error) {
    nextRetry_ = Clock::now() + options_.retry;
    const auto now = Clock::now();
    if (away_ && now < nextReport_) return;
    nextReport_ = now + std::chrono::seconds(30);
    const std::string kept = spill_.Enabled() ? "the spill file " + spill_.Path() : std::string("memory");
    ServerLogAt(ProgramLog::Level::Error, "%s: %s; results not stored until it answers, %zu games wait in %s",
                away_ ? "the database is still away" : "the database went away", error.c_str(), queue_.size(),
                kept.c_str());
    away_ = true;
    caughtUp_ = false;
}

void StoreWorker::CameBack() {
    away_ = false;
    ServerLog("the database is back; %zu waiting games go in now", queue_.size());
}
