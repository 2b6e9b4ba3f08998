#include "lobby/window/LobbyLink.h"

#include "core/CommandLine.h"
#include "lobby/CertPin.h"
#include "lobby/LobbyClient.h"

using namespace LobbyMessages;
using Ms = std::chrono::milliseconds;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

LobbyLink::LobbyLink() {
    qRegisterMetaType<LobbyLists>();
    qRegisterMetaType<LaunchPlan::Request>();
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
    OnWorker([this] {
        timer_ = new QTimer(worker_);
        timer_->setInterval(50);
        connect(timer_, &QTimer::timeout, worker_, [this] { Poll(); });
    });
}

LobbyLink::~LobbyLink() {
    OnWorker([this] {
        if (timer_) timer_->stop();
        if (client_ && client_->Connected()) client_->Send(Plain(kLeave), Ms(1000));
        client_.reset();
    });
    thread_.quit();
    thread_.wait();
}

void LobbyLink::ConnectTo(const QString& server) {
    OnWorker([this, s = S(server.trimmed())] { DoConnect(s); });
}
void LobbyLink::LogIn(const QString& name, const QByteArray& password) {
    OnWorker([this, r = LobbyMessages::LogIn(S(name), password.toStdString())] { DoSend(r); });
}
void LobbyLink::Register(const QString& name, const QByteArray& password) {
    OnWorker([this, r = LobbyMessages::Register(S(name), password.toStdString())] { DoSend(r); });
}
void LobbyLink::Guest() {
    OnWorker([this] { DoSend(Plain(kGuest)); });
}
void LobbyLink::LogOut() {
    OnWorker([this] { DoSend(Plain(kLogOut)); });
}
void LobbyLink::Chat(const QString& text) {
    OnWorker([this, r = LobbyMessages::Chat(S(text))] { DoSend(r); });
}
void LobbyLink::Sit(int table) {
    OnWorker([this, r = LobbyMessages::Sit(table)] { DoSend(r); });
}
void LobbyLink::Watch(const QString& player) {
    OnWorker([this, r = LobbyMessages::Watch(S(player))] { DoSend(r); });
}
void LobbyLink::OpenTable(int computers, const QString& level) {
    OnWorker([this, r = LobbyMessages::OpenTable(computers, S(level))] { DoSend(r); });
}

void LobbyLink::DoConnect(const std::string& server) {
    timer_->stop();
    client_.reset();
    std::string host, error;
    int port = 0;
    if (!CommandLine::ParseHostPort(server, host, port)) {
        emit Connected(false, Q("服务器地址要写成 主机:端口，例如 127.0.0.1:47800"), {});
        return;
    }
    CertPins pins(CertPins::DefaultFile());
    const ServerRoute route = RouteToServer(host, port, pins);
    if (!route.ok) {
        emit Connected(false, Q(route.error), {});
        return;
    }
    auto client = std::make_unique<LobbyClient>();
    if (!client->Connect(host, port, route.fingerprint, error)) {
        emit Connected(false, Q(error), {});
        return;
    }
    client_ = std::move(client);
    host_ = host;
    port_ = port;
    fingerprint_ = route.fingerprint;
    emit Connected(true, Q(client_->RoomName()), Q(route.note));
    emit LoggedIn({}, false);
    SendLists();
    for (const auto& [from, text] : client_->ChatLines()) emit ChatLine(Q(from), Q(text));
    timer_->start();
}

void LobbyLink::DoSend(const Bytes& request) {
    if (!client_ || !client_->Connected()) {
        emit Said(Q("还没有连接到服务器。"), true);
        return;
    }
    // The answer comes with the room's other events (Poll).
    client_->Send(request);
}

void LobbyLink::Poll() {
    if (!client_) return;
    bool changed = false;
    while (const auto e = client_->Next(Ms(0))) changed = Report(*e) || changed;
    if (changed) SendLists();
    if (!client_->Connected()) {
        timer_->stop();
        const std::string why = client_->LastNotice();
        client_.reset();
        emit LoggedIn({}, false);
        emit Lost(Q(why.empty() ? "与服务器的连接断开了。" : why));
    }
}

bool LobbyLink::Report(const Event& e) {
    switch (e.type) {
        case kTables:
        case kTable:
        case kUsers:
        case kUser:
        case kRooms:
            return true;
        case kChatLine:
            emit ChatLine(Q(e.name), Q(e.text));
            return false;
        case kNotice:
            emit Notice(Q(e.text));
            return false;
        case kYou:
            emit LoggedIn(Q(e.name), e.flag);
            return false;
        case kSeat: {
            LaunchPlan::Request r;
            r.host = host_;
            r.port = port_;
            r.fingerprint = fingerprint_;
            r.name = client_->Me();
            r.table = e.table;
            r.watch = e.watched;
            r.ticket = e.ticket;
            emit Seated(r);
            return false;
        }
        case kAnswer:
            if (e.request == kLogOut && e.code == 0) emit LoggedIn({}, false);
            if (e.code != 0 || (!e.text.empty() && e.request != kLogIn && e.request != kGuest))
                emit Said(Q(e.text.empty() ? "服务器拒绝了这个请求。" : e.text), e.code != 0);
            return false;
        default:
            return false;
    }
}

void LobbyLink::SendLists() {
    if (!client_) return;
    LobbyLists lists;
    for (const auto& [n, t] : client_->Tables()) lists.tables.push_back(t);
    for (const auto& [n, u] : client_->Users()) lists.users.push_back(u);
    lists.rooms = client_->Rooms();
    emit ListsChanged(lists);
}
