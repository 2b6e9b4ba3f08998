// The computer players' processes a room starts for its tables: one per table, stopped
// with the table (a process that ignores the request too), collected when they end.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "server/BotLauncher.h"

namespace {

// A stand-in for tilelink-bot that writes its process id to `pidFile` and waits; with
// `stubborn` it ignores the request to stop.
std::vector<std::string> Waiter(const std::string& pidFile, bool stubborn) {
    return {"-c",
            std::string(stubborn ? "trap '' TERM; " : "") + "echo $$ > " + pidFile + "; while :; do sleep 1; done"};
}

pid_t PidFrom(const std::string& file) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(file);
        pid_t pid = 0;
        if (in >> pid && pid > 0) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

bool Gone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

struct BotLauncherTest : ::testing::Test {
    std::string dir = ::testing::TempDir() + "tilelink_botlauncher_" + std::to_string(::getpid());
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(BotLauncherTest, OneProcessPerTableStoppedWithItsTable) {
    BotLauncher bots;
    ASSERT_TRUE(bots.Start(3, "/bin/sh", Waiter(dir + "/3", false), {"电脑1", "电脑2"}));
    ASSERT_TRUE(bots.Start(4, "/bin/sh", Waiter(dir + "/4", false), {"电脑3"}));
    EXPECT_FALSE(bots.Start(3, "/bin/sh", Waiter(dir + "/3b", false), {"电脑4"}));
    ASSERT_NE(bots.NamesAt(3), nullptr);
    EXPECT_EQ(*bots.NamesAt(3), (std::vector<std::string>{"电脑1", "电脑2"}));
    EXPECT_EQ(bots.NamesAt(5), nullptr);
    const pid_t three = PidFrom(dir + "/3"), four = PidFrom(dir + "/4");
    ASSERT_GT(three, 0);
    ASSERT_GT(four, 0);
    bots.Stop(3);
    EXPECT_TRUE(Gone(three));  // ended and collected, no zombie left
    EXPECT_FALSE(Gone(four));
    EXPECT_EQ(bots.NamesAt(3), nullptr);
    {
        BotLauncher other;
        ASSERT_TRUE(other.Start(1, "/bin/sh", Waiter(dir + "/1", true), {"电脑5"}));
        const pid_t stubborn = PidFrom(dir + "/1");
        ASSERT_GT(stubborn, 0);
        // A room that stops ends every process it started, one that ignores the request too.
    }
    EXPECT_TRUE(Gone(PidFrom(dir + "/1")));
}

TEST_F(BotLauncherTest, AProcessThatEndsByItselfIsCollectedAndItsTableFreed) {
    BotLauncher bots;
    ASSERT_TRUE(bots.Start(7, "/bin/sh", {"-c", "exit 0"}, {"电脑1"}));
    for (int i = 0; i < 500 && bots.NamesAt(7); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        bots.Reap();
    }
    EXPECT_EQ(bots.NamesAt(7), nullptr);
    EXPECT_TRUE(bots.Start(7, "/bin/sh", Waiter(dir + "/7", false), {"电脑2"}));
    EXPECT_FALSE(bots.Start(8, "/nonexistent/tilelink-bot", {}, {"电脑3"}));
    EXPECT_EQ(bots.NamesAt(8), nullptr);
}
