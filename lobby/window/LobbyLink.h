// The lobby window's connection to the room: a LobbyClient that lives on a thread of its
// own, so that connecting, logging in (the room hashes the password) and waiting for a
// seat never hold up the window. Requests come in as queued calls; the room's events go
// out as signals carrying copies of the current lists.
#pragma once
#include <QObject>
#include <QThread>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/LobbyMessages.h"
#include "lobby/LaunchPlan.h"

class LobbyClient;

// What the window shows of the room, copied out of the worker thread.
struct LobbyLists {
    std::vector<LobbyMessages::TableView> tables;
    std::vector<LobbyMessages::UserView> users;
    std::vector<LobbyMessages::RoomView> rooms;  // the live rooms of the shared database
};
Q_DECLARE_METATYPE(LobbyLists)
Q_DECLARE_METATYPE(LaunchPlan::Request)

class LobbyLink : public QObject {
    Q_OBJECT
public:
    LobbyLink();
    ~LobbyLink() override;

    // Each call returns at once; the answer comes as a signal.
    void ConnectTo(const QString& server);
    void LogIn(const QString& name, const QByteArray& password);
    void Register(const QString& name, const QByteArray& password);
    void Guest();
    void LogOut();
    void Chat(const QString& text);
    void Sit(int table);
    void Watch(const QString& player);
    void OpenTable(int computers, const QString& level);

signals:
    // The room said welcome (ok) or could not be reached (the reason). `note`: the
    // certificate pinned on first use, to show once.
    void Connected(bool ok, const QString& roomOrError, const QString& note);
    void Lost(const QString& why);
    // The lobby's user: empty when logged out.
    void LoggedIn(const QString& name, bool guest);
    // A refusal or a confirmation to show.
    void Said(const QString& text, bool refusal);
    void ListsChanged(const LobbyLists& lists);
    void ChatLine(const QString& from, const QString& text);
    void Notice(const QString& text);
    // A seat the room issued: start the table window with it.
    void Seated(const LaunchPlan::Request& request);

private:
    // Work on the worker thread.
    void DoConnect(const std::string& server);
    void DoSend(const Bytes& request);
    void Poll();
    // Reports what one event changed; true when the lists changed.
    bool Report(const LobbyMessages::Event& e);
    void SendLists();
    template <typename F>
    void OnWorker(F&& f) {
        QMetaObject::invokeMethod(worker_, std::forward<F>(f), Qt::QueuedConnection);
    }

    QThread thread_;
    QObject* worker_ = nullptr;  // lives on thread_, owns the timer
    QTimer* timer_ = nullptr;
    std::unique_ptr<LobbyClient> client_;  // touched on thread_ only
    std::string host_, fingerprint_;
    int port_ = 0;
};
