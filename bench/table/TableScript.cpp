#include "bench/table/TableScript.h"

#include <array>
#include <random>

#include "core/Framing.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modLinkSearch.h"
#include "core/modRoomMsgDefine.h"
#include "server/BoardDealer.h"
#include "server/ItemRules.h"

namespace {

constexpr int kSeats = GameSize::kSeatCount;
constexpr unsigned kDealSeed = 22;

// A seated player's 16-field record: a few games played, hand raised for the others.
std::string Record(const std::string& name, int seat, bool ready) {
    return name + "`0`120`120``12`50`0`6`6`0`0`0`" + std::to_string(seat) + "`" + (ready ? "1" : "0") + "`0";
}

}  // namespace

std::vector<ScriptStep> BuildTableScript(const ScriptPlanTable& plan) {
    using std::chrono::milliseconds;
    std::vector<ScriptStep> script;
    auto at = [&script](milliseconds when, Bytes message) { script.push_back({when, std::move(message)}); };

    // The newcomer's messages: the table, who it is, the six players, the table state.
    std::vector<std::string> records{Record(plan.player, 0, false)};
    for (int s = 1; s < kSeats; ++s) records.push_back(Record("seat" + std::to_string(s), s, true));
    at(milliseconds(0), RoomMessages::TableReset());
    at(milliseconds(0), RoomMessages::Identity(plan.player, plan.player));
    at(milliseconds(0), RoomMessages::UserList(records));
    RoomMessages::TableState state;
    state.recipientSeat = 0;
    for (int s = 1; s < kSeats; ++s) state.ready[static_cast<std::size_t>(s)] = true;
    at(milliseconds(0), RoomMessages::TableStateMsg(state));

    // The game: one board for every seat, dealt from a fixed seed on the full layout.
    std::mt19937 rng(kDealSeed);
    BoardDealer dealer(rng);
    TileGridT layout{};
    for (auto& row : layout) row.fill(1);
    GameMessages::StartInfo start;
    start.gameNo = 1;
    start.board = dealer.Deal(layout);
    start.items = ItemRules::DefaultCatalogue();
    at(plan.idle, GameMessages::Start(start));

    // The five other seats take the pairs of the deal's removal order in turn.
    const auto& order = dealer.LastOrder();
    std::array<TileGridT, kSeats> boards;
    boards.fill(start.board);
    std::array<std::size_t, kSeats> next{};
    std::array<int, kSeats> combo{}, best{};
    const auto removals = plan.game / plan.pairEvery;
    for (long long i = 0; i < removals; ++i) {
        const int seat = 1 + static_cast<int>(i % (kSeats - 1));
        auto& k = next[static_cast<std::size_t>(seat)];
        if (k >= order.size()) continue;  // this seat has cleared its board
        GameMessages::RemoveInfo r;
        r.seat = static_cast<std::uint8_t>(seat);
        auto& board = boards[static_cast<std::size_t>(seat)];
        if (!modLinkSearch::CheckLink(board, order[k].first, order[k].second, r.path))
            break;  // cannot happen with a dealt order
        board[order[k].first.row][order[k].first.col] = 0;
        board[order[k].second.row][order[k].second.col] = 0;
        ++k;
        // A seat removes every 1.25 s, inside the 3 s of a combo: from its second pair on.
        int& c = combo[static_cast<std::size_t>(seat)];
        c = c == 0 ? 1 : c + 1;
        int& b = best[static_cast<std::size_t>(seat)];
        if (c >= 2) b = std::max(b, c);
        r.comboA = static_cast<std::uint8_t>(c >= 2 ? std::min(c, 255) : 0);
        r.comboB = static_cast<std::uint8_t>(std::min(b, 255));
        at(plan.idle + plan.pairEvery * (i + 1), GameMessages::RemoveBroadcast(r));
    }
    return script;
}

namespace {

// One client's connection: waits for its login, then sends the script on time and reads
// (and forgets) whatever the client sends until it goes.
class ScriptSession : public std::enable_shared_from_this<ScriptSession> {
public:
    ScriptSession(asio::ip::tcp::socket socket, std::shared_ptr<const std::vector<ScriptStep>> script)
        : socket_(std::move(socket)), timer_(socket_.get_executor()), script_(std::move(script)) {}

    void Start() { Read(); }

private:
    void Read() {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(buf_), [this, self](std::error_code ec, std::size_t n) {
            if (ec) return Close();
            decoder_.Feed(buf_.data(), n);
            Bytes m;
            while (decoder_.Next(m))
                if (!loggedIn_ && m.size() >= 2 && m[0] == modRoomMsgDefine::ROOMMSG_TABLE && m[1] == 0) {
                    loggedIn_ = true;
                    loginAt_ = std::chrono::steady_clock::now();
                    SendDue();
                }
            if (decoder_.Failed()) return Close();
            Read();
        });
    }

    // Sends every step that is due, then waits for the next one.
    void SendDue() {
        const auto& script = *script_;
        while (next_ < script.size() && loginAt_ + script[next_].at <= std::chrono::steady_clock::now()) {
            Bytes frame = Framing::EncodeFrame(script[next_].message);
            out_.insert(out_.end(), frame.begin(), frame.end());
            ++next_;
        }
        Write();
        if (next_ >= script.size()) return;
        auto self = shared_from_this();
        timer_.expires_at(loginAt_ + script[next_].at);
        timer_.async_wait([this, self](std::error_code ec) {
            if (!ec) SendDue();
        });
    }

    void Write() {
        if (writing_ || out_.empty()) return;
        writing_ = true;
        sending_.swap(out_);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(sending_), [this, self](std::error_code ec, std::size_t) {
            writing_ = false;
            sending_.clear();
            if (ec) return Close();
            Write();
        });
    }

    void Close() {
        std::error_code ec;
        timer_.cancel();
        socket_.close(ec);
    }

    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    std::shared_ptr<const std::vector<ScriptStep>> script_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 4096> buf_{};
    Bytes out_, sending_;
    bool writing_ = false;
    bool loggedIn_ = false;
    std::chrono::steady_clock::time_point loginAt_{};
    std::size_t next_ = 0;
};

}  // namespace

ScriptedTableServer::ScriptedTableServer(std::vector<ScriptStep> script)
    : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)),
      script_(std::make_shared<const std::vector<ScriptStep>>(std::move(script))) {
    port_ = acceptor_.local_endpoint().port();
    Accept();
    thread_ = std::thread([this] { io_.run(); });
}

ScriptedTableServer::~ScriptedTableServer() {
    io_.stop();
    thread_.join();
}

void ScriptedTableServer::Accept() {
    acceptor_.async_accept([this](std::error_code ec, asio::ip::tcp::socket socket) {
        if (!ec) std::make_shared<ScriptSession>(std::move(socket), script_)->Start();
        Accept();
    });
}
