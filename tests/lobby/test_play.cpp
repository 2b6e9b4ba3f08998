// What `play` and `join` do around the table window: why a window ended, the bookkeeping
// of the plays on one machine, the limit on reopening, and whole launches of the real
// programs (the table client runs on the platform the test environment gives Qt).
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "core/TableExit.h"
#include "lobby/PlayRoom.h"
#include "lobby/PlaySession.h"
#include "lobby/ReopenGuard.h"
#include "lobby/TableWindow.h"
#include "net/ChildProcess.h"
#include "tests/LiveServer.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kLobby = std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby";

fs::path FreshDir(const std::string& name) {
    const fs::path dir = fs::path(testing::TempDir()) / ("lobby_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A program's standard output and error together, one line at a time; the program takes
// the shell's place, so that stopping it stops the program itself.
bool StartShell(ChildProcess& p, const std::string& line) {
    return p.Start("/bin/sh", {"-c", "exec " + line + " 2>&1"}, true);
}

// The lines of our own programs (Qt may add its own warnings on standard error).
std::vector<std::string> OwnLines(const std::vector<std::string>& lines) {
    std::vector<std::string> own;
    for (const auto& l : lines)
        if (l.rfind("tilelink", 0) == 0) own.push_back(l);
    return own;
}

// Every line the program writes until it ends (or `limit` passes: it is stopped).
std::vector<std::string> LinesUntilEnd(ChildProcess& p, std::chrono::seconds limit, int& status) {
    std::vector<std::string> lines;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (auto l = p.ReadLine(100ms)) lines.push_back(*l);
        else if (!p.Running()) break;
    }
    if (p.Running()) p.Stop();
    while (auto l = p.ReadLine(0ms)) lines.push_back(*l);
    status = p.Wait();
    return lines;
}

// Waits for a line containing `text`; every line read is kept in `seen`.
bool WaitForLine(ChildProcess& p, const std::string& text, std::chrono::seconds limit, std::vector<std::string>& seen) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        auto l = p.ReadLine(200ms);
        if (!l) {
            if (!p.Running()) return false;
            continue;
        }
        seen.push_back(*l);
        if (l->find(text) != std::string::npos) return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    return all;
}

// The programs a process started: pid and program name of each child.
std::map<pid_t, std::string> ChildrenOf(pid_t parent) {
    std::map<pid_t, std::string> out;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const pid_t pid = std::atoi(e.path().filename().c_str());
        if (pid <= 0) continue;
        std::ifstream stat(e.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && state != 'Z') out[pid] = text.substr(text.find('(') + 1, close - text.find('(') - 1);
    }
    return out;
}

// Each launch test has a run folder of its own, so that no real `play` is found or left.
// The `play` command of a test: its room server keeps its records in the test's own run
// folder, so that tests running side by side never share a records file.
fs::path g_playRecords;
std::string Play(const std::string& args) { return kLobby + " play --db '" + g_playRecords.string() + "' " + args; }

class RunFolder {
public:
    explicit RunFolder(const std::string& name) : dir_(FreshDir(name)) {
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        g_playRecords = dir_ / "records.db";
    }
    ~RunFolder() { ::unsetenv("XDG_RUNTIME_DIR"); }
    fs::path State() const { return dir_ / ("tilelink-" + std::to_string(::getuid())) / "play.state"; }

private:
    fs::path dir_;
};

// Starts `play` with `args` and waits until it says the person sits at seat 1.
bool PlaySeated(ChildProcess& play, const std::string& args, std::vector<std::string>& seen) {
    return StartShell(play, Play(args)) && WaitForLine(play, "you sit at seat 1", 30s, seen);
}

}  // namespace

TEST(TableExit, EveryReasonHasItsOwnStatusAndLine) {
    const std::vector<int> codes = {TableExit::Closed,        TableExit::BadLaunch,      TableExit::StartTimeout,
                                    TableExit::ConnectFailed, TableExit::ConnectionLost, TableExit::CannotGoOn,
                                    TableExit::Refused};
    std::set<int> distinct(codes.begin(), codes.end());
    EXPECT_EQ(distinct.size(), codes.size());
    std::set<std::string> lines;
    for (int c : codes) lines.insert(TableExit::Describe(c));
    EXPECT_EQ(lines.size(), codes.size());
    EXPECT_NE(TableExit::Describe(128 + SIGSEGV).find("signal 11"), std::string::npos);
    EXPECT_NE(TableExit::Describe(42).find("42"), std::string::npos);

    EXPECT_EQ(TableExit::SeatOf("seated 0"), 0);
    EXPECT_EQ(TableExit::SeatOf("seated 5 电脑3"), 5);
    for (const char* bad : {"seated", "seated ", "seated x", "seated 123", "sitting 1", " seated 1"})
        EXPECT_FALSE(TableExit::SeatOf(bad).has_value()) << bad;
    EXPECT_EQ(TableExit::RefusalOf("refused 这张桌子已经坐满了。"), "这张桌子已经坐满了。");
    EXPECT_EQ(TableExit::RefusalOf("refused "), "");
    EXPECT_FALSE(TableExit::RefusalOf("seated 1").has_value());

    // The line a launcher says names the server for the failures that concern it.
    EXPECT_NE(WindowEndLine(TableExit::ConnectFailed, "", "10.1.2.3:9").find("10.1.2.3:9"), std::string::npos);
    EXPECT_NE(WindowEndLine(TableExit::Refused, "票无效", "h:1").find("票无效"), std::string::npos);
    EXPECT_NE(WindowEndLine(TableExit::Refused, "", "h:1").find("h:1"), std::string::npos);
}

TEST(ReopenGuard, AtMostThreeReopeningsAMinute) {
    ReopenGuard guard;
    const auto t0 = ReopenGuard::Clock::now();
    EXPECT_TRUE(guard.Allow(t0));
    EXPECT_TRUE(guard.Allow(t0 + 10s));
    EXPECT_TRUE(guard.Allow(t0 + 20s));
    EXPECT_FALSE(guard.Allow(t0 + 30s));  // a fourth within the minute
    EXPECT_FALSE(guard.Allow(t0 + 59s));
    EXPECT_TRUE(guard.Allow(t0 + 61s));  // the first has left the minute
    EXPECT_FALSE(guard.Allow(t0 + 62s));
}

TEST(PlayRoom, MarksGiveFreeSeatsTablesAndNames) {
    const fs::path dir = FreshDir("marks");
    // This process stands for a running play; a pid that runs nothing is a stale mark.
    PlayRoom::WriteMark(dir, {::getpid(), 1, "张 三", 4});
    PlayRoom::WriteMark(dir, {999999, 1, "stale", 5});
    std::ofstream(dir / "12x") << "garbage";
    auto marks = PlayRoom::LiveMarks(dir);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].name, "张 三");  // a name with a space survives
    EXPECT_FALSE(fs::exists(dir / "999999"));
    EXPECT_EQ(PlayRoom::SeatsTaken(marks, 1), 5);
    EXPECT_EQ(PlayRoom::TableWithFreeSeat(marks, 6), 1);
    EXPECT_EQ(PlayRoom::FreeName(marks, "李四"), "李四");
    EXPECT_EQ(PlayRoom::FreeName(marks, "张 三"), "张 三2");

    marks.push_back({::getpid(), 1, "张 三2", 0});  // table 1 full now
    marks.push_back({::getpid(), 2, "王五", 5});    // and table 2
    EXPECT_FALSE(PlayRoom::TableWithFreeSeat(marks, 6).has_value());
    EXPECT_EQ(PlayRoom::NewTable(marks), 3);
    EXPECT_EQ(PlayRoom::FreeName(marks, "张 三"), "张 三3");
    EXPECT_EQ(PlayRoom::NewTable({}), 1);

    const fs::path state = dir / "state";
    PlayRoom::WriteServer(state, {4711, ::getpid(), "/x/secret"});
    ASSERT_TRUE(PlayRoom::ReadServer(state).has_value());
    EXPECT_EQ(PlayRoom::ReadServer(state)->port, 4711);
    PlayRoom::WriteServer(state, {4711, 999999, "/x/secret"});
    EXPECT_FALSE(PlayRoom::ReadServer(state).has_value());  // its server is gone
}

// A stand-in table window: a shell script run as tilelink-table from `dir`, which counts
// its openings in dir/opened and then does `body`.
PlaySetup StandInTable(const fs::path& dir, const std::string& body) {
    const fs::path program = dir / "tilelink-table";
    std::ofstream(program) << "#!/bin/sh\necho x >> '" << (dir / "opened").string() << "'\n" << body << "\n";
    fs::permissions(program, fs::perms::owner_all);
    PlaySetup setup;
    setup.tableDir = dir;
    setup.port = 1;
    setup.name = "n";
    setup.answerTime = 5s;
    return setup;
}

int Openings(const fs::path& dir) {
    std::ifstream in(dir / "opened");
    int n = 0;
    for (std::string l; std::getline(in, l);) ++n;
    return n;
}

TEST(PlaySession, ACountdownReopensAndTheOwnCloseEnds) {
    const fs::path dir = FreshDir("session_reopen");
    // The first window's countdown runs out; the second is closed by the player.
    PlaySession session(StandInTable(dir,
                                     "echo 'seated 2'\n"
                                     "[ $(wc -l < '" +
                                         (dir / "opened").string() +
                                         "') -eq 1 ] && exit 3\n"
                                         "exit 0"),
                        nullptr, nullptr);
    ASSERT_EQ(session.Open(), PlaySession::Opened::Seated);
    EXPECT_EQ(session.Seat(), 2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(session.Run(), 0);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Openings(dir), 2);
    EXPECT_NE(said.find("the table window closed: the start countdown ran out."), std::string::npos) << said;
    EXPECT_NE(said.find("the table window is back at seat 3."), std::string::npos) << said;
}

TEST(PlaySession, ACrashingWindowIsNamedAndNotReopenedForever) {
    const fs::path dir = FreshDir("session_crash");
    PlaySession session(StandInTable(dir, "echo 'seated 0'\nkill -SEGV $$"), nullptr, nullptr);
    ASSERT_EQ(session.Open(), PlaySession::Opened::Seated);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_NE(session.Run(), 0);
    const std::string said = testing::internal::GetCapturedStdout();
    const std::string complained = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Openings(dir), 4);  // the first and three reopenings within the minute
    EXPECT_NE(said.find("crashed (signal 11"), std::string::npos) << said;
    EXPECT_NE(complained.find("play stops"), std::string::npos) << complained;
}

TEST(PlaySession, AWindowThatNeverSitsDownIsStoppedAndSaid) {
    const fs::path dir = FreshDir("session_silent");
    PlaySession silent(StandInTable(dir, "exec sleep 30"), nullptr, nullptr);
    testing::internal::CaptureStderr();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(silent.Open(), PlaySession::Opened::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 9s);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no answer from the room server at 127.0.0.1:1"),
              std::string::npos);

    // A full table is no failure to say: the caller opens another.
    PlaySession full(StandInTable(dir, "echo 'refused 这张桌子已经坐满了。'\nexit 7"), nullptr, nullptr);
    EXPECT_EQ(full.Open(), PlaySession::Opened::Full);
}

TEST(Launch, FailuresSayTheirCauseAndEndSoon) {
    const fs::path dir = FreshDir("fail");
    std::ofstream(dir / "right") << "the-right-secret\n";
    std::ofstream(dir / "wrong") << "another-secret\n";

    // A port nobody listens on: a port the system gave and took back.
    int closedPort = 0;
    {
        LiveServer probe({"--secret-file", (dir / "right").string()});
        ASSERT_FALSE(probe.Address().empty());
        closedPort = std::atoi(probe.Address().substr(probe.Address().rfind(':') + 1).c_str());
    }
    const std::string closed = "127.0.0.1:" + std::to_string(closedPort);
    LiveServer server({"--secret-file", (dir / "right").string()});
    ASSERT_FALSE(server.Address().empty());

    struct Case {
        std::string what, args, expect;
    };
    const std::vector<Case> cases = {
        {"no server", "join --server " + closed + " --name x", closed},
        {"wrong secret", "join --server " + server.Address() + " --name x --secret-file " + (dir / "wrong").string(),
         server.Address()},
        {"no secret at all", "join --server " + server.Address() + " --name x", "refused"},
        {"unreadable secret file", "join --server " + server.Address() + " --name x --secret-file /nonexistent/s",
         "/nonexistent/s"},
        {"bad address", "join --server nowhere --name x", "nowhere"},
        {"unknown level", "play --level impossible", "easy|normal|hard|expert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChildProcess p;
        ASSERT_TRUE(StartShell(p, kLobby + " " + c.args));
        const auto t0 = std::chrono::steady_clock::now();
        int status = 0;
        const auto all = LinesUntilEnd(p, 20s, status);
        const auto lines = OwnLines(all);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_NE(status, 0) << Joined(all);
        EXPECT_LT(seconds, 10.0);
        ASSERT_EQ(lines.size(), 1u) << Joined(all);  // one line, naming the cause
        EXPECT_NE(lines[0].find(c.expect), std::string::npos) << lines[0];
    }

    // The right secret seats the window; closing it on the server's side is said too.
    ChildProcess p;
    ASSERT_TRUE(StartShell(
        p, kLobby + " join --server " + server.Address() + " --name y --secret-file " + (dir / "right").string()));
    std::vector<std::string> seen;
    EXPECT_FALSE(WaitForLine(p, "refused", 5s, seen)) << Joined(seen);
    EXPECT_TRUE(p.Running());
    p.Stop();
}

TEST(Launch, SecondAndThirdPlayFindASeatOrATable) {
    RunFolder run("second");
    ChildProcess first, second, third;
    std::vector<std::string> a, b, c;
    ASSERT_TRUE(StartShell(first, Play("--bots 4 --level expert --name 甲")));
    ASSERT_TRUE(WaitForLine(first, "you sit at seat 1 as 甲, the table's master", 30s, a)) << Joined(a);
    const auto serverBefore = PlayRoom::ReadServer(run.State());
    ASSERT_TRUE(serverBefore.has_value());

    // One seat is left at table 1; the same login name gets a number.
    ASSERT_TRUE(StartShell(second, Play("--name 甲")));
    ASSERT_TRUE(WaitForLine(second, "joined the running table 1", 30s, b)) << Joined(b);
    EXPECT_NE(Joined(b).find("as 甲2"), std::string::npos) << Joined(b);

    // Table 1 is full: a table of its own with its own computer players.
    ASSERT_TRUE(StartShell(third, Play("--bots 2 --name 丙")));
    ASSERT_TRUE(WaitForLine(third, "opened table 2 with 2 computer players", 30s, c)) << Joined(c);
    EXPECT_NE(Joined(c).find("seat 1 as 丙, the table's master"), std::string::npos) << Joined(c);
    EXPECT_EQ(PlayRoom::ReadServer(run.State())->pid, serverBefore->pid);  // one server for all

    third.Stop();
    second.Stop();
    first.Stop();
    EXPECT_EQ(first.Wait(), 0);  // Ctrl-C (or a stop) is the player's own end
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(::kill(serverBefore->pid, 0), 0);  // the server went with the first play
}

TEST(Launch, ALostLocalServerIsStartedAgainAndTheWindowComesBack) {
    RunFolder run("lost");
    ChildProcess play;
    std::vector<std::string> seen;
    ASSERT_TRUE(PlaySeated(play, "--bots 1 --level expert --name 甲", seen)) << Joined(seen);
    const auto before = PlayRoom::ReadServer(run.State());
    ASSERT_TRUE(before.has_value());
    ::kill(before->pid, SIGKILL);
    ASSERT_TRUE(WaitForLine(play, "the table window closed", 20s, seen)) << Joined(seen);
    EXPECT_NE(
        seen.back().find("the connection to the room server at 127.0.0.1:" + std::to_string(before->port) + " closed"),
        std::string::npos)
        << seen.back();
    ASSERT_TRUE(WaitForLine(play, "the table window is back at seat 1", 30s, seen)) << Joined(seen);
    EXPECT_NE(Joined(seen).find("the room server had stopped; it was started again"), std::string::npos);
    const auto after = PlayRoom::ReadServer(run.State());
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->port, before->port);  // where a second play finds it
    EXPECT_NE(after->pid, before->pid);
    int bots = 0;
    for (const auto& [pid, name] : ChildrenOf(play.Pid())) bots += name == "tilelink-bot";
    EXPECT_EQ(bots, 1);  // seated again after the person
    play.Stop();
    EXPECT_EQ(play.Wait(), 0);
}

TEST(Launch, StartCountdownReopensTheWindowAtTheSameSeat) {
    RunFolder run("countdown");
    ChildProcess play;
    std::vector<std::string> seen;
    ASSERT_TRUE(PlaySeated(play, "--bots 2 --level expert --name 新手", seen)) << Joined(seen);
    // The settings dialog answers by itself after 20 s, the computer players raise their
    // hands, and nobody presses start for the person: 30 s later the window closes.
    std::map<pid_t, std::string> before;
    for (const auto& [pid, name] : ChildrenOf(play.Pid()))
        if (name != "tilelink-table") before[pid] = name;
    ASSERT_EQ(before.size(), 2u);  // the server and the computer players
    ASSERT_TRUE(WaitForLine(play, "the table window closed", 90s, seen)) << Joined(seen);
    EXPECT_NE(seen.back().find("the start countdown ran out"), std::string::npos) << seen.back();
    ASSERT_TRUE(WaitForLine(play, "the table window is back", 20s, seen)) << Joined(seen);
    EXPECT_NE(seen.back().find("back at seat 1."), std::string::npos) << seen.back();

    std::map<pid_t, std::string> after, windows;
    for (const auto& [pid, name] : ChildrenOf(play.Pid())) (name == "tilelink-table" ? windows : after)[pid] = name;
    EXPECT_EQ(after, before);  // the same server and computer players
    EXPECT_EQ(windows.size(), 1u);
    EXPECT_TRUE(play.Running());
    // Exactly one line said why.
    int why = 0;
    for (const auto& l : seen) why += l.find("the table window closed") != std::string::npos;
    EXPECT_EQ(why, 1);
    std::printf("what play said:\n%s", Joined(OwnLines(seen)).c_str());
    play.Stop();
    EXPECT_EQ(play.Wait(), 0);
}
