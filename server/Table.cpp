#include "server/Table.h"

#include <algorithm>
#include <ctime>

#include "core/ChatFields.h"
#include "core/ChatLine.h"
#include "core/GbkText.h"
#include "core/LeadingNumber.h"
#include "core/modGameMsgDefine.h"
#include "core/modPublicTools.h"
#include "server/MapStore.h"
#include "server/Scoring.h"
#include "server/ServerLog.h"
#include "server/ServerOptions.h"
#include "server/StoreWorker.h"

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;
using namespace modDaoJuDefine;

namespace {

constexpr int kSeats = GameSize::kSeatCount;

// The first `limit` characters of a UTF-8 text.
std::string FirstChars(const std::string& text, std::size_t limit) {
    std::size_t chars = 0, i = 0;
    while (i < text.size() && chars < limit) {
        const auto b = static_cast<unsigned char>(text[i]);
        i += b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        ++chars;
    }
    return text.substr(0, std::min(i, text.size()));
}

}  // namespace

Table::Table(TableHost& room, int number) : Table(room, number, room.Clock(), room.Rng()) {}

Table::Table(TableHost& room, int number, TableClock& clock, std::mt19937& rng)
    : room_(room),
      clock_(clock),
      rng_(rng),
      number_(number),
      startTimer_(clock_.MakeTimer()),
      tickTimer_(clock_.MakeTimer()),
      idleTimer_(clock_.MakeTimer()) {}

Table::~Table() = default;

bool Table::Empty() const { return SeatedCount() == 0 && watchers_.empty(); }

bool Table::SeatOpen(int seat) const { return !seats_[seat] && !(round_ && round_->Player(seat).inGame); }

bool Table::HasFreeSeat() const {
    for (int s = 0; s < kSeats; ++s)
        if (SeatOpen(s)) return true;
    return false;
}

int Table::SeatedCount() const {
    return static_cast<int>(std::count_if(seats_.begin(), seats_.end(), [](const UserSession* u) { return u; }));
}

int Table::FindPlayer(const std::string& name) const {
    for (int s = 0; s < kSeats; ++s)
        if (seats_[s] && seats_[s]->name == name) return s;
    return -1;
}

std::vector<UserSession*> Table::Everyone() const {
    std::vector<UserSession*> all;
    for (UserSession* u : seats_)
        if (u) all.push_back(u);
    all.insert(all.end(), watchers_.begin(), watchers_.end());
    return all;
}

// ---- sending --------------------------------------------------------------------------

void Table::SendTo(UserSession& u, const Bytes& message) {
    if (u.conn) u.conn->Send(message);
}

void Table::SendAll(const Bytes& message, const UserSession* except) {
    const SharedFrame frame = MakeFrame(message);
    for (UserSession* u : Everyone())
        if (u != except && u->conn) u->conn->Send(frame);
}

void Table::SendSystemChat(const std::string& text) {
    SendAll(GameMessages::Chat(ChatLine::ToEveryone("系统", text, 0x0000C0)));
}

void Table::Notice(const std::string& text) { SendAll(GameMessages::Notice(text)); }

// ---- arrivals and departures ------------------------------------------------------------

int Table::ChairOf(const UserSession& u) const {
    if (!u.IsWatcher()) return u.seat;
    const int s = FindPlayer(u.watched);
    return s < 0 ? 0 : s;
}

std::vector<std::string> Table::ListRecords() const {
    std::vector<std::string> records;
    for (UserSession* u : Everyone()) records.push_back(u->RecordText(ChairOf(*u)));
    return records;
}

bool Table::HidesFrom(int seat, const UserSession& viewer) const {
    return viewer.IsWatcher() && seat >= 0 && seat < kSeats && seats_[seat] && !seats_[seat]->allowWatch;
}

bool Table::AnyHiddenFrom(const UserSession& viewer) const {
    for (int s = 0; s < kSeats; ++s)
        if (HidesFrom(s, viewer)) return true;
    return false;
}

RoomMessages::TableState Table::StateFor(const UserSession& viewer) const {
    RoomMessages::TableState st;
    st.forWatcher = viewer.IsWatcher();
    const int vs = viewer.IsWatcher() ? FindPlayer(viewer.watched) : viewer.seat;
    st.recipientSeat = static_cast<std::uint8_t>(vs < 0 ? 0 : vs);
    st.watchFlag = (viewer.IsWatcher() && vs >= 0 && !seats_[vs]->allowWatch) ? 0 : 1;
    if (!round_) {
        for (int s = 0; s < kSeats; ++s) st.ready[s] = seats_[s] && seats_[s]->ready;
        st.groups = groups_;
        return st;
    }
    st.running = true;
    for (int s = 0; s < kSeats; ++s) {
        const RoundPlayer& p = round_->Player(s);
        if (!p.inGame || p.escaped) continue;
        RoomMessages::TableStateSeat ts;
        ts.seat = static_cast<std::uint8_t>(s);
        ts.group = p.group;
        ts.out = !p.playing;
        ts.place = p.place;
        ts.removed = p.removed;
        ts.left = p.left;
        if (!HidesFrom(s, viewer)) ts.grid = p.grid;
        st.seats.push_back(ts);
    }
    if (vs >= 0 && round_->Player(vs).inGame) st.counts = round_->Player(vs).counts;
    st.items = round_->Items();
    return st;
}

void Table::Welcome(UserSession& u) {
    SendTo(u, RoomMessages::TableReset());
    SendTo(u, RoomMessages::Identity(u.name, u.IsWatcher() ? u.watched : u.name));
    SendTo(u, RoomMessages::UserList(ListRecords()));
    SendTo(u, RoomMessages::TableStateMsg(StateFor(u)));
    if (u.IsWatcher()) {
        const int s = FindPlayer(u.watched);
        if (s >= 0) SendTo(u, GameMessages::WatchFlag(seats_[s]->allowWatch));
    }
}

bool Table::SeatPlayer(UserSession& u) {
    int seat = -1;
    for (int s = 0; s < kSeats && seat < 0 && round_; ++s)
        if (!seats_[s] && played_[s].name == u.name && round_->Player(s).inGame && !round_->Player(s).escaped) seat = s;
    for (int s = 0; s < kSeats && seat < 0; ++s)
        if (SeatOpen(s)) seat = s;
    if (seat < 0) return false;
    u.table = number_;
    u.seat = seat;
    u.watched.clear();
    u.ready = false;
    u.dropped = false;
    seats_[seat] = &u;
    groups_[seat] = 0;
    if (master_ < 0) master_ = seat;
    SendAll(RoomMessages::PlayerIn(u.RecordText(seat)), &u);
    Welcome(u);
    AskSettings(u);
    WatchIdleSeats();
    return true;
}

bool Table::AddWatcher(UserSession& u, const std::string& watched) {
    if (FindPlayer(watched) < 0 || WatcherCount() >= room_.Options().maxWatchersPerTable) return false;
    u.table = number_;
    u.seat = -1;
    u.watched = watched;
    watchers_.push_back(&u);
    SendAll(RoomMessages::WatcherIn(u.RecordText(ChairOf(u))), &u);
    Welcome(u);
    return true;
}

void Table::Resume(UserSession& u) {
    const bool wasDropped = u.dropped;
    u.dropped = false;
    u.alarmTurns = 0;  // a new table client starts with no shortened turns
    Welcome(u);
    if (!u.IsWatcher() && !round_) {
        AskSettings(u);
        // The new table client counts its start afresh.
        idleSince_[u.seat].reset();
        owedSince_[u.seat].reset();
        WatchIdleSeats();
    }
    if (wasDropped) SendAll(RoomMessages::UserBack(u.name));
    if (round_ && !u.IsWatcher() && round_->Playing(u.seat)) StartTurn(u.seat);
}

void Table::Leave(UserSession& u) {
    const bool playing = !u.IsWatcher() && round_ && round_->Playing(u.seat);
    RemoveUser(u, playing ? "逃跑" : nullptr);
}

void Table::ConnectionLost(UserSession& u) {
    if (!u.IsWatcher() && round_ && round_->Player(u.seat).inGame && !round_->Player(u.seat).escaped) {
        // The seat stays for the game: the player may come back within the grace time.
        u.dropped = true;
        u.droppedAt = clock_.Now();
        SendAll(RoomMessages::UserDropped(u.name));
        return;
    }
    RemoveUser(u, nullptr);
}

void Table::RemoveUser(UserSession& u, const char* escapeReason) {
    if (u.IsWatcher()) {
        watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), &u), watchers_.end());
        SendAll(RoomMessages::WatcherGone(u.name), &u);
        room_.Release(u);
    } else {
        const int seat = u.seat;
        if (escapeReason && round_ && round_->Playing(seat)) {
            round_->Escape(seat);
            SendAll(GameMessages::PlayerQuit(static_cast<std::uint8_t>(seat), escapeReason), &u);
        }
        SendAll(RoomMessages::UserLeave(u.name), &u);
        seats_[seat] = nullptr;
        if (master_ == seat) {
            master_ = -1;
            for (int s = 0; s < kSeats && master_ < 0; ++s)
                if (seats_[s]) master_ = s;
            if (master_ >= 0 && !settings_ && !round_) AskSettings(*seats_[master_]);
        }
        std::vector<UserSession*> orphans;
        for (UserSession* w : watchers_)
            if (w->watched == u.name) orphans.push_back(w);
        room_.Release(u);
        for (UserSession* w : orphans) Retarget(*w);
        if (round_) CheckEnd();
        else CheckStart();
    }
    if (Empty()) {
        settings_.reset();
        master_ = -1;
        groups_.fill(0);
        nextMap_ = 0;
        room_.TableEmptied(number_);
    }
}

void Table::Retarget(UserSession& w) {
    int s = 0;
    while (s < kSeats && !seats_[s]) ++s;
    if (s == kSeats) {
        SendTo(w, GameMessages::Notice("你旁观的玩家已经离开本桌。"));
        RemoveUser(w, nullptr);
        return;
    }
    SendAll(RoomMessages::WatcherGone(w.name), &w);
    w.watched = seats_[s]->name;
    SendAll(RoomMessages::WatcherIn(w.RecordText(s)), &w);
    Welcome(w);
}

// ---- settings and readiness -------------------------------------------------------------

void Table::AskSettings(UserSession& u) {
    if (u.IsWatcher() || master_ < 0) return;
    RoomMessages::GameSetAsk a;
    a.table = number_;
    a.recipient = u.name;
    a.master = seats_[master_]->name;
    a.isMaster = u.seat == master_;
    a.seated = SeatedCount();
    a.masterDecided = settings_.has_value();
    a.settings = settings_ ? *settings_ : room_.Options().defaultSettings;
    SendTo(u, RoomMessages::GameSetAskMsg(a));
}

void Table::OnSettingsConfirm(UserSession& u, const Bytes& m) {
    if (u.seat != master_ || settings_ || round_) return;
    const auto f = RoomMessages::RequestFields(m);
    const GameSettings& bounds = room_.Options().defaultSettings;
    std::optional<GameSettings> s;
    if (f.size() == 8) s = GameSettings::FromText(modPublicTools::JoinFields(f, 1));
    // The master's numbers must lie within the server's own bounds; the bounds the
    // client sends back are not taken.
    if (!s || s->playerCount < 2 || s->playerCount > kSeats || s->baseScore < bounds.minBaseScore ||
        s->baseScore > bounds.maxBaseScore || s->deduction < bounds.minDeduction ||
        s->deduction > bounds.maxDeduction) {
        SendTo(u, GameMessages::Notice("本桌游戏设置的数值超出了允许的范围，请重新设置！"));
        AskSettings(u);
        return;
    }
    GameSettings chosen = bounds;
    chosen.playerCount = s->playerCount;
    chosen.baseScore = s->baseScore;
    chosen.deduction = s->deduction;
    settings_ = chosen;
    u.ready = true;
    const Bytes withSettings = RoomMessages::GameSetAgreeMsg(0, u.name, &chosen);
    const Bytes nameOnly = RoomMessages::GameSetAgreeMsg(0, u.name, nullptr);
    for (UserSession* v : Everyone()) SendTo(*v, (v == &u || v->IsWatcher()) ? nameOnly : withSettings);
    CheckStart();
}

void Table::OnAgree(UserSession& u) {
    if (round_) return;
    if (!settings_) {
        AskSettings(u);  // the start button before the master decided: wait for the master
        return;
    }
    if (!u.ready) RaiseHand(u, true);
}

void Table::OnReady(UserSession& u) {
    if (round_) return;
    if (!settings_) {
        AskSettings(u);
        return;
    }
    if (!u.ready) RaiseHand(u, false);
}

void Table::RaiseHand(UserSession& u, bool byAgreement) {
    u.ready = true;
    SendAll(byAgreement ? RoomMessages::GameSetAgreeMsg(1, u.name, nullptr)
                        : GameMessages::Ready(static_cast<std::uint8_t>(u.seat)));
    CheckStart();
}

bool Table::CanStart() const {
    if (round_ || !settings_ || unshownResults_ > 0) return false;
    int n = 0;
    for (const UserSession* u : seats_) {
        if (!u) continue;
        if (!u->ready || u->dropped || !u->conn) return false;
        ++n;
    }
    return n >= std::max(2, settings_->playerCount);
}

void Table::CheckStart() {
    WatchIdleSeats();
    if (starting_ || !CanStart()) return;
    starting_ = true;
    Arm(*startTimer_, room_.Options().startPause, &Table::StartGame);
}

void Table::Arm(TableTimer& timer, std::chrono::milliseconds delay, void (Table::*step)()) {
    timer.Arm(delay, [this, step] { (this->*step)(); });
}

void Table::StartGame() {
    starting_ = false;
    if (!CanStart()) return;
    if (!room_.Records().Accepting()) {
        // The database has not taken the games before: a new one would have nowhere to go.
        if (!heldBack_) SendSystemChat("记录服务器暂时无法保存成绩，新的一局要等它恢复后才能开始。");
        heldBack_ = true;
        starting_ = true;
        Arm(*startTimer_, std::chrono::seconds(2), &Table::StartGame);
        return;
    }
    heldBack_ = false;
    const ServerOptions& opt = room_.Options();
    int used = 0;
    const TileGridT layout = room_.Maps().Pick(nextMap_, rng_, used);
    nextMap_ = 0;
    mapUsed_ = used;
    BoardDealer dealer(rng_);
    const TileGridT board = dealer.Deal(layout);
    std::array<bool, kSeats> seated{};
    std::array<std::int64_t, kSeats> points{};
    for (int s = 0; s < kSeats; ++s)
        if (seats_[s]) {
            seated[s] = true;
            points[s] = seats_[s]->stats.score;
            seats_[s]->ready = false;
        }
    round_ = std::make_unique<GameRound>(seated, groups_, points, board, opt.items, opt.comboWindow, rng_);
    for (int s = 0; s < kSeats; ++s)
        played_[s] = seats_[s] ? Participant{seats_[s]->stats.id, seats_[s]->name, seats_[s]->guest} : Participant{};
    WatchIdleSeats();  // nobody owes an answer during a game
    ++gameNo_;
    std::string players;
    for (int s = 0; s < kSeats; ++s)
        if (seated[s]) players += (players.empty() ? "" : ", ") + seats_[s]->name;
    ServerLog("table %d: game %u starts with %s", number_, gameNo_, players.c_str());

    GameMessages::StartInfo info;
    info.gameNo = gameNo_;
    info.mapNo = static_cast<std::uint8_t>(used);
    info.groups = groups_;
    info.board = board;
    info.items = opt.items;
    for (UserSession* u : Everyone()) {
        if (u->IsWatcher() && AnyHiddenFrom(*u)) {
            SendTo(*u, RoomMessages::TableStateMsg(StateFor(*u)));  // the hidden boards stay empty
            continue;
        }
        info.recipientSeat = static_cast<std::uint8_t>(ChairOf(*u));
        SendTo(*u, GameMessages::Start(info));
    }
    for (int s = 0; s < kSeats; ++s)
        if (seated[s]) StartTurn(s);
    ArmTick();
}

// ---- the game ---------------------------------------------------------------------------

void Table::StartTurn(int seat) {
    UserSession* u = seats_[seat];
    if (!u) return;
    const ServerOptions& opt = room_.Options();
    auto turn = opt.turnTime;
    if (u->alarmTurns > 0) {
        --u->alarmTurns;
        turn = opt.alarmTurnTime;
    }
    deadline_[seat] = clock_.Now() + turn + opt.turnGrace;
}

void Table::ExtendTurn(int seat) {
    const ServerOptions& opt = room_.Options();
    deadline_[seat] = std::max(deadline_[seat], clock_.Now() + opt.turnTime + opt.turnGrace);
}

void Table::ArmTick() { Arm(*tickTimer_, room_.Options().tick, &Table::Tick); }

void Table::Tick() {
    if (!round_) return;
    const auto now = clock_.Now();
    for (int s = 0; s < kSeats && round_; ++s) {
        UserSession* u = seats_[s];
        if (!u || !round_->Playing(s)) continue;
        if (u->dropped) {
            if (now - u->droppedAt >= room_.Options().dropGrace) RemoveUser(*u, "掉线");
        } else if (now >= deadline_[s]) {
            PlaceOut(s);  // a silent client: its turn is over
        }
    }
    if (round_) ArmTick();
}

void Table::OnRemove(UserSession& u, const Bytes& m) {
    std::uint8_t claimedSeat = 0;
    LinkPath path;
    if (!round_ || !GameMessages::ParseRemoveRequest(m, claimedSeat, path)) return;
    const int seat = u.seat;  // the seat is the connection's own, never the byte sent
    GameRound::Removal r;
    if (!round_->Remove(seat, path.First(), path.Last(), clock_.Now(), r)) return;
    GameMessages::RemoveInfo info;
    info.seat = static_cast<std::uint8_t>(seat);
    info.comboA = r.comboA;
    info.comboB = r.comboB;
    info.counts = round_->Player(seat).counts;
    info.path = r.path;
    SendAll(GameMessages::RemoveBroadcast(info));
    if (r.cleared) Finished(seat);
    else StartTurn(seat);
}

void Table::OnTimeOutRequest(UserSession& u) {
    if (round_) PlaceOut(u.seat);
}

void Table::PlaceOut(int seat) {
    const std::uint8_t place = round_->TimeOut(seat);
    if (place == 0) return;
    SendAll(GameMessages::TimeOut(static_cast<std::uint8_t>(seat), place));
    CheckEnd();
}

void Table::Finished(int seat) {
    // Every client, spectators too, marks the seat finished with its place at once.
    SendAll(GameMessages::Finish(static_cast<std::uint8_t>(seat), round_->Player(seat).place));
    SendSystemChat(seats_[seat]->name + " 消除了全部方块，获得第" + std::to_string(round_->Player(seat).place) +
                   "名！");
    CheckEnd();
}

void Table::OnItem(UserSession& u, const Bytes& m) {
    GameMessages::ItemRequest req;
    if (!GameMessages::ParseItemRequest(m, req)) return;
    const auto seat = static_cast<std::uint8_t>(u.seat);
    if (req.item == GameMessages::kGroupChange) {
        if (round_ || req.value >= GameSize::kGroupCount) return;  // groups change only between games
        groups_[seat] = req.value;
        SendAll(GameMessages::GroupDone(seat, req.value));
        return;
    }
    if (req.item == DJ_DITU) {
        if (round_ || room_.Options().items[DJ_DITU].bteFreeCount == 0 || !room_.Maps().Choosable(req.value)) return;
        // The choice is told to the table as a chat line: it spends the chooser's chat budget.
        if (!u.TakeChatLine(clock_.Now(), room_.Options().chatPerMinute)) return;
        nextMap_ = req.value;
        SendAll(GameMessages::MapDone(seat, req.value));
        // The map's title as the map dialog lists it; the number when the title file has none.
        std::string title = room_.Maps().Title(req.value);
        if (title.empty()) title = req.value ? "第" + std::to_string(req.value) + "号地图" : std::string("随机地图");
        SendSystemChat(u.name + " 选择了下一局的地图：" + title);
        return;
    }
    if (round_) OnGameItem(u, req);
}

void Table::OnGameItem(UserSession& u, const GameMessages::ItemRequest& req) {
    const int seat = u.seat;
    GameRound::ItemUse use;
    if (!round_->UseItem(seat, req, use)) return;  // refused: nothing is broadcast
    const auto s = static_cast<std::uint8_t>(seat);
    const TileGridT none{};
    // A board change goes to spectators without the tiles of a player who hides them.
    auto sendGrid = [&](int shownSeat, const Bytes& full, const Bytes& hidden, bool refreshHidden) {
        const SharedFrame fullFrame = MakeFrame(full), hiddenFrame = MakeFrame(hidden);
        for (UserSession* v : Everyone()) {
            if (!v->conn) continue;
            const bool hide = HidesFrom(shownSeat, *v);
            v->conn->Send(hide ? hiddenFrame : fullFrame);
            if (hide && refreshHidden) SendTo(*v, RoomMessages::TableStateMsg(StateFor(*v)));
        }
    };
    switch (use.item) {
        case DJ_ZHINANZHEN:
            SendAll(GameMessages::CompassDone(s, use.count));
            break;
        case DJ_CHONGLIE: {
            const TileGridT& grid = round_->Player(seat).grid;
            sendGrid(seat, GameMessages::RearrangeDone(s, use.count, grid),
                     GameMessages::RearrangeDone(s, use.count, none), false);
            ExtendTurn(seat);
            break;
        }
        case DJ_NAOZHONG:
            if (seats_[use.target]) seats_[use.target]->alarmTurns += 5;
            [[fallthrough]];
        case DJ_JINSHOU:
        case DJ_MENGYAN:
            SendAll(GameMessages::TargetDone(use.item, s, use.target, use.count));
            break;
        case DJ_ZHADAN:
            SendAll(GameMessages::BombDone(s, use.count, use.path));
            if (use.cleared) Finished(seat);
            else ExtendTurn(seat);
            break;
        case DJ_JINGZI:
        case DJ_ZHANGAI: {
            const TileGridT& grid = round_->Player(use.target).grid;
            sendGrid(use.target, GameMessages::GridTargetDone(use.item, s, use.target, use.count, grid),
                     GameMessages::GridTargetDone(use.item, s, use.target, use.count, none), use.item == DJ_ZHANGAI);
            break;
        }
        default:
            break;
    }
}

void Table::OnChat(UserSession& u, const Bytes& m) {
    using namespace ChatFields;
    std::vector<std::string> f;
    if (!GameMessages::ParseChatRequest(m, f)) return;
    if (!u.TakeChatLine(clock_.Now(), room_.Options().chatPerMinute)) return;  // too many lines: this one is dropped
    if (const auto refusal = room_.ChatRefusal(u.name); !refusal.empty()) {    // muted: told, nobody else hears it
        SendTo(u, GameMessages::Chat(ChatLine::ToEveryone("系统", refusal, 0x0000C0)));
        return;
    }
    for (int i = 0; i < kFieldCount; ++i) f[i] = FirstChars(f[i], i == kText ? kMaxTextChars : 64);
    f[kSender] = u.name;
    const Bytes line = GameMessages::Chat(f);
    const bool privately = f[kPrivate] == "1" && f[kTarget] != kEveryone;
    const SharedFrame frame = MakeFrame(line);
    for (UserSession* v : Everyone())
        if (v->conn && (v == &u || ((!privately || v->name == f[kTarget]) && !room_.Ignores(v->name, u.name))))
            v->conn->Send(frame);
}

void Table::OnWatchChange(UserSession& u, const Bytes& m) {
    const auto f = RoomMessages::RequestFields(m);
    if (f.size() != 2) return;
    const bool allow = LeadingNumber::Long(f[1]) > 0;
    if (allow == u.allowWatch) return;
    u.allowWatch = allow;
    for (UserSession* w : watchers_)
        if (w->watched == u.name) SendTo(*w, GameMessages::WatchFlag(allow));
    if (round_) ResendWatcherStates();
}

void Table::ResendWatcherStates() {
    for (UserSession* w : watchers_) SendTo(*w, RoomMessages::TableStateMsg(StateFor(*w)));
}

void Table::CheckEnd() {
    if (round_ && round_->Over()) EndGame();
}

void Table::EndGame() {
    round_->FinishLast();
    tickTimer_->Cancel();
    // Every player who played is scored: a place once given stays, also for a player who
    // has left the table since, and a runaway pays the deduction.
    std::vector<Scoring::Entry> entries;
    for (int s = 0; s < kSeats; ++s) {
        const RoundPlayer& p = round_->Player(s);
        if (p.inGame) entries.push_back({s, p.place, p.group, p.escaped});
    }
    const auto results = Scoring::Score(entries, settings_->baseScore, settings_->deduction);

    std::vector<GameMessages::EndRecord> records;
    GameRecord stored;
    stored.table = number_;
    stored.mapNo = mapUsed_;
    stored.ended = static_cast<std::int64_t>(std::time(nullptr));
    std::vector<UserSession*> present;
    std::string outcome;
    for (const auto& r : results) {
        const RoundPlayer& p = round_->Player(r.seat);
        const Participant& who = played_[r.seat];
        const auto points = r.score - static_cast<std::int32_t>(p.pointsAtStart - p.pointsLeft);  // less items paid for
        stored.results.push_back({who.guest ? std::string() : who.name, r.seat, r.place, points, r.outcome});
        outcome += (outcome.empty() ? "" : ", ") + who.name + " place " + std::to_string(r.place) + " " +
                   std::to_string(points) + (r.outcome == Scoring::Outcome::Escape ? " (escaped)" : "");
        // The account's record in the room, wherever it is now, counts the game too.
        UserSession* u = seats_[r.seat] && seats_[r.seat]->name == who.name ? seats_[r.seat] : nullptr;
        if (u) u->stats.Apply(points, r.outcome);
        else room_.CountGame(who.name, points, r.outcome);
        if (r.outcome == Scoring::Outcome::Escape || !u) continue;
        records.push_back({static_cast<std::uint8_t>(r.seat), r.place, r.score});
        present.push_back(u);
    }
    ServerLog("table %d: game %u ends: %s", number_, gameNo_, outcome.c_str());
    // The players are shown the results once they are safe: stored, or in the spill file.
    std::vector<Bytes> shown{GameMessages::End(records)};
    for (UserSession* u : present) shown.push_back(RoomMessages::UserUpdate(u->UpdateText()));
    ++unshownResults_;
    room_.Records().SaveGame(std::move(stored),
                             clock_.Confined([this, alive = std::weak_ptr<bool>(alive_), shown = std::move(shown)] {
                                 const auto live = alive.lock();
                                 if (!live || !*live) return;
                                 --unshownResults_;
                                 for (const Bytes& m : shown) SendAll(m);
                                 // Players still away at the end leave after the results, as the table saw it.
                                 for (int s = 0; s < kSeats; ++s)
                                     if (seats_[s] && seats_[s]->dropped && !round_) RemoveUser(*seats_[s], nullptr);
                                 WatchIdleSeats();
                                 CheckStart();
                             }));

    round_.reset();
    played_.fill({});
}

// ---- seats that hold the table up ------------------------------------------------------

bool Table::OwesAnswer(int seat) const {
    const UserSession* u = seats_[seat];
    if (!u || u->ready || round_) return false;
    bool company = false, othersReady = false;
    for (int s = 0; s < kSeats; ++s)
        if (s != seat && seats_[s]) {
            company = true;
            othersReady = othersReady || seats_[s]->ready;
        }
    // Somebody waits for this player's start (its table client counts down then), or the
    // master has not set the table while others wait (its settings dialog counts down).
    return othersReady || (seat == master_ && !settings_ && company);
}

std::optional<Table::TimePoint> Table::IdleDeadline(int seat) const {
    const ServerOptions& opt = room_.Options();
    std::optional<TimePoint> due;
    if (owedSince_[seat]) due = *owedSince_[seat] + opt.readyTime + opt.readyGrace;
    if (idleSince_[seat] && seats_[seat] && seats_[seat]->guest) {
        const auto idle = *idleSince_[seat] + opt.idleTime;
        due = due ? std::min(*due, idle) : idle;
    }
    return due;
}

void Table::WatchIdleSeats() {
    const auto now = clock_.Now();
    std::optional<TimePoint> next;
    for (int s = 0; s < kSeats; ++s) {
        const UserSession* u = seats_[s];
        if (u && !u->ready && !round_) {
            if (!idleSince_[s]) idleSince_[s] = now;
        } else {
            idleSince_[s].reset();
        }
        if (!OwesAnswer(s)) owedSince_[s].reset();
        else if (!owedSince_[s]) owedSince_[s] = now;
        if (const auto due = IdleDeadline(s)) next = next ? std::min(*next, *due) : *due;
    }
    if (!next) {
        idleTimer_->Cancel();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now);
    Arm(*idleTimer_, std::max(wait, std::chrono::milliseconds(1)), &Table::DismissIdleSeats);
}

void Table::DismissIdleSeats() {
    const auto now = clock_.Now();
    for (int s = 0; s < kSeats; ++s) {
        const auto due = IdleDeadline(s);
        if (!seats_[s] || !due || *due > now) continue;
        SendTo(*seats_[s], GameMessages::Notice("你没有及时开始游戏，已经离开本桌。"));
        RemoveUser(*seats_[s], nullptr);
    }
    WatchIdleSeats();
}

// ---- dispatch ---------------------------------------------------------------------------

void Table::OnMessage(UserSession& u, const Bytes& m) {
    if (m.empty()) return;
    const std::uint8_t sub = m.size() > 1 ? m[1] : 0;
    switch (m[0]) {
        case GAMEMSG_CHAT:
            OnChat(u, m);
            return;
        case ROOMMSG_USERLEAVE:
            if (sub == 0) Leave(u);
            return;
        default:
            break;
    }
    if (u.IsWatcher()) return;  // everything below is a player's
    switch (m[0]) {
        case GAMEMSG_READY:
            if (m.size() == 2) OnReady(u);
            break;
        case GAMEMSG_REMOVE:
            OnRemove(u, m);
            break;
        case GAMEMSG_TIMEOUT:
            if (m.size() == 4) OnTimeOutRequest(u);
            break;
        case GAMEMSG_WATCH:
            if (sub == 1) OnWatchChange(u, m);
            break;
        case GAMEMSG_ITEM:
            OnItem(u, m);
            break;
        case ROOMMSG_GAMESETAGREE:
            if (sub == 0) OnSettingsConfirm(u, m);
            else if (sub == 1) OnAgree(u);
            break;
        default:
            break;  // anything else, a second login too, is ignored
    }
}

std::string Table::Describe() const {
    std::string d = "table " + std::to_string(number_) + ":";
    for (int s = 0; s < kSeats; ++s)
        if (seats_[s])
            d += " [" + std::to_string(s) + "] " + seats_[s]->name + (seats_[s]->dropped ? " (dropped)" : "");
    d += ", " + std::to_string(watchers_.size()) + " watching, " + (round_ ? "game running" : "no game");
    return d;
}

LobbyMessages::TableView Table::View() const {
    LobbyMessages::TableView v;
    v.number = number_;
    v.running = round_ != nullptr;
    for (int seat = 0; seat < GameSize::kSeatCount; ++seat) {
        const UserSession* u = seats_[seat];
        if (!u) continue;
        auto& s = v.seats[static_cast<std::size_t>(seat)];
        s.name = u->name;
        s.ready = u->ready;
        s.dropped = u->dropped;
        s.playing = round_ && round_->Playing(seat);
    }
    for (const UserSession* w : watchers_) v.spectators.push_back(w->name);
    return v;
}
