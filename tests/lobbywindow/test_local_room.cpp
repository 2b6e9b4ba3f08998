// `tilelink-lobby --local` (what `make play` runs): the lobby window on a room server of
// this machine, started when none runs and shared by a second window, entered as a
// guest, and stopped with the window that started it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>

#include "lobby/LobbyClient.h"
#include "lobby/PlayRoom.h"
#include "net/ChildProcess.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The guests the room lists.
int Guests(LobbyClient& c) {
    c.Drain();
    int n = 0;
    for (const auto& [name, u] : c.Users()) n += name.rfind("游客", 0) == 0;
    return n;
}

bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

}  // namespace

TEST(LobbyWindowLocal, StartsTheRoomOnceSharesItAndStopsItWithTheWindowThatStartedIt) {
    const fs::path home = fs::temp_directory_path() / ("tilelink-local-" + std::to_string(::getpid()));
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    const fs::path state = PlayRoom::RunFolder() / "play.state";
    ASSERT_EQ(state.parent_path().parent_path(), home / "run");
    const std::string lobby = std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby";

    ChildProcess first;
    ASSERT_TRUE(first.Start(lobby, {"--local", "--level", "easy"}, true));
    std::optional<PlayRoom::Server> room;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (room = PlayRoom::ReadServer(state)).has_value(); }, 20000));
    LobbyClient watcher;
    std::string error;
    ASSERT_TRUE(watcher.Connect("127.0.0.1", room->port, "", error)) << error;
    // The window entered as a guest by itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Guests(watcher) == 1; }, 20000));

    // A second window uses the same room.
    ChildProcess second;
    ASSERT_TRUE(second.Start(lobby, {"--local"}, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Guests(watcher) == 2; }, 20000));
    ASSERT_TRUE(PlayRoom::ReadServer(state));
    EXPECT_EQ(PlayRoom::ReadServer(state)->pid, room->pid);
    second.Stop();
    EXPECT_EQ(second.Wait(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Guests(watcher) == 1; }, 20000));
    EXPECT_TRUE(Alive(room->pid));

    // The window that started the room takes it along when it closes.
    first.Stop();
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Alive(room->pid); }, 10000));
    EXPECT_FALSE(fs::exists(state));
    fs::remove_all(home);
}
