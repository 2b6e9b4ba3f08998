// Child processes: starting a program, reading its lines, stopping it (kindly, then not).
#include <gtest/gtest.h>

#include <chrono>

#include "net/ChildProcess.h"

using namespace std::chrono_literals;

TEST(ChildProcess, ReadsLinesAndStopsAProgramThatIgnoresNothing) {
    ChildProcess p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "echo listening on 127.0.0.1:5; exec sleep 30"}, true));
    auto line = p.ReadLine(5s);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, "listening on 127.0.0.1:5");
    EXPECT_TRUE(p.Running());
    p.Stop(2s);
    EXPECT_FALSE(p.Running());
    EXPECT_FALSE(p.ReadLine(100ms).has_value());
}

TEST(ChildProcess, KillsAProgramThatIgnoresTheStopRequest) {
    ChildProcess p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "trap '' TERM; echo ready; while :; do sleep 1; done"}, true));
    ASSERT_TRUE(p.ReadLine(5s).has_value());
    p.Stop(300ms);
    EXPECT_FALSE(p.Running());
}

TEST(ChildProcess, MissingProgramDoesNotStart) {
    ChildProcess p;
    EXPECT_FALSE(p.Start("/nonexistent/tilelink-server", {}, true) && p.Wait() == 0);
}

TEST(ChildProcess, ExitStatusAndAnotherStartOnTheSameObject) {
    ChildProcess p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "echo first; exit 3"}, true));
    EXPECT_EQ(p.ReadLine(5s).value_or(""), "first");
    EXPECT_EQ(p.Wait(), 3);
    // Started again, the object reads the new program's lines only.
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "echo second; kill -TERM $$"}, true));
    EXPECT_EQ(p.ReadLine(5s).value_or(""), "second");
    EXPECT_EQ(p.Wait(), 128 + 15);
    EXPECT_FALSE(p.Running());
}
