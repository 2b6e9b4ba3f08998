// The room: accepts connections, checks the hello ticket and the login, gives every user
// a table and a seat (or a player to watch), routes each message to the user's table,
// and carries the operator's broadcasts. One process, one room, many tables.
//
// The room's io may run on several threads. Each table is guarded by a lock of its own
// (its slot), which no other table shares: a user's messages, its table's timers and the
// answers of the records store all run under that lock only. The room-wide parts (the
// connections, the users by name, the table directory) are guarded by one room lock,
// held only briefly and never while a table's lock is being taken, so the order is
// always table, then room, then connection.
#pragma once
#include <atomic>
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
#include "server/ConnectionHandler.h"
#include "server/MapStore.h"
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
    void Admit(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, const UserStats& stats);
    // The connection that started a login, when it is still open.
    std::shared_ptr<Connection> StillOpen(const std::weak_ptr<Connection>& c) const;
    // The users whose session lease went to another room server.
    void CheckLeases(const std::vector<std::string>& held);
    // Sends a notice and ends a connection that cannot be seated.
    void Refuse(Connection& c, const std::string& text);
    // The table of that number, made when there is none (room lock held).
    std::shared_ptr<TableSlot> SlotOf(int number);
    std::shared_ptr<TableSlot> FindSlot(int number) const;
    // The first table from 1 on with a free seat.
    int FreeTable();
    // The user who came back with a new connection, or whose old presence ends: false
    // when the name is taken by a guest (the new connection is refused).
    bool ReplaceOld(Connection& c, const Ticket::SeatTicket& seat, bool allowWatch, bool& resumed);
    // After the new connection got its table's route: one that closed meanwhile is lost
    // at once.
    void Route(Connection& c);
    void LoseConnection(Connection& c);

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
};
