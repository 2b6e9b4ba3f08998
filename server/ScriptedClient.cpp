#include "server/ScriptedClient.h"

#include "core/BroadcastParsers.h"
#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modDaoJuRule.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"
#include "core/modPublicTools.h"
#include "core/modTableModel.h"
#include "core/modTableState.h"

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;
using namespace modDaoJuDefine;

ScriptedClient::ScriptedClient(asio::io_context& io, asio::ip::tcp::endpoint server, ScriptPlan plan)
    : io_(io), server_(std::move(server)), plan_(std::move(plan)), alive_(std::make_shared<bool>(true)) {
    table_.InitGameDefine();
}

ScriptedClient::~ScriptedClient() {
    *alive_ = false;
    Stop();
}

void ScriptedClient::Start() { Connect(); }

void ScriptedClient::Stop() {
    stopped_ = true;
    if (socket_) {
        std::error_code ec;
        socket_->close(ec);
    }
    connected_ = false;
}

void ScriptedClient::After(std::chrono::milliseconds delay, std::function<void()> fn) {
    auto timer = std::make_shared<asio::steady_timer>(io_, delay);
    std::weak_ptr<bool> alive = alive_;
    timer->async_wait([timer, alive, fn = std::move(fn)](std::error_code ec) {
        if (!ec && alive.lock() && *alive.lock()) fn();
    });
}

void ScriptedClient::Connect() {
    socket_ = std::make_unique<asio::ip::tcp::socket>(io_);
    decoder_ = Framing::FrameDecoder();
    out_.clear();
    writing_ = false;
    std::weak_ptr<bool> alive = alive_;
    socket_->async_connect(server_, [this, alive](std::error_code ec) {
        if (!alive.lock() || stopped_) return;
        if (ec) {
            closedByServer_ = true;
            return;
        }
        connected_ = true;
        std::error_code ignored;
        socket_->set_option(asio::ip::tcp::no_delay(true), ignored);
        if (!plan_.ticket.empty()) {
            const Bytes hello = Framing::EncodeHello(plan_.ticket);
            out_.push_back(Bytes(hello.begin() + Framing::kHeaderSize, hello.end()));
        }
        SendRaw(RoomMessages::Login(plan_.allowWatch));
        Read();
    });
}

void ScriptedClient::SendRaw(const Bytes& message) {
    if (!message.empty()) out_.push_back(message);
    if (!writing_ && connected_) Write();
}

void ScriptedClient::Write() {
    if (out_.empty() || !connected_) {
        writing_ = false;
        return;
    }
    writing_ = true;
    auto frame = std::make_shared<Bytes>(Framing::EncodeFrame(out_.front()));
    out_.pop_front();
    std::weak_ptr<bool> alive = alive_;
    asio::async_write(*socket_, asio::buffer(*frame), [this, alive, frame](std::error_code ec, std::size_t) {
        if (!alive.lock()) return;
        if (ec) {
            writing_ = false;
            return;
        }
        Write();
    });
}

void ScriptedClient::Read() {
    std::weak_ptr<bool> alive = alive_;
    socket_->async_read_some(asio::buffer(buf_), [this, alive](std::error_code ec, std::size_t n) {
        if (!alive.lock()) return;
        if (ec) {
            connected_ = false;
            if (!dropping_ && !stopped_) closedByServer_ = true;
            return;
        }
        decoder_.Feed(buf_.data(), n);
        Bytes m;
        while (connected_ && decoder_.Next(m)) Handle(m);
        if (connected_) Read();
    });
}

void ScriptedClient::Handle(const Bytes& m) {
    if (m.empty()) return;
    ++received_[m[0]];
    if (MsgRoute::IsGameMessage(m[0])) HandleGame(m);
    else HandleRoom(m);
    if (onMessage) onMessage(*this, m);
}

void ScriptedClient::SeatFromRecord(const std::string& record) {
    const auto f = UserRecord::Fields(record);
    modTableModel::TakeRecordFlags(table_, modTableModel::SeatFromRecord(table_, f), f);
}

void ScriptedClient::HandleRoom(const Bytes& m) {
    const std::uint8_t sub = m.size() > 1 ? m[1] : 0;
    const auto f = RoomMessages::RequestFields(m);
    switch (m[0]) {
        case ROOMMSG_TABLE:
            if (sub == TABLE_RESET) table_.InitGameDefine();
            if (std::string name, seatName; BroadcastParsers::ParseIdentity(m, name, seatName)) {
                name_ = name;
                watcher_ = name != seatName;
                table_.strSeatUserName = seatName;
                table_.blnIsWatcher = watcher_;
            }
            if (sub == TABLE_USERLIST)
                for (const auto& r : UserRecord::SplitList(RoomMessages::RequestText(m))) SeatFromRecord(r);
            if (sub == TABLE_PLAYER_IN && f.size() == UserRecord::kFieldCount)
                SeatFromRecord(RoomMessages::RequestText(m));
            seat_ = table_.FindSeat(table_.strSeatUserName);
            if (seat_ >= 0) table_.bteCurUserNo = static_cast<std::uint8_t>(seat_);
            break;
        case ROOMMSG_USERLEAVE: {
            modTableModel::FreeSeat(table_, table_.FindSeat(RoomMessages::RequestText(m)));
            break;
        }
        case ROOMMSG_GAMESETASK: {
            BroadcastParsers::SettingsAsk ask;
            if (watcher_ || !BroadcastParsers::ParseSettingsAsk(m, ask)) break;
            if (!ask.answerDue) SendRaw(RoomMessages::GameSetAccept(name_));
            else if (ask.isMaster) SendRaw(RoomMessages::GameSetConfirm(name_, plan_.settings));
            else if (ask.masterDecided) SendRaw(RoomMessages::GameSetAccept(name_));
            break;
        }
        case ROOMMSG_GAMESETAGREE: {
            BroadcastParsers::SettingsAgree agree;
            if (!BroadcastParsers::ParseSettingsAgree(m, agree)) break;
            const int s = table_.FindSeat(agree.name);
            if (s >= 0) table_.SeatUser[s].blnReady = true;
            if (!watcher_ && agree.name != name_ && agree.carriesSettings) SendRaw(RoomMessages::GameSetAccept(name_));
            break;
        }
        case ROOMMSG_TABLESTATE: {
            // Decoded as the table client decodes it.
            table_.bteCurUserNo = static_cast<std::uint8_t>(seat_ < 0 ? 0 : seat_);
            table_.blnIsWatcher = watcher_;
            table_.blnGameSetKnown = true;
            table_.ResetBoards();
            gameRunning_ = modTableState::DecodeTableState(table_, m) == TableStateResult::GameRunning;
            removalInFlight_ = false;
            if (gameRunning_) ScheduleMove();
            break;
        }
        default:
            break;
    }
}

bool ScriptedClient::Playing() const {
    return gameRunning_ && !watcher_ && seat_ >= 0 && !table_.SeatUser[seat_].blnGameOut && !silent_;
}

void ScriptedClient::HandleGame(const Bytes& m) {
    switch (m[0]) {
        case GAMEMSG_START:
            // Followed as the table client follows it.
            if (modTableModel::ApplyGameStart(table_, m) != modTableModel::StartResult::Dealt) break;
            gameRunning_ = true;
            removalInFlight_ = false;
            ScheduleMove();
            break;
        case GAMEMSG_REMOVE: {
            GameMessages::RemoveInfo r;
            if (!modTableModel::ApplyRemoval(table_, m, r) || !r.hasPath) break;
            if (r.seat == seat_ && !watcher_) {
                if (removalInFlight_)
                    latencies_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sentAt_).count());
                removalInFlight_ = false;
                ++removals_;
                if (removals_ == plan_.silentAfter) silent_ = true;
                if (removals_ == plan_.timeOutAfter)
                    SendRaw(GameMessages::TimeOutRequest(static_cast<std::uint8_t>(seat_)));
                if (removals_ == plan_.dropAfter && !dropped_) {
                    Drop();
                    break;
                }
                ScheduleMove();
            }
            break;
        }
        case GAMEMSG_TIMEOUT: {
            std::uint8_t seat = 0, place = 0;
            if (BroadcastParsers::ParseTimeOut(m, seat, place)) modTableModel::PutSeatOut(table_, seat, place);
            break;
        }
        case GAMEMSG_END:
            lastResults_ = GameMessages::ParseEnd(m);
            ++gamesEnded_;
            gameRunning_ = false;
            table_.ResetBoards();
            if (!watcher_ && gamesEnded_ < plan_.games) After(std::chrono::milliseconds(200), [this] { PressReady(); });
            break;
        case GAMEMSG_ITEM: {
            BroadcastParsers::ItemConfirm c;
            if (!BroadcastParsers::ParseItemConfirm(m, c) || !modTableModel::ItemTakesEffect(table_, c)) break;
            modDaoJuRule::SetDaoJuCount(table_, c.seat, c.item, c.count);
            // A new own board (rearranged, mirrored or obstructed) gives a new move.
            if (modTableModel::ApplyItemBoards(table_, c) && c.item != DJ_ZHADAN && c.target == seat_) ScheduleMove();
            break;
        }
        default:
            break;
    }
}

void ScriptedClient::ScheduleMove() {
    if (moveScheduled_ || !Playing()) return;
    moveScheduled_ = true;
    After(plan_.think, [this] {
        moveScheduled_ = false;
        Move();
    });
}

void ScriptedClient::Move() {
    if (!Playing() || removalInFlight_ || !connected_) return;
    auto& me = table_.SeatUser[seat_];
    const auto seat = static_cast<std::uint8_t>(seat_);
    if (plan_.useItems && me.bteDelFkCount >= 10) {
        // Now and then throw something at the next player still in play.
        itemDice_ = itemDice_ * 1103515245u + 12345u;
        const int k = (itemDice_ >> 16) % 16;
        if (k == DJ_JINSHOU || k == DJ_NAOZHONG || k == DJ_MENGYAN || k == DJ_JINGZI || k == DJ_ZHANGAI) {
            for (int d = 1; d < 6; ++d) {
                const int t = (seat_ + d) % 6;
                if (table_.SeatUser[t].strUserName.empty() || table_.SeatUser[t].blnGameOut) continue;
                GameMessages::ItemRequest req;
                req.item = k;
                req.seat = seat;
                req.target = static_cast<std::uint8_t>(t);
                SendRaw(GameMessages::ItemRequestMsg(req));
                break;
            }
        }
    }
    LinkPath path;
    if (modLinkSearch::FindLinkPair(me.TileGrid, path)) {
        removalInFlight_ = true;
        ++removalRequests_;
        sentAt_ = Clock::now();
        SendRaw(GameMessages::RemoveRequest(seat, path));
    } else if (me.bteLeftFkCount > 0 && me.bteDaoJuCount[DJ_CHONGLIE] > 0) {
        GameMessages::ItemRequest req;
        req.item = DJ_CHONGLIE;
        req.seat = seat;
        SendRaw(GameMessages::ItemRequestMsg(req));
    } else if (me.bteLeftFkCount > 0) {
        SendRaw(GameMessages::TimeOutRequest(seat));  // stuck: the turn clock would run out
    }
}

void ScriptedClient::PressReady() {
    if (!connected_ || watcher_ || seat_ < 0 || gameRunning_) return;
    SendRaw(GameMessages::ReadyRequest(static_cast<std::uint8_t>(seat_)));
}

void ScriptedClient::Drop() {
    dropped_ = true;
    dropping_ = true;
    std::error_code ec;
    socket_->close(ec);
    connected_ = false;
    After(plan_.dropFor, [this] {
        dropping_ = false;
        ++reconnects_;
        Connect();
    });
}
