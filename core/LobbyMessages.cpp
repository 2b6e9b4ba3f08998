#include "core/LobbyMessages.h"

#include "core/Ticket.h"

namespace LobbyMessages {

namespace {

constexpr std::size_t kMaxTicket = 1024;
constexpr std::size_t kMaxText = 1024;  // notices and answers
constexpr int kMaxSpectators = 200;

class Writer {
public:
    explicit Writer(Type t) { out_.push_back(t); }
    Writer& Int(std::int64_t v) {
        const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
        for (int shift = 24; shift >= 0; shift -= 8) out_.push_back(static_cast<std::uint8_t>(u >> shift));
        return *this;
    }
    Writer& Text(std::string_view s) {
        const std::size_t n = std::min<std::size_t>(s.size(), 0xffff);
        out_.push_back(static_cast<std::uint8_t>(n >> 8));
        out_.push_back(static_cast<std::uint8_t>(n));
        out_.insert(out_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
        return *this;
    }
    Writer& Table(const TableView& t) {
        Int(t.number).Int(t.running);
        for (const auto& s : t.seats) Text(s.name).Int((s.ready ? 1 : 0) | (s.playing ? 2 : 0) | (s.dropped ? 4 : 0));
        Int(static_cast<std::int64_t>(t.spectators.size()));
        for (const auto& name : t.spectators) Text(name);
        return *this;
    }
    std::size_t Size() const { return out_.size(); }
    Bytes Take() { return std::move(out_); }

private:
    Bytes out_;
};

class Reader {
public:
    explicit Reader(const Bytes& m) : m_(m), pos_(1) {}
    bool Int(int& v) {
        if (m_.size() - pos_ < 4) return false;
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u = (u << 8) | m_[pos_++];
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool Bool(bool& b) {
        int v = 0;
        if (!Int(v) || (v != 0 && v != 1)) return false;
        b = v == 1;
        return true;
    }
    // Any bytes up to `max`.
    bool Raw(std::string& s, std::size_t max) {
        if (m_.size() - pos_ < 2) return false;
        const std::size_t n = (std::size_t{m_[pos_]} << 8) | m_[pos_ + 1];
        pos_ += 2;
        if (n > max || m_.size() - pos_ < n) return false;
        s.assign(reinterpret_cast<const char*>(m_.data() + pos_), n);
        pos_ += n;
        return true;
    }
    bool Text(std::string& s, std::size_t max) { return Raw(s, max) && CleanText(s, max); }
    bool Name(std::string& s) { return Raw(s, kMaxName) && Ticket::IsValidName(s); }
    // A seat's name: a name, or empty for a free seat.
    bool SeatName(std::string& s) { return Raw(s, kMaxName) && (s.empty() || Ticket::IsValidName(s)); }
    bool Table(TableView& t) {
        if (!Int(t.number) || t.number < 1 || !Bool(t.running)) return false;
        for (auto& s : t.seats) {
            int flags = 0;
            if (!SeatName(s.name) || !Int(flags) || flags < 0 || flags > 7) return false;
            s.ready = flags & 1;
            s.playing = flags & 2;
            s.dropped = flags & 4;
        }
        int n = 0;
        if (!Int(n) || n < 0 || n > kMaxSpectators) return false;
        t.spectators.resize(static_cast<std::size_t>(n));
        for (auto& name : t.spectators)
            if (!Name(name)) return false;
        return true;
    }
    bool End() const { return pos_ == m_.size(); }

private:
    const Bytes& m_;
    std::size_t pos_;
};

// Checks a whole UTF-8 sequence and counts no control character (C0, DEL, C1).
bool ValidUtf8NoControls(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        std::uint32_t cp = len == 1 ? c : c & (0x7f >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xc0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3f);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return false;
        if (cp < 0x20 || (cp >= 0x7f && cp < 0xa0)) return false;
        i += len;
    }
    return true;
}

template <class T, class Put>
std::vector<Bytes> InParts(Type type, const std::vector<T>& items, std::size_t budget, Put put) {
    std::vector<Bytes> out;
    std::size_t i = 0;
    do {
        // Each part: last flag, count, items; the items go in until the budget is used.
        Writer body(type);
        std::size_t n = 0;
        while (i + n < items.size()) {
            Writer one(type);
            put(one, items[i + n]);
            if (n > 0 && body.Size() + one.Size() + 8 > budget) break;
            put(body, items[i + n]);
            ++n;
        }
        const bool last = i + n >= items.size();
        Writer head(type);
        head.Int(last).Int(static_cast<std::int64_t>(n));
        Bytes msg = head.Take();
        Bytes rest = body.Take();
        msg.insert(msg.end(), rest.begin() + 1, rest.end());
        out.push_back(std::move(msg));
        i += n;
    } while (i < items.size());
    return out;
}

}  // namespace

bool TableView::Empty() const {
    if (!spectators.empty()) return false;
    for (const auto& s : seats)
        if (!s.name.empty()) return false;
    return true;
}

bool CleanText(std::string_view text, std::size_t max) {
    return !text.empty() && text.size() <= max && ValidUtf8NoControls(text);
}

Bytes Hello(int version) {
    const std::string text = std::string(kHelloPrefix) + std::to_string(version);
    return Bytes(text.begin(), text.end());
}

std::optional<int> ParseHello(const Bytes& m) {
    const std::string_view s(reinterpret_cast<const char*>(m.data()), m.size());
    if (s.size() <= kHelloPrefix.size() || s.size() > kHelloPrefix.size() + 4 ||
        s.substr(0, kHelloPrefix.size()) != kHelloPrefix)
        return std::nullopt;
    int v = 0;
    for (char c : s.substr(kHelloPrefix.size())) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

Bytes Register(std::string_view name, std::string_view password) {
    return Writer(kRegister).Text(name).Text(password).Take();
}
Bytes LogIn(std::string_view name, std::string_view password) {
    return Writer(kLogIn).Text(name).Text(password).Take();
}
Bytes Plain(Type type) { return Writer(type).Take(); }
Bytes Chat(std::string_view text) { return Writer(kChat).Text(text).Take(); }
Bytes Sit(int table) { return Writer(kSit).Int(table).Take(); }
Bytes Watch(std::string_view player) { return Writer(kWatch).Text(player).Take(); }
Bytes OpenTable(int count, std::string_view level) { return Writer(kOpenTable).Int(count).Text(level).Take(); }
Bytes Moderate(std::string_view action, std::string_view target, int minutes, std::string_view reason) {
    return Writer(kModerate).Text(action).Text(target).Int(minutes).Text(reason).Take();
}
Bytes Ignore(std::string_view name, bool on) { return Writer(kIgnore).Text(name).Int(on).Take(); }

std::optional<Request> ParseRequest(const Bytes& m) {
    if (m.empty()) return std::nullopt;
    Request r;
    r.type = static_cast<Type>(m[0]);
    Reader in(m);
    bool ok = false;
    switch (r.type) {
        case kRegister:
        case kLogIn:
            // The name is judged by the server, which says why it refuses one.
            ok = in.Raw(r.name, kMaxName * 4) && in.Raw(r.password, kMaxPassword) && !r.password.empty();
            break;
        case kGuest:
        case kLogOut:
        case kLeave:
        case kListBans:
            ok = true;
            break;
        case kChat:
            ok = in.Text(r.text, kMaxChat);
            break;
        case kSit:
            ok = in.Int(r.table) && r.table >= 0 && r.table <= 100000;
            break;
        case kWatch:
            ok = in.Name(r.name);
            break;
        case kOpenTable:
            ok = in.Int(r.count) && r.count >= 1 && r.count < kSeats && in.Text(r.level, kMaxLevel);
            break;
        case kModerate:
            ok = in.Text(r.action, 16) && in.Name(r.name) && in.Int(r.minutes) && r.minutes >= 0 &&
                 r.minutes <= 10 * 366 * 24 * 60 && (in.Raw(r.reason, kMaxReason)) &&
                 (r.reason.empty() || CleanText(r.reason, kMaxReason));
            break;
        case kIgnore:
            ok = in.Name(r.name) && in.Bool(r.on);
            break;
        default:
            return std::nullopt;
    }
    if (!ok || !in.End()) return std::nullopt;
    return r;
}

Bytes Welcome(std::string_view room, bool guests, int version) {
    return Writer(kWelcome).Int(version).Text(room).Int(guests).Take();
}
Bytes Answer(Type request, int code, std::string_view text) {
    return Writer(kAnswer).Int(request).Int(code).Text(text).Take();
}
Bytes You(std::string_view name, bool guest, bool admin) {
    return Writer(kYou).Text(name).Int(guest).Int(admin).Take();
}

std::vector<Bytes> Tables(const std::vector<TableView>& tables, std::size_t budget) {
    return InParts(kTables, tables, budget, [](Writer& w, const TableView& t) { w.Table(t); });
}
Bytes TableChanged(const TableView& table) { return Writer(kTable).Table(table).Take(); }
std::vector<Bytes> Users(const std::vector<UserView>& users, std::size_t budget) {
    return InParts(kUsers, users, budget,
                   [](Writer& w, const UserView& u) { w.Text(u.name).Int(u.points).Text(u.title); });
}
Bytes UserChanged(const UserView& u, bool present) {
    return Writer(kUser).Text(u.name).Int(u.points).Text(u.title).Int(present).Take();
}
Bytes ChatLine(std::string_view from, std::string_view text) { return Writer(kChatLine).Text(from).Text(text).Take(); }
Bytes Seat(int table, std::string_view ticket, std::string_view watched) {
    return Writer(kSeat).Int(table).Text(ticket).Text(watched).Take();
}
Bytes Notice(std::string_view text) { return Writer(kNotice).Text(text).Take(); }
Bytes Rooms(const std::vector<RoomView>& rooms, std::size_t budget) {
    Writer body(kRooms);
    int n = 0;
    for (const auto& r : rooms) {
        if (n == kMaxRooms || body.Size() + r.id.size() + r.name.size() + r.address.size() + 30 > budget) break;
        body.Text(r.id).Text(r.name).Text(r.address).Int(r.here).Int(r.tables).Int(r.players);
        ++n;
    }
    Bytes msg = Writer(kRooms).Int(n).Take();
    const Bytes rest = body.Take();
    msg.insert(msg.end(), rest.begin() + 1, rest.end());
    return msg;
}

Bytes Bans(const std::vector<Sanction>& list, std::size_t budget) {
    Writer w(kBans);
    std::vector<const Sanction*> kept;
    for (const auto& s : list) {
        if (w.Size() + s.action.size() + s.target.size() + s.actor.size() + s.reason.size() + 20 > budget) break;
        kept.push_back(&s);
    }
    w.Int(static_cast<std::int64_t>(kept.size()));
    for (const auto* s : kept) w.Text(s->action).Text(s->target).Int(s->until).Text(s->actor).Text(s->reason);
    return w.Take();
}

std::optional<Event> ParseEvent(const Bytes& m) {
    if (m.empty()) return std::nullopt;
    Event e;
    e.type = static_cast<Type>(m[0]);
    Reader in(m);
    bool ok = false;
    int n = 0;
    switch (e.type) {
        case kWelcome:
            ok = in.Int(e.version) && in.Raw(e.text, kMaxText) && in.Bool(e.flag);
            break;
        case kAnswer:
            ok = in.Int(e.request) && in.Int(e.code) && in.Raw(e.text, kMaxText);
            break;
        case kYou:
            ok = in.Name(e.name) && in.Bool(e.flag) && in.Bool(e.admin);
            break;
        case kTables:
            ok = in.Bool(e.flag) && in.Int(n) && n >= 0 && n <= 65536;
            for (int i = 0; ok && i < n; ++i) ok = in.Table(e.tables.emplace_back());
            break;
        case kTable:
            ok = in.Table(e.tables.emplace_back());
            break;
        case kUsers:
            ok = in.Bool(e.flag) && in.Int(n) && n >= 0 && n <= 65536;
            for (int i = 0; ok && i < n; ++i) {
                auto& u = e.users.emplace_back();
                int points = 0;
                ok = in.Name(u.name) && in.Int(points) && in.Raw(u.title, kMaxName);
                u.points = points;
            }
            break;
        case kUser: {
            auto& u = e.users.emplace_back();
            int points = 0;
            ok = in.Name(u.name) && in.Int(points) && in.Raw(u.title, kMaxName) && in.Bool(e.flag);
            u.points = points;
            break;
        }
        case kChatLine:
            ok = in.Raw(e.name, kMaxName) && in.Text(e.text, kMaxChat);
            break;
        case kSeat:
            ok = in.Int(e.table) && e.table >= 1 && in.Raw(e.ticket, kMaxTicket) && in.Raw(e.watched, kMaxName);
            break;
        case kNotice:
            ok = in.Raw(e.text, kMaxText);
            break;
        case kBans:
            ok = in.Int(n) && n >= 0 && n <= 65536;
            for (int i = 0; ok && i < n; ++i) {
                auto& s = e.sanctions.emplace_back();
                int until = 0;
                ok = in.Raw(s.action, 16) && in.Name(s.target) && in.Int(until) && in.Raw(s.actor, kMaxName) &&
                     in.Raw(s.reason, kMaxReason);
                s.until = static_cast<std::uint32_t>(until);
            }
            break;
        case kRooms:
            ok = in.Int(n) && n >= 0 && n <= kMaxRooms;
            for (int i = 0; ok && i < n; ++i) {
                auto& r = e.rooms.emplace_back();
                ok = in.Text(r.id, kMaxRoomId) && in.Text(r.name, kMaxRoomId) && in.Text(r.address, kMaxAddress) &&
                     in.Bool(r.here) && in.Int(r.tables) && r.tables >= 0 && in.Int(r.players) && r.players >= 0;
            }
            break;
        default:
            return std::nullopt;
    }
    if (!ok || !in.End()) return std::nullopt;
    return e;
}

bool KnownEvent(std::uint8_t type) { return type >= kWelcome && type <= kRooms; }

}  // namespace LobbyMessages
