#include "bot/BotPlayer.h"

#include <algorithm>
#include <ctime>

#include "core/BroadcastParsers.h"
#include "core/ChatLine.h"
#include "core/GameMessages.h"
#include "core/ProgramLog.h"
#include "core/RoomMessages.h"
#include "core/Ticket.h"

using namespace modDaoJuDefine;
using Event = TableFollower::Event;

namespace {

constexpr double kHintAfter = 4.0;                                // a pair not seen for this long calls for the compass
constexpr double kEffectSeconds = 5.0;                            // freeze and black fog
constexpr double kEndPause = 3.0;                                 // the boards stay after the results
constexpr double kNoAnswerSeconds = 3.0;                          // a request the server did not confirm is made again
constexpr std::int64_t kTicketSeconds = std::int64_t{12} * 3600;  // a ticket is good for twelve hours

const char* ItemName(int item) {
    static const char* kNames[] = {"compass",   "rearrange", "freeze",   "alarm", "bomb",
                                   "blindfold", "mirror",    "obstacle", "map"};
    return item >= 0 && item < kItemCount ? kNames[item] : "group";
}

}  // namespace

BotPlayer::BotPlayer(asio::io_context& io, BotConfig config, BotTrace& trace)
    : io_(io),
      config_(std::move(config)),
      trace_(trace),
      brain_(config_.strategy, config_.skill, config_.seed),
      alive_(std::make_shared<bool>(true)),
      turnLength_(config_.turnSeconds) {}

BotPlayer::~BotPlayer() {
    *alive_ = false;
    try {
        CancelTimers();
        if (conn_) conn_->Close();
    } catch (...) {
        // A timer that cannot be cancelled any more is gone with its io_context.
    }
}

// ---- connection -------------------------------------------------------------------------

void BotPlayer::Start() {
    stopped_ = false;
    Connect();
}

void BotPlayer::Attach(std::function<void(const Bytes&)> send) { sendHook_ = std::move(send); }

void BotPlayer::Receive(const Bytes& message) {
    if (finished_) return;
    const TableFollower::Happening h = follower_.Apply(message);
    React(h);
}

void BotPlayer::Connect() {
    ++gen_;
    follower_ = TableFollower();
    Ticket::SeatTicket t;
    t.table = config_.table;
    t.name = config_.name;
    t.watched = config_.watched;
    t.expiry = static_cast<std::int64_t>(std::time(nullptr)) + kTicketSeconds;
    const std::string ticket = Ticket::Make(t, config_.secret ? &*config_.secret : nullptr);
    conn_ = std::make_shared<BotConnection>(io_, config_.tls.get());
    std::weak_ptr<bool> alive = alive_;
    conn_->Open(
        config_.host, config_.port, ticket, RoomMessages::Login(true),
        [this, alive](const Bytes& m) {
            if (alive.lock()) Receive(m);
        },
        [this, alive](const std::string& why) {
            if (alive.lock()) OnClosed(why);
        });
}

void BotPlayer::Stop() {
    stopped_ = true;
    Finish("stopped", false);
}

void BotPlayer::OnClosed(const std::string& why) {
    Trace("closed", {{"why", why}});
    ProgramLog::Write("tilelink-bot", ProgramLog::Level::Debug, "%s: the connection closed (%s)", config_.name.c_str(),
                      why.c_str());
    if (stopped_ || finished_ || leaving_) return;
    if (config_.reconnect) {
        ++gen_;
        CancelTimers();
        follower_ = TableFollower();
        awaiting_ = Awaiting::Nothing;
        // Tried again after a person's pause (a tenth of a second at the least).
        After(std::max(0.1, Paced(brain_.Uniform(1.0, 3.0))), false, [this] { Connect(); });
        return;
    }
    Finish(why, true);
}

void BotPlayer::Finish(const std::string& why, bool lost) {
    if (finished_) return;
    finished_ = true;
    lost_ = lost;
    ++gen_;
    CancelTimers();
    if (conn_ && !leaving_) conn_->Close();
    Trace("finished", {{"why", why}});
    ProgramLog::Write("tilelink-bot", ProgramLog::Level::Debug, "%s leaves: %s", config_.name.c_str(), why.c_str());
    if (onFinished) onFinished(*this);
}

void BotPlayer::Leave(const std::string& why) {
    if (finished_) return;
    Send(RoomMessages::LeaveRequest(follower_.CurUserName().empty() ? config_.name : follower_.CurUserName()));
    Trace("leave", {{"why", why}});
    leaving_ = true;
    if (conn_) conn_->CloseAfterFlush();
    Finish(why, false);
}

void BotPlayer::Send(const Bytes& message) {
    if (finished_ || message.empty()) return;
    if (sendHook_) sendHook_(message);
    else if (conn_) conn_->Send(message);
}

void BotPlayer::Trace(const std::string& event, const BotTrace::Fields& fields) {
    trace_.Write(config_.name, event, fields);
}

// ---- timing -----------------------------------------------------------------------------

void BotPlayer::After(double seconds, bool turnStep, std::function<void()> fn) {
    if (finished_) return;
    auto timer = std::make_shared<asio::steady_timer>(io_);
    timer->expires_after(std::chrono::microseconds(static_cast<long long>(std::max(0.0, seconds) * 1e6)));
    timers_.insert(timer);
    std::weak_ptr<bool> alive = alive_;
    const unsigned gen = gen_, turn = turnGen_;
    timer->async_wait([this, alive, timer, gen, turn, turnStep, fn = std::move(fn)](std::error_code ec) {
        if (!alive.lock()) return;
        timers_.erase(timer);
        if (ec || finished_ || gen != gen_ || (turnStep && turn != turnGen_)) return;
        fn();
    });
}

void BotPlayer::CancelTimers() {
    for (const auto& t : timers_) t->cancel();
    timers_.clear();
    if (clockTimer_) clockTimer_->cancel();
    clockTimer_.reset();
}

// ---- the table --------------------------------------------------------------------------

void BotPlayer::React(const TableFollower::Happening& h) {
    switch (h.kind) {
        case Event::SeatsLoaded:
            if (OwnSeat() >= 0) {
                Trace("login", {{"seat", std::to_string(OwnSeat())}, {"watcher", follower_.IsWatcher() ? "1" : "0"}});
                if (onSeated) onSeated(*this, OwnSeat());
            }
            break;
        case Event::SettingsMaster:
            OnSettings(h, true);
            break;
        case Event::SettingsShown:
            OnSettings(h, false);
            break;
        case Event::SettingsWait:
            waitingMaster_ = true;
            break;
        case Event::StartButton:
            ArmStart(Paced(brain_.PauseFor(BotBrain::Pause::Ready)));
            break;
        case Event::Snapshot:
            Trace("snapshot", {{"running", h.running ? "1" : "0"}});
            if (h.running) {
                if (follower_.Playing()) StartTurnClock();
                BeginTurn();
            } else if (follower_.ShowStart()) {
                ArmStart(Paced(brain_.PauseFor(BotBrain::Pause::Ready)));
            }
            break;
        case Event::GameStart:
            waitingMaster_ = false;
            dialogPending_ = false;
            frozenUntil_ = foggedUntil_ = Clock::time_point{};
            Trace("start", {{"game", std::to_string(follower_.GamesStarted())},
                            {"board", BotTrace::BoardText(follower_.Game().SeatUser[0].TileGrid)}});
            if (follower_.Playing()) {
                StartTurnClock();
                Say(BotBrain::Moment::GameStart);
            }
            BeginTurn();
            break;
        case Event::Removal: {
            const auto& grid = follower_.Game().SeatUser[h.seat].TileGrid;
            Trace("removed", {{"seat", std::to_string(h.seat)},
                              {"path", BotTrace::PathText(h.path)},
                              {"left", std::to_string(follower_.Game().SeatUser[h.seat].bteLeftFkCount)},
                              {"print", BotTrace::BoardPrint(grid)}});
            if (h.seat == OwnSeat() && follower_.Playing()) OnOwnRemoval();
            break;
        }
        case Event::ItemUsed:
            OnItemUsed(h);
            break;
        case Event::GroupChanged:
            Trace("group", {{"seat", std::to_string(h.seat)},
                            {"group", std::to_string(follower_.Game().SeatUser[h.seat].bteFenZu)}});
            break;
        case Event::TimeOut:
            Trace("timeout", {{"seat", std::to_string(h.seat)}, {"place", std::to_string(h.place)}});
            if (h.seat == OwnSeat()) {
                StopTurnClock();
                ++turnGen_;
                awaiting_ = Awaiting::Nothing;
            }
            break;
        case Event::GameEnd:
            OnGameEnd(h);
            break;
        case Event::Notice:
            Trace("notice", {{"text", h.text}});
            break;
        case Event::PlayerQuit:
            Trace("quit", {{"seat", std::to_string(h.seat)}, {"reason", h.text}});
            if (h.seat == OwnSeat() && !follower_.IsWatcher()) Finish("cannot go on: " + h.text, false);
            break;
        case Event::Reset:
            dialogPending_ = waitingMaster_ = false;
            awaiting_ = Awaiting::Nothing;
            ++turnGen_;
            StopTurnClock();
            break;
        default:
            break;
    }
}

void BotPlayer::OnSettings(const TableFollower::Happening& h, bool master) {
    if (follower_.IsWatcher()) return;
    if (!h.settings) {
        // Settings that cannot be shown: the player leaves the table.
        Leave("unreadable table settings");
        return;
    }
    dialogPending_ = true;
    waitingMaster_ = false;
    const GameSettings proposed = *h.settings;
    const double pause = Paced(brain_.PauseFor(master ? BotBrain::Pause::Settings : BotBrain::Pause::Agree));
    After(pause, false, [this, master, proposed] {
        dialogPending_ = false;
        if (follower_.GameRunning()) return;
        const std::string& name = follower_.CurUserName();
        if (master) {
            const GameSettings s = brain_.ChooseSettings(proposed, config_.players);
            Send(RoomMessages::GameSetConfirm(name, s));
            Trace("settings", {{"values", s.ToText()}});
        } else {
            Send(RoomMessages::GameSetAccept(name));
            Trace("agree");
        }
    });
}

void BotPlayer::ArmStart(double seconds) {
    After(seconds, false, [this] { PressStart(); });
}

void BotPlayer::PressStart() {
    // The hand goes up by the start button only when nothing else raises it: a settings
    // answer on its way does, and before the master has decided the press is not taken.
    const int seat = OwnSeat();
    if (follower_.IsWatcher() || follower_.GameRunning() || !follower_.ShowStart() || seat < 0) return;
    if (dialogPending_ || waitingMaster_ || follower_.Game().SeatUser[seat].blnReady) return;
    const bool known = follower_.GameSetKnown();
    Send(follower_.PressStart());
    Trace("ready", {{"by", known ? "start" : "agree"}});
}

void BotPlayer::OnGameEnd(const TableFollower::Happening& h) {
    StopTurnClock();
    ++turnGen_;
    awaiting_ = Awaiting::Nothing;
    ++gamesEnded_;
    std::string results;
    int ownPlace = 0;
    for (const auto& r : h.results) {
        if (!results.empty()) results += ";";
        results += std::to_string(r.seat) + ":" + std::to_string(r.place) + ":" + std::to_string(r.score);
        if (r.seat == OwnSeat()) ownPlace = r.place;
    }
    Trace("end", {{"game", std::to_string(gamesEnded_)}, {"results", results}});
    if (follower_.IsWatcher()) {
        if (config_.games > 0 && gamesEnded_ >= config_.games) Leave("games played");
        return;
    }
    if (ownPlace > 0) Say(ownPlace == 1 ? BotBrain::Moment::Won : BotBrain::Moment::Lost);
    if (config_.games > 0 && gamesEnded_ >= config_.games) {
        Leave("games played");
        return;
    }
    // The results stay on the boards for a moment; then, now and then, another group,
    // and the start button.
    const double shown = Paced(kEndPause);
    const int current = OwnSeat() >= 0 ? Me().bteFenZu : 0;
    if (const auto group = brain_.ChooseGroupChange(current)) {
        After(shown + Paced(brain_.PauseFor(BotBrain::Pause::Group)), false, [this, g = *group] {
            if (follower_.GameRunning() || OwnSeat() < 0) return;
            GameMessages::ItemRequest req;
            req.item = GameMessages::kGroupChange;
            req.seat = static_cast<std::uint8_t>(OwnSeat());
            req.value = static_cast<std::uint8_t>(g);
            Send(GameMessages::ItemRequestMsg(req));
            Trace("group-send", {{"group", std::to_string(g)}});
        });
    }
    ArmStart(shown + Paced(brain_.PauseFor(BotBrain::Pause::Ready)) + Paced(brain_.PauseFor(BotBrain::Pause::Group)));
}

void BotPlayer::Say(BotBrain::Moment moment) {
    const auto line = brain_.LineToSay(moment);
    if (!line) return;
    Send(GameMessages::Chat(ChatLine::ToEveryone(follower_.CurUserName(), *line)));
    Trace("chat", {{"text", *line}});
}

// ---- the game ---------------------------------------------------------------------------

bool BotPlayer::OwnBoardHasMove() const {
    LinkPath path;
    return modLinkSearch::FindLinkPair(Me().TileGrid, path);
}

void BotPlayer::StartTurnClock() {
    StopTurnClock();
    const double seconds = follower_.NextTurnSeconds(config_.turnSeconds);
    turnLength_ = seconds;
    clockTimer_ = std::make_shared<asio::steady_timer>(io_);
    clockTimer_->expires_after(std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    std::weak_ptr<bool> alive = alive_;
    const unsigned gen = gen_;
    auto timer = clockTimer_;
    clockTimer_->async_wait([this, alive, gen, timer](std::error_code ec) {
        if (ec || !alive.lock() || finished_ || gen != gen_ || timer != clockTimer_) return;
        clockTimer_.reset();
        // The own clock ran out: report it; the server takes the player out.
        if (!follower_.Playing()) return;
        Send(GameMessages::TimeOutRequest(static_cast<std::uint8_t>(OwnSeat())));
        Trace("timeout-send");
    });
}

void BotPlayer::StopTurnClock() {
    if (clockTimer_) clockTimer_->cancel();
    clockTimer_.reset();
}

void BotPlayer::Await(Awaiting what) {
    awaiting_ = what;
    const unsigned turn = turnGen_;
    // A request the server dropped (the board changed under it) is thought over again.
    After(kNoAnswerSeconds, true, [this, what, turn] {
        if (awaiting_ != what || turn != turnGen_) return;
        BeginTurn();
    });
}

void BotPlayer::BeginTurn() {
    ++turnGen_;
    awaiting_ = Awaiting::Nothing;
    thrownThisTurn_ = false;
    if (!follower_.Playing() || Me().bteLeftFkCount == 0) return;
    if (!brain_.IsHuman()) {
        After(config_.firstStep, true, [this] { Move(); });
        return;
    }
    const bool fogged = Clock::now() < foggedUntil_;
    const BotBrain::TurnPlan plan = brain_.PlanTurn(Me().TileGrid, fogged);
    if (plan.slip) {
        After(Paced(plan.thinkSeconds * 0.4), true, [this, cell = plan.slipCell] {
            Trace("slip", {{"cell", std::to_string(cell.row) + "," + std::to_string(cell.col)}});
        });
    }
    if (plan.slow && plan.thinkSeconds > kHintAfter && MayChooseItem() &&
        BotRules::ItemReady(follower_.Game(), DJ_ZHINANZHEN) && OwnBoardHasMove()) {
        // Stuck for long: the compass shows a pair.
        After(Paced(kHintAfter), true, [this] {
            if (!follower_.Playing() || awaiting_ != Awaiting::Nothing) return;
            SendItem(DJ_ZHINANZHEN, OwnSeat(), nullptr);
            Await(Awaiting::Compass);
        });
        return;
    }
    // However long the pair takes to find, the player sends it well within its turn.
    After(std::min(Paced(plan.thinkSeconds), 0.6 * turnLength_), true, [this] { Move(); });
}

void BotPlayer::Move() {
    if (!follower_.Playing() || awaiting_ != Awaiting::Nothing) return;
    const auto now = Clock::now();
    if (now < frozenUntil_) {
        // Frozen: no tile can be chosen until it wears off.
        const double wait = std::chrono::duration<double>(frozenUntil_ - now).count() + 0.01;
        After(wait, true, [this] { Move(); });
        return;
    }
    LinkPath path;
    if (!modLinkSearch::FindLinkPair(Me().TileGrid, path)) {
        Stuck();
        return;
    }
    if (brain_.IsHuman() && MayChooseItem()) {
        if (!thrownThisTurn_) {
            // Whoever was hit within one item gap is left alone for now.
            BotBrain::Spared spared{};
            for (int s = 0; s < GameSize::kSeatCount; ++s)
                spared[s] = lastHitAt_[s] != Clock::time_point{} && now - lastHitAt_[s] < ItemGap();
            const BotBrain::ThrowPlan t = brain_.ChooseThrow(follower_.Game(), OwnSeat(), spared);
            if (t.item >= 0) {
                thrownThisTurn_ = true;
                SendItem(t.item, t.target, nullptr);
                After(Paced(brain_.PauseFor(BotBrain::Pause::AfterThrow)), true, [this] { Move(); });
                return;
            }
        }
        if (brain_.WantsBomb(follower_.Game(), OwnSeat())) {
            SendItem(DJ_ZHADAN, OwnSeat(), &path);
            Await(Awaiting::Bomb);
            return;
        }
    }
    if (brain_.IsHuman()) brain_.ChoosePair(Me().TileGrid, path);
    SendRemoval(path);
}

void BotPlayer::Stuck() {
    // No pair on the own board: a rearrange when one is held, else the time runs out.
    ++turnGen_;
    awaiting_ = Awaiting::Nothing;
    Trace("stuck", {{"left", std::to_string(Me().bteLeftFkCount)}});
    if (!brain_.IsHuman() || !BotRules::ItemReady(follower_.Game(), DJ_CHONGLIE)) return;
    After(Paced(brain_.PauseFor(BotBrain::Pause::ReadNotice)), true, [this] {
        if (!follower_.Playing() || awaiting_ != Awaiting::Nothing) return;
        SendItem(DJ_CHONGLIE, OwnSeat(), nullptr);
        Await(Awaiting::Rearrange);
    });
}

void BotPlayer::AfterOwnBoardChange(bool testForNoMove) {
    if (!follower_.Playing()) return;
    if (testForNoMove && Me().bteLeftFkCount >= 5 && !OwnBoardHasMove()) Stuck();
    else BeginTurn();
}

void BotPlayer::OnOwnRemoval() {
    awaiting_ = Awaiting::Nothing;
    if (Me().bteLeftFkCount >= 5 && !OwnBoardHasMove()) {
        Stuck();  // the no-solution notice: the turn clock stays stopped
        return;
    }
    if (Me().bteLeftFkCount > 0) StartTurnClock();
    BeginTurn();
}

void BotPlayer::OnItemUsed(const TableFollower::Happening& h) {
    const int own = OwnSeat();
    const auto& game = follower_.Game();
    const int shown = h.item == DJ_JINGZI || h.item == DJ_ZHANGAI ? h.target : h.seat;
    Trace("item", {{"item", ItemName(h.item)},
                   {"seat", std::to_string(h.seat)},
                   {"target", std::to_string(h.target)},
                   {"print", BotTrace::BoardPrint(game.SeatUser[shown].TileGrid)}});
    if (BroadcastParsers::IsThrownItem(h.item) && h.target >= 0 && h.target < GameSize::kSeatCount)
        lastHitAt_[h.target] = Clock::now();
    if (!follower_.Playing()) return;
    if (h.seat == own) {
        switch (h.item) {
            case DJ_ZHINANZHEN: {
                if (awaiting_ != Awaiting::Compass) return;
                awaiting_ = Awaiting::Nothing;
                LinkPath hint;
                if (!modLinkSearch::FindLinkPair(Me().TileGrid, hint)) {
                    Stuck();
                    return;
                }
                After(Paced(brain_.PauseFor(BotBrain::Pause::FollowHint)), true, [this, hint] {
                    if (!follower_.Playing() || awaiting_ != Awaiting::Nothing) return;
                    LinkPath check;
                    if (modLinkSearch::CheckLink(Me().TileGrid, hint.First(), hint.Last(), check)) SendRemoval(check);
                    else Move();
                });
                return;
            }
            case DJ_CHONGLIE:
            case DJ_ZHADAN:
                AfterOwnBoardChange(true);
                return;
            default:
                return;  // a thrown item of ours: the turn goes on
        }
    }
    const auto now = Clock::now();
    if (h.target != own || !BroadcastParsers::IsThrownItem(h.item)) return;
    const auto effect =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(Paced(kEffectSeconds)));
    switch (h.item) {
        case DJ_JINSHOU:
            frozenUntil_ = now + effect;
            break;
        case DJ_MENGYAN:
            foggedUntil_ = now + effect;
            break;
        case DJ_JINGZI:
            AfterOwnBoardChange(false);
            break;
        case DJ_ZHANGAI:
            AfterOwnBoardChange(true);
            break;
        default:
            break;  // the alarm clock is counted by the follower
    }
    Say(BotBrain::Moment::HitByItem);
}

void BotPlayer::SendRemoval(const LinkPath& path) {
    Trace("send-remove", {{"seat", std::to_string(OwnSeat())},
                          {"path", BotTrace::PathText(path)},
                          {"board", BotTrace::BoardText(Me().TileGrid)}});
    Send(GameMessages::RemoveRequest(static_cast<std::uint8_t>(OwnSeat()), path));
    StopTurnClock();
    Await(Awaiting::Removal);
}

BotPlayer::Clock::duration BotPlayer::ItemGap() const {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(Paced(config_.itemGapSeconds)));
}

bool BotPlayer::MayChooseItem() const {
    return lastOwnItem_ == Clock::time_point{} || Clock::now() - lastOwnItem_ >= ItemGap();
}

void BotPlayer::SendItem(int item, int target, const LinkPath* path) {
    if (item != GameMessages::kGroupChange) lastOwnItem_ = Clock::now();
    GameMessages::ItemRequest req;
    req.item = item;
    req.seat = static_cast<std::uint8_t>(OwnSeat());
    req.target = static_cast<std::uint8_t>(target);
    if (path) req.path = *path;
    Send(GameMessages::ItemRequestMsg(req));
    Trace("item-send", {{"item", ItemName(item)}, {"target", std::to_string(target)}});
}
