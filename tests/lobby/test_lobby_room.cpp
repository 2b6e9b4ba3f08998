// The room's lobby with the real programs: accounts registered and logged in from the
// command line, the table list, the room's own seat tickets, refusals, and moderation.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "LobbyRoomKit.h"
#include "core/LobbyMessages.h"
#include "core/Ticket.h"
#include "lobby/LobbyClient.h"
#include "lobby/LobbyCommands.h"
#include "lobby/TableWindow.h"

using namespace std::chrono_literals;
namespace LM = LobbyMessages;

namespace {

// A lobby connection of this test process, logged in as `name` (empty: not logged in).
std::unique_ptr<LobbyClient> Lobby(const ConsoleServer& server, const std::string& name = "",
                                   const std::string& password = "") {
    auto c = std::make_unique<LobbyClient>();
    std::string error;
    EXPECT_TRUE(c->Connect("127.0.0.1", server.Port(), "", error)) << error;
    if (!name.empty()) {
        const auto a = c->Ask(LM::LogIn(name, password));
        EXPECT_TRUE(a && a->code == 0) << name << ": " << (a ? a->text : "no answer");
    }
    return c;
}

void Register(const ConsoleServer& server, const std::string& name, const std::string& password) {
    auto c = Lobby(server);
    const auto a = c->Ask(LM::Register(name, password));
    ASSERT_TRUE(a && a->code == 0) << name << ": " << (a ? a->text : "no answer");
}

// The `tables` lines once `want` is among them (or the last ones read).
std::string TablesWhen(const ConsoleServer& server, const std::string& want) {
    std::string last;
    for (int i = 0; i < 60; ++i) {
        const auto run = RunLobby({"tables", "--server", server.Address()});
        last = run.output;
        if (run.status == 0 && last.find(want) != std::string::npos) break;
        std::this_thread::sleep_for(500ms);
    }
    return last;
}

long long CountRows(const std::string& db, const std::string& sql) {
    sqlite3* h = nullptr;
    long long n = -1;
    sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return n;
}

}  // namespace

TEST(LobbyAccounts, RegisteredFromTheCommandLineTheyAreListedWhereTheySat) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    const auto alicePw = server.File("alice.pw", "correct horse\n");
    const auto bobPw = server.File("bob.pw", std::string("b\0b \xff\x01 pass", 12));
    for (const auto& [name, pw] : {std::pair{"alice", alicePw}, std::pair{"小明", bobPw}}) {
        const auto run = RunLobby({"register", "--server", server.Address(), "--name", name, "--password-file", pw});
        EXPECT_EQ(run.status, 0) << run.output;
    }
    // A second registration of a taken name is refused.
    const auto again =
        RunLobby({"register", "--server", server.Address(), "--name", "alice", "--password-file", bobPw});
    EXPECT_EQ(again.status, 1) << again.output;
    EXPECT_NE(again.output.find("已经有人注册"), std::string::npos) << again.output;
    // The passwords are kept only as Argon2id hashes.
    EXPECT_EQ(CountRows(server.Db(), "SELECT COUNT(*) FROM accounts WHERE password_hash LIKE '$argon2id$%'"), 2);
    EXPECT_EQ(CountRows(server.Db(), "SELECT COUNT(*) FROM accounts WHERE password_hash LIKE '%horse%'"), 0);

    ChildProcess alice, bob;
    ASSERT_TRUE(StartLobby(
        alice, {"join", "--server", server.Address(), "--name", "alice", "--password-file", alicePw, "--table", "2"}));
    ASSERT_TRUE(StartLobby(
        bob, {"join", "--server", server.Address(), "--name", "小明", "--password-file", bobPw, "--table", "3"}));
    // The two table windows come in either order: wait for each.
    TablesWhen(server, "2 alice - - - - - 0");
    const auto lines = TablesWhen(server, "3 小明 - - - - - 0");
    EXPECT_NE(lines.find("2 alice - - - - - 0\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("3 小明 - - - - - 0\n"), std::string::npos) << lines;
    alice.Stop();
    bob.Stop();
}

TEST(LobbyAccounts, WrongPasswordTakenSeatAndBannedNameAreRefusedWithoutATable) {
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    Register(server, "carol", "carol-password");
    const auto wrong = server.File("wrong.pw", "not-her-password");
    const auto run = RunLobby({"join", "--server", server.Address(), "--name", "carol", "--password-file", wrong});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("用户名或密码不对"), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_TRUE(Lobby(server)->Tables().empty());  // nobody reached a table

    // A full table: six computer players there, the seventh is refused by the lobby.
    auto watcher = Lobby(server);
    ChildProcess bots;
    ASSERT_TRUE(bots.Start(std::string(TILELINK_TABLE_DIR) + "/tilelink-bot",
                           {"--server", server.Address(), "--table", "5", "--count", "6", "--strategy", "first"},
                           false));
    bool full = false;
    for (int i = 0; i < 200 && !full; ++i) {
        watcher->Next(100ms);
        const auto it = watcher->Tables().find(5);
        if (it == watcher->Tables().end()) continue;
        int seated = 0;
        for (const auto& seat : it->second.seats) seated += !seat.name.empty();
        full = seated == 6 || it->second.running;
    }
    ASSERT_TRUE(full);
    const auto pw = server.File("carol.pw", "carol-password");
    const auto taken =
        RunLobby({"join", "--server", server.Address(), "--name", "carol", "--password-file", pw, "--table", "5"});
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.output.find("no seat"), std::string::npos) << taken.output;
    bots.Stop();

    // Banned by the operator: refused at the lobby's login.
    EXPECT_NE(server.Command("ban carol 30 cheating", "ban carol").find("30 minutes"), std::string::npos);
    const auto banned = RunLobby({"join", "--server", server.Address(), "--name", "carol", "--password-file", pw});
    EXPECT_EQ(banned.status, 1);
    EXPECT_NE(banned.output.find("封禁"), std::string::npos) << banned.output;
    EXPECT_NE(server.Command("bans", "carol").find("cheating"), std::string::npos);
}

TEST(LobbyAccounts, ARegisteredNameCannotBeTakenByAGuestOrAnotherTicket) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    Register(server, "dora", "dora-password");
    // The table client with a ticket the room did not issue after a login (this room
    // signs nothing, so any ticket reads well): refused for the account's name.
    const auto run = RunLobby({"join", "--server", server.Address(), "--name", "dora"});
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("已经注册"), std::string::npos) << run.output;
    // A guest of the lobby gets a name of the room's choice, never the account's.
    auto guest = Lobby(server);
    const auto a = guest->Ask(LM::Plain(LM::kGuest));
    ASSERT_TRUE(a && a->code == 0);
    EXPECT_NE(guest->Me(), "dora");
    EXPECT_EQ(guest->Me().rfind("游客", 0), 0u) << guest->Me();
    // A guest cannot log in under the registered name without its password either.
    const auto login = guest->Ask(LM::LogIn("dora", "guess"));
    ASSERT_TRUE(login);
    EXPECT_NE(login->code, 0);
}

TEST(LobbyAccounts, NoLobbyRequestYieldsATicketForAnotherName) {
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    Register(server, "erin", "erin-password");
    Register(server, "frank", "frank-password");
    auto erin = Lobby(server, "erin", "erin-password");
    auto frank = Lobby(server, "frank", "frank-password");
    auto nameOf = [](const std::optional<LM::Event>& e) {
        if (!e || e->type != LM::kSeat) return std::string("(no ticket)");
        const auto t = Ticket::Parse(e->ticket);
        return t ? t->name : std::string("(bad ticket)");
    };
    const auto sit = frank->Ask(LM::Sit(0));
    EXPECT_EQ(nameOf(sit), "frank");
    // Every request that yields a ticket names the requester: a seat, watching another
    // player, a table with computer players.
    EXPECT_EQ(nameOf(erin->Ask(LM::Sit(sit->table))), "erin");
    EXPECT_EQ(nameOf(erin->Ask(LM::OpenTable(2, "easy"))), "erin");
    // Watching a player not at a table, logging in again as another account with the
    // wrong password, or registering while logged in: refusals, never a ticket.
    const auto watch = erin->Ask(LM::Watch("frank"));
    ASSERT_TRUE(watch);
    EXPECT_EQ(watch->type, LM::kAnswer);
    const auto relog = erin->Ask(LM::LogIn("frank", "erin-password"));
    ASSERT_TRUE(relog);
    EXPECT_NE(relog->code, 0);
    EXPECT_EQ(erin->Me(), "erin");
    // Not logged in: no ticket at all.
    auto anonymous = Lobby(server);
    const auto none = anonymous->Ask(LM::Sit(0));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->type, LM::kAnswer);
    EXPECT_NE(none->code, 0);
    // A request the server cannot read ends the connection.
    Bytes bad = LM::LogIn("frank", "x");
    bad.pop_back();
    bad.push_back(0);
    bad.push_back(0);
    anonymous->Send(bad);
    EXPECT_FALSE(anonymous->Next(5s).has_value());
    EXPECT_FALSE(anonymous->Connected());
}

TEST(LobbyAccounts, FailedLoginsAreLimitedPerName) {
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    Register(server, "gina", "gina-password");
    auto c = Lobby(server);
    for (int i = 0; i < 5; ++i) {
        const auto a = c->Ask(LM::LogIn("gina", "wrong" + std::to_string(i)));
        ASSERT_TRUE(a);
        EXPECT_EQ(a->code, 3) << a->text;
    }
    // The sixth try, even with the right password, is not checked.
    const auto a = c->Ask(LM::LogIn("gina", "gina-password"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->code, 4) << a->text;
    EXPECT_TRUE(c->Me().empty());
}

// Many accounts log in at once: their passwords are checked in turn on a thread of their
// own, every login succeeds, and a record written meanwhile does not wait behind them.
TEST(LobbyAccounts, ManyLoginsAtOnceAllSucceedAndARecordWriteDoesNotWaitForTheirHashes) {
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    constexpr int kAccounts = 12;
    auto name = [](int i) { return "user" + std::to_string(i); };
    auto password = [](int i) { return "password-" + std::to_string(i); };
    // The answer to a request of `type`, read by the thread that owns the client.
    auto answerTo = [](LobbyClient& c, LM::Type type) -> std::optional<LM::Event> {
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (c.Connected() && std::chrono::steady_clock::now() < end)
            if (auto e = c.Next(1s); e && e->type == LM::kAnswer && e->request == type) return e;
        return std::nullopt;
    };
    std::vector<std::unique_ptr<LobbyClient>> lobbies;
    for (int i = 0; i < kAccounts; ++i) lobbies.push_back(Lobby(server));
    // Registered all at once too: every hash waits its turn, none is refused.
    for (int i = 0; i < kAccounts; ++i) ASSERT_TRUE(lobbies[i]->Send(LM::Register(name(i), password(i))));
    for (int i = 0; i < kAccounts; ++i) {
        const auto a = answerTo(*lobbies[i], LM::kRegister);
        ASSERT_TRUE(a) << name(i);
        EXPECT_EQ(a->code, 0) << a->text;
    }

    for (int i = 0; i < kAccounts; ++i) ASSERT_TRUE(lobbies[i]->Send(LM::LogIn(name(i), password(i))));
    std::atomic<int> answered{0};
    std::vector<int> codes(kAccounts, -1);
    std::vector<std::thread> readers;
    for (int i = 0; i < kAccounts; ++i)
        readers.emplace_back([&, i] {
            const auto a = answerTo(*lobbies[i], LM::kLogIn);
            codes[i] = a ? a->code : -2;
            ++answered;
        });
    // Once the first login is answered every request is in and the others' checks wait;
    // a record written now is stored before they are all done.
    for (int i = 0; i < 6000 && answered == 0; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_GT(answered.load(), 0);
    const auto written = server.Command("admin " + name(kAccounts - 1) + " yes", "is an admin now");
    const int answeredWhenWritten = answered;
    for (auto& r : readers) r.join();
    EXPECT_FALSE(written.empty());
    EXPECT_LT(answeredWhenWritten, kAccounts);
    for (int i = 0; i < kAccounts; ++i) {
        EXPECT_EQ(codes[i], 0) << name(i);
        EXPECT_EQ(lobbies[i]->Me(), name(i));
    }
}

TEST(LobbyModeration, MuteIgnoreKickAndAdminStepsAreKeptWithWhoWhomAndWhy) {
    ConsoleServer server;
    ASSERT_FALSE(server.Address().empty());
    Register(server, "hank", "hank-password");
    Register(server, "ivy", "ivy-password");
    Register(server, "jack", "jack-password");
    EXPECT_NE(server.Command("admin hank", "hank").find("admin now"), std::string::npos);
    auto hank = Lobby(server, "hank", "hank-password");
    auto ivy = Lobby(server, "ivy", "ivy-password");
    auto jack = Lobby(server, "jack", "jack-password");
    // Not an admin: refused.
    const auto notAdmin = ivy->Ask(LM::Moderate("mute", "jack", 10, "noise"));
    ASSERT_TRUE(notAdmin);
    EXPECT_NE(notAdmin->code, 0);
    // ivy ignores jack: jack's line reaches hank, not ivy.
    const auto ignore = ivy->Ask(LM::Ignore("jack", true));
    ASSERT_TRUE(ignore && ignore->code == 0);
    jack->Send(LM::Chat("大家好"));
    ivy->Send(LM::Chat("我在"));
    auto heard = [](LobbyClient& c, const std::string& text) {
        for (int i = 0; i < 20; ++i) {
            c.Next(100ms);
            for (const auto& [from, line] : c.ChatLines())
                if (line == text) return true;
        }
        return false;
    };
    EXPECT_TRUE(heard(*hank, "大家好"));
    EXPECT_TRUE(heard(*hank, "我在"));
    EXPECT_FALSE(heard(*ivy, "大家好"));
    // The admin mutes jack: his line is dropped and only he is told.
    const auto mute = hank->Ask(LM::Moderate("mute", "jack", 10, "flooding"));
    ASSERT_TRUE(mute && mute->code == 0) << (mute ? mute->text : "");
    const auto muted = jack->Ask(LM::Chat("还有我"));
    ASSERT_TRUE(muted);
    EXPECT_NE(muted->text.find("禁言"), std::string::npos) << muted->text;
    EXPECT_FALSE(heard(*hank, "还有我"));
    // Kicked: the lobby session ends with a notice.
    const auto kick = hank->Ask(LM::Moderate("kick", "jack", 0, "rude"));
    ASSERT_TRUE(kick && kick->code == 0);
    while (jack->Next(5s)) {}
    EXPECT_FALSE(jack->Connected());
    EXPECT_NE(jack->LastNotice().find("请出"), std::string::npos) << jack->LastNotice();
    const auto bans = hank->Ask(LM::Plain(LM::kListBans));
    ASSERT_TRUE(bans && bans->type == LM::kBans);
    ASSERT_EQ(bans->sanctions.size(), 1u);
    EXPECT_EQ(bans->sanctions[0].target, "jack");
    EXPECT_EQ(bans->sanctions[0].actor, "hank");
    // Every step is in the records: who, whom, when, why.
    for (int i = 0; i < 50 && CountRows(server.Db(), "SELECT COUNT(*) FROM moderation") < 2; ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(CountRows(server.Db(),
                        "SELECT COUNT(*) FROM moderation WHERE actor='hank' AND target='jack' AND at>0 AND "
                        "((action='mute' AND reason='flooding' AND until>at) OR (action='kick' AND reason='rude'))"),
              2);
}

// The owner opens a table with two computer players, sits there, and leaves again.
void OpenAndLeaveABotTable(ConsoleServer& server) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ASSERT_FALSE(server.Address().empty());
    auto owner = Lobby(server);
    ASSERT_TRUE(owner->Ask(LM::Plain(LM::kGuest)));
    auto watcher = Lobby(server);
    const auto unknown = owner->Ask(LM::OpenTable(2, "no-such-level"));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->type, LM::kAnswer);
    const auto seat = owner->Ask(LM::OpenTable(2, "easy"));
    ASSERT_TRUE(seat && seat->type == LM::kSeat);
    // The table window with the room's ticket, as the lobby starts it.
    LaunchPlan::Request r;
    r.port = server.Port();
    r.name = owner->Me();
    r.table = seat->table;
    r.ticket = seat->ticket;
    TableWindow window;
    ASSERT_EQ(window.Open(std::string(TILELINK_TABLE_DIR) + "/tilelink-table", r, 20s, {}),
              TableWindow::Placing::Seated);
    EXPECT_EQ(window.Seat(), 0);  // the owner sits first: the table's master
    auto seatedCount = [&] {
        const auto it = watcher->Tables().find(seat->table);
        int n = 0;
        if (it != watcher->Tables().end())
            for (const auto& s : it->second.seats) n += !s.name.empty();
        return n;
    };
    for (int i = 0; i < 200 && seatedCount() < 3; ++i) watcher->Next(100ms);
    ASSERT_EQ(seatedCount(), 3);
    const auto& seats = watcher->Tables().at(seat->table).seats;
    EXPECT_EQ(seats[0].name, owner->Me());
    EXPECT_EQ(seats[1].name.rfind("电脑", 0), 0u) << seats[1].name;
    // The owner closes the window: the computer players go and the table with them.
    window.Stop();
    for (int i = 0; i < 200 && watcher->Tables().count(seat->table); ++i) watcher->Next(100ms);
    EXPECT_EQ(watcher->Tables().count(seat->table), 0u);
}

TEST(LobbyTables, ATableWithComputerPlayersComesWithItsOwnerAndGoesWhenTheOwnerLeaves) {
    ConsoleServer server;
    OpenAndLeaveABotTable(server);
}

// A room that only takes tickets signed with its own key: the computer players it starts
// sign theirs with that key too.
TEST(LobbyTables, ComputerPlayersSitDownInARoomThatTakesOnlyItsOwnTickets) {
    const auto secret = std::filesystem::temp_directory_path() / ("tilelink_roomkey_" + std::to_string(::getpid()));
    std::ofstream(secret) << "a shared secret of the rooms\n";
    ConsoleServer server("--secret-file '" + secret.string() + "' --room-id east --room-tickets yes");
    OpenAndLeaveABotTable(server);
    std::filesystem::remove(secret);
}
