// The network between the computer players and the server fails in the middle of a game:
// every connection is cut at once after the tenth removal. The players knock again
// (--reconnect), get their seats back within the grace time and finish the game; nobody
// escapes, and the table plays on.
#include "FaultFixture.h"
#include "tests/faults/kit/FaultProxy.h"

TEST_F(FaultTest, ComputerPlayersComeBackAfterTheNetworkFailsMidGame) {
    ASSERT_TRUE(StartServer({"--grace", "10"}));
    FaultProxy network(server_.Port());
    ASSERT_GT(network.Port(), 0);
    const int mark = StartBots(9, network.Port(), {"--reconnect"});
    ASSERT_EQ(network.Accepted(), 3);

    network.ArmCut(10);
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (network.Cuts() == 0 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(network.Cuts(), 1);
    EXPECT_EQ(network.CutConnections(), 3);

    // The game that was cut ends with the results of all three, and more games follow.
    ExpectTablePlaysOn(mark);
    ExpectTablePlaysOn(mark + 1);
    EXPECT_EQ(network.Accepted(), 6);
    EXPECT_EQ(bots_->Events("closed"), 3);
    EXPECT_EQ(bots_->Events("quit"), 0);  // nobody was taken for a runaway
    EXPECT_GE(bots_->Events("snapshot"), 3);

    for (int i = 49; i <= 51; ++i) {
        const std::string name = "电脑" + std::to_string(i);
        const UserRow row = Record(name);
        EXPECT_GE(row.games, mark + 1) << name;
        EXPECT_EQ(row.escapes, 0) << name;
        EXPECT_TRUE(row.AddsUp()) << name;
    }
}
