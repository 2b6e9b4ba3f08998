// A scripted table client speaking the real protocol over TCP, for the server's tests and
// the load driver: it logs in (with or without a seat ticket), answers the table settings,
// raises its hand, plays the first linkable pair of its own board after a short pause,
// and can be told to time out, drop and come back, use items, or only watch. It keeps the
// boards of all six seats from the server's messages and records what it saw.
#pragma once
#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Framing.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modGameDefine.h"

struct ScriptPlan {
    std::string ticket;  // empty: a guest
    bool allowWatch = true;
    std::chrono::milliseconds think{150};    // pause before each move
    GameSettings settings;                   // what it confirms as the master
    int games = 1;                           // games to play; after them it stays idle
    int timeOutAfter = -1;                   // own removals after which it reports its time out
    int silentAfter = -1;                    // own removals after which it stops sending anything
    int dropAfter = -1;                      // own removals after which it drops once ...
    std::chrono::milliseconds dropFor{400};  // ... and comes back this much later
    bool useItems = false;                   // throws items at the others now and then
};

class ScriptedClient {
public:
    using Clock = std::chrono::steady_clock;

    ScriptedClient(asio::io_context& io, asio::ip::tcp::endpoint server, ScriptPlan plan);
    ~ScriptedClient();
    ScriptedClient(const ScriptedClient&) = delete;
    ScriptedClient& operator=(const ScriptedClient&) = delete;

    void Start();
    void Stop();
    // Sends one raw message (tests use it for requests of their own).
    void SendRaw(const Bytes& message);

    // What it has seen.
    const std::string& Name() const { return name_; }
    int Seat() const { return seat_; }
    bool IsWatcher() const { return watcher_; }
    bool Connected() const { return connected_; }
    bool ClosedByServer() const { return closedByServer_; }
    int GamesEnded() const { return gamesEnded_; }
    int Removals() const { return removals_; }
    int RemovalRequests() const { return removalRequests_; }
    int Reconnects() const { return reconnects_; }
    bool InGame() const { return gameRunning_; }
    const std::vector<GameMessages::EndRecord>& LastResults() const { return lastResults_; }
    const std::vector<double>& LatenciesMs() const { return latencies_; }
    const TileGridT& Grid(int seat) const { return table_.SeatUser[seat].TileGrid; }
    const modGameDefine& Model() const { return table_; }
    // Count of every message type received.
    const std::map<std::uint8_t, int>& Received() const { return received_; }
    // Called for every message received, after the client's own handling.
    std::function<void(ScriptedClient&, const Bytes&)> onMessage;

private:
    void Connect();
    void Read();
    void Write();
    void Handle(const Bytes& m);
    void HandleRoom(const Bytes& m);
    void HandleGame(const Bytes& m);
    void SeatFromRecord(const std::string& record);
    void ScheduleMove();
    void Move();
    void PressReady();
    void Drop();
    void After(std::chrono::milliseconds delay, std::function<void()> fn);
    bool Playing() const;

    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    ScriptPlan plan_;
    std::unique_ptr<asio::ip::tcp::socket> socket_;
    std::shared_ptr<bool> alive_;  // guards callbacks after destruction
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 4096> buf_{};
    std::deque<Bytes> out_;
    bool writing_ = false;
    bool connected_ = false;
    bool stopped_ = false;
    bool closedByServer_ = false;
    bool dropping_ = false;

    modGameDefine table_;
    std::string name_;
    int seat_ = -1;
    bool watcher_ = false;
    bool gameRunning_ = false;
    bool moveScheduled_ = false;
    bool removalInFlight_ = false;
    Clock::time_point sentAt_{};
    int removals_ = 0;
    int removalRequests_ = 0;
    int gamesEnded_ = 0;
    int reconnects_ = 0;
    bool dropped_ = false;
    bool silent_ = false;
    std::vector<GameMessages::EndRecord> lastResults_;
    std::vector<double> latencies_;
    std::map<std::uint8_t, int> received_;
    unsigned itemDice_ = 7;
};
