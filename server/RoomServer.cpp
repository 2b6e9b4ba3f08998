#include "server/RoomServer.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_set>

#include "core/RoomMessages.h"
#include "core/Ticket.h"
#include "core/modRoomMsgDefine.h"
#include "net/TlsContext.h"
#include "server/Connection.h"
#include "server/ServerLog.h"
#include "server/Table.h"
#include "server/UserNames.h"

namespace {

// The connections the descriptor limit leaves room for, `reserve` kept for everything else.
std::size_t DescriptorRoom(std::size_t reserve) {
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    const auto limit = static_cast<std::size_t>(lim.rlim_cur);
    return limit > reserve ? limit - reserve : 1;
}

StoreWorker::Options WorkerOptions(const ServerOptions& o) {
    StoreWorker::Options w;
    w.maxWaiting = o.maxWaitingGames;
    w.spillPath = o.spillPath;
    return w;
}

}  // namespace

// One table and what confines it: its lock, its clock (whose timers take the lock) and
// its dice. Users it releases are freed when the current step under the lock is over.
struct TableSlot {
    int number = 0;
    std::mutex mutex;
    std::unique_ptr<std::mt19937> rng;  // its own dice when the room runs on several threads
    std::unique_ptr<AsioTableClock> clock;
    std::unique_ptr<Table> table;
    std::vector<std::unique_ptr<UserSession>> released;
    bool gone = false;  // dropped from the room's directory: a newcomer gets a new table

    template <class F>
    void Run(F&& step) {
        std::lock_guard<std::mutex> lock(mutex);
        step();
        released.clear();
    }
};

RoomServer::RoomServer(asio::io_context& io, const ServerOptions& options, Store& store, const MapStore& maps)
    : io_(io),
      options_(options),
      records_(io, store, WorkerOptions(options)),
      maps_(maps),
      rng_(options.seed ? *options.seed : std::random_device{}()),
      clock_(io),
      acceptor_(asio::make_strand(io)),  // stopping may come from another thread
      acceptTimer_(acceptor_.get_executor()),
      connectionCap_(std::min(options.maxConnections, DescriptorRoom(options.descriptorReserve))) {
    records_.onLeases = [this](const std::vector<std::string>& held) { CheckLeases(held); };
}

RoomServer::~RoomServer() {
    Stop();
    StopAccepting();  // the io no longer runs
    records_.Stop();  // games still on their way go to the spill file first
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [n, slot] : tables_) slot->gone = true;
    tables_.clear();
}

bool RoomServer::Listen(std::string& error) {
    if (!options_.tlsCert.empty()) {
        tls_ = TlsContext::ForServer(options_.tlsCert, options_.tlsKey, error);
        if (!tls_) return false;
    }
    std::error_code ec;
    const auto address = asio::ip::make_address(options_.host, ec);
    if (ec) {
        error = "not an address: " + options_.host;
        return false;
    }
    const asio::ip::tcp::endpoint ep(address, static_cast<unsigned short>(options_.port));
    acceptor_.open(ep.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor_.bind(ep, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + options_.host + ":" + std::to_string(options_.port) + ": " + ec.message();
        return false;
    }
    const std::string listening = options_.host + ":" + std::to_string(LocalEndpoint().port());
    RoomEntry entry;
    entry.id = options_.roomId.empty() ? listening : options_.roomId;
    entry.name = options_.roomName.empty() ? entry.id : options_.roomName;
    entry.address = options_.advertise.empty() ? listening : options_.advertise;
    if (!records_.Start(entry, error)) return false;
    if (options_.secret)
        ticketKey_ = options_.roomTickets ? Ticket::RoomSecret(*options_.secret, entry.id) : *options_.secret;
    Accept();
    return true;
}

asio::ip::tcp::endpoint RoomServer::LocalEndpoint() const {
    std::error_code ec;
    return acceptor_.local_endpoint(ec);
}

void RoomServer::Stop() {
    if (stopped_.exchange(true)) return;
    asio::dispatch(acceptor_.get_executor(), [this] { StopAccepting(); });
    std::unordered_map<std::uint64_t, std::shared_ptr<Connection>> all;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        all = connections_;
    }
    for (auto& [id, c] : all) c->Close("server stopped");
}

void RoomServer::StopAccepting() {
    std::error_code ec;
    acceptor_.close(ec);
    acceptTimer_.cancel();
}

void RoomServer::Accept() {
    // Every connection on a strand of its own: its handlers never overlap, on any thread.
    acceptor_.async_accept(asio::make_strand(io_), [this](std::error_code ec, asio::ip::tcp::socket socket) {
        if (stopped_ || ec == asio::error::operation_aborted) return;
        if (ec) {
            // Out of descriptors, most likely: the waiting connection stays in the backlog,
            // so trying again at once would only spin. Try again after a pause.
            if (!acceptFailing_)
                std::fprintf(stderr, "tilelink-server: cannot accept connections: %s\n", ec.message().c_str());
            acceptFailing_ = true;
            acceptTimer_.expires_after(options_.acceptRetry);
            acceptTimer_.async_wait([this](std::error_code timerError) {
                if (!timerError && !stopped_) Accept();
            });
            return;
        }
        acceptFailing_ = false;
        std::unique_lock<std::mutex> lock(mutex_);
        if (connections_.size() >= connectionCap_) {
            std::error_code ignored;  // full: the newcomer is turned away at once
            socket.close(ignored);
        } else {
            Connection::Limits limits;
            limits.maxOutputBytes = options_.maxOutputBytes;
            limits.messagesPerSecond = options_.messagesPerSecond;
            limits.messageBurst = options_.messageBurst;
            limits.loginTimeout = options_.loginTimeout;
            limits.frameTimeout = options_.frameTimeout;
            limits.sendBufferBytes = options_.sendBufferBytes;
            auto c = std::make_shared<Connection>(std::move(socket), tls_.get(), *this, limits, nextId_++);
            connections_[c->Id()] = c;
            lock.unlock();
            c->Start();
        }
        if (lock.owns_lock()) lock.unlock();
        Accept();
    });
}

void RoomServer::OnMessage(Connection& c, const Bytes& m) {
    if (auto route = std::static_pointer_cast<TableSlot>(c.Route())) {
        route->Run([&] {
            if (c.session) route->table->OnMessage(*c.session, m);
        });
        return;
    }
    if (c.loginStarted) return;  // the record is on its way
    // Before the login only one hello and then the login itself are accepted.
    std::string ticket;
    if (!c.helloSeen && Framing::ParseHello(m, ticket)) {
        c.helloSeen = true;
        c.ticket = ticket;
        return;
    }
    OnLogin(c, m);
}

void RoomServer::OnClosed(Connection& c) {
    const auto keep = c.shared_from_this();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.erase(c.Id());
    }
    LoseConnection(c);
}

void RoomServer::LoseConnection(Connection& c) {
    const auto route = std::static_pointer_cast<TableSlot>(c.Route());
    if (!route) return;
    route->Run([&] {
        UserSession* u = c.session;
        if (!u || u->conn.get() != &c) return;
        c.session = nullptr;
        u->conn.reset();
        route->table->ConnectionLost(*u);
    });
}

void RoomServer::Refuse(Connection& c, const std::string& text) {
    c.Send(GameMessages::Notice(text));
    c.CloseAfterFlush();
}

int RoomServer::FreeTable() {
    std::vector<std::shared_ptr<TableSlot>> slots;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [n, slot] : tables_) slots.push_back(slot);
    }
    int expected = 1;
    for (const auto& slot : slots) {
        if (slot->number != expected) return expected;  // a number nobody uses
        bool free = false;
        slot->Run([&] { free = !slot->gone && slot->table->HasFreeSeat(); });
        if (free) return expected;
        ++expected;
    }
    return expected;
}

std::shared_ptr<TableSlot> RoomServer::SlotOf(int number) {
    auto& slot = tables_[number];
    if (!slot) {
        slot = std::make_shared<TableSlot>();
        slot->number = number;
        // On one thread every table may share the room's dice; on more each has its own.
        if (options_.threads != 1) slot->rng = std::make_unique<std::mt19937>(rng_());
        slot->clock = std::make_unique<AsioTableClock>(
            io_, [weak = std::weak_ptr<TableSlot>(slot)](const std::function<void()>& step) {
                if (const auto s = weak.lock()) s->Run(step);
            });
        slot->table = std::make_unique<Table>(*this, number, *slot->clock, slot->rng ? *slot->rng : rng_);
    }
    return slot;
}

std::shared_ptr<TableSlot> RoomServer::FindSlot(int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = tables_.find(number);
    return it == tables_.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> RoomServer::StillOpen(const std::weak_ptr<Connection>& weak) const {
    auto c = weak.lock();
    if (stopped_ || !c || !c->Open()) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connections_.count(c->Id())) return nullptr;
    return c;
}

void RoomServer::OnLogin(Connection& c, const Bytes& m) {
    bool allowWatch = true;
    if (!RoomMessages::ParseLogin(m, allowWatch)) {
        c.Close("no login");
        return;
    }
    c.LoggedIn();
    c.loginStarted = true;
    const auto conn = c.shared_from_this();
    if (!c.ticket) {
        AdmitGuest(conn, allowWatch);
        return;
    }
    Ticket::SeatTicket seat;
    const std::string* secret = ticketKey_ ? &*ticketKey_ : nullptr;
    if (Ticket::Check(*c.ticket, secret, std::time(nullptr), &seat) != Ticket::Verdict::Ok) {
        // Told why, so that the player's launcher can say it.
        Refuse(c, "座位票无效或已过期（密钥不对？）。");
        return;
    }
    if (!UserNames::Acceptable(seat.name)) {
        Refuse(c, "这个用户名不能使用。");
        return;
    }
    // The login goes on when the record is there; meanwhile the connection waits.
    records_.Load(seat.name, [this, weak = std::weak_ptr<Connection>(conn), seat, allowWatch](
                                 bool ok, const UserStats& stats, const std::string& error) {
        const auto c = StillOpen(weak);
        if (!c) return;
        if (!ok)
            ServerLog("the record of %s cannot be read now (%s): the user plays, and the results are kept by name",
                      seat.name.c_str(), error.c_str());
        Admit(*c, seat, allowWatch, stats);
    });
}

void RoomServer::AdmitGuest(const std::shared_ptr<Connection>& conn, bool allowWatch) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        do name = "游客" + std::to_string(++guestNo_);
        while (!UserNames::Acceptable(name) || users_.count(name));
    }
    // A guest never takes the name of a stored user.
    records_.Exists(name, [this, weak = std::weak_ptr<Connection>(conn), name, allowWatch](bool stored) {
        const auto c = StillOpen(weak);
        if (!c) return;
        bool taken = stored;
        if (!taken) {
            std::lock_guard<std::mutex> lock(mutex_);
            taken = users_.count(name) > 0;
        }
        if (taken) {
            AdmitGuest(c, allowWatch);
            return;
        }
        Ticket::SeatTicket seat;
        seat.name = name;
        seat.table = FreeTable();
        Admit(*c, seat, allowWatch, UserStats{});
    });
}

bool RoomServer::ReplaceOld(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, bool& resumed) {
    resumed = false;
    // At most a few turns: the old presence is found, then ended at its own table.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::shared_ptr<TableSlot> oldSlot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = users_.find(seat.name);
            if (it == users_.end()) return true;
            if (it->second->guest) return false;
            const auto t = tables_.find(it->second->table);
            if (t != tables_.end()) oldSlot = t->second;
        }
        if (!oldSlot) return true;
        bool settled = false;
        oldSlot->Run([&] {
            UserSession* found = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto it = users_.find(seat.name);
                if (it != users_.end() && it->second->table == oldSlot->number) found = it->second.get();
            }
            if (!found) return;  // gone meanwhile: look again
            UserSession& old = *found;
            // The same user again: a player coming back to the seat it still holds gets it
            // back; otherwise the old presence ends first.
            if (auto oldConn = old.conn) {
                oldConn->session = nullptr;
                old.conn.reset();
                oldConn->Close("replaced by a new login");
            }
            const bool sameSeat = !old.IsWatcher() && seat.watched.empty() && old.table == seat.table;
            if (sameSeat) {
                old.conn = c.shared_from_this();
                old.allowWatch = allowWatch;
                c.session = &old;
                c.SetRoute(oldSlot);  // its answers to what it is sent now wait for this step
                oldSlot->table->Resume(old);
                resumed = settled = true;
                return;
            }
            oldSlot->table->Leave(old);
        });
        if (settled) {
            Route(c);
            return true;
        }
    }
    return true;
}

void RoomServer::Route(Connection& c) {
    // Closed before its route was there: nobody else tells the table.
    if (!c.Open()) LoseConnection(c);
}

void RoomServer::Admit(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, const UserStats& stats) {
    const bool guest = !c.ticket;
    bool resumed = false;
    if (!ReplaceOld(c, seat, allowWatch, resumed)) {
        Refuse(c, "这个用户名正在使用中。");
        return;
    }
    if (resumed) return;

    for (;;) {
        std::shared_ptr<TableSlot> slot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot = SlotOf(seat.table);
        }
        bool retry = false, taken = false, seated = false;
        std::string refusal;
        slot->Run([&] {
            if (slot->gone) {  // emptied and dropped meanwhile: a new table of that number
                retry = true;
                return;
            }
            auto user = std::make_unique<UserSession>();
            user->name = seat.name;
            user->guest = guest;
            user->stats = stats;
            user->stats.name = seat.name;
            user->allowWatch = allowWatch;
            user->table = seat.table;
            user->conn = c.shared_from_this();
            UserSession& u = *user;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                taken = users_.count(seat.name) > 0;  // the same name logged in meanwhile
                if (!taken) users_[u.name] = std::move(user);
            }
            if (taken) return;
            c.session = &u;
            c.SetRoute(slot);  // its answers to the welcome wait for this step, then go there
            Table& table = *slot->table;
            seated = seat.watched.empty() ? table.SeatPlayer(u) : table.AddWatcher(u, seat.watched);
            if (seated) return;
            c.session = nullptr;
            c.SetRoute(nullptr);
            u.conn.reset();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto it = users_.find(seat.name);
                slot->released.push_back(std::move(it->second));
                users_.erase(it);
            }
            refusal = !seat.watched.empty() ? "你要旁观的玩家不在这张桌子上。"
                      : table.GameRunning() ? "本桌正在游戏，请在游戏结束后再来，或者旁观。"
                                            : "这张桌子已经坐满了。";
            if (table.Empty()) TableEmptied(seat.table);
        });
        if (retry) continue;
        if (taken) {
            Refuse(c, "这个用户名正在使用中。");
            return;
        }
        if (!seated) {
            Refuse(c, refusal);
            return;
        }
        Route(c);
        break;
    }
    c.ticket.reset();  // read: not kept for the whole session
    if (guest) return;
    // One session per account across every room server: this one takes the lease.
    UserSession* session = c.session;
    records_.TakeSession(seat.name, [this, name = seat.name, session](bool ok) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = users_.find(name);
        if (ok && it != users_.end() && it->second.get() == session) session->lease = true;
    });
}

void RoomServer::CheckLeases(const std::vector<std::string>& held) {
    if (stopped_) return;
    const std::unordered_set<std::string> still(held.begin(), held.end());
    std::vector<std::pair<std::string, std::shared_ptr<TableSlot>>> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& [name, u] : users_)
            if (u->lease && !still.count(name)) {
                const auto t = tables_.find(u->table);
                if (t != tables_.end()) gone.emplace_back(name, t->second);
            }
    }
    for (auto& [name, slot] : gone) {
        slot->Run([&, &name = name, &slot = slot] {
            UserSession* u = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto it = users_.find(name);
                if (it != users_.end() && it->second->table == slot->number && it->second->lease) u = it->second.get();
            }
            if (!u) return;
            ServerLog("%s logged in on another room server: the session here ends", u->name.c_str());
            u->lease = false;
            if (u->conn) u->conn->Send(GameMessages::Notice("你的帐号已经在另一个房间登录。"));
            slot->table->Leave(*u);
        });
    }
}

// Called by a table under its own lock.
void RoomServer::Release(UserSession& u) {
    if (u.lease.exchange(false)) records_.EndSession(u.name);
    if (u.conn) {
        u.conn->session = nullptr;
        u.conn->CloseAfterFlush();
        u.conn.reset();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = users_.find(u.name);
    if (it == users_.end() || it->second.get() != &u) return;
    const auto t = tables_.find(u.table);
    if (t != tables_.end()) t->second->released.push_back(std::move(it->second));
    users_.erase(it);  // without its table (the room is going), freed at once
}

UserSession* RoomServer::FindUser(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = users_.find(name);
    return it == users_.end() ? nullptr : it->second.get();
}

void RoomServer::CountGame(const std::string& name, std::int32_t points, Scoring::Outcome outcome) {
    std::shared_ptr<TableSlot> slot;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = users_.find(name);
        if (it == users_.end()) return;
        const auto t = tables_.find(it->second->table);
        if (t == tables_.end()) return;
        slot = t->second;
    }
    // The user sits at another table: its record is that table's to change.
    asio::post(io_, [this, slot, name, points, outcome] {
        slot->Run([&] {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = users_.find(name);
            if (it != users_.end() && it->second->table == slot->number) it->second->stats.Apply(points, outcome);
        });
    });
}

void RoomServer::TableEmptied(int number) {
    asio::post(io_, [this, number] {
        const auto slot = FindSlot(number);
        if (!slot) return;
        slot->Run([&] {
            if (slot->gone || !slot->table->Empty()) return;
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = tables_.find(number);
            if (it != tables_.end() && it->second == slot) tables_.erase(it);
            slot->gone = true;
        });
    });
}

void RoomServer::BroadcastText(const std::string& text) {
    const SharedFrame frame = MakeFrame(RoomMessages::Broadcast(text));
    std::vector<std::shared_ptr<Connection>> all;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& [id, c] : connections_)
            if (c->Route()) all.push_back(c);
    }
    for (auto& c : all) c->Send(frame);
}

bool RoomServer::NoticeTable(int table, const std::string& text) {
    const auto slot = FindSlot(table);
    if (!slot) return false;
    bool sent = false;
    slot->Run([&] {
        if (slot->gone) return;
        slot->table->Notice(text);
        sent = true;
    });
    return sent;
}

std::string RoomServer::Status() const {
    std::vector<std::shared_ptr<TableSlot>> slots;
    std::string s;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        s = std::to_string(connections_.size()) + " connections, " + std::to_string(users_.size()) + " users, " +
            std::to_string(tables_.size()) + " tables\n";
        for (const auto& [n, t] : tables_) slots.push_back(t);
    }
    for (const auto& slot : slots) slot->Run([&] { s += slot->table->Describe() + "\n"; });
    return s;
}
