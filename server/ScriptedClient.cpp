#include "server/ScriptedClient.h"

#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"
#include "core/modPublicTools.h"
#include "core/modTableState.h"

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;
using namespace modDaoJuDefine;

ScriptedClient::ScriptedClient(asio::io_context& io, asio::ip::tcp::endpoint server, ScriptPlan plan)
    : io_(io), server_(server), plan_(std::move(plan)), alive_(std::make_shared<bool>(true)) {
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
    if (f.empty() || !modPublicTools::TrimBlanks(f[UserRecord::kWatched]).empty()) return;
    auto& s = table_.SeatUser[LeadingNumber::Long(f[UserRecord::kChair]) % 6];
    s.strUserName = f[UserRecord::kName];
    s.blnReady = LeadingNumber::Long(f[UserRecord::kReady]) > 0;
}

void ScriptedClient::HandleRoom(const Bytes& m) {
    const std::uint8_t sub = m.size() > 1 ? m[1] : 0;
    const auto f = RoomMessages::RequestFields(m);
    switch (m[0]) {
        case ROOMMSG_TABLE:
            if (sub == TABLE_RESET) table_.InitGameDefine();
            if (sub == TABLE_IDENTITY && f.size() == 2) {
                name_ = f[0];
                watcher_ = f[0] != f[1];
                table_.strSeatUserName = f[1];
            }
            if (sub == TABLE_USERLIST)
                for (const auto& r : UserRecord::SplitList(modPublicTools::ConvertBytesToStr(m, 2))) SeatFromRecord(r);
            if (sub == TABLE_PLAYER_IN && f.size() == UserRecord::kFieldCount)
                SeatFromRecord(modPublicTools::JoinFields(f));
            seat_ = table_.FindSeat(table_.strSeatUserName);
            break;
        case ROOMMSG_USERLEAVE: {
            const int s = table_.FindSeat(modPublicTools::ConvertBytesToStr(m, 2));
            if (s >= 0) table_.SeatUser[s].strUserName.clear();
            break;
        }
        case ROOMMSG_GAMESETASK:
            if (watcher_ || f.size() < 7) break;
            if (LeadingNumber::Long(f[5]) <= 0) SendRaw(RoomMessages::GameSetAccept(name_));
            else if (LeadingNumber::Long(f[3]) > 0) SendRaw(RoomMessages::GameSetConfirm(name_, plan_.settings));
            else if (LeadingNumber::Long(f[6]) > 0) SendRaw(RoomMessages::GameSetAccept(name_));
            break;
        case ROOMMSG_GAMESETAGREE: {
            if (f.empty()) break;
            const int s = table_.FindSeat(f[0]);
            if (s >= 0) table_.SeatUser[s].blnReady = true;
            if (!watcher_ && f[0] != name_ && f.size() > 1) SendRaw(RoomMessages::GameSetAccept(name_));
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
        case GAMEMSG_START: {
            GameMessages::StartInfo info;
            if (!GameMessages::ParseStart(m, info)) break;
            table_.ResetBoards();
            for (auto& s : table_.SeatUser) {
                s.TileGrid = info.board;
                s.bteLeftFkCount = static_cast<std::uint8_t>(modGameDefine::CountTiles(info.board));
                s.blnGameOut = s.strUserName.empty();
            }
            table_.g_DaoJu = info.items;
            if (seat_ >= 0)
                for (int k = 0; k < kItemCount; ++k)
                    table_.SeatUser[seat_].bteDaoJuCount[k] = info.items[k].bteFreeCount;
            gameRunning_ = true;
            removalInFlight_ = false;
            ScheduleMove();
            break;
        }
        case GAMEMSG_REMOVE: {
            GameMessages::RemoveInfo r;
            if (!GameMessages::ParseRemoveBroadcast(m, r) || r.seat >= 6) break;
            auto& s = table_.SeatUser[r.seat];
            const CellPos a = r.path.First(), b = r.path.Last();
            s.TileGrid[a.row][a.col] = s.TileGrid[b.row][b.col] = 0;
            s.bteDelFkCount += 2;
            s.bteLeftFkCount -= 2;
            s.bteDaoJuCount = r.counts;
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
        case GAMEMSG_TIMEOUT:
            if (m.size() == 4 && m[2] < 6) {
                table_.SeatUser[m[2]].blnGameOut = true;
                table_.SeatUser[m[2]].btePlace = m[3];
            }
            break;
        case GAMEMSG_END:
            lastResults_ = GameMessages::ParseEnd(m);
            ++gamesEnded_;
            gameRunning_ = false;
            table_.ResetBoards();
            if (!watcher_ && gamesEnded_ < plan_.games) After(std::chrono::milliseconds(200), [this] { PressReady(); });
            break;
        case GAMEMSG_ITEM: {
            if (m.size() < 5) break;
            const int user = m[3];
            if (user >= 6) break;
            if (m[1] == ITEMSUB_CHONGLIE && m.size() == 185) {
                GameMessages::ReadGrid(m, 5, table_.SeatUser[user].TileGrid);
                if (user == seat_) {
                    table_.SeatUser[user].bteDaoJuCount[DJ_CHONGLIE] = m[4];
                    ScheduleMove();
                }
            } else if ((m[1] == DJ_JINGZI || m[1] == DJ_ZHANGAI) && m.size() == 186 && m[4] < 6) {
                auto& t = table_.SeatUser[m[4]];
                GameMessages::ReadGrid(m, 6, t.TileGrid);
                t.bteLeftFkCount = static_cast<std::uint8_t>(modGameDefine::CountTiles(t.TileGrid));
                if (m[4] == seat_) ScheduleMove();
            } else if (m[1] == DJ_ZHADAN && m.size() >= 10) {
                LinkPath path;
                path.lngNodeCount = m[5];
                if (path.lngNodeCount >= 2 && path.lngNodeCount <= 4 && m.size() == 6u + 2 * path.lngNodeCount) {
                    for (int i = 0; i < 2 * path.lngNodeCount; ++i) path.lngNodePos[i] = m[6 + i];
                    auto& s = table_.SeatUser[user];
                    s.TileGrid[path.First().row][path.First().col] = 0;
                    s.TileGrid[path.Last().row][path.Last().col] = 0;
                    s.bteLeftFkCount -= 2;
                }
            }
            if (user == seat_ && m[1] != ITEMSUB_FENZU) {
                const int k = modDaoJuDefine::ItemOfSubCode(m[1]);
                const bool thrown =
                    k == DJ_JINSHOU || k == DJ_NAOZHONG || k == DJ_MENGYAN || k == DJ_JINGZI || k == DJ_ZHANGAI;
                const std::size_t at = thrown ? 5 : 4;
                if (k >= 0 && m.size() > at) table_.SeatUser[user].bteDaoJuCount[k] = m[at];
            }
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
