#include "server/RoomServer.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_set>

#include "bot/BotLevel.h"
#include "core/RoomMessages.h"
#include "core/Ticket.h"
#include "core/TitleTable.h"
#include "core/modRoomMsgDefine.h"
#include "net/TlsContext.h"
#include "net/TlsIdentity.h"
#include "server/Connection.h"
#include "server/ServerLog.h"
#include "server/Table.h"
#include "server/UserNames.h"

namespace {

// Why a seat ticket is refused, for the report (the ticket itself never goes there).
const char* TicketFault(Ticket::Verdict verdict) {
    switch (verdict) {
        case Ticket::Verdict::Malformed:
            return "the ticket cannot be read";
        case Ticket::Verdict::Forged:
            return "the ticket is forged (its signature is not made with this room's secret)";
        case Ticket::Verdict::Expired:
            return "the ticket has expired";
        case Ticket::Verdict::Unsigned:
            return "the ticket is not signed and this room has a secret";
        case Ticket::Verdict::Ok:
            break;
    }
    return "the ticket is good";
}

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
      connectionCap_(std::min(options.maxConnections, DescriptorRoom(options.descriptorReserve))),
      lobby_(*this, io) {
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
    roomId_ = entry.id;
    if (options_.secret)
        ticketKey_ = options_.roomTickets ? Ticket::RoomSecret(*options_.secret, entry.id) : *options_.secret;
    // The bans and mutes in force: a banned name is refused from the first login on.
    records_.Sanctions([this](bool ok, const std::vector<ModerationAction>& list) {
        if (!ok) ServerLog("the bans and mutes in force cannot be read now");
        for (const auto& step : list) moderation_.Apply(step);
    });
    Accept();
    return true;
}

asio::ip::tcp::endpoint RoomServer::LocalEndpoint() const {
    std::error_code ec;
    return acceptor_.local_endpoint(ec);
}

void RoomServer::Stop() {
    if (stopped_.exchange(true)) return;
    lobby_.Stop();
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
    if (c.lobby) {
        lobby_.OnMessage(c, m);
        return;
    }
    if (c.loginStarted) return;  // the record is on its way
    if (OpensLobby(c, m)) return;
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
    ServerLogAt(ProgramLog::Level::Debug, "connection %llu from %s (%s) closed: %s",
                static_cast<unsigned long long>(c.Id()), c.Peer().c_str(),
                c.session ? c.session->name.c_str() : "not logged in", c.CloseReason());
    const auto keep = c.shared_from_this();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.erase(c.Id());
    }
    if (c.lobby) {
        lobby_.OnClosed(c);
        return;
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

void RoomServer::Refuse(Connection& c, const std::string& who, const std::string& text, const std::string& why) {
    ServerLogAt(ProgramLog::Level::Warn, "refused the login of %s from %s: %s", who.c_str(), c.Peer().c_str(),
                why.c_str());
    c.Send(GameMessages::Notice(text));
    c.CloseAfterFlush();
}

int RoomServer::FreeTable() {
    int expected = 1;
    for (const auto& slot : Slots()) {
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
        ServerLogAt(ProgramLog::Level::Warn, "refused the connection from %s: its first message is not a login",
                    c.Peer().c_str());
        c.Close("no login");
        return;
    }
    c.LoggedIn();
    c.loginStarted = true;
    const auto conn = c.shared_from_this();
    if (!c.ticket) {
        if (!options_.guests) {
            Refuse(c, "a guest", "这个房间不接待游客，请从大厅登录。", "the room takes no guests");
            return;
        }
        AdmitGuest(conn, allowWatch);
        return;
    }
    Ticket::SeatTicket seat;
    const std::string* secret = ticketKey_ ? &*ticketKey_ : nullptr;
    if (const auto verdict = Ticket::Check(*c.ticket, secret, std::time(nullptr), &seat);
        verdict != Ticket::Verdict::Ok) {
        // Told why, so that the player's launcher can say it.
        // The report names whom the ticket claims to seat, when it can be read.
        const auto claimed = Ticket::Parse(*c.ticket);
        const std::string who = claimed ? "\"" + claimed->name + "\" at table " + std::to_string(claimed->table)
                                        : std::string("an unreadable ticket");
        Refuse(c, who, "座位票无效或已过期（密钥不对？）。", TicketFault(verdict));
        return;
    }
    if (!UserNames::Acceptable(seat.name)) {
        Refuse(c, "\"" + seat.name + "\"", "这个用户名不能使用。", "the name cannot be used");
        return;
    }
    if (const auto until = moderation_.BannedUntil(seat.name, std::time(nullptr))) {
        Refuse(c, "\"" + seat.name + "\"", "这个帐号被封禁了。", "the name is banned");
        return;
    }
    // A ticket the room issued after a lobby login: the account (or the lobby's guest) it names.
    std::optional<bool> issuedToGuest;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = issued_.find(*c.ticket); it != issued_.end() && it->second.name == seat.name)
            issuedToGuest = it->second.guest;
    }
    if (issuedToGuest) {
        if (*issuedToGuest) Admit(c, seat, allowWatch, UserStats{}, true);
        else LoadAndAdmit(conn, seat, allowWatch);
        return;
    }
    // Any other ticket may not claim a registered account's name.
    records_.IsAccount(
        seat.name, [this, weak = std::weak_ptr<Connection>(conn), seat, allowWatch](bool ok, bool account) {
            const auto c = StillOpen(weak);
            if (!c) return;
            if (account) {
                Refuse(*c, "\"" + seat.name + "\"", "这个用户名已经注册，请从大厅登录。",
                       "the name is an account and the ticket was not issued by this room");
                return;
            }
            if (!ok) ServerLog("whether %s is an account cannot be read now: the ticket is taken", seat.name.c_str());
            LoadAndAdmit(c, seat, allowWatch);
        });
}

void RoomServer::LoadAndAdmit(const std::shared_ptr<Connection>& conn, const Ticket::SeatTicket& seat,
                              bool allowWatch) {
    // The login goes on when the record is there; meanwhile the connection waits.
    records_.Load(seat.name, [this, weak = std::weak_ptr<Connection>(conn), seat, allowWatch](
                                 bool ok, const UserStats& stats, const std::string& error) {
        const auto c = StillOpen(weak);
        if (!c) return;
        if (!ok)
            ServerLogAt(ProgramLog::Level::Warn,
                        "the record of %s cannot be read now (%s): the user plays, and the results are kept by name",
                        seat.name.c_str(), error.c_str());
        Admit(*c, seat, allowWatch, stats, false);
    });
}

bool RoomServer::NameInUse(const std::string& name) const {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (users_.count(name)) return true;
    }
    return lobby_.HasUser(name);  // never under the room lock: the lobby's lock comes first
}

void RoomServer::PickGuestName(const std::function<void(const std::string&)>& done) {
    std::string name;
    do {
        std::lock_guard<std::mutex> lock(mutex_);
        name = "游客" + std::to_string(++guestNo_);
    } while (!UserNames::Acceptable(name) || NameInUse(name));
    // A guest never takes the name of a stored user or an account.
    records_.Exists(name, [this, name, done](bool stored) {
        if (stopped_) return;
        if (stored || NameInUse(name)) {
            PickGuestName(done);
            return;
        }
        done(name);
    });
}

void RoomServer::AdmitGuest(const std::shared_ptr<Connection>& conn, bool allowWatch) {
    PickGuestName([this, weak = std::weak_ptr<Connection>(conn), allowWatch](const std::string& name) {
        const auto c = StillOpen(weak);
        if (!c) return;
        Ticket::SeatTicket seat;
        seat.name = name;
        seat.table = FreeTable();
        Admit(*c, seat, allowWatch, UserStats{}, true);
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

void RoomServer::Admit(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, const UserStats& stats,
                       bool guest) {
    bool resumed = false;
    if (!ReplaceOld(c, seat, allowWatch, resumed)) {
        Refuse(c, seat.name, "这个用户名正在使用中。", "a guest of that name is in the room");
        return;
    }
    if (resumed) return;

    const std::string where = "table " + std::to_string(seat.table);
    for (;;) {
        std::shared_ptr<TableSlot> slot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot = SlotOf(seat.table);
        }
        bool retry = false, taken = false, seated = false, watcher = false;
        std::string refusal, why;
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
            if (seated) {
                watcher = u.IsWatcher();
                return;
            }
            c.session = nullptr;
            c.SetRoute(nullptr);
            u.conn.reset();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto it = users_.find(seat.name);
                slot->released.push_back(std::move(it->second));
                users_.erase(it);
            }
            if (!seat.watched.empty()) {
                refusal = "你要旁观的玩家不在这张桌子上。";
                why = seat.watched + " does not play at " + where;
            } else if (table.GameRunning()) {
                refusal = "本桌正在游戏，请在游戏结束后再来，或者旁观。";
                why = "a game runs at " + where;
            } else {
                refusal = "这张桌子已经坐满了。";
                why = where + " is full";
            }
            if (table.Empty()) TableEmptied(seat.table);
        });
        if (retry) continue;
        if (taken) {
            Refuse(c, seat.name, "这个用户名正在使用中。", "the name logged in meanwhile");
            return;
        }
        if (!seated) {
            Refuse(c, seat.name, refusal, why);
            return;
        }
        Route(c);
        if (!watcher) StartPendingBots(seat.name, seat.table);
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
    std::vector<std::string> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& [name, u] : users_)
            if (u->lease && !still.count(name)) gone.push_back(name);
    }
    for (const auto& name : gone)
        AtTable(name, [](UserSession& u, Table& table) {
            if (!u.lease) return;
            ServerLog("%s logged in on another room server: the session here ends", u.name.c_str());
            u.lease = false;
            if (u.conn) u.conn->Send(GameMessages::Notice("你的帐号已经在另一个房间登录。"));
            table.Leave(u);
        });
}

bool RoomServer::AtTable(const std::string& name, const std::function<void(UserSession&, Table&)>& step) const {
    // At most a few turns: a user who moves meanwhile is looked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::shared_ptr<TableSlot> slot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = users_.find(name);
            if (it == users_.end()) return false;
            const auto t = tables_.find(it->second->table);
            if (t == tables_.end()) return false;
            slot = t->second;
        }
        bool found = false;
        slot->Run([&] {
            UserSession* u = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto it = users_.find(name);
                if (it != users_.end() && it->second->table == slot->number) u = it->second.get();
            }
            if (!u || slot->gone) return;
            found = true;
            step(*u, *slot->table);
        });
        if (found) return true;
    }
    return false;
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
    // A table the room opened for computer players ends with its last person.
    if (!stopped_) asio::post(io_, [this] { CheckBotTables(); });
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

// ---- the lobby ------------------------------------------------------------------------

bool RoomServer::OpensLobby(Connection& c, const Bytes& m) {
    if (c.helloSeen) return false;
    const auto version = LobbyMessages::ParseHello(m);
    if (!version) return false;
    c.helloSeen = true;
    c.lobby = true;
    c.LoggedIn();
    lobby_.Open(c.shared_from_this(), *version);
    return true;
}

std::vector<std::shared_ptr<TableSlot>> RoomServer::Slots() const {
    std::vector<std::shared_ptr<TableSlot>> out;
    std::lock_guard<std::mutex> lock(mutex_);
    out.reserve(tables_.size());
    for (const auto& [n, slot] : tables_) out.push_back(slot);
    return out;
}

std::vector<LobbyMessages::TableView> RoomServer::TableViews() const {
    std::vector<LobbyMessages::TableView> out;
    for (const auto& slot : Slots())
        slot->Run([&] {
            if (slot->gone) return;
            if (auto v = slot->table->View(); !v.Empty()) out.push_back(std::move(v));
        });
    return out;
}

std::vector<LobbyMessages::UserView> RoomServer::RoomUsers() const {
    // A user's points change under its table's lock: each table's users are read there.
    std::map<int, std::vector<std::string>> byTable;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [name, u] : users_) byTable[u->table].push_back(name);
    }
    std::vector<LobbyMessages::UserView> out;
    for (const auto& [number, names] : byTable) {
        const auto slot = FindSlot(number);
        if (!slot) continue;
        slot->Run([&, number = number, &names = names] {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto& name : names) {
                const auto it = users_.find(name);
                if (it == users_.end() || it->second->table != number) continue;
                const auto score = it->second->stats.score;
                out.push_back({name, score, TitleTable::For(score)});
            }
        });
    }
    return out;
}

std::string RoomServer::IssueTicket(const std::string& name, int table, const std::string& watched, bool guest) {
    const std::int64_t now = std::time(nullptr);
    // The same lifetime as the lobby's own tickets: a table client that drops comes back with it.
    constexpr std::int64_t kLifetime = 12 * 3600;
    constexpr std::size_t kPerName = 8;  // a user's newest tickets stay good; older ones go
    Ticket::SeatTicket t;
    t.table = table;
    t.name = name;
    t.watched = watched;
    t.expiry = now + kLifetime;
    std::string text = Ticket::Make(t, ticketKey_ ? &*ticketKey_ : nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = issued_.begin(); it != issued_.end();)
        it = it->second.expiry <= now ? issued_.erase(it) : std::next(it);
    std::vector<std::pair<std::int64_t, std::string>> mine;
    for (const auto& [ticket, issued] : issued_)
        if (issued.name == name) mine.emplace_back(issued.expiry, ticket);
    if (mine.size() >= kPerName) {
        std::sort(mine.begin(), mine.end());
        for (std::size_t i = 0; i + kPerName <= mine.size(); ++i) issued_.erase(mine[i].second);
    }
    issued_[text] = {name, guest, t.expiry};
    return text;
}

std::string RoomServer::SeatRefusal(int table) const {
    if (table < 1) return "没有这张桌子。";
    const auto slot = FindSlot(table);
    if (!slot) return {};
    std::string why;
    slot->Run([&] {
        if (slot->gone) return;
        if (slot->table->GameRunning()) why = "本桌正在游戏，请在游戏结束后再来，或者旁观。";
        else if (!slot->table->HasFreeSeat()) why = "这张桌子已经坐满了。";
    });
    return why;
}

int RoomServer::TableOfPlayer(const std::string& name) {
    int table = 0;
    AtTable(name, [&](UserSession& u, Table&) { table = u.IsWatcher() ? 0 : u.table; });
    return table;
}

int RoomServer::OpenBotTable(const std::string& owner, int count, const std::string& level, std::string& error) {
    if (options_.botProgram.empty()) {
        error = "这个房间不能开电脑玩家的桌子。";
        return 0;
    }
    if (!BotLevels::Find(level)) {
        error = "没有这个难度：" + level + "（可选 " + BotLevels::Names() + "）。";
        return 0;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 1;
    while (tables_.count(n) || pendingBots_.count(n) || bots_.NamesAt(n)) ++n;
    pendingBots_[n] = {owner, level, count};
    return n;
}

void RoomServer::StartPendingBots(const std::string& name, int table) {
    PendingBots p;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = pendingBots_.find(table);
        if (it == pendingBots_.end() || it->second.owner != name) return;
        p = it->second;
        pendingBots_.erase(it);
    }
    const std::string host = options_.host == "0.0.0.0" || options_.host == "::" ? "127.0.0.1" : options_.host;
    std::vector<std::string> names, args = {"--server", host + ":" + std::to_string(LocalEndpoint().port()),
                                            "--table",  std::to_string(table),
                                            "--count",  std::to_string(p.count),
                                            "--level",  p.level};
    std::string list;
    for (int i = 1; i <= p.count; ++i) {
        names.push_back("电脑" + std::to_string(table) + "_" + std::to_string(i));
        list += (i > 1 ? "," : "") + names.back();
    }
    args.insert(args.end(), {"--names", list});
    if (!options_.secretFile.empty()) args.insert(args.end(), {"--secret-file", options_.secretFile});
    if (!options_.secretFile.empty() && options_.roomTickets) args.insert(args.end(), {"--room-id", roomId_});
    if (tls_) args.insert(args.end(), {"--tls-fingerprint", TlsIdentity::FingerprintOfFile(options_.tlsCert)});
    std::lock_guard<std::mutex> lock(mutex_);
    if (!bots_.Start(table, options_.botProgram, args, names))
        ServerLog("cannot start the computer players of table %d (%s)", table, options_.botProgram.c_str());
}

void RoomServer::CheckBotTables() {
    std::vector<std::pair<std::shared_ptr<TableSlot>, std::vector<std::string>>> withBots;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bots_.Reap();
        for (const auto& [n, slot] : tables_)
            if (const auto* names = bots_.NamesAt(n)) withBots.emplace_back(slot, *names);
    }
    std::vector<std::pair<int, std::vector<std::string>>> done;
    for (const auto& [slot, names] : withBots) {
        bool anyoneElse = true;
        slot->Run([&, &slot = slot, &names = names] {
            if (slot->gone) return;
            const auto view = slot->table->View();
            anyoneElse = !view.spectators.empty();
            for (const auto& s : view.seats)
                if (!s.name.empty() && std::find(names.begin(), names.end(), s.name) == names.end()) anyoneElse = true;
        });
        if (!anyoneElse) done.emplace_back(slot->number, names);
    }
    if (done.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [n, names] : done) bots_.Stop(n);
    }
    // Their seats go at once rather than wait out a dropped player's grace.
    for (const auto& [n, names] : done)
        for (const auto& name : names) AtTable(name, [](UserSession& u, Table& table) { table.Leave(u); });
}

std::string RoomServer::ChatRefusal(const std::string& name) {
    const auto until = moderation_.MutedUntil(name, std::time(nullptr));
    if (!until) return {};
    return "你被禁言了，还有 " + std::to_string((until - std::time(nullptr) + 59) / 60) + " 分钟；这句话没有发出去。";
}

bool RoomServer::Moderate(const std::string& actor, const std::string& action, const std::string& target, int minutes,
                          const std::string& reason, std::string& reply) {
    const bool timed = action == "ban" || action == "mute";
    if (!timed && action != "kick" && action != "unban" && action != "unmute") {
        reply = "unknown action " + action + " (kick, ban, unban, mute, unmute)";
        return false;
    }
    if (!Ticket::IsValidName(target)) {
        reply = "not a user name: " + target;
        return false;
    }
    if (timed && minutes <= 0) {
        reply = action + " wants a duration in minutes";
        return false;
    }
    ModerationAction step;
    step.action = action;
    step.actor = actor;
    step.target = target;
    step.reason = reason;
    step.at = std::time(nullptr);
    step.until = timed ? step.at + std::int64_t{minutes} * 60 : 0;
    moderation_.Apply(step);
    records_.Moderate(step, [](bool) {});
    ServerLog("%s: %s %s%s (%s)", actor.c_str(), action.c_str(), target.c_str(),
              timed ? (" for " + std::to_string(minutes) + " min").c_str() : "", reason.c_str());
    if (action == "kick" || action == "ban") {
        const std::string notice = action == "kick" ? "你被管理员请出了房间。" : "你的帐号被封禁了。";
        AtTable(target, [&](UserSession& u, Table& table) {
            if (u.conn) u.conn->Send(GameMessages::Notice(notice));
            table.Leave(u);
        });
        lobby_.Remove(target, notice);
    }
    reply = action + " " + target + (timed ? " for " + std::to_string(minutes) + " minutes" : "") + "\n";
    return true;
}
