// One computer player: a real client of the room server at one table. It logs in with
// its seat ticket, answers the table settings (as master it chooses them), raises its
// hand, keeps its copy of every board from the server's confirmations and plays its own
// board pair by pair at its brain's pace: the removal request carries the path of the
// link search; items, group changes and chat lines when its brain wants them; the turn
// clock of 30 (20) seconds reports its time out. A spectator only follows the game.
#pragma once
#include <asio.hpp>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

#include "bot/BotBrain.h"
#include "bot/BotConnection.h"
#include "bot/BotTrace.h"
#include "bot/TableFollower.h"

struct BotConfig {
    std::string host;
    std::string port;
    int table = 1;
    std::string name;
    std::string watched;  // not empty: only watch this player
    std::optional<std::string> secret;
    Strategy strategy = Strategy::Human;
    int skill = 3;
    std::uint32_t seed = 1;
    double pace = 1.0;
    int players = 6;          // what it asks for as the master
    double turnSeconds = 30;  // the own turn clock
    bool reconnect = false;
    int games = 0;                            // leave after this many games; 0: stay
    double itemGapSeconds = 0;                // at least this long (times the pace) between two chosen items
    double firstStep = 0.002;                 // the `first` strategy's pause before each pair
    std::shared_ptr<asio::ssl::context> tls;  // none: plain TCP
};

class BotPlayer {
public:
    using Clock = std::chrono::steady_clock;

    BotPlayer(asio::io_context& io, BotConfig config, BotTrace& trace);
    ~BotPlayer();
    BotPlayer(const BotPlayer&) = delete;
    BotPlayer& operator=(const BotPlayer&) = delete;

    // Connects to the server and plays.
    void Start();
    // Ends the player for good: the connection closes and nothing more is sent.
    void Stop();
    // Plays over `send` instead of a connection; messages come in through Receive.
    void Attach(std::function<void(const Bytes&)> send);
    void Receive(const Bytes& message);

    const std::string& Name() const { return config_.name; }
    const TableFollower& Table() const { return follower_; }
    const BotBrain& Brain() const { return brain_; }
    bool Finished() const { return finished_; }
    // Ended because the connection was lost (and not tried again).
    bool Lost() const { return lost_; }
    int GamesEnded() const { return gamesEnded_; }
    // Called once when the player has ended.
    std::function<void(BotPlayer&)> onFinished;
    // Called when the table has placed the player (at every login), with its seat.
    std::function<void(BotPlayer&, int)> onSeated;

private:
    enum class Awaiting { Nothing, Removal, Compass, Rearrange, Bomb };

    // connection
    void Connect();
    void OnClosed(const std::string& why);
    void Finish(const std::string& why, bool lost);
    void Leave(const std::string& why);
    void Send(const Bytes& message);
    void Trace(const std::string& event, const BotTrace::Fields& fields = {});

    // timing: `After` runs fn unless the connection (and for a turn step, the turn)
    // changed meanwhile
    void After(double seconds, bool turnStep, std::function<void()> fn);
    double Paced(double seconds) const { return seconds * config_.pace; }
    void CancelTimers();

    // table
    void React(const TableFollower::Happening& h);
    void OnSettings(const TableFollower::Happening& h, bool master);
    void ArmStart(double seconds);
    void PressStart();
    void OnGameEnd(const TableFollower::Happening& h);
    void Say(BotBrain::Moment moment);

    // game
    int OwnSeat() const { return follower_.OwnSeat(); }
    // The own seat's record; only read once the seat is known.
    const SeatUserDef& Me() const {
        return follower_.Game().SeatUser[follower_.Game().bteCurUserNo % GameSize::kSeatCount];
    }
    bool OwnBoardHasMove() const;
    void StartTurnClock();
    void StopTurnClock();
    void BeginTurn();
    void Move();
    void Stuck();
    void AfterOwnBoardChange(bool testForNoMove);
    void OnOwnRemoval();
    void OnItemUsed(const TableFollower::Happening& h);
    void SendRemoval(const LinkPath& path);
    void SendItem(int item, int target, const LinkPath* path);
    // Whether the item gap since the last item used has passed.
    Clock::duration ItemGap() const;
    bool MayChooseItem() const;
    void Await(Awaiting what);

    asio::io_context& io_;
    BotConfig config_;
    BotTrace& trace_;
    BotBrain brain_;
    TableFollower follower_;
    std::shared_ptr<BotConnection> conn_;
    std::function<void(const Bytes&)> sendHook_;
    std::shared_ptr<bool> alive_;
    std::unordered_set<std::shared_ptr<asio::steady_timer>> timers_;
    std::shared_ptr<asio::steady_timer> clockTimer_;

    unsigned gen_ = 0;      // changes with every connection and at the end
    unsigned turnGen_ = 0;  // changes with every turn
    bool stopped_ = false;
    bool finished_ = false;
    bool lost_ = false;
    bool leaving_ = false;

    bool dialogPending_ = false;  // a settings answer is on its way
    bool waitingMaster_ = false;  // the master has not decided yet
    Awaiting awaiting_ = Awaiting::Nothing;
    bool thrownThisTurn_ = false;
    Clock::time_point frozenUntil_{};
    Clock::time_point foggedUntil_{};
    Clock::time_point lastOwnItem_{};
    // When each seat was last hit by a thrown item, by anybody: the players spread them.
    std::array<Clock::time_point, GameSize::kSeatCount> lastHitAt_{};
    int gamesEnded_ = 0;
    double turnLength_;  // seconds of the running turn
};
