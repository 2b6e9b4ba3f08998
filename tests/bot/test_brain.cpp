// What the computer players decide, and their command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>

#include "BotTestKit.h"
#include "bot/BotBrain.h"
#include "bot/BotOptions.h"

using namespace BotTestKit;
using namespace modDaoJuDefine;

namespace {

// A board of `tiles` random tiles of `kinds` kinds in pairs, at random cells.
TileGridT RandomBoard(std::mt19937& rng, int tiles, int kinds) {
    TileGridT g{};
    std::vector<int> cells(GameSize::kRows * GameSize::kCols);
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = static_cast<int>(i);
    std::shuffle(cells.begin(), cells.end(), rng);
    for (int i = 0; i < tiles; i += 2) {
        const auto code = static_cast<std::uint8_t>(1 + rng() % kinds);
        g[cells[i] / GameSize::kCols][cells[i] % GameSize::kCols] = code;
        g[cells[i + 1] / GameSize::kCols][cells[i + 1] % GameSize::kCols] = code;
    }
    return g;
}

modGameDefine TableOfFour() {
    modGameDefine g;
    g.InitGameDefine();
    g.blnGameStopped = false;
    const int left[] = {40, 12, 30, 12};
    for (int s = 0; s < 4; ++s) {
        g.SeatUser[s].strUserName = "p" + std::to_string(s);
        g.SeatUser[s].blnGameOut = false;
        g.SeatUser[s].bteLeftFkCount = static_cast<std::uint8_t>(left[s]);
    }
    return g;
}

char** Argv(std::vector<std::string>& args) {
    static std::vector<char*> ptrs;
    ptrs.clear();
    for (auto& a : args) ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    return ptrs.data();
}

bool Parse(std::vector<std::string> args, BotOptions& o, std::string& error) {
    args.insert(args.begin(), "tilelink-bot");
    return ParseBotOptions(static_cast<int>(args.size()), Argv(args), o, error);
}

}  // namespace

TEST(BotBrain, TheFirstStrategyTakesTheFirstPairAtOnceAndNothingElse) {
    std::mt19937 rng(1);
    BotBrain brain(Strategy::First, 3, 7);
    for (int i = 0; i < 30; ++i) {
        const TileGridT g = RandomBoard(rng, 60 + 2 * (i % 30), 12);
        LinkPath expected, got;
        const bool has = modLinkSearch::FindLinkPair(g, expected);
        ASSERT_EQ(brain.ChoosePair(g, got), has);
        if (!has) continue;
        ASSERT_EQ(got.lngNodeCount, expected.lngNodeCount);
        for (int k = 0; k < 2 * got.lngNodeCount; ++k) ASSERT_EQ(got.lngNodePos[k], expected.lngNodePos[k]);
        const auto plan = brain.PlanTurn(g, true);
        EXPECT_EQ(plan.thinkSeconds, 0);
        EXPECT_FALSE(plan.slip);
    }
    modGameDefine game = TableOfFour();
    game.SeatUser[0].bteDaoJuCount.fill(9);
    EXPECT_EQ(brain.ChooseThrow(game, 0).item, -1);
    EXPECT_FALSE(brain.WantsBomb(game, 0));
    EXPECT_FALSE(brain.LineToSay(BotBrain::Moment::Won));
    EXPECT_FALSE(brain.ChooseGroupChange(0));
    EXPECT_EQ(brain.PauseFor(BotBrain::Pause::Settings), 0);
}

TEST(BotBrain, AHumanTakesOnlyLinkablePairsAndNotAlwaysTheSame) {
    std::mt19937 rng(2);
    BotBrain brain(Strategy::Human, 3, 11);
    const TileGridT g = RandomBoard(rng, 120, 10);
    std::set<std::pair<int, int>> chosen;
    for (int i = 0; i < 200; ++i) {
        LinkPath path, check;
        ASSERT_TRUE(brain.ChoosePair(g, path));
        ASSERT_TRUE(modLinkSearch::CheckLink(g, path.First(), path.Last(), check));
        ASSERT_EQ(check.lngNodeCount, path.lngNodeCount);
        for (int k = 0; k < 2 * path.lngNodeCount; ++k) ASSERT_EQ(check.lngNodePos[k], path.lngNodePos[k]);
        chosen.insert({path.First().row * 18 + path.First().col, path.Last().row * 18 + path.Last().col});
    }
    EXPECT_GT(chosen.size(), 3u);
    LinkPath none;
    EXPECT_FALSE(brain.ChoosePair(Board({"abc", "bad", "cde"}), none));  // walled in
}

TEST(BotBrain, ThinkingTimeFollowsTheSkill) {
    std::mt19937 rng(3);
    const TileGridT g = RandomBoard(rng, 100, 15);
    auto mean = [&](int skill) {
        BotBrain brain(Strategy::Human, skill, 5);
        double sum = 0;
        for (int i = 0; i < 400; ++i) {
            const auto plan = brain.PlanTurn(g, false);
            EXPECT_GT(plan.thinkSeconds, 0);
            if (plan.slip) {
                EXPECT_NE(g[plan.slipCell.row][plan.slipCell.col], 0);  // a real tile
            }
            sum += plan.thinkSeconds;
        }
        return sum / 400;
    };
    const double novice = mean(1), expert = mean(5);
    EXPECT_GT(novice, 2.5 * expert);
    EXPECT_GT(expert, 0.5);
    EXPECT_LT(novice, 6);
}

TEST(BotRules, TheLeaderHasTheFewestTilesAndIsNoTeamMate) {
    modGameDefine game = TableOfFour();
    EXPECT_EQ(BotRules::LeaderSeat(game, 0), 1);  // seats 1 and 3 tie: the first after one's own
    EXPECT_EQ(BotRules::LeaderSeat(game, 2), 3);
    game.SeatUser[1].blnGameOut = true;
    EXPECT_EQ(BotRules::LeaderSeat(game, 0), 3);
    game.SeatUser[0].bteFenZu = game.SeatUser[3].bteFenZu = 2;  // team mates are spared
    EXPECT_EQ(BotRules::LeaderSeat(game, 0), 2);
    game.SeatUser[2].blnGameOut = true;
    EXPECT_EQ(BotRules::LeaderSeat(game, 0), -1);

    BotBrain brain(Strategy::Human, 5, 1);
    game = TableOfFour();
    game.SeatUser[0].bteDelFkCount = 200;
    game.SeatUser[0].bteDaoJuCount[DJ_JINSHOU] = 1;
    int thrown = 0;
    for (int i = 0; i < 300; ++i) {
        const auto t = brain.ChooseThrow(game, 0);
        if (t.item < 0) continue;
        ++thrown;
        EXPECT_EQ(t.item, DJ_JINSHOU);  // the only one held
        EXPECT_EQ(t.target, 1);
    }
    EXPECT_GT(thrown, 0);
    EXPECT_LT(thrown, 300);
}

TEST(BotRules, AnItemIsReadyWhenUsableNowAndHeld) {
    modGameDefine game = TableOfFour();  // the local seat is 0
    game.g_DaoJu[DJ_ZHADAN].bteNeedDelFk = 4;
    game.SeatUser[0].bteDaoJuCount[DJ_ZHADAN] = 1;
    game.SeatUser[0].bteDelFkCount = 2;
    EXPECT_FALSE(BotRules::ItemReady(game, DJ_ZHADAN));  // not enough tiles removed yet
    game.SeatUser[0].bteDelFkCount = 4;
    EXPECT_TRUE(BotRules::ItemReady(game, DJ_ZHADAN));
    EXPECT_FALSE(BotRules::ItemReady(game, DJ_CHONGLIE));  // usable, but none held
    game.SeatUser[1].bteDaoJuCount[DJ_CHONGLIE] = 3;       // another seat's do not count
    EXPECT_FALSE(BotRules::ItemReady(game, DJ_CHONGLIE));
    game.blnGameStopped = true;
    EXPECT_FALSE(BotRules::ItemReady(game, DJ_ZHADAN));
    EXPECT_FALSE(BotRules::ItemReady(game, 9));
}

TEST(BotRules, LinkablePairsAreEveryPairThatLinks) {
    const TileGridT g = Board({
        "ab.a",
        "b..c",
        "dddc",
    });
    // a-a is walled in, b-b goes round one corner, c-c side by side, the three d's pair
    // every way (the outer two below the row).
    const auto pairs = BotRules::LinkablePairs(g);
    std::set<std::pair<int, int>> ends;
    for (const auto& p : pairs) ends.insert({p.First().row * 18 + p.First().col, p.Last().row * 18 + p.Last().col});
    const std::set<std::pair<int, int>> expected = {{1, 18}, {21, 39}, {36, 37}, {37, 38}, {36, 38}};
    EXPECT_EQ(ends, expected);
}

TEST(BotBrain, AMasterKeepsTheSettingsWithinTheBounds) {
    const BotBrain brain(Strategy::Human, 3, 1);
    GameSettings p;
    p.baseScore = 5000;
    p.deduction = -3;
    GameSettings s = brain.ChooseSettings(p, 9);
    EXPECT_EQ(s.playerCount, 6);
    EXPECT_EQ(s.baseScore, p.maxBaseScore);
    EXPECT_EQ(s.deduction, p.minDeduction);
    EXPECT_EQ(s.maxBaseScore, p.maxBaseScore);  // the bounds go back as they came
    p.minBaseScore = 50;
    p.maxBaseScore = 20;  // crossed bounds: the smaller one
    EXPECT_EQ(brain.ChooseSettings(p, 1).baseScore, 50);
    EXPECT_EQ(brain.ChooseSettings(p, 1).playerCount, 2);
}

TEST(BotBrain, AGroupChangeAndAChatLineAreRareAndSensible) {
    BotBrain brain(Strategy::Human, 3, 9);
    int changes = 0, lines = 0;
    for (int i = 0; i < 1000; ++i) {
        const int current = i % 4;
        if (const auto g = brain.ChooseGroupChange(current)) {
            ++changes;
            EXPECT_NE(*g, current);
            EXPECT_GE(*g, 0);
            EXPECT_LE(*g, 3);
        }
        if (const auto line = brain.LineToSay(BotBrain::Moment::GameStart)) {
            ++lines;
            EXPECT_EQ(line->find('`'), std::string::npos);
        }
    }
    EXPECT_GT(changes, 50);
    EXPECT_LT(changes, 250);
    EXPECT_GT(lines, 10);
    EXPECT_LT(lines, 120);
}

TEST(BotOptions, ReadsTheWholeCommandLine) {
    const std::string secretPath = testing::TempDir() + "bot_secret.txt";
    { std::ofstream(secretPath) << "s3cret\r\nignored\n"; }
    BotOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--server", "[::1]:4000",    "--table",     "3",       "--count",   "2",      "--strategy",
                       "first",    "--secret-file", secretPath,    "--names", "甲,乙,丙",  "--seed", "9",
                       "--pace",   "0.1",           "--skill",     "5",       "--players", "4",      "--trace",
                       "t.log",    "--reconnect",   "--turn-time", "2.5",     "--games",   "2"},
                      o, error))
        << error;
    EXPECT_EQ(o.host, "::1");
    EXPECT_EQ(o.port, "4000");
    EXPECT_EQ(o.table, 3);
    EXPECT_EQ(o.count, 2);
    EXPECT_EQ(o.strategy, Strategy::First);
    EXPECT_EQ(o.secret, "s3cret");
    EXPECT_EQ(o.names.size(), 3u);
    EXPECT_EQ(o.seed, 9u);
    ASSERT_TRUE(o.pace.has_value());
    EXPECT_DOUBLE_EQ(*o.pace, 0.1);
    EXPECT_TRUE(o.reconnect);
    EXPECT_DOUBLE_EQ(o.turnSeconds, 2.5);
    EXPECT_EQ(o.games, 2);
    std::remove(secretPath.c_str());
}

TEST(BotOptions, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {"--table", "1"},           // no server
        {"--server", "localhost"},  // no port
        {"--server", "h:0"},
        {"--server", "h:70000"},
        {"--server", "127.0.0.1:1", "--count", "0"},
        {"--server", "127.0.0.1:1", "--count", "61"},
        {"--server", "127.0.0.1:1", "--count", "3", "--names", "a,b"},  // too few names
        {"--server", "127.0.0.1:1", "--names", "a,a"},
        {"--server", "127.0.0.1:1", "--names", "a`b"},  // not a user name
        {"--server", "127.0.0.1:1", "--strategy", "best"},
        {"--server", "127.0.0.1:1", "--pace", "fast"},
        {"--server", "127.0.0.1:1", "--skill", "6"},
        {"--server", "127.0.0.1:1", "--players", "7"},
        {"--server", "127.0.0.1:1", "--secret-file", "/nonexistent/secret"},
        {"--server", "127.0.0.1:1", "--frobnicate", "1"},
        {"--server", "127.0.0.1:1", "--table"},  // value missing
    };
    for (const auto& args : bad) {
        BotOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args.back();
        EXPECT_FALSE(error.empty());
    }
}

TEST(BotLevels, NormalIsTheDefaultAndAnUnknownLevelNamesTheLevels) {
    BotOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--server", "127.0.0.1:1"}, o, error)) << error;
    EXPECT_EQ(o.level.name, "normal");
    EXPECT_FALSE(o.pace.has_value());  // the level's pace
    ASSERT_TRUE(Parse({"--server", "127.0.0.1:1", "--level", "expert", "--step", "0.5"}, o, error)) << error;
    EXPECT_EQ(o.level.name, "expert");
    EXPECT_DOUBLE_EQ(o.step, 0.5);
    BotOptions bad;
    EXPECT_FALSE(Parse({"--server", "127.0.0.1:1", "--level", "godlike"}, bad, error));
    EXPECT_NE(error.find("easy|normal|hard|expert"), std::string::npos) << error;
    EXPECT_FALSE(Parse({"--server", "127.0.0.1:1", "--step", "-1"}, bad, error));
    EXPECT_EQ(BotLevels::Find("Normal"), nullptr);
}

TEST(BotLevels, EachLevelIsHarderThanTheOneBefore) {
    // Harder: stronger skills, shorter pauses and shorter gaps between items.
    const auto& all = BotLevels::All();
    ASSERT_EQ(all.size(), 4u);
    for (std::size_t i = 1; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].name);
        EXPECT_GE(all[i].maxSkill, all[i - 1].maxSkill);
        EXPECT_GT(all[i].maxSkill + all[i].minSkill, all[i - 1].maxSkill + all[i - 1].minSkill);
        EXPECT_LT(all[i].pace, all[i - 1].pace);
        EXPECT_LT(all[i].itemGapSeconds * all[i].pace, all[i - 1].itemGapSeconds * all[i - 1].pace);
    }
    for (const auto& l : all) {
        EXPECT_GE(l.minSkill, BotBrain::kMinSkill);
        EXPECT_LE(l.maxSkill, BotBrain::kMaxSkill);
        EXPECT_LE(l.minSkill, l.maxSkill);
    }
}

TEST(BotLevels, AtNormalEvenTheStrongestSkillThinksAtHumanPace) {
    // The median think time of the level's strongest player, on a board with a fair
    // number of moves, at the level's pace: what a newcomer can keep up with. An item is
    // chosen at most every 30 s.
    const BotLevel& normal = BotLevels::Default();
    std::mt19937 rng(5);
    const TileGridT g = RandomBoard(rng, 100, 15);
    BotBrain brain(Strategy::Human, normal.maxSkill, 9);
    std::vector<double> think;
    for (int i = 0; i < 801; ++i) think.push_back(brain.PlanTurn(g, false).thinkSeconds * normal.pace);
    std::nth_element(think.begin(), think.begin() + 400, think.end());
    EXPECT_GE(think[400], 2.5);
    EXPECT_GE(normal.itemGapSeconds * normal.pace, 30.0);
}

TEST(BotRules, ThrowsSpareWhoeverWasJustHit) {
    modGameDefine game = TableOfFour();
    game.SeatUser[0].bteDelFkCount = 200;
    game.SeatUser[0].bteDaoJuCount[DJ_JINSHOU] = 1;
    const int leader = BotRules::LeaderSeat(game, 0);
    ASSERT_GE(leader, 0);
    BotBrain::Spared spared{};
    spared[leader] = true;
    const int next = BotRules::LeaderSeat(game, 0, spared);
    EXPECT_GE(next, 0);
    EXPECT_NE(next, leader);
    BotBrain brain(Strategy::Human, 5, 1);
    int thrown = 0;
    for (int i = 0; i < 300; ++i) {
        const auto t = brain.ChooseThrow(game, 0, spared);
        if (t.item < 0) continue;
        ++thrown;
        EXPECT_EQ(t.target, next);
    }
    EXPECT_GT(thrown, 0);
    for (int s = 0; s < GameSize::kSeatCount; ++s) spared[s] = true;  // everybody was just hit
    for (int i = 0; i < 100; ++i) EXPECT_EQ(brain.ChooseThrow(game, 0, spared).item, -1);
}
