// The lobby side of the room: the connections that opened with the lobby hello. They log
// in (accounts, or guests when the room allows them), see the table list and the room's
// users (whole at first, then one message per change), chat in the room, and ask for a
// seat: the room answers with a seat ticket it signs itself, always for the account's own
// name. Admins moderate from here too.
//
// The lobby has one lock of its own, taken at every way in (messages, closes, the refresh
// timer, the records' answers) before any table's or the room's lock; nobody holding
// those enters the lobby. It is recursive: the lobby's own requests come back to it
// through the room (a kick from an admin, a guest name).
#pragma once
#include <asio.hpp>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/LobbyMessages.h"
#include "server/Connection.h"
#include "server/LoginThrottle.h"
#include "server/UserSession.h"

class RoomServer;

class LobbyRoom {
public:
    explicit LobbyRoom(RoomServer& room, asio::io_context& io);

    // A connection said the lobby hello: it is the lobby's from now on.
    void Open(const std::shared_ptr<Connection>& c, int version);
    void OnMessage(Connection& c, const Bytes& message);
    void OnClosed(Connection& c);
    void Stop();

    // Whether a lobby session of this name is logged in.
    bool HasUser(const std::string& name) const;
    // Ends the lobby sessions of that name with a notice (kick, ban).
    void Remove(const std::string& name, const std::string& notice);
    // Sends the table and user changes since the last time to every lobby.
    void Refresh();
    std::size_t SessionCount() const {
        const auto lock = Lock();
        return sessions_.size();
    }

private:
    struct Session {
        std::shared_ptr<Connection> conn;
        std::string name;  // empty until logged in
        bool guest = false, admin = false;
        std::int64_t points = 0;
        bool busy = false;  // a login or registration is on its way
        ChatBudget chat;
    };

    void Send(Session& s, const Bytes& m);
    void Answer(Session& s, LobbyMessages::Type request, int code, const std::string& text);
    // Neither logged in nor waiting for a login: a login or registration may start.
    bool ReadyToLogIn(Session& s, LobbyMessages::Type request);
    void OnRegister(Session& s, const LobbyMessages::Request& r);
    void OnLogIn(Session& s, const LobbyMessages::Request& r);
    void OnGuest(Session& s);
    void LoggedIn(Session& s, const std::string& name, bool guest, bool admin, std::int64_t points);
    void OnChat(Session& s, const LobbyMessages::Request& r);
    void OnSit(Session& s, const LobbyMessages::Request& r);
    void OnWatch(Session& s, const LobbyMessages::Request& r);
    void OnOpenTable(Session& s, const LobbyMessages::Request& r);
    void OnModerate(Session& s, const LobbyMessages::Request& r);
    void OnIgnore(Session& s, const LobbyMessages::Request& r);
    void OnListBans(Session& s);
    Session* Find(std::uint64_t id);
    // The refusal of a name a user may not log in or register with, or empty.
    std::string NameRefusal(const std::string& name) const;
    std::vector<LobbyMessages::UserView> Users() const;
    void ArmRefresh();
    std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock<std::recursive_mutex>(mutex_); }

    mutable std::recursive_mutex mutex_;
    RoomServer& room_;
    asio::steady_timer refreshTimer_;
    LoginThrottle throttle_;
    std::unordered_map<std::uint64_t, Session> sessions_;
    // What every lobby was last told.
    std::map<int, LobbyMessages::TableView> tables_;
    std::map<std::string, LobbyMessages::UserView> users_;
    bool stopped_ = false;
};
