// The spill file on its own: what goes in comes back whole, a line cut short by a crash
// is dropped (those results were never shown) and the file is whole lines again, and two
// servers never share one file.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Engines.h"
#include "server/ResultSpill.h"

TEST(Spill, GamesComeBackWholeAndACutLineIsDropped) {
    const std::string path = (std::filesystem::temp_directory_path() / (FreshName("spill") + ".spill")).string();
    GameRecord g;
    g.key = "east/17/3";
    g.room = "east";
    g.table = 12;
    g.mapNo = 4;
    g.ended = 1765000000;
    g.results = {{"名 字\n;", 0, 1, 45, Scoring::Outcome::Win}, {"", 1, 2, -15, Scoring::Outcome::Escape}};
    {
        ResultSpill spill;
        std::vector<GameRecord> held;
        std::string error;
        ASSERT_TRUE(spill.Open(path, held, error)) << error;
        EXPECT_TRUE(held.empty());
        ASSERT_TRUE(spill.Append(g, error)) << error;
        g.key = "east/17/4";
        ASSERT_TRUE(spill.Append(g, error)) << error;
        // Another server cannot take the same file.
        ResultSpill other;
        std::vector<GameRecord> none;
        EXPECT_FALSE(other.Open(path, none, error));
        EXPECT_NE(error.find("in use"), std::string::npos) << error;
    }
    // A crash in the middle of the next line.
    std::ofstream(path, std::ios::app) << ResultSpill::Encode(g).substr(0, 20);
    {
        ResultSpill spill;
        std::vector<GameRecord> held;
        std::string error;
        ASSERT_TRUE(spill.Open(path, held, error)) << error;
        ASSERT_EQ(held.size(), 2u);
        EXPECT_EQ(held[0].key, "east/17/3");
        EXPECT_EQ(held[1].key, "east/17/4");
        EXPECT_EQ(held[0].room, "east");
        EXPECT_EQ(held[0].table, 12);
        EXPECT_EQ(held[0].ended, 1765000000);
        ASSERT_EQ(held[0].results.size(), 2u);
        EXPECT_EQ(held[0].results[0].name, "名 字\n;");
        EXPECT_EQ(held[0].results[0].score, 45);
        EXPECT_EQ(held[0].results[1].name, "");
        EXPECT_EQ(held[0].results[1].outcome, Scoring::Outcome::Escape);
        EXPECT_EQ(held[1].results[1].place, 2);
        ASSERT_TRUE(spill.Append(g, error));
        ASSERT_TRUE(spill.Clear(error));
    }
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    for (const char* bad : {"", "game1 zz", "game1 6b 6b 1 2 3 1 - 0 1 5 9 end", "game1 6b 6b 1 2 3 1 - 0 1 5 0"})
        EXPECT_FALSE(ResultSpill::Decode(bad)) << bad;
    std::filesystem::remove(path);
}
