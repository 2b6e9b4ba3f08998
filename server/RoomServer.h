// The room: accepts connections, checks the hello ticket and the login, gives every user
// a table and a seat (or a player to watch), routes each message to the user's table,
// and carries the operator's broadcasts. One process, one room, many tables.
//
// The room's io may run on several threads. Each table is guarded by a lock of its own
// (its slot), which no other table shares: a user's messages, its table's timers and the
// answers of the records store all run under that lock only. The room-wide parts (the
// connections, the users by name, the table directory) are guarded by one room lock,
// held only briefly and never while a table's lock is being taken, so the order is
// always table, then room, then connection. The lobby's lock comes before all of them:
// nobody holding a table's or the room's lock enters the lobby.
#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include "core/Ticket.h"
#include "server/AsioTableClock.h"
#include "server/BotLauncher.h"
#include "server/ConnectionHandler.h"
#include "server/LobbyRoom.h"
#include "server/MapStore.h"
#include "server/Moderation.h"
#include "server/ServerOptions.h"
#include "server/StoreWorker.h"
#include "server/TableHost.h"
#include "server/UserSession.h"

class Connection;
class Table;
struct TableSlot;
namespace asio::ssl {
class context;
}

class RoomServer : public ConnectionHandler, public TableHost {
public:
    // Every store call goes through the room's own store worker thread.
    RoomServer(asio::io_context& io, const ServerOptions& options, Store& store, const MapStore& maps);
    ~RoomServer() override;

    // Binds, registers the room and starts accepting; false with a message when the
    // address, the spill file, or the certificate and key cannot be used.
    bool Listen(std::string& error);
    asio::ip::tcp::endpoint LocalEndpoint() const;
    // Stops accepting and ends every connection.
    void Stop();

    // Operator commands; any thread.
    void BroadcastText(const std::string& text);           // 105 to every user
    bool NoticeTable(int table, const std::string& text);  // 21 to one table
    std::string Status() const;

    // What the tables use.
    const ServerOptions& Options() const override { return options_; }
    std::mt19937& Rng() override { return rng_; }  // the room's own: only under the room lock
    const MapStore& Maps() const override { return maps_; }
    StoreWorker& Records() override { return records_; }
    TableClock& Clock() override { return clock_; }
    void Release(UserSession& user) override;
    void TableEmptied(int table) override;
    UserSession* FindUser(const std::string& name) override;
    void CountGame(const std::string& name, std::int32_t points, Scoring::Outcome outcome) override;

    // Moderation of the chat at the tables.
    std::string ChatRefusal(const std::string& name) override;
    bool Ignores(const std::string& listener, const std::string& speaker) const override {
        return moderation_.Ignores(listener, speaker);
    }

    // What the lobby uses.
    std::vector<LobbyMessages::TableView> TableViews() const;
    std::vector<LobbyMessages::UserView> RoomUsers() const;
    Moderation& Mod() { return moderation_; }
    // A seat ticket the room signs itself for `name` (the lobby's own logged-in user).
    std::string IssueTicket(const std::string& name, int table, const std::string& watched, bool guest);
    // Why nobody can sit down at that table now; empty when a seat is free.
    std::string SeatRefusal(int table) const;
    // The table where that player sits, 0 when none.
    int TableOfPlayer(const std::string& name);
    // A new table for `owner` with `count` computer players of `level`, who come once the
    // owner sits down there; 0 with the reason in `error` when it cannot be.
    int OpenBotTable(const std::string& owner, int count, const std::string& level, std::string& error);
    // A free guest name: not in use here, not stored, not an account.
    void PickGuestName(const std::function<void(const std::string&)>& done);
    // Whether a user of that name is in the room or logged in to its lobby.
    bool NameInUse(const std::string& name) const;
    // One moderation step by `actor` ("operator" from the console): kick, ban, unban, mute,
    // unmute; kept in the store. `reply` says what was done or why not.
    bool Moderate(const std::string& actor, const std::string& action, const std::string& target, int minutes,
                  const std::string& reason, std::string& reply);
    // The first table from 1 on with a free seat.
    int FreeTable();

    bool UsesTls() const { return tls_ != nullptr; }
    std::size_t ConnectionCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return connections_.size();
    }
    // Connections served at once: the configured bound, kept below the descriptor limit
    // read at the start less the reserve.
    std::size_t ConnectionCap() const { return connectionCap_; }
    std::size_t UserCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return users_.size();
    }

private:
    void Accept();
    void StopAccepting();  // on the acceptor's strand
    void OnMessage(Connection& c, const Bytes& message) override;
    void OnClosed(Connection& c) override;
    void OnLogin(Connection& c, const Bytes& message);
    // The rest of a login once the user's record (or a free guest name) is there.
    void AdmitGuest(const std::shared_ptr<Connection>& c, bool allowWatch);
    void Admit(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, const UserStats& stats, bool guest);
    // The rest of a ticket's login once it is known not to claim another's account.
    void LoadAndAdmit(const std::shared_ptr<Connection>& c, const Ticket::SeatTicket& seat, bool allowWatch);
    // The lobby's connections: the first message decides.
    bool OpensLobby(Connection& c, const Bytes& message);
    // The computer players of a table the room opened start once its owner sits there.
    void StartPendingBots(const std::string& name, int table);
    void CheckBotTables();
    // The connection that started a login, when it is still open.
    std::shared_ptr<Connection> StillOpen(const std::weak_ptr<Connection>& c) const;
    // The users whose session lease went to another room server.
    void CheckLeases(const std::vector<std::string>& held);
    // Sends a notice and ends a connection that cannot be seated.
    // Tells the user `text` and closes; the report says `why` (never the ticket itself).
    void Refuse(Connection& c, const std::string& who, const std::string& text, const std::string& why);
    // The table of that number, made when there is none (room lock held).
    std::shared_ptr<TableSlot> SlotOf(int number);
    std::shared_ptr<TableSlot> FindSlot(int number) const;
    // Every table now, in number order.
    std::vector<std::shared_ptr<TableSlot>> Slots() const;
    // The user who came back with a new connection, or whose old presence ends: false
    // when the name is taken by a guest (the new connection is refused).
    bool ReplaceOld(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, bool& resumed);
    // After the new connection got its table's route: one that closed meanwhile is lost
    // at once.
    void Route(Connection& c);
    void LoseConnection(Connection& c);
    // Runs `step` under the lock of the table where that user is; false when the user is
    // not in the room.
    bool AtTable(const std::string& name, const std::function<void(UserSession&, Table&)>& step) const;

    asio::io_context& io_;
    mutable std::mutex mutex_;  // the room lock
    ServerOptions options_;
    StoreWorker records_;
    std::optional<std::string> ticketKey_;  // the key tickets must be signed with, when any
    const MapStore& maps_;
    std::mt19937 rng_;
    std::unique_ptr<asio::ssl::context> tls_;  // none: plain TCP (loopback only)
    AsioTableClock clock_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer acceptTimer_;
    bool acceptFailing_ = false;
    std::size_t connectionCap_ = 0;
    std::uint64_t nextId_ = 1;
    int guestNo_ = 0;
    std::unordered_map<std::uint64_t, std::shared_ptr<Connection>> connections_;
    std::unordered_map<std::string, std::unique_ptr<UserSession>> users_;
    std::map<int, std::shared_ptr<TableSlot>> tables_;
    std::atomic<bool> stopped_{false};

    // The lobby, its tickets, moderation and the computer players the room starts. The
    // lobby takes its own lock before any table's; the tickets, the pending computer
    // players and the launcher are under the room lock; moderation has a lock of its own.
    struct Issued {
        std::string name;
        bool guest = false;
        std::int64_t expiry = 0;
    };
    struct PendingBots {
        std::string owner, level;
        int count = 0;
    };
    LobbyRoom lobby_;
    Moderation moderation_;
    std::unordered_map<std::string, Issued> issued_;  // ticket text: whom the room issued it to
    std::map<int, PendingBots> pendingBots_;
    BotLauncher bots_;
};
