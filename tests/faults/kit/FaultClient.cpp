#include "tests/faults/kit/FaultClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "core/BroadcastParsers.h"
#include "core/ChatLine.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modDaoJuDefine.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"
#include "core/modPublicTools.h"
#include "core/modRoomMsgDefine.h"
#include "core/modTableState.h"

using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;

namespace {

using Clock = std::chrono::steady_clock;

FaultClient::Ms Left(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<FaultClient::Ms>(end - Clock::now());
    return left.count() > 0 ? left : FaultClient::Ms(0);
}

}  // namespace

FaultClient::FaultClient(int port, int receiveBuffer) {
    snapshot_.InitGameDefine();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

FaultClient::~FaultClient() { Cut(); }

void FaultClient::Cut() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    closed_ = true;
}

// ---- sending ----------------------------------------------------------------------------

void FaultClient::SendBytes(const Bytes& raw) {
    std::size_t done = 0;
    const auto end = Clock::now() + kWait;
    while (Connected() && done < raw.size()) {
        const ssize_t n = ::send(fd_, raw.data() + done, raw.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Clock::now() < end) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 50);
            continue;
        }
        closed_ = true;  // the server has gone, or takes nothing any more
    }
}

void FaultClient::Send(const Bytes& message) { SendBytes(Framing::EncodeFrame(message)); }

void FaultClient::SendHello(const std::string& ticket) { SendBytes(Framing::EncodeHello(ticket)); }

void FaultClient::SendLogin(bool allowWatch) { Send(RoomMessages::Login(allowWatch)); }

std::optional<Bytes> FaultClient::Enter(const std::string& ticket, bool player) {
    SendHello(ticket);
    SendLogin();
    if (!Await(ROOMMSG_TABLE, TABLE_IDENTITY)) return std::nullopt;
    auto snapshot = Await(ROOMMSG_TABLESTATE);
    return player && snapshot ? Await(ROOMMSG_GAMESETASK) : snapshot;
}

void FaultClient::ConfirmSettings(int players) {
    GameSettings s;
    s.playerCount = players;
    Send(RoomMessages::GameSetConfirm(name_, s));
}

void FaultClient::Agree() { Send(RoomMessages::GameSetAccept(name_)); }

void FaultClient::Say(const std::string& text) { Send(GameMessages::Chat(ChatLine::ToEveryone(name_, text))); }

// ---- receiving --------------------------------------------------------------------------

bool FaultClient::ReadSome(Ms limit) {
    if (!Connected()) return false;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(limit.count()));
    if (ready <= 0) return false;
    std::uint8_t buf[8192];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return false;
    if (n <= 0) {
        closed_ = true;
        return false;
    }
    bytesIn_ += static_cast<std::size_t>(n);
    decoder_.Feed(buf, static_cast<std::size_t>(n));
    Bytes m;
    while (decoder_.Next(m)) {
        Take(m);
        log_.push_back(m);
        taken_.push_back(false);
    }
    if (decoder_.Failed()) closed_ = true;
    return true;
}

std::optional<Bytes> FaultClient::Await(const std::function<bool(const Bytes&)>& match, Ms limit) {
    const auto end = Clock::now() + limit;
    std::size_t from = 0;
    for (;;) {
        for (; from < log_.size(); ++from) {
            if (taken_[from] || !match(log_[from])) continue;
            taken_[from] = true;
            return log_[from];
        }
        if (!Connected() || Clock::now() >= end) return std::nullopt;
        ReadSome(std::min(Left(end), Ms(50)));
    }
}

std::optional<Bytes> FaultClient::Await(std::uint8_t type, int sub, Ms limit) {
    return Await(
        [=](const Bytes& m) { return !m.empty() && m[0] == type && (sub < 0 || (m.size() > 1 && m[1] == sub)); },
        limit);
}

std::optional<Bytes> FaultClient::AwaitText(std::uint8_t type, std::uint8_t sub, const std::string& text, Ms limit) {
    return Await([&](const Bytes& m) { return m.size() > 1 && m[0] == type && m[1] == sub && TextOf(m) == text; },
                 limit);
}

bool FaultClient::AwaitClosed(Ms limit) {
    const auto end = Clock::now() + limit;
    while (Connected() && Clock::now() < end) ReadSome(std::min(Left(end), Ms(50)));
    return !Connected();
}

void FaultClient::Drain(Ms limit) {
    if (!ReadSome(limit)) return;
    while (ReadSome(Ms(0))) {}
}

int FaultClient::Count(std::uint8_t type, int sub) const {
    int n = 0;
    for (const auto& m : log_) n += !m.empty() && m[0] == type && (sub < 0 || (m.size() > 1 && m[1] == sub));
    return n;
}

std::string FaultClient::TextOf(const Bytes& m) { return RoomMessages::RequestText(m); }

// ---- the game ---------------------------------------------------------------------------

namespace {

BroadcastParsers::ItemConfirm Confirm(const Bytes& m) {
    BroadcastParsers::ItemConfirm c;
    if (!BroadcastParsers::ParseItemConfirm(m, c)) c.item = -1;
    return c;
}

// A rearrange confirmed for the seat, carrying its new board.
bool IsOwnRearrange(const Bytes& m, int seat) {
    const auto c = Confirm(m);
    return c.item == modDaoJuDefine::DJ_CHONGLIE && c.hasGrid && c.seat == seat;
}

TileGridT RearrangedGrid(const Bytes& m) { return Confirm(m).grid; }

}  // namespace

void FaultClient::Take(const Bytes& m) {
    if (m.empty()) return;
    switch (m[0]) {
        case ROOMMSG_TABLE:
            if (std::string name, seatName; BroadcastParsers::ParseIdentity(m, name, seatName)) name_ = name;
            break;
        case ROOMMSG_TABLESTATE:
            if (std::uint8_t seat = 0; modTableState::ReadRecipientSeat(m, seat)) seat_ = seat % GameSize::kSeatCount;
            snapshot_.InitGameDefine();
            snapshot_.blnGameSetKnown = true;
            snapshot_.ResetBoards();
            if (modTableState::DecodeTableState(snapshot_, m) == TableStateResult::GameRunning)
                board_ = snapshot_.SeatUser[seat_].TileGrid;
            break;
        case GAMEMSG_START: {
            GameMessages::StartInfo info;
            if (!GameMessages::ParseStart(m, info)) break;
            seat_ = info.recipientSeat;
            board_ = info.board;
            break;
        }
        case GAMEMSG_REMOVE: {
            GameMessages::RemoveInfo r;
            if (!GameMessages::ParseRemoveBroadcast(m, r) || !r.hasPath || r.seat != seat_) break;
            const CellPos a = r.path.First(), b = r.path.Last();
            board_[a.row][a.col] = board_[b.row][b.col] = 0;
            break;
        }
        case GAMEMSG_ITEM:
            // The own rearranged board.
            if (IsOwnRearrange(m, seat_)) board_ = RearrangedGrid(m);
            break;
        default:
            break;
    }
}

bool FaultClient::AwaitStart(Ms limit) { return Await(GAMEMSG_START, -1, limit).has_value(); }

int FaultClient::PlayPairs(int pairs, Ms limit) {
    const auto end = Clock::now() + limit;
    const auto seat = static_cast<std::uint8_t>(seat_);
    auto ownRemoval = [seat](const Bytes& m) {
        GameMessages::RemoveInfo r;
        return GameMessages::ParseRemoveBroadcast(m, r) && r.hasPath && r.seat == seat;
    };
    int done = 0;
    while (done < pairs && TilesLeft() > 0 && Clock::now() < end) {
        LinkPath path;
        if (modLinkSearch::FindLinkPair(board_, path)) {
            Send(GameMessages::RemoveRequest(seat, path));
            if (!Await(ownRemoval, Left(end))) break;
            ++done;
            continue;
        }
        GameMessages::ItemRequest req;
        req.item = modDaoJuDefine::DJ_CHONGLIE;
        req.seat = seat;
        Send(GameMessages::ItemRequestMsg(req));
        if (!Await([seat](const Bytes& m) { return IsOwnRearrange(m, seat); }, Left(end))) break;
    }
    return done;
}

bool FaultClient::PlayOut(Ms limit) {
    PlayPairs(GameSize::kRows * GameSize::kCols, limit);
    return TilesLeft() == 0;
}
