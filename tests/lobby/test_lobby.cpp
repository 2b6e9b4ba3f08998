// The launch plan the lobby hands the table client.
#include <gtest/gtest.h>

#include "core/CommandLine.h"
#include "core/LaunchArgs.h"
#include "core/Ticket.h"
#include "lobby/LaunchPlan.h"

TEST(LaunchPlan, NineArgumentsThatSurviveTheCommandLineSplit) {
    LaunchPlan::Request r;
    r.host = "10.0.0.7";
    r.port = 47800;
    r.name = "张三";
    r.table = 3;
    r.watch = "李四";
    const std::string secret = "k";
    r.secret = secret;
    const auto args = LaunchPlan::Arguments(r, 1000);
    ASSERT_EQ(args.size(), 9u);
    std::string line;
    for (const auto& a : args) line += a + " ";
    const auto split = LaunchArgs::GetCommandLineArgs(line);
    EXPECT_EQ(LaunchArgs::CheckLaunchArgs(split), LaunchArgs::LaunchCheck::Ok);
    EXPECT_EQ(split[3], "47800");
    EXPECT_EQ(split[8], "张三");
    const std::string& address = split[2];
    ASSERT_EQ(address.rfind("10.0.0.7#", 0), 0u);
    Ticket::SeatTicket t;
    ASSERT_EQ(Ticket::Check(address.substr(9), &secret, 1001, &t), Ticket::Verdict::Ok);
    EXPECT_EQ(t.table, 3);
    EXPECT_EQ(t.watched, "李四");
    EXPECT_EQ(Ticket::Check(address.substr(9), &secret, 1000 + r.ticketLifetime + 1, nullptr),
              Ticket::Verdict::Expired);
}

TEST(LaunchPlan, HostAndPort) {
    std::string host;
    int port = 0;
    EXPECT_TRUE(CommandLine::ParseHostPort("example.org:80", host, port));
    EXPECT_EQ(host, "example.org");
    EXPECT_EQ(port, 80);
    for (const char* bad : {"example.org", ":80", "h:0", "h:65536", "h:8x", "h:"})
        EXPECT_FALSE(CommandLine::ParseHostPort(bad, host, port)) << bad;
    EXPECT_TRUE(CommandLine::ParseHostPort("[::1]:0", host, port, 0));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 0);
}
