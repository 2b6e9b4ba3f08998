// One computer player answering the server's messages, without a network: what it
// sends, and when; and its connection against a socket of the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>

#include "BotTestKit.h"
#include "bot/BotPlayer.h"
#include "core/Ticket.h"

using namespace BotTestKit;
using namespace std::chrono_literals;
using namespace modDaoJuDefine;

namespace {

// A player at seat 2 of four ("p0" the master), fed by the test, its requests caught.
struct Harness {
    asio::io_context io;
    BotTrace trace{""};
    std::vector<Bytes> sent;
    std::unique_ptr<BotPlayer> player;

    explicit Harness(Strategy strategy, const std::string& name = "p2", std::function<void(BotConfig&)> tune = {}) {
        BotConfig c;
        c.name = name;
        c.strategy = strategy;
        c.pace = 0;  // no pauses
        c.players = 4;
        c.turnSeconds = 30;
        if (tune) tune(c);
        player = std::make_unique<BotPlayer>(io, c, trace);
        player->Attach([this](const Bytes& m) { sent.push_back(m); });
    }
    void Feed(const Bytes& m) { player->Receive(m); }
    void FeedAll(const std::vector<Bytes>& ms) {
        for (const auto& m : ms) Feed(m);
    }
    // Runs the player's timers until `done` or the time is up.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 2000ms) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end) {
            io.restart();
            io.run_for(5ms);
        }
        return done();
    }
    void RunFor(std::chrono::milliseconds t) {
        RunUntil([] { return false; }, t);
    }
    std::vector<Bytes> SentOfType(std::uint8_t type) const {
        std::vector<Bytes> out;
        for (const auto& m : sent)
            if (!m.empty() && m[0] == type) out.push_back(m);
        return out;
    }
    const SeatUserDef& Seat(int s) const { return player->Table().Game().SeatUser[s]; }
};

LinkPath FirstPair(const TileGridT& g) {
    LinkPath p;
    EXPECT_TRUE(modLinkSearch::FindLinkPair(g, p));
    return p;
}

Bytes RemovalOf(int seat, const LinkPath& path) {
    GameMessages::RemoveInfo r;
    r.seat = static_cast<std::uint8_t>(seat);
    r.path = path;
    return GameMessages::RemoveBroadcast(r);
}

const TileGridT kBoard = Board({
    "ab.ab.gg",
    "cc..d...",
    "....d.hh",
    "eeff....",
});

// Nine tiles walled in by each other in the corner: no pair links.
const TileGridT kNoMove = Board({
    "abc",
    "bad",
    "cde",
});

}  // namespace

TEST(BotPlayer, TheMasterChoosesTheSettingsAndTheOthersAgreeToThem) {
    Harness master(Strategy::First, "p0");
    master.FeedAll(Joined("p0", "p0", Players(3)));
    RoomMessages::GameSetAsk ask;
    ask.isMaster = true;
    ask.settings.baseScore = 99999;  // beyond the bound: kept within
    master.Feed(RoomMessages::GameSetAskMsg(ask));
    ASSERT_TRUE(master.RunUntil([&] { return !master.sent.empty(); }));
    master.RunFor(30ms);
    ASSERT_EQ(master.sent.size(), 1u);  // the confirmation raises the hand: no start press
    GameSettings chosen = ask.settings;
    chosen.playerCount = 4;
    chosen.baseScore = ask.settings.maxBaseScore;
    EXPECT_EQ(master.sent[0], RoomMessages::GameSetConfirm("p0", chosen));

    Harness other(Strategy::First);
    other.FeedAll(Joined("p2", "p2", Players(3)));
    ask.isMaster = false;
    other.Feed(RoomMessages::GameSetAskMsg(ask));  // the master has not decided
    other.RunFor(30ms);
    EXPECT_TRUE(other.sent.empty());
    other.Feed(RoomMessages::GameSetAgreeMsg(0, "p0", &chosen));
    ASSERT_TRUE(other.RunUntil([&] { return !other.sent.empty(); }));
    other.RunFor(30ms);
    ASSERT_EQ(other.sent.size(), 1u);
    EXPECT_EQ(other.sent[0], RoomMessages::GameSetAccept("p2"));
}

TEST(BotPlayer, UnreadableSettingsMakeThePlayerLeave) {
    Harness h(Strategy::Human);
    h.FeedAll(Joined("p2", "p2", Players(3)));
    h.Feed(GameMessages::TextMessage({111, 0}, "1`p2`p0`0`3`1`1`4`10`20"));
    EXPECT_EQ(h.SentOfType(110).size(), 1u);
    EXPECT_TRUE(h.player->Finished());
    EXPECT_FALSE(h.player->Lost());
}

TEST(BotPlayer, TheFirstStrategyPlaysTheFirstPairAndWaitsForEachConfirmation) {
    Harness h(Strategy::First);
    h.FeedAll(Joined("p2", "p2", Players(4)));
    h.Feed(StartOn(kBoard));
    ASSERT_TRUE(h.RunUntil([&] { return !h.SentOfType(19).empty(); }));
    h.RunFor(50ms);
    auto removals = h.SentOfType(19);
    ASSERT_EQ(removals.size(), 1u);  // nothing more before the server confirms
    TileGridT board = kBoard;
    LinkPath first = FirstPair(board);
    EXPECT_EQ(removals[0], GameMessages::RemoveRequest(2, first));

    h.Feed(RemovalOf(1, FirstPair(board)));  // another seat: nothing to answer
    h.RunFor(30ms);
    EXPECT_EQ(h.SentOfType(19).size(), 1u);

    // Each confirmation brings the next first pair of the board as it is now.
    for (int step = 0; step < 3; ++step) {
        h.Feed(RemovalOf(2, first));
        board[first.First().row][first.First().col] = board[first.Last().row][first.Last().col] = 0;
        ASSERT_EQ(h.Seat(2).TileGrid, board);
        ASSERT_TRUE(h.RunUntil([&] { return h.SentOfType(19).size() == static_cast<std::size_t>(step + 2); }));
        first = FirstPair(board);
        EXPECT_EQ(h.SentOfType(19).back(), GameMessages::RemoveRequest(2, first));
    }
    EXPECT_TRUE(h.SentOfType(133).empty());  // never an item
    EXPECT_TRUE(h.SentOfType(1).empty());    // never a chat line
}

TEST(BotPlayer, TheTurnClockReportsTheTimeOutUnlessTheNoMoveNoticeStoppedIt) {
    // No move from the start: the clock runs and its end is reported.
    Harness stuck(Strategy::First, "p2", [](BotConfig& c) { c.turnSeconds = 0.3; });
    stuck.FeedAll(Joined("p2", "p2", Players(4)));
    stuck.Feed(StartOn(kNoMove));
    ASSERT_TRUE(stuck.RunUntil([&] { return !stuck.SentOfType(20).empty(); }));
    EXPECT_EQ(stuck.SentOfType(20)[0], GameMessages::TimeOutRequest(2));
    EXPECT_TRUE(stuck.SentOfType(19).empty());
    // Once out, nothing more is reported.
    stuck.Feed(GameMessages::TimeOut(2, 4));
    stuck.RunFor(500ms);
    EXPECT_EQ(stuck.SentOfType(20).size(), 1u);

    // A removal that leaves five tiles without a move: the clock stays stopped.
    TileGridT board = kNoMove;
    board[5][5] = board[5][6] = 26;
    Harness noted(Strategy::First, "p2", [](BotConfig& c) { c.turnSeconds = 0.2; });
    noted.FeedAll(Joined("p2", "p2", Players(4)));
    noted.Feed(StartOn(board));
    ASSERT_TRUE(noted.RunUntil([&] { return !noted.SentOfType(19).empty(); }));
    noted.Feed(RemovalOf(2, FirstPair(board)));
    noted.RunFor(600ms);
    EXPECT_TRUE(noted.SentOfType(20).empty());
    EXPECT_EQ(noted.SentOfType(19).size(), 1u);
}

TEST(BotPlayer, AHumanRearrangesAStuckBoardAndThenPlaysALinkablePair) {
    Harness h(Strategy::Human, "p2", [](BotConfig& c) { c.skill = 5; });
    h.FeedAll(Joined("p2", "p2", Players(4)));
    h.Feed(StartOn(kNoMove));  // one free rearrange
    ASSERT_TRUE(h.RunUntil([&] { return !h.SentOfType(133).empty(); }));
    ASSERT_EQ(h.SentOfType(133)[0], (Bytes{133, 10, 0, 2}));
    h.Feed(GameMessages::RearrangeDone(2, 0, kBoard));
    ASSERT_TRUE(h.RunUntil([&] { return !h.SentOfType(19).empty(); }, 5000ms));
    LinkPath sent, check;
    std::uint8_t seat = 0;
    ASSERT_TRUE(GameMessages::ParseRemoveRequest(h.SentOfType(19)[0], seat, sent));
    EXPECT_EQ(seat, 2);
    EXPECT_TRUE(modLinkSearch::CheckLink(kBoard, sent.First(), sent.Last(), check));
}

TEST(BotPlayer, AChangedBoardIsThoughtOverAgain) {
    Harness h(Strategy::First);
    h.FeedAll(Joined("p2", "p2", Players(4)));
    h.Feed(StartOn(kBoard));
    ASSERT_TRUE(h.RunUntil([&] { return !h.SentOfType(19).empty(); }));
    // A mirror lands before the pair was confirmed: the server drops the old pair, so
    // the player takes the first pair of the new board.
    const TileGridT mirrored = Board({"..k.k", "..j.j"});
    h.Feed(GameMessages::GridTargetDone(DJ_JINGZI, 0, 2, 0, mirrored));
    ASSERT_TRUE(h.RunUntil([&] { return h.SentOfType(19).size() == 2; }));
    EXPECT_EQ(h.SentOfType(19)[1], GameMessages::RemoveRequest(2, FirstPair(mirrored)));
}

TEST(BotPlayer, ASpectatorNeverSendsAnything) {
    Harness h(Strategy::Human, "w", [](BotConfig& c) { c.watched = "p1"; });
    auto records = Players(4);
    records.push_back(Record("w", 1, "p1"));
    h.FeedAll(Joined("w", "p1", records, true));
    RoomMessages::GameSetAsk ask;
    ask.isMaster = true;
    h.Feed(RoomMessages::GameSetAskMsg(ask));
    h.Feed(StartOn(kBoard));
    h.Feed(RemovalOf(1, FirstPair(kBoard)));
    h.Feed(GameMessages::GridTargetDone(DJ_ZHANGAI, 0, 1, 0, kNoMove));
    h.Feed(GameMessages::End({{1, 1, 10}}));
    h.RunFor(100ms);
    EXPECT_TRUE(h.sent.empty());
    EXPECT_EQ(h.player->Table().Game().SeatUser[1].TileGrid, TileGridT{});  // cleared at the end
}

TEST(BotPlayer, AfterAGameTheHandGoesUpAgainOrThePlayerLeaves) {
    Harness again(Strategy::First);
    again.FeedAll(Joined("p2", "p2", Players(4)));
    again.Feed(StartOn(kBoard));
    again.Feed(GameMessages::End({{2, 1, 10}}));
    ASSERT_TRUE(again.RunUntil([&] { return !again.SentOfType(18).empty(); }));
    EXPECT_EQ(again.SentOfType(18)[0], GameMessages::ReadyRequest(2));
    EXPECT_EQ(again.player->GamesEnded(), 1);

    Harness last(Strategy::First, "p2", [](BotConfig& c) { c.games = 1; });
    last.FeedAll(Joined("p2", "p2", Players(4)));
    last.Feed(StartOn(kBoard));
    last.Feed(GameMessages::End({{2, 1, 10}}));
    EXPECT_EQ(last.SentOfType(110).size(), 1u);
    EXPECT_TRUE(last.player->Finished());
    last.RunFor(30ms);
    EXPECT_TRUE(last.SentOfType(18).empty());
}

TEST(BotPlayer, APlayerWhoCannotGoOnEnds) {
    Harness h(Strategy::First);
    h.FeedAll(Joined("p2", "p2", Players(4)));
    h.Feed(StartOn(kBoard));
    h.Feed(GameMessages::PlayerQuit(1, "逃跑"));  // someone else
    EXPECT_FALSE(h.player->Finished());
    h.Feed(GameMessages::PlayerQuit(2, "掉线"));
    EXPECT_TRUE(h.player->Finished());
    const auto before = h.sent.size();
    h.RunFor(30ms);
    EXPECT_EQ(h.sent.size(), before);
}

TEST(BotConnection, SendsHelloAndLoginAndEndsOnABadFrame) {
    // A server of the test's own: it reads the first two frames of each of two players,
    // then sends the first a frame of length 0 and the second nothing.
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    const std::string port = std::to_string(acceptor.local_endpoint().port());
    BotTrace trace("");
    std::vector<std::unique_ptr<BotPlayer>> players;
    for (const char* name : {"甲", "乙"}) {
        BotConfig c;
        c.host = "127.0.0.1";
        c.port = port;
        c.table = 4;
        c.name = name;
        players.push_back(std::make_unique<BotPlayer>(io, c, trace));
    }
    std::vector<std::shared_ptr<asio::ip::tcp::socket>> peers;
    std::map<std::string, int> peerOf;  // player name -> accepted socket
    for (auto& p : players) p->Start();
    std::function<void()> acceptNext = [&] {
        auto s = std::make_shared<asio::ip::tcp::socket>(io);
        acceptor.async_accept(*s, [&, s](std::error_code ec) {
            if (ec) return;
            peers.push_back(s);
            if (peers.size() < 2) acceptNext();
        });
    };
    acceptNext();
    const auto connectBy = std::chrono::steady_clock::now() + 5s;
    while (peers.size() < 2 && std::chrono::steady_clock::now() < connectBy) {
        io.restart();
        io.run_for(10ms);
    }
    ASSERT_EQ(peers.size(), 2u);
    io.restart();
    io.run_for(100ms);  // let the players write
    for (int i = 0; i < 2; ++i) {
        Framing::FrameDecoder d;
        std::array<std::uint8_t, 4096> buf{};
        Bytes m;
        std::vector<Bytes> got;
        while (got.size() < 2) {
            const std::size_t n = peers[i]->read_some(asio::buffer(buf));
            d.Feed(buf.data(), n);
            while (d.Next(m)) got.push_back(m);
        }
        std::string ticket;
        ASSERT_TRUE(Framing::ParseHello(got[0], ticket));
        Ticket::SeatTicket t;
        ASSERT_EQ(Ticket::Check(ticket, nullptr, std::time(nullptr), &t), Ticket::Verdict::Ok);
        EXPECT_EQ(t.table, 4);
        EXPECT_TRUE(t.watched.empty());
        bool allowWatch = false;
        EXPECT_TRUE(RoomMessages::ParseLogin(got[1], allowWatch));
        EXPECT_TRUE(allowWatch);
        peerOf[t.name] = i;
    }
    const std::uint8_t zeroLength[] = {0, 0, 0, 0};
    ASSERT_EQ(peerOf.size(), 2u);
    asio::write(*peers[peerOf["甲"]], asio::buffer(zeroLength));
    io.restart();
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (!players[0]->Finished() && std::chrono::steady_clock::now() < end) io.run_for(10ms);
    EXPECT_TRUE(players[0]->Finished());
    EXPECT_TRUE(players[0]->Lost());
    EXPECT_FALSE(players[1]->Finished());
    players[1]->Stop();
    EXPECT_TRUE(players[1]->Finished());
    EXPECT_FALSE(players[1]->Lost());
}
