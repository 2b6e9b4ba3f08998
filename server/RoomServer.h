// The room: accepts connections, checks the hello ticket and the login, gives every user
// a table and a seat (or a player to watch), routes each message to the user's table,
// and carries the operator's broadcasts. One process, one room, many tables.
#pragma once
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/AsioTableClock.h"
#include "server/Connection.h"
#include "server/MapStore.h"
#include "server/ServerOptions.h"
#include "server/TableHost.h"
#include "server/UserSession.h"
#include "server/UserStore.h"

class Table;

class RoomServer : public Connection::Handler, public TableHost {
public:
    RoomServer(asio::io_context& io, const ServerOptions& options, UserStore& store, const MapStore& maps);
    ~RoomServer() override;

    // Binds and starts accepting; false with a message when the address cannot be used.
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
    UserStore& Store() override { return store_; }
    TableClock& Clock() override { return clock_; }
    void Release(UserSession& user) override;
    void TableEmptied(int table) override;
    UserSession* FindUser(const std::string& name) override;

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
    // Sends a notice and ends a connection that cannot be seated.
    void Refuse(Connection& c, const std::string& text);
    std::string GuestName();
    Table& TableOf(int number);
    // The first table from 1 on with a free seat.
    int FreeTable();

    asio::io_context& io_;
    ServerOptions options_;
    UserStore& store_;
    const MapStore& maps_;
    std::mt19937 rng_;
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
