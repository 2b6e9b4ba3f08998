// The records file full, against the real server: no file of the server may grow (a file
// size limit on the running process, with SIGXFSZ ignored, which stops root as well as
// anyone). The tables play on, the failures are reported on standard error, nothing
// written before is lost, and once there is room again the games are stored again.
#include "FaultFixture.h"
#include "core/GameMessages.h"

TEST_F(FaultTest, AFullRecordsFileKeepsTheTablesPlayingAndLosesNothingWritten) {
    ASSERT_TRUE(StartServer());
    int mark = StartBots();
    // Records first: the computer players' games and a game of two people.
    {
        auto other = Player("乙", 2);
        auto winner = Player("甲", 2);
        StartPairGame(*other, *winner);
        ASSERT_TRUE(winner->PlayOut());
        ASSERT_TRUE(other->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));
    }
    const RecordsFile before = RecordsFile::Read(DbPath());
    ASSERT_EQ(before.integrity, "ok");
    ASSERT_GE(before.games, 2);
    ASSERT_NE(before.Find("甲"), nullptr);

    // Full: every table still plays, newcomers whose records cannot be made included.
    ASSERT_TRUE(server_.SetFileSizeLimit(0));
    mark = bots_->GamesEnded();
    {
        auto other = Player("丁", 3);
        auto winner = Player("丙", 3);
        StartPairGame(*other, *winner);
        ASSERT_TRUE(winner->PlayOut());
        const auto end = other->Await(GAMEMSG_END);
        ASSERT_TRUE(end);
        EXPECT_EQ(GameMessages::ParseEnd(*end).size(), 2u);
    }
    ASSERT_TRUE(bots_->AwaitGames(mark + 2));
    std::this_thread::sleep_for(200ms);
    const std::string errors = server_.Errors();
    EXPECT_NE(errors.find("results not stored"), std::string::npos) << errors;
    EXPECT_NE(errors.find("丙"), std::string::npos) << "the record that could not be made is not reported:\n" << errors;
    const RecordsFile full = RecordsFile::Read(DbPath());

    // Room again: the next games are stored.
    ASSERT_TRUE(server_.LiftFileSizeLimit());
    mark = bots_->GamesEnded();
    ASSERT_TRUE(bots_->AwaitGames(mark + 2));
    {
        auto other = Player("乙", 2);
        auto winner = Player("甲", 2);
        StartPairGame(*other, *winner);
        ASSERT_TRUE(winner->PlayOut());
        ASSERT_TRUE(other->Await(ROOMMSG_USERSTATE, USERSTATE_UPDATE));
    }
    EXPECT_EQ(bots_->Stop(), 0);
    EXPECT_EQ(bots_->Problems(), "");
    bots_.reset();
    EXPECT_EQ(server_.Stop(), 0) << server_.Errors();

    // The file, opened afresh: sound, everything written before still there, every
    // record adding up, and the games after the room came back stored.
    const RecordsFile after = RecordsFile::Read(DbPath());
    ASSERT_TRUE(after.opened);
    EXPECT_EQ(after.integrity, "ok");
    EXPECT_GE(after.results, before.results);
    for (const auto& [name, row] : before.users) {
        const UserRow* now = after.Find(name);
        ASSERT_NE(now, nullptr) << name;
        EXPECT_GE(now->games, row.games) << name;
        EXPECT_GE(now->results, row.results) << name;
    }
    for (const auto& [name, row] : after.users) EXPECT_TRUE(row.AddsUp()) << name;
    EXPECT_GE(after.games, full.games + 3);
    EXPECT_EQ(after.Find("甲")->games, before.Find("甲")->games + 1);
}
