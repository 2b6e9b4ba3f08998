#include "server/RoomServer.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unordered_set>

#include "bot/BotLevel.h"
#include "core/RoomMessages.h"
#include "core/Ticket.h"
#include "core/modRoomMsgDefine.h"
#include "net/TlsContext.h"
#include "net/TlsIdentity.h"
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

}  // namespace

namespace {

StoreWorker::Options WorkerOptions(const ServerOptions& o) {
    StoreWorker::Options w;
    w.maxWaiting = o.maxWaitingGames;
    w.spillPath = o.spillPath;
    return w;
}

}  // namespace

RoomServer::RoomServer(asio::io_context& io, const ServerOptions& options, Store& store, const MapStore& maps)
    : io_(io),
      options_(options),
      records_(io, store, WorkerOptions(options)),
      maps_(maps),
      rng_(options.seed ? *options.seed : std::random_device{}()),
      clock_(io),
      acceptor_(io),
      acceptTimer_(io),
      connectionCap_(std::min(options.maxConnections, DescriptorRoom(options.descriptorReserve))),
      lobby_(*this, io) {
    records_.onLeases = [this](const std::vector<std::string>& held) { CheckLeases(held); };
}

RoomServer::~RoomServer() {
    Stop();
    records_.Stop();  // games still on their way go to the spill file first
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
    if (stopped_) return;
    stopped_ = true;
    lobby_.Stop();
    std::error_code ec;
    acceptor_.close(ec);
    acceptTimer_.cancel();
    auto all = connections_;
    for (auto& [id, c] : all) c->Close("server stopped");
}

void RoomServer::Accept() {
    acceptor_.async_accept([this](std::error_code ec, asio::ip::tcp::socket socket) {
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
            c->Start();
        }
        Accept();
    });
}

void RoomServer::OnMessage(Connection& c, const Bytes& m) {
    if (c.session) {
        TableOf(c.session->table).OnMessage(*c.session, m);
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
    auto keep = connections_[c.Id()];
    connections_.erase(c.Id());
    if (c.lobby) {
        lobby_.OnClosed(c);
        return;
    }
    UserSession* u = c.session;
    if (!u || u->conn.get() != &c) return;
    c.session = nullptr;
    u->conn.reset();
    if (auto it = tables_.find(u->table); it != tables_.end()) it->second->ConnectionLost(*u);
}

void RoomServer::Refuse(Connection& c, const std::string& who, const std::string& text, const std::string& why) {
    ServerLogAt(ProgramLog::Level::Warn, "refused the login of %s from %s: %s", who.c_str(), c.Peer().c_str(),
                why.c_str());
    c.Send(GameMessages::Notice(text));
    c.CloseAfterFlush();
}

int RoomServer::FreeTable() {
    for (int n = 1;; ++n) {
        auto it = tables_.find(n);
        if (it == tables_.end() || it->second->HasFreeSeat()) return n;
    }
}

Table& RoomServer::TableOf(int number) {
    auto& t = tables_[number];
    if (!t) t = std::make_unique<Table>(*this, number);
    return *t;
}

std::shared_ptr<Connection> RoomServer::StillOpen(const std::weak_ptr<Connection>& weak) const {
    auto c = weak.lock();
    if (stopped_ || !c || !c->Open() || !connections_.count(c->Id())) return nullptr;
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
    const auto conn = connections_[c.Id()];
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
    if (const auto issued = issued_.find(*c.ticket); issued != issued_.end() && issued->second.name == seat.name) {
        if (issued->second.guest) Admit(c, seat, allowWatch, UserStats{}, true);
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

void RoomServer::PickGuestName(const std::function<void(const std::string&)>& done) {
    std::string name;
    do name = "游客" + std::to_string(++guestNo_);
    while (!UserNames::Acceptable(name) || users_.count(name) || lobby_.HasUser(name));
    // A guest never takes the name of a stored user or an account.
    records_.Exists(name, [this, name, done](bool stored) {
        if (stopped_) return;
        if (stored || users_.count(name) || lobby_.HasUser(name)) {
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

void RoomServer::Admit(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, const UserStats& stats,
                       bool guest) {
    if (auto it = users_.find(seat.name); it != users_.end()) {
        UserSession& old = *it->second;
        if (old.guest) {
            Refuse(c, seat.name, "这个用户名正在使用中。", "a guest of that name is in the room");
            return;
        }
        // The same user again: a player coming back to the seat it still holds gets it
        // back; otherwise the old presence ends first.
        if (auto oldConn = old.conn) {
            oldConn->session = nullptr;
            old.conn.reset();
            oldConn->Close("replaced by a new login");
        }
        const bool sameSeat = !old.IsWatcher() && seat.watched.empty() && old.table == seat.table;
        if (sameSeat) {
            old.conn = connections_[c.Id()];
            old.allowWatch = allowWatch;
            c.session = &old;
            TableOf(old.table).Resume(old);
            return;
        }
        TableOf(old.table).Leave(old);
    }

    auto user = std::make_unique<UserSession>();
    user->name = seat.name;
    user->guest = guest;
    user->stats = stats;
    user->stats.name = seat.name;
    user->allowWatch = allowWatch;
    user->conn = connections_[c.Id()];
    UserSession& u = *user;
    c.session = &u;
    users_[u.name] = std::move(user);
    Table& table = TableOf(seat.table);
    const bool seated = seat.watched.empty() ? table.SeatPlayer(u) : table.AddWatcher(u, seat.watched);
    if (!seated) {
        c.session = nullptr;
        u.conn.reset();
        users_.erase(seat.name);
        const std::string where = "table " + std::to_string(seat.table);
        if (!seat.watched.empty())
            Refuse(c, seat.name, "你要旁观的玩家不在这张桌子上。", seat.watched + " does not play at " + where);
        else if (table.GameRunning())
            Refuse(c, seat.name, "本桌正在游戏，请在游戏结束后再来，或者旁观。", "a game runs at " + where);
        else Refuse(c, seat.name, "这张桌子已经坐满了。", where + " is full");
        if (table.Empty()) TableEmptied(seat.table);
        return;
    }
    StartPendingBots(u);
    if (guest) return;
    // One session per account across every room server: this one takes the lease.
    records_.TakeSession(u.name, [this, name = u.name, session = &u](bool ok) {
        auto it = users_.find(name);
        if (ok && it != users_.end() && it->second.get() == session) session->lease = true;
    });
}

void RoomServer::CheckLeases(const std::vector<std::string>& held) {
    if (stopped_) return;
    const std::unordered_set<std::string> still(held.begin(), held.end());
    std::vector<UserSession*> gone;
    for (auto& [name, u] : users_)
        if (u->lease && !still.count(name)) gone.push_back(u.get());
    for (UserSession* u : gone) {
        ServerLog("%s logged in on another room server: the session here ends", u->name.c_str());
        u->lease = false;
        if (u->conn) u->conn->Send(GameMessages::Notice("你的帐号已经在另一个房间登录。"));
        TableOf(u->table).Leave(*u);
    }
}

void RoomServer::Release(UserSession& u) {
    if (u.lease) records_.EndSession(u.name);
    u.lease = false;
    if (u.conn) {
        u.conn->session = nullptr;
        u.conn->CloseAfterFlush();
        u.conn.reset();
    }
    auto it = users_.find(u.name);
    if (it == users_.end() || it->second.get() != &u) return;
    released_.push_back(std::move(it->second));
    users_.erase(it);
    if (released_.size() == 1)
        asio::post(io_, [this] {
            released_.clear();
            CheckBotTables();
        });
}

UserSession* RoomServer::FindUser(const std::string& name) {
    const auto it = users_.find(name);
    return it == users_.end() ? nullptr : it->second.get();
}

void RoomServer::TableEmptied(int number) {
    asio::post(io_, [this, number] {
        auto it = tables_.find(number);
        if (it != tables_.end() && it->second->Empty()) tables_.erase(it);
    });
}

void RoomServer::BroadcastText(const std::string& text) {
    const SharedFrame frame = MakeFrame(RoomMessages::Broadcast(text));
    for (auto& [name, u] : users_)
        if (u->conn) u->conn->Send(frame);
}

bool RoomServer::NoticeTable(int table, const std::string& text) {
    auto it = tables_.find(table);
    if (it == tables_.end()) return false;
    it->second->Notice(text);
    return true;
}

std::string RoomServer::Status() const {
    std::string s = std::to_string(connections_.size()) + " connections, " + std::to_string(users_.size()) +
                    " users, " + std::to_string(tables_.size()) + " tables\n";
    for (const auto& [n, t] : tables_) s += t->Describe() + "\n";
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
    lobby_.Open(connections_[c.Id()], *version);
    return true;
}

std::vector<LobbyMessages::TableView> RoomServer::TableViews() const {
    std::vector<LobbyMessages::TableView> out;
    for (const auto& [n, t] : tables_)
        if (auto v = t->View(); !v.Empty()) out.push_back(std::move(v));
    return out;
}

std::vector<const UserSession*> RoomServer::RoomUsers() const {
    std::vector<const UserSession*> out;
    for (const auto& [name, u] : users_) out.push_back(u.get());
    return out;
}

std::string RoomServer::IssueTicket(const std::string& name, int table, const std::string& watched, bool guest) {
    const std::int64_t now = std::time(nullptr);
    for (auto it = issued_.begin(); it != issued_.end();)
        it = it->second.expiry <= now ? issued_.erase(it) : std::next(it);
    // The same lifetime as the lobby's own tickets: a table client that drops comes back with it.
    constexpr std::int64_t kLifetime = 12 * 3600;
    constexpr std::size_t kPerName = 8;  // a user's newest tickets stay good; older ones go
    std::vector<std::pair<std::int64_t, std::string>> mine;
    for (const auto& [text, issued] : issued_)
        if (issued.name == name) mine.emplace_back(issued.expiry, text);
    if (mine.size() >= kPerName) {
        std::sort(mine.begin(), mine.end());
        for (std::size_t i = 0; i + kPerName <= mine.size(); ++i) issued_.erase(mine[i].second);
    }
    Ticket::SeatTicket t;
    t.table = table;
    t.name = name;
    t.watched = watched;
    t.expiry = now + kLifetime;
    std::string text = Ticket::Make(t, ticketKey_ ? &*ticketKey_ : nullptr);
    issued_[text] = {name, guest, t.expiry};
    return text;
}

std::string RoomServer::SeatRefusal(int table) const {
    if (table < 1) return "没有这张桌子。";
    const auto it = tables_.find(table);
    if (it == tables_.end()) return {};
    if (it->second->GameRunning()) return "本桌正在游戏，请在游戏结束后再来，或者旁观。";
    if (!it->second->HasFreeSeat()) return "这张桌子已经坐满了。";
    return {};
}

int RoomServer::TableOfPlayer(const std::string& name) {
    const UserSession* u = FindUser(name);
    return u && !u->IsWatcher() ? u->table : 0;
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
    int n = 1;
    while (tables_.count(n) || pendingBots_.count(n) || bots_.NamesAt(n)) ++n;
    pendingBots_[n] = {owner, level, count};
    return n;
}

void RoomServer::StartPendingBots(const UserSession& u) {
    const auto it = pendingBots_.find(u.table);
    if (it == pendingBots_.end() || it->second.owner != u.name || u.IsWatcher()) return;
    const PendingBots p = it->second;
    pendingBots_.erase(it);
    const std::string host = options_.host == "0.0.0.0" || options_.host == "::" ? "127.0.0.1" : options_.host;
    std::vector<std::string> names, args = {"--server", host + ":" + std::to_string(LocalEndpoint().port()),
                                            "--table",  std::to_string(u.table),
                                            "--count",  std::to_string(p.count),
                                            "--level",  p.level};
    std::string list;
    for (int i = 1; i <= p.count; ++i) {
        names.push_back("电脑" + std::to_string(u.table) + "_" + std::to_string(i));
        list += (i > 1 ? "," : "") + names.back();
    }
    args.insert(args.end(), {"--names", list});
    if (!options_.secretFile.empty()) args.insert(args.end(), {"--secret-file", options_.secretFile});
    if (tls_) args.insert(args.end(), {"--tls-fingerprint", TlsIdentity::FingerprintOfFile(options_.tlsCert)});
    if (!bots_.Start(u.table, options_.botProgram, args, names))
        ServerLog("cannot start the computer players of table %d (%s)", u.table, options_.botProgram.c_str());
}

void RoomServer::CheckBotTables() {
    bots_.Reap();
    std::vector<int> done;
    for (const auto& [n, t] : tables_) {
        const auto* names = bots_.NamesAt(n);
        if (!names) continue;
        const auto view = t->View();
        bool anyoneElse = !view.spectators.empty();
        for (const auto& s : view.seats)
            if (!s.name.empty() && std::find(names->begin(), names->end(), s.name) == names->end()) anyoneElse = true;
        if (!anyoneElse) done.push_back(n);
    }
    for (int n : done) bots_.Stop(n);
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
        if (UserSession* u = FindUser(target)) {
            if (u->conn) u->conn->Send(GameMessages::Notice(notice));
            TableOf(u->table).Leave(*u);
        }
        lobby_.Remove(target, notice);
    }
    reply = action + " " + target + (timed ? " for " + std::to_string(minutes) + " minutes" : "") + "\n";
    return true;
}
