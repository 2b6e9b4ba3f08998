// The room: accepts connections, checks the hello ticket and the login, gives every user
// a table and a seat (or a player to watch), routes each message to the user's table,
// and carries the operator's broadcasts. One process, one room, many tables.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Ticket.h"
#include "server/AsioTableClock.h"
#include "server/Connection.h"
#include "server/MapStore.h"
#include "server/ServerOptions.h"
#include "server/StoreWorker.h"
#include "server/TableHost.h"
#include "server/UserSession.h"

class Table;

class RoomServer : public Connection::Handler, public TableHost {
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

    // Operator commands.
    void BroadcastText(const std::string& text);           // 105 to every user
    bool NoticeTable(int table, const std::string& text);  // 21 to one table
    std::string Status() const;

    // What the tables use.
    const ServerOptions& Options() const override { return options_; }
    std::mt19937& Rng() override { return rng_; }
    const MapStore& Maps() const override { return maps_; }
    StoreWorker& Records() override { return records_; }
    TableClock& Clock() override { return clock_; }
    void Release(UserSession& user) override;
    void TableEmptied(int table) override;
    UserSession* FindUser(const std::string& name) override;

    bool UsesTls() const { return tls_ != nullptr; }
    std::size_t ConnectionCount() const { return connections_.size(); }
    // Connections served at once: the configured bound, kept below the descriptor limit
    // read at the start less the reserve.
    std::size_t ConnectionCap() const { return connectionCap_; }
    std::size_t UserCount() const { return users_.size(); }

private:
    void Accept();
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
    // Tells the user `text` and closes; the report says `why` (never the ticket itself).
    void Refuse(Connection& c, const std::string& who, const std::string& text, const std::string& why);
    Table& TableOf(int number);
    // The first table from 1 on with a free seat.
    int FreeTable();

    asio::io_context& io_;
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
    std::vector<std::unique_ptr<UserSession>> released_;  // freed after the current handler
    std::map<int, std::unique_ptr<Table>> tables_;
    bool stopped_ = false;
};
