// One table of the room: six seats and their spectators, the master (桌主) and the table
// settings, ready hands, groups, the map choice, the running game with its turn clocks,
// drops and returns, escapes, results and records, chat and the allow-watch flags.
#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/LobbyMessages.h"
#include "core/RoomMessages.h"
#include "server/GameRound.h"
#include "server/Outbox.h"
#include "server/TableClock.h"
#include "server/TableHost.h"
#include "server/UserSession.h"

class Table {
public:
    Table(TableHost& room, int number);
    // With a clock and dice of its own (the room's threads: nothing here is shared with
    // another table).
    Table(TableHost& room, int number, TableClock& clock, std::mt19937& rng);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    int Number() const { return number_; }
    bool Empty() const;
    // A seat nobody holds: neither a seated player nor a player of the running game, whose
    // seat stays its own until the game ends, also when it has left the table.
    bool HasFreeSeat() const;
    bool GameRunning() const { return round_ != nullptr; }
    int SeatedCount() const;
    int WatcherCount() const { return static_cast<int>(watchers_.size()); }
    // The seat of a player with this name, or -1.
    int FindPlayer(const std::string& name) const;

    // Arrivals: false when there is no free seat, or no such player to watch. A player of
    // the running game who left after its place gets its own seat back.
    bool SeatPlayer(UserSession& user);
    bool AddWatcher(UserSession& user, const std::string& watched);
    // A dropped player (or one whose old connection still hangs) is back.
    void Resume(UserSession& user);
    // Departures: the user asked to leave (110), or its connection ended, or the room
    // takes it away for a new login elsewhere.
    void Leave(UserSession& user);
    void ConnectionLost(UserSession& user);

    // Every message of a logged-in user of this table.
    void OnMessage(UserSession& user, const Bytes& message);
    // An operator notice (21) to everybody here.
    void Notice(const std::string& text);
    std::string Describe() const;
    // What the lobby shows of this table: the seats, the spectators, whether a game runs.
    LobbyMessages::TableView View() const;

private:
    using TimePoint = TableClock::TimePoint;

    // sending
    void SendTo(UserSession& u, const Bytes& message);
    void SendAll(const Bytes& message, const UserSession* except = nullptr);
    void SendSystemChat(const std::string& text);
    std::vector<UserSession*> Everyone() const;

    // arrivals and the user list
    void Welcome(UserSession& u);
    std::vector<std::string> ListRecords() const;
    int ChairOf(const UserSession& u) const;
    RoomMessages::TableState StateFor(const UserSession& viewer) const;
    bool HidesFrom(int seat, const UserSession& viewer) const;
    bool AnyHiddenFrom(const UserSession& viewer) const;
    void Retarget(UserSession& watcher);
    void RemoveUser(UserSession& u, const char* escapeReason);

    // settings and readiness
    void AskSettings(UserSession& u);
    void OnSettingsConfirm(UserSession& u, const Bytes& m);
    void OnAgree(UserSession& u);
    void OnReady(UserSession& u);
    void RaiseHand(UserSession& u, bool byAgreement);
    void CheckStart();
    bool CanStart() const;
    void StartGame();
    // Between games, the seats that hold the table up: a player who owes its answer, a
    // guest who never raises its hand.
    bool SeatOpen(int seat) const;
    bool OwesAnswer(int seat) const;
    std::optional<TimePoint> IdleDeadline(int seat) const;
    void WatchIdleSeats();
    void DismissIdleSeats();

    // the game
    void OnRemove(UserSession& u, const Bytes& m);
    void OnTimeOutRequest(UserSession& u);
    void OnItem(UserSession& u, const Bytes& m);
    void OnGameItem(UserSession& u, const GameMessages::ItemRequest& req);
    void OnChat(UserSession& u, const Bytes& m);
    void OnWatchChange(UserSession& u, const Bytes& m);
    void Finished(int seat);
    void PlaceOut(int seat);
    void StartTurn(int seat);
    void ExtendTurn(int seat);
    void Tick();
    void ArmTick();
    // Runs `step` after `delay` unless the table is gone by then.
    void Arm(TableTimer& timer, std::chrono::milliseconds delay, void (Table::*step)());
    void CheckEnd();
    void EndGame();
    void ResendWatcherStates();

    // The account that played a seat of the running game: its result goes there, whether
    // it is still at the table, left after its place or ran away.
    struct Participant {
        std::int64_t userId = 0;
        std::string name;
        bool guest = false;  // a guest's results are not stored
    };

    TableHost& room_;
    TableClock& clock_;
    std::mt19937& rng_;
    int number_;
    std::array<UserSession*, GameSize::kSeatCount> seats_{};
    std::vector<UserSession*> watchers_;
    int master_ = -1;
    std::optional<GameSettings> settings_;
    std::array<std::uint8_t, GameSize::kSeatCount> groups_{};
    int nextMap_ = 0;
    int mapUsed_ = 0;
    std::uint32_t gameNo_ = 0;
    std::unique_ptr<GameRound> round_;
    std::array<Participant, GameSize::kSeatCount> played_{};
    std::array<TimePoint, GameSize::kSeatCount> deadline_{};
    // Since when each seat has been without a raised hand between games, and since when it
    // has owed the table its answer.
    std::array<std::optional<TimePoint>, GameSize::kSeatCount> idleSince_{}, owedSince_{};
    bool starting_ = false;
    int unshownResults_ = 0;  // games ended whose results are not yet safe, and so not shown
    bool heldBack_ = false;   // told that no game starts while the database lags
    // Destroyed with the table: none of them fires after it is gone.
    std::unique_ptr<TableTimer> startTimer_;
    std::unique_ptr<TableTimer> tickTimer_;
    std::unique_ptr<TableTimer> idleTimer_;
    // A saved game's answer may come after the table is gone; it checks this first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
