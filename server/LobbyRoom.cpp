#include "server/LobbyRoom.h"

#include <ctime>

#include "core/TitleTable.h"
#include "server/Moderation.h"
#include "server/Passwords.h"
#include "server/RoomServer.h"
#include "server/ServerLog.h"
#include "server/UserNames.h"

using namespace LobbyMessages;

namespace {

constexpr auto kRefreshEvery = std::chrono::milliseconds(100);
constexpr auto kRoomsEvery = std::chrono::seconds(1);
// The answer to a login or registration that finds the password worker's queue full.
constexpr int kBusy = 18;
constexpr const char* kBusyText = "服务器正忙，请稍后再试。";

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

// The address part of HOST:PORT (or [V6]:PORT).
std::string AddressOf(const std::string& peer) {
    const auto colon = peer.rfind(':');
    return colon == std::string::npos ? peer : peer.substr(0, colon);
}

std::string Minutes(std::int64_t until) {
    const std::int64_t left = (until - Now() + 59) / 60;
    return std::to_string(left < 1 ? 1 : left) + " 分钟";
}

}  // namespace

LobbyRoom::LobbyRoom(RoomServer& room, asio::io_context& io) : room_(room), refreshTimer_(io), roomsTimer_(io) {
    ArmRooms();
}

void LobbyRoom::Stop() {
    const auto lock = Lock();
    stopped_ = true;
    refreshTimer_.cancel();
    roomsTimer_.cancel();
}

LobbyRoom::Session* LobbyRoom::Find(std::uint64_t id) {
    const auto it = sessions_.find(id);
    return it == sessions_.end() || !it->second.conn->Open() ? nullptr : &it->second;
}

void LobbyRoom::Send(Session& s, const Bytes& m) { s.conn->Send(m); }

void LobbyRoom::Answer(Session& s, Type request, int code, const std::string& text) {
    Send(s, LobbyMessages::Answer(request, code, text));
}

void LobbyRoom::Open(const std::shared_ptr<Connection>& c, int version) {
    const auto lock = Lock();
    if (version < kOldestVersion || version > kVersion) {
        c->Send(Notice("这个大厅的版本与服务器不同（服务器版本 " + std::to_string(kVersion) + "）。"));
        c->CloseAfterFlush();
        return;
    }
    Session& s = sessions_[c->Id()];
    s.conn = c;
    s.version = version;
    const auto& o = room_.Options();
    Send(s, Welcome(o.roomName.empty() ? "tilelink" : o.roomName, o.guests, version));
    if (version >= 2) {
        if (roomsKnown_) Send(s, Rooms(rooms_));
        else ReadRooms();  // the list follows as soon as the database answers
    }
    // The whole lists as they stand; changes follow one by one.
    if (sessions_.size() == 1) {
        tables_.clear();
        users_.clear();
        for (const auto& t : room_.TableViews()) tables_[t.number] = t;
        for (const auto& u : Users()) users_[u.name] = u;
    } else {
        Refresh();
    }
    std::vector<TableView> tables;
    for (const auto& [n, t] : tables_) tables.push_back(t);
    for (const auto& m : Tables(tables)) Send(s, m);
    std::vector<UserView> users;
    for (const auto& [n, u] : users_) users.push_back(u);
    for (const auto& m : LobbyMessages::Users(users)) Send(s, m);
    ArmRefresh();
}

void LobbyRoom::ArmRefresh() {
    if (stopped_ || sessions_.empty()) return;
    refreshTimer_.expires_after(kRefreshEvery);
    refreshTimer_.async_wait([this](std::error_code ec) {
        const auto lock = Lock();
        if (ec || stopped_) return;
        Refresh();
        ArmRefresh();
    });
}

void LobbyRoom::OnClosed(Connection& c) {
    const auto lock = Lock();
    sessions_.erase(c.Id());
    if (sessions_.empty()) refreshTimer_.cancel();
}

bool LobbyRoom::HasUser(const std::string& name) const {
    const auto lock = Lock();
    for (const auto& [id, s] : sessions_)
        if (s.name == name) return true;
    return false;
}

void LobbyRoom::Remove(const std::string& name, const std::string& notice) {
    const auto lock = Lock();
    for (auto& [id, s] : sessions_) {
        if (s.name != name) continue;
        Send(s, Notice(notice));
        s.name.clear();
        s.conn->CloseAfterFlush();
    }
}

std::vector<UserView> LobbyRoom::Users() const {
    std::map<std::string, UserView> all;
    for (const auto& [id, s] : sessions_)
        if (!s.name.empty()) all[s.name] = {s.name, s.points, TitleTable::For(s.points)};
    for (auto& u : room_.RoomUsers()) all[u.name] = std::move(u);
    std::vector<UserView> out;
    out.reserve(all.size());
    for (auto& [name, u] : all) out.push_back(std::move(u));
    return out;
}

void LobbyRoom::Refresh() {
    const auto lock = Lock();
    if (sessions_.empty()) return;
    std::vector<Bytes> changes;
    std::map<int, TableView> tables;
    for (auto& t : room_.TableViews()) tables[t.number] = std::move(t);
    for (const auto& [n, t] : tables) {
        const auto it = tables_.find(n);
        if (it == tables_.end() || !(it->second == t)) changes.push_back(TableChanged(t));
    }
    for (const auto& [n, t] : tables_)
        if (!tables.count(n)) {
            TableView gone;
            gone.number = n;
            changes.push_back(TableChanged(gone));
        }
    tables_ = std::move(tables);
    std::map<std::string, UserView> users;
    for (auto& u : Users()) users[u.name] = std::move(u);
    for (const auto& [name, u] : users) {
        const auto it = users_.find(name);
        if (it == users_.end() || !(it->second == u)) changes.push_back(UserChanged(u, true));
    }
    for (const auto& [name, u] : users_)
        if (!users.count(name)) changes.push_back(UserChanged(u, false));
    users_ = std::move(users);
    for (const auto& m : changes) {
        const SharedFrame frame = MakeFrame(m);
        for (auto& [id, s] : sessions_) s.conn->Send(frame);
    }
}

std::string LobbyRoom::NameRefusal(const std::string& name) const {
    if (name.empty() || name.size() > kMaxName) return "用户名要有 1 到 32 个字节。";
    if (!CleanText(name, kMaxName)) return "用户名里有控制字符或无效的 UTF-8 文字。";
    if (!UserNames::Acceptable(name)) return "这个用户名不能使用（GBK 写不出、两端有空格，或是系统保留的名字）。";
    return {};
}

void LobbyRoom::OnMessage(Connection& c, const Bytes& m) {
    const auto lock = Lock();
    Session* s = Find(c.Id());
    if (!s) return;
    const auto r = ParseRequest(m);
    if (!r) {
        c.Close("bad lobby message");
        return;
    }
    const bool in = !s->name.empty();
    switch (r->type) {
        case kRegister:
            return OnRegister(*s, *r);
        case kLogIn:
            return OnLogIn(*s, *r);
        case kGuest:
            return OnGuest(*s);
        case kLeave:
            c.CloseAfterFlush();
            return;
        default:
            break;
    }
    if (!in) {
        Answer(*s, r->type, 1, "请先登录。");
        return;
    }
    switch (r->type) {
        case kLogOut:
            s->name.clear();
            s->guest = s->admin = false;
            Answer(*s, kLogOut, 0, "已退出登录。");
            return;
        case kChat:
            return OnChat(*s, *r);
        case kSit:
            return OnSit(*s, *r);
        case kWatch:
            return OnWatch(*s, *r);
        case kOpenTable:
            return OnOpenTable(*s, *r);
        case kModerate:
            return OnModerate(*s, *r);
        case kIgnore:
            return OnIgnore(*s, *r);
        case kListBans:
            return OnListBans(*s);
        default:
            return;
    }
}

bool LobbyRoom::ReadyToLogIn(Session& s, Type request) {
    if (!s.busy && s.name.empty()) return true;
    Answer(s, request, 1, s.busy ? "上一个请求还没有回答。" : "已经登录了。");
    return false;
}

void LobbyRoom::OnRegister(Session& s, const Request& r) {
    if (!ReadyToLogIn(s, kRegister)) return;
    if (const auto why = NameRefusal(r.name); !why.empty()) {
        Answer(s, kRegister, 2, why);
        return;
    }
    if (r.password.size() < Passwords::kMinLength) {
        Answer(s, kRegister, 3, "密码至少要 " + std::to_string(Passwords::kMinLength) + " 个字节。");
        return;
    }
    const auto now = LoginThrottle::Clock::now();
    const std::string address = AddressOf(s.conn->Peer());
    if (!throttle_.Allowed(address, "", now)) {
        Answer(s, kRegister, 4, "尝试太多次了，请过几分钟再来。");
        return;
    }
    // Every registration counts against its address: hashing is costly on purpose.
    throttle_.Failed(address, "", now);
    s.busy = true;
    room_.Records().Register(r.name, r.password, [this, id = s.conn->Id(), name = r.name](auto answer) {
        const auto lock = Lock();
        Session* s = Find(id);
        if (!s) return;
        s->busy = false;
        using A = StoreWorker::AccountAnswer;
        if (answer == A::Busy) return Answer(*s, kRegister, kBusy, kBusyText);
        if (answer == A::Ok) ServerLog("account %s registered", name.c_str());
        Answer(*s, kRegister,
               answer == A::Ok      ? 0
               : answer == A::Taken ? 5
                                    : 6,
               answer == A::Ok      ? "注册成功，请登录。"
               : answer == A::Taken ? "这个用户名已经有人注册了。"
                                    : "现在无法注册（数据库没有回答），请稍后再试。");
    });
}

void LobbyRoom::OnLogIn(Session& s, const Request& r) {
    if (!ReadyToLogIn(s, kLogIn)) return;
    if (const auto why = NameRefusal(r.name); !why.empty()) {
        Answer(s, kLogIn, 2, why);
        return;
    }
    const auto now = LoginThrottle::Clock::now();
    const std::string address = AddressOf(s.conn->Peer());
    if (!throttle_.Allowed(address, r.name, now)) {
        Answer(s, kLogIn, 4, "登录失败太多次了，请过几分钟再来。");
        return;
    }
    if (const auto until = room_.Mod().BannedUntil(r.name, Now())) {
        Answer(s, kLogIn, 7, "这个帐号被封禁了，还有 " + Minutes(until) + "。");
        return;
    }
    s.busy = true;
    room_.Records().LogIn(r.name, r.password,
                          [this, id = s.conn->Id(), name = r.name, address](auto answer, auto account, auto stats) {
                              const auto lock = Lock();
                              Session* s = Find(id);
                              if (!s) return;
                              s->busy = false;
                              using A = StoreWorker::AccountAnswer;
                              if (answer == A::Busy) return Answer(*s, kLogIn, kBusy, kBusyText);
                              if (answer == A::Away) {
                                  Answer(*s, kLogIn, 6, "现在无法登录（数据库没有回答），请稍后再试。");
                                  return;
                              }
                              if (answer != A::Ok) {
                                  throttle_.Failed(address, name, LoginThrottle::Clock::now());
                                  ServerLog("failed login for %s from %s", name.c_str(), address.c_str());
                                  Answer(*s, kLogIn, 3, "用户名或密码不对。");
                                  return;
                              }
                              if (const auto until = room_.Mod().BannedUntil(name, Now())) {
                                  Answer(*s, kLogIn, 7, "这个帐号被封禁了，还有 " + Minutes(until) + "。");
                                  return;
                              }
                              throttle_.Succeeded(name);
                              // One lobby session per account: an older one ends.
                              for (auto& [otherId, other] : sessions_)
                                  if (otherId != id && other.name == name) {
                                      Send(other, Notice("你的帐号在别处登录了大厅。"));
                                      other.name.clear();
                                      other.conn->CloseAfterFlush();
                                  }
                              LoggedIn(*s, name, false, account.admin, stats.score);
                          });
}

void LobbyRoom::OnGuest(Session& s) {
    if (!ReadyToLogIn(s, kGuest)) return;
    if (!room_.Options().guests) {
        Answer(s, kGuest, 8, "这个房间不接待游客，请注册后登录。");
        return;
    }
    s.busy = true;
    room_.PickGuestName([this, id = s.conn->Id()](const std::string& name) {
        const auto lock = Lock();
        Session* s = Find(id);
        if (!s) return;
        s->busy = false;
        LoggedIn(*s, name, true, false, 0);
    });
}

void LobbyRoom::LoggedIn(Session& s, const std::string& name, bool guest, bool admin, std::int64_t points) {
    s.name = name;
    s.guest = guest;
    s.admin = admin;
    s.points = points;
    Send(s, You(name, guest, admin));
    Answer(s, guest ? kGuest : kLogIn, 0, "欢迎，" + name + "。");
}

void LobbyRoom::OnChat(Session& s, const Request& r) {
    if (const auto until = room_.Mod().MutedUntil(s.name, Now())) {
        Answer(s, kChat, 9, "你被禁言了，还有 " + Minutes(until) + "；这句话没有发出去。");
        return;
    }
    if (!s.chat.Take(std::chrono::steady_clock::now(), room_.Options().chatPerMinute)) {
        Answer(s, kChat, 10, "说话太快了，这句话没有发出去。");
        return;
    }
    const Bytes line = ChatLine(s.name, r.text);
    const SharedFrame frame = MakeFrame(line);
    for (auto& [id, other] : sessions_)
        if (!room_.Mod().Ignores(other.name, s.name)) other.conn->Send(frame);
}

void LobbyRoom::OnSit(Session& s, const Request& r) {
    const int table = r.table == 0 ? room_.FreeTable() : r.table;
    if (const auto why = room_.SeatRefusal(table); !why.empty()) {
        Answer(s, kSit, 11, why);
        return;
    }
    // The ticket names the session's own account, never a name from the request.
    Send(s, Seat(table, room_.IssueTicket(s.name, table, "", s.guest), ""));
}

void LobbyRoom::OnWatch(Session& s, const Request& r) {
    const int table = room_.TableOfPlayer(r.name);
    if (table <= 0) {
        Answer(s, kWatch, 12, "这个玩家现在没有坐在桌子上。");
        return;
    }
    Send(s, Seat(table, room_.IssueTicket(s.name, table, r.name, s.guest), r.name));
}

void LobbyRoom::OnOpenTable(Session& s, const Request& r) {
    std::string error;
    const int table = room_.OpenBotTable(s.name, r.count, r.level, error);
    if (table <= 0) {
        Answer(s, kOpenTable, 13, error);
        return;
    }
    Send(s, Seat(table, room_.IssueTicket(s.name, table, "", s.guest), ""));
}

void LobbyRoom::OnModerate(Session& s, const Request& r) {
    if (!s.admin) {
        Answer(s, kModerate, 14, "只有管理员可以这样做。");
        return;
    }
    std::string reply;
    const bool ok = room_.Moderate(s.name, r.action, r.name, r.minutes, r.reason, reply);
    Answer(s, kModerate, ok ? 0 : 15, reply);
}

void LobbyRoom::OnIgnore(Session& s, const Request& r) {
    if (r.name == s.name) {
        Answer(s, kIgnore, 16, "不能屏蔽自己。");
        return;
    }
    if (!room_.Mod().SetIgnore(s.name, r.name, r.on)) {
        Answer(s, kIgnore, 17, "屏蔽的人太多了。");
        return;
    }
    Answer(s, kIgnore, 0, r.on ? "已屏蔽 " + r.name + " 的发言。" : "已取消屏蔽 " + r.name + "。");
}

void LobbyRoom::OnListBans(Session& s) {
    if (!s.admin) {
        Answer(s, kListBans, 14, "只有管理员可以这样做。");
        return;
    }
    std::vector<Sanction> list;
    for (const auto& m : room_.Mod().InForce(Now())) list.push_back({m.action, m.target, m.actor, m.reason, m.until});
    Send(s, Bans(list));
}

void LobbyRoom::ArmRooms() {
    if (stopped_) return;
    roomsTimer_.expires_after(kRoomsEvery);
    roomsTimer_.async_wait([this](std::error_code ec) {
        const auto lock = Lock();
        if (ec || stopped_) return;
        ReadRooms();
        ArmRooms();
    });
}

void LobbyRoom::ReadRooms() {
    // This room's counts go out with its next heartbeat, whether or not a lobby is here.
    RoomLoad load;
    for (const auto& t : room_.TableViews()) {
        if (t.Empty()) continue;
        ++load.tables;
        for (const auto& seat : t.seats) load.players += seat.name.empty() ? 0 : 1;
    }
    room_.Records().SetLoad(load);
    if (sessions_.empty()) {
        roomsKnown_ = false;  // the next lobby gets a list read for it
        return;
    }
    if (roomsAsked_) return;
    roomsAsked_ = true;
    const auto lapse = std::chrono::ceil<std::chrono::seconds>(room_.Options().roomLapse);
    room_.Records().LiveRooms(lapse, [this](bool ok, const std::vector<RoomEntry>& rooms) {
        const auto lock = Lock();
        roomsAsked_ = false;
        if (ok && !stopped_) OnRooms(rooms);
    });
}

void LobbyRoom::OnRooms(const std::vector<RoomEntry>& entries) {
    std::vector<RoomView> rooms;
    for (const auto& e : entries) {
        // A row a lobby could not show (written by hand, or by a broken server) is left out.
        if (!CleanText(e.id, kMaxRoomId) || !CleanText(e.name, kMaxRoomId) || !CleanText(e.address, kMaxAddress))
            continue;
        rooms.push_back(
            {e.id, e.name, e.address, e.id == room_.Records().RoomId(), std::max(e.tables, 0), std::max(e.players, 0)});
    }
    if (roomsKnown_ && rooms == rooms_) return;
    rooms_ = std::move(rooms);
    roomsKnown_ = true;
    const SharedFrame frame = MakeFrame(Rooms(rooms_));
    for (auto& [id, s] : sessions_)
        if (s.version >= 2) s.conn->Send(frame);
}
