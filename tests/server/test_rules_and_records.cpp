// The server's own rules without sockets: deals that can be cleared, the board-changing
// items, combos and places, scores with teams, earning and charging items, the SQLite
// records, and the exact lengths of the messages the table client checks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "core/GameMessages.h"
#include "core/GbkText.h"
#include "core/RoomMessages.h"
#include "core/modSolver.h"
#include "core/modTableState.h"
#include "server/BoardDealer.h"
#include "server/GameRound.h"
#include "server/ItemRules.h"
#include "server/MapStore.h"
#include "server/Scoring.h"
#include "server/SqliteStore.h"

using namespace modDaoJuDefine;

namespace {

TileGridT Layout(int seed, int density) {
    std::mt19937 rng(seed);
    TileGridT g{};
    for (auto& row : g)
        for (auto& c : row) c = static_cast<int>(rng() % 100) < density ? 1 : 0;
    return g;
}

bool EvenCodes(const TileGridT& g) {
    std::map<int, int> n;
    for (const auto& row : g)
        for (auto c : row)
            if (c) ++n[c];
    for (auto [code, k] : n)
        if (k % 2) return false;
    return true;
}

bool SameCells(const TileGridT& a, const TileGridT& b) {
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 18; ++c)
            if ((a[r][c] != 0) != (b[r][c] != 0)) return false;
    return true;
}

}  // namespace

TEST(Dealing, EveryDealCanBeClearedAndPairsItsCodes) {
    std::mt19937 rng(5);
    BoardDealer dealer(rng);
    std::vector<TileGridT> layouts = {MapStore::BuiltInLayout()};
    TileGridT full{};
    for (auto& row : full) row.fill(1);
    layouts.push_back(full);  // no empty cell anywhere: the hardest layout
    for (int i = 0; i < 30; ++i) layouts.push_back(Layout(i, 40 + i * 2));
    for (const auto& layout : layouts) {
        const TileGridT board = dealer.Deal(layout);
        const int marked = modGameDefine::CountTiles(layout);
        EXPECT_EQ(modGameDefine::CountTiles(board), marked - marked % 2);
        EXPECT_TRUE(EvenCodes(board));
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 18; ++c) {
                if (!layout[r][c]) {
                    EXPECT_EQ(board[r][c], 0);
                }
                EXPECT_LE(board[r][c], GameSize::kTileKinds);
            }
        ASSERT_FALSE(dealer.LastOrder().empty());
        EXPECT_TRUE(BoardDealer::ClearsInOrder(board, dealer.LastOrder()));
        EXPECT_NE(modSolver::SolveBoard(board, 20000).outcome, modSolver::SolveOutcome::Unsolvable);
    }
}

TEST(Dealing, MapTitlesComeFromTheTitleFileBesideTheMaps) {
    const auto dir = std::filesystem::temp_directory_path() / ("tilelink-maps-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream titles(dir / "MapTitle.txt", std::ios::binary);
        titles << GbkText::FromUtf8("随机地图\r\n回字框\r\n菱形\r\n");
    }
    const MapStore maps(dir.string());
    EXPECT_EQ(maps.Title(0), "随机地图");
    EXPECT_EQ(maps.Title(2), "菱形");
    EXPECT_EQ(maps.Title(3), "");
    EXPECT_EQ(maps.Title(-1), "");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(MapStore(dir.string()).Title(0), "");  // no folder, no titles
}

TEST(Dealing, RearrangeMirrorAndObstacleKeepTheBoardSound) {
    std::mt19937 rng(8);
    BoardDealer dealer(rng);
    TileGridT board = dealer.Deal(MapStore::BuiltInLayout());
    // Half played: remove the first pairs of the known order.
    auto order = dealer.LastOrder();
    for (int i = 0; i < 30; ++i)
        board[order[i].first.row][order[i].first.col] = board[order[i].second.row][order[i].second.col] = 0;

    const TileGridT again = dealer.Rearrange(board);
    EXPECT_TRUE(SameCells(board, again));
    std::map<int, int> before, after;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 18; ++c) ++before[board[r][c]], ++after[again[r][c]];
    EXPECT_EQ(before, after);
    EXPECT_TRUE(BoardDealer::ClearsInOrder(again, dealer.LastOrder()));

    const TileGridT flipped = BoardDealer::Mirror(again);
    EXPECT_EQ(flipped[3][0], again[3][17]);
    EXPECT_EQ(BoardDealer::Mirror(flipped), again);

    const TileGridT more = dealer.DropPairs(again, 6);
    EXPECT_EQ(modGameDefine::CountTiles(more), modGameDefine::CountTiles(again) + 12);
    EXPECT_TRUE(EvenCodes(more));
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 18; ++c)
            if (again[r][c]) {
                EXPECT_EQ(more[r][c], again[r][c]);  // the tiles already there stay
            }
    // A nearly full board takes only the pairs that fit.
    TileGridT full{};
    for (auto& row : full) row.fill(3);
    full[0][0] = full[0][1] = full[9][17] = 0;
    EXPECT_EQ(modGameDefine::CountTiles(dealer.DropPairs(full, 6)), 179);
}

TEST(Round, PlacesCombosAndTheEnd) {
    std::mt19937 rng(3);
    BoardDealer dealer(rng);
    const TileGridT board = dealer.Deal(MapStore::BuiltInLayout());
    const auto order = dealer.LastOrder();
    std::array<bool, 6> seated = {true, true, true, false, false, false};
    GameRound round(seated, {}, {}, board, ItemRules::DefaultCatalogue(), std::chrono::milliseconds(3000), rng);
    EXPECT_EQ(round.Participants(), 3);
    const auto t0 = GameRound::Clock::now();
    GameRound::Removal r;
    EXPECT_FALSE(round.Remove(3, order[0].first, order[0].second, t0, r));  // an empty seat
    ASSERT_TRUE(round.Remove(0, order[0].first, order[0].second, t0, r));
    EXPECT_EQ(r.comboA, 0);
    EXPECT_FALSE(round.Remove(0, order[0].first, order[0].second, t0, r));  // already gone
    ASSERT_TRUE(round.Remove(0, order[1].first, order[1].second, t0 + std::chrono::seconds(1), r));
    EXPECT_EQ(r.comboA, 2);
    ASSERT_TRUE(round.Remove(0, order[2].first, order[2].second, t0 + std::chrono::seconds(2), r));
    EXPECT_EQ(r.comboA, 3);
    ASSERT_TRUE(round.Remove(0, order[3].first, order[3].second, t0 + std::chrono::seconds(6), r));
    EXPECT_EQ(r.comboA, 0);  // too slow: the combo is over
    EXPECT_EQ(round.Player(0).bestChain, 3);

    EXPECT_EQ(round.TimeOut(1), 3);  // a time-out takes the worst free place
    EXPECT_EQ(round.TimeOut(1), 0);  // and only once
    EXPECT_FALSE(round.Over() && round.PlayingCount() != 1);
    // Seat 2 clears its board: the best free place.
    const auto t1 = t0 + std::chrono::seconds(100);
    for (std::size_t i = 0; i < order.size(); ++i) ASSERT_TRUE(round.Remove(2, order[i].first, order[i].second, t1, r));
    EXPECT_TRUE(r.cleared);
    EXPECT_EQ(round.Player(2).place, 1);
    EXPECT_TRUE(round.Over());
    round.FinishLast();
    EXPECT_EQ(round.Player(0).place, 2);
}

TEST(Round, EarningAndChargingItems) {
    ItemRules::ItemTable items = ItemRules::DefaultCatalogue();
    items[DJ_ZHINANZHEN].bteFreePerDelFk = 10;
    ItemRules::ItemCounts counts{};
    ItemRules::Earn(items, counts, 8, 10);
    EXPECT_EQ(counts[DJ_ZHINANZHEN], 1);
    ItemRules::Earn(items, counts, 10, 18);
    EXPECT_EQ(counts[DJ_ZHINANZHEN], 1);
    ItemRules::Earn(items, counts, 18, 40);  // 20, 30 and 40 passed
    EXPECT_EQ(counts[DJ_ZHINANZHEN], 4);
    counts[DJ_ZHINANZHEN] = 250;
    ItemRules::Earn(items, counts, 0, 200);
    EXPECT_EQ(counts[DJ_ZHINANZHEN], 255);  // never wraps

    std::int64_t points = 12;
    counts.fill(0);
    counts[DJ_JINSHOU] = 1;
    EXPECT_EQ(ItemRules::ChargeUse(items, DJ_JINSHOU, counts, points), ItemRules::Charge::Free);
    EXPECT_EQ(counts[DJ_JINSHOU], 0);
    EXPECT_EQ(ItemRules::ChargeUse(items, DJ_JINSHOU, counts, points), ItemRules::Charge::Refused);  // no price
    items[DJ_JINSHOU].lngPrice = 10;
    EXPECT_EQ(ItemRules::ChargeUse(items, DJ_JINSHOU, counts, points), ItemRules::Charge::Paid);
    EXPECT_EQ(points, 2);
    EXPECT_EQ(counts[DJ_JINSHOU], 0);
    EXPECT_EQ(ItemRules::ChargeUse(items, DJ_JINSHOU, counts, points), ItemRules::Charge::Refused);
    EXPECT_EQ(ItemRules::ChargeUse(items, 9, counts, points), ItemRules::Charge::Refused);
}

TEST(Round, ItemCatalogueFile) {
    const auto path = std::filesystem::temp_directory_path() / "tilelink-items.txt";
    std::string error;
    {
        std::ofstream f(path);
        f << "# price free self need per\n";
        for (int k = 0; k < 9; ++k) f << (k == 4 ? 100 : -1) << " 2 " << (k == 2 ? 1 : 0) << " 0 12\n";
    }
    auto items = ItemRules::LoadCatalogue(path.string(), error);
    ASSERT_TRUE(items) << error;
    EXPECT_EQ((*items)[4].lngPrice, 100);
    EXPECT_TRUE((*items)[2].blnUseSelf);
    {
        std::ofstream f(path);
        f << "1 2 3 4\n";
    }
    EXPECT_FALSE(ItemRules::LoadCatalogue(path.string(), error));
    EXPECT_FALSE(ItemRules::LoadCatalogue("/nonexistent/items", error));
    std::filesystem::remove(path);
}

TEST(Scores, TeamsShareTheirBestPlaceAndRunawaysPay) {
    using Scoring::Outcome;
    // Six free players: +5, +3, +1, -1, -3, -5 base points.
    std::vector<Scoring::Entry> free;
    for (int s = 0; s < 6; ++s) free.push_back({s, static_cast<std::uint8_t>(s + 1), 0, false});
    auto r = Scoring::Score(free, 10, 50);
    EXPECT_EQ(r[0].score, 50);
    EXPECT_EQ(r[2].score, 10);
    EXPECT_EQ(r[5].score, -50);
    EXPECT_EQ(r[5].outcome, Outcome::Loss);
    // Team A (places 2 and 6) against team B (places 1 and 5) and two free players.
    std::vector<Scoring::Entry> teams = {{0, 2, 1, false}, {1, 6, 1, false}, {2, 1, 2, false},
                                         {3, 5, 2, false}, {4, 3, 0, false}, {5, 4, 0, true}};
    r = Scoring::Score(teams, 10, 30);
    EXPECT_EQ(r[2].place, 1);
    EXPECT_EQ(r[3].place, 1);  // B's best member was first
    EXPECT_EQ(r[0].place, 2);
    EXPECT_EQ(r[1].place, 2);
    EXPECT_EQ(r[4].place, 3);
    EXPECT_EQ(r[0].score, 0);  // the middle of three sides
    EXPECT_EQ(r[2].score, 20);
    EXPECT_EQ(r[4].score, -20);
    EXPECT_EQ(r[5].score, -30);
    EXPECT_EQ(r[5].outcome, Outcome::Escape);
    // One team alone: nobody to win against.
    r = Scoring::Score({{0, 1, 3, false}, {1, 2, 3, false}}, 10, 30);
    EXPECT_EQ(r[0].score, 0);
    EXPECT_EQ(r[1].outcome, Outcome::Draw);
}

TEST(Records, CreatedVersionedAndCountedInOneTransaction) {
    const auto path =
        (std::filesystem::temp_directory_path() / ("tilelink-store-" + std::to_string(::getpid()) + ".db")).string();
    std::filesystem::remove(path);
    std::string error;
    std::int64_t id = 0;
    auto game = [](const std::string& key, std::vector<GameResult> results) {
        GameRecord g;
        g.key = key;
        g.table = 1;
        g.mapNo = 3;
        g.results = std::move(results);
        return g;
    };
    {
        SqliteStore store;
        ASSERT_TRUE(store.Open(path, error)) << error;
        UserStats u;
        ASSERT_TRUE(store.Load("张三", u, error)) << error;
        id = u.id;
        ASSERT_GT(id, 0);
        ASSERT_TRUE(store.Load("张三", u, error));
        EXPECT_EQ(u.id, id);  // the same record again
        // A guest's result (no name) is left out.
        ASSERT_TRUE(store.SaveGame(
            game("g1", {{"张三", 0, 1, 40, Scoring::Outcome::Win}, {"", 1, 2, -40, Scoring::Outcome::Loss}}), error));
        // The same game again counts once.
        ASSERT_TRUE(store.SaveGame(game("g1", {{"张三", 0, 1, 40, Scoring::Outcome::Win}}), error));
    }
    {
        SqliteStore store;
        ASSERT_TRUE(store.Open(path, error)) << error;
        UserStats u;
        ASSERT_TRUE(store.Load("张三", u, error));
        EXPECT_EQ(u.score, 40);
        EXPECT_EQ(u.games, 1);
        EXPECT_EQ(u.wins, 1);
        EXPECT_EQ(u.WinRate(), 100);
    }
    {
        // A database from a newer server is not touched.
        sqlite3* raw = nullptr;
        sqlite3_open(path.c_str(), &raw);
        sqlite3_exec(raw, ("PRAGMA user_version=" + std::to_string(Store::kSchemaVersion + 1)).c_str(), nullptr,
                     nullptr, nullptr);
        sqlite3_close(raw);
        SqliteStore store;
        EXPECT_FALSE(store.Open(path, error));
        EXPECT_NE(error.find("newer"), std::string::npos);
    }
    SqliteStore memory;
    ASSERT_TRUE(memory.Open(":memory:", error));
    UserStats x;
    EXPECT_TRUE(memory.Load("x", x, error));
    EXPECT_GT(x.id, 0);
    std::filesystem::remove(path);
    std::filesystem::remove(path + "-wal");
    std::filesystem::remove(path + "-shm");
}

TEST(Layouts, ConfirmationsHaveTheLengthsTheClientChecks) {
    TileGridT g{};
    LinkPath p;
    p.lngNodeCount = 4;
    EXPECT_EQ(GameMessages::CompassDone(1, 2).size(), 5u);
    EXPECT_EQ(GameMessages::RearrangeDone(1, 2, g).size(), 185u);
    EXPECT_EQ(GameMessages::TargetDone(DJ_JINSHOU, 1, 2, 3), (Bytes{133, 2, 0, 1, 2, 3}));
    EXPECT_EQ(GameMessages::TargetDone(DJ_MENGYAN, 1, 2, 3)[1], 5);
    EXPECT_EQ(GameMessages::BombDone(1, 2, p).size(), 14u);
    EXPECT_EQ(GameMessages::GridTargetDone(DJ_ZHANGAI, 1, 2, 3, g).size(), 186u);
    EXPECT_EQ(GameMessages::GroupDone(1, 3), (Bytes{133, 255, 0, 1, 3}));
    EXPECT_EQ(GameMessages::TimeOut(4, 6), (Bytes{20, 0, 4, 6}));
    EXPECT_EQ(GameMessages::WatchFlag(true), (Bytes{113, 0, 1}));
    EXPECT_EQ(GameMessages::End({{1, 2, -3}}), (Bytes{22, 0, 1, 2, 0xFF, 0xFF, 0xFF, 0xFD}));
    EXPECT_EQ(RoomMessages::Broadcast("hi"), (Bytes{105, 0, 0, 'h', 'i'}));

    // The start: 20 header bytes, 180 cells, the count 9 and nine 8-byte records.
    GameMessages::StartInfo s;
    s.recipientSeat = 4;
    s.groups = {0, 1, 2, 3, 0, 1};
    s.board[9][17] = 39;
    s.items = ItemRules::DefaultCatalogue();
    const Bytes start = GameMessages::Start(s);
    ASSERT_EQ(start.size(), 20u + 180 + 1 + 72);
    EXPECT_EQ(start[11], 4);
    EXPECT_EQ(start[13], 1);
    EXPECT_EQ(start[199], 39);
    EXPECT_EQ(start[200], 9);
    EXPECT_EQ(Bytes(start.begin() + 201, start.begin() + 205), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));  // no price

    // The removal broadcast: k = 9 counts, then the path.
    GameMessages::RemoveInfo r;
    r.seat = 2;
    r.comboA = 3;
    r.comboB = 5;
    r.counts[8] = 7;
    r.path.lngNodeCount = 2;
    const Bytes rm = GameMessages::RemoveBroadcast(r);
    EXPECT_EQ(rm.size(), 6u + 9 + 1 + 4);
    EXPECT_EQ(rm[14], 7);
    EXPECT_EQ(rm[15], 2);

    // Snapshots: 16 bytes without a game, 17 for a spectator.
    RoomMessages::TableState st;
    st.ready[2] = true;
    st.groups[5] = 3;
    EXPECT_EQ(RoomMessages::TableStateMsg(st).size(), 16u);
    st.forWatcher = true;
    const Bytes idle = RoomMessages::TableStateMsg(st);
    ASSERT_EQ(idle.size(), 17u);
    EXPECT_EQ(idle[6], 1);
    EXPECT_EQ(idle[15], 3);
    st.running = true;
    st.recipientSeat = 5;
    st.seats.resize(2);
    st.seats[1].seat = 5;
    st.seats[1].left = 2;
    st.seats[1].grid[9][17] = st.seats[1].grid[0][0] = 7;
    st.counts[0] = 2;
    st.items = ItemRules::DefaultCatalogue();
    const Bytes running = RoomMessages::TableStateMsg(st);
    EXPECT_EQ(running.size(), 10u + 2 * 186 + 9 + 72);
    // What the table client's decoder makes of it.
    modGameDefine view;
    view.InitGameDefine();
    view.bteCurUserNo = 5;
    view.blnIsWatcher = true;
    view.ResetBoards();
    ASSERT_EQ(modTableState::DecodeTableState(view, running), TableStateResult::GameRunning);
    EXPECT_EQ(view.SeatUser[5].TileGrid, st.seats[1].grid);
    EXPECT_EQ(view.SeatUser[5].bteLeftFkCount, 2);
    EXPECT_FALSE(view.SeatUser[5].blnGameOut);
    EXPECT_EQ(view.SeatUser[5].bteDaoJuCount[0], 2);
    EXPECT_EQ(view.g_DaoJu[DJ_ZHADAN].bteNeedDelFk, 4);

    // Requests are taken only in their exact layout.
    GameMessages::ItemRequest req;
    EXPECT_TRUE(GameMessages::ParseItemRequest({133, 10, 0, 1}, req));
    EXPECT_FALSE(GameMessages::ParseItemRequest({133, 10, 0, 1, 0}, req));
    EXPECT_FALSE(GameMessages::ParseItemRequest({133, 4, 0, 1, 0, 2, 0, 0, 0}, req));  // cut path
    EXPECT_TRUE(GameMessages::ParseItemRequest({133, 4, 0, 1, 0, 2, 0, 0, 0, 1}, req));
    EXPECT_FALSE(GameMessages::ParseItemRequest({133, 4, 0, 1, 0, 2, 0, 0, 0, 18}, req));  // column 18
    std::uint8_t seat;
    EXPECT_FALSE(GameMessages::ParseRemoveRequest({19, 0, 0, 1, 0, 0}, seat, p));  // one node
    EXPECT_TRUE(GameMessages::ParseRemoveRequest({19, 0, 3, 2, 0, 0, 0, 1}, seat, p));
    EXPECT_EQ(seat, 3);
}
