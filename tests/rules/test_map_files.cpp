// Map files: names, the title list and the layout reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/GbkText.h"
#include "core/modMapFile.h"

using namespace modMapFile;

namespace {

std::string Row(const std::string& cells) { return cells + "\n"; }

// Ten good rows: row r is "0123456789ABCDEFGH" shifted so every digit shows up.
std::string GoodMap(const std::string& lineEnd = "\n") {
    std::string t;
    for (int r = 0; r < 10; ++r) {
        std::string line = "0123456789A 5.x-9" + std::to_string(r);
        t += line + lineEnd;
    }
    return t;
}

TileGridT Marked() {
    TileGridT g{};
    for (auto& row : g) row.fill(3);
    return g;
}

bool AllZero(const TileGridT& g) { return modGameDefine::CountTiles(g) == 0; }

class MapFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::current_path() /
               ("maps_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "Res" / "Map");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string AppPath() const { return dir_.string() + "/"; }
    void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::filesystem::path dir_;
};

}  // namespace

TEST(MapFile, NamesCarryAtLeastThreeDigits) {
    EXPECT_EQ(MapFileName(1), "Map001.map");
    EXPECT_EQ(MapFileName(7), "Map007.map");
    EXPECT_EQ(MapFileName(12), "Map012.map");
    EXPECT_EQ(MapFileName(123), "Map123.map");
    EXPECT_EQ(MapFileName(1000), "Map1000.map");
    EXPECT_EQ(MapFileName(0), "");  // the first list entry has no file
    EXPECT_EQ(MapFileName(-3), "");
    EXPECT_EQ(MapFilePath("/games/table/", 7), "/games/table/Res/Map/Map007.map");
    EXPECT_EQ(MapTitlePath("/games/table/"), "/games/table/Res/Map/MapTitle.txt");
}

TEST(MapFile, DigitsAreTheirValueAnythingElseEmpty) {
    TileGridT g = Marked();
    ASSERT_TRUE(ParseMapText(GoodMap(), g));
    EXPECT_EQ(g[0][0], 0);
    EXPECT_EQ(g[0][5], 5);
    EXPECT_EQ(g[0][9], 9);
    EXPECT_EQ(g[0][10], 0);  // 'A'
    EXPECT_EQ(g[0][11], 0);  // ' '
    EXPECT_EQ(g[0][12], 5);
    EXPECT_EQ(g[0][13], 0);  // '.'
    EXPECT_EQ(g[3][17], 3);
    EXPECT_EQ(g[9][17], 9);

    // CR LF line ends read the same.
    TileGridT crlf = Marked();
    ASSERT_TRUE(ParseMapText(GoodMap("\r\n"), crlf));
    EXPECT_EQ(crlf, g);

    // A GBK character is one character of the line and no tile.
    std::string wide = GbkText::FromUtf8("中") + "12345678901234567\n";
    std::string text;
    for (int r = 0; r < 10; ++r) text += wide;
    ASSERT_TRUE(ParseMapText(text, g));
    EXPECT_EQ(g[0][0], 0);
    EXPECT_EQ(g[0][1], 1);
    EXPECT_EQ(g[4][17], 7);
}

TEST(MapFile, WrongLengthOrTooFewLinesGiveAnEmptyLayout) {
    std::string shortLine;
    for (int r = 0; r < 10; ++r) shortLine += Row(std::string(r == 2 ? 17 : 18, '1'));
    TileGridT g = Marked();
    EXPECT_FALSE(ParseMapText(shortLine, g));  // third line of 17 characters
    EXPECT_TRUE(AllZero(g));

    std::string nine;
    for (int r = 0; r < 9; ++r) nine += Row("111111111111111111");
    g = Marked();
    EXPECT_FALSE(ParseMapText(nine, g));
    EXPECT_TRUE(AllZero(g));
    g = Marked();
    EXPECT_FALSE(ParseMapText(nine + "\n", g));  // an empty tenth line is too short
    EXPECT_TRUE(AllZero(g));

    // A GBK character cut in half at the end of a line is a fault.
    std::string broken;
    for (int r = 0; r < 10; ++r)
        broken += (r == 4 ? std::string("11111111111111111\xD6") : "111111111111111111") + "\n";
    g = Marked();
    EXPECT_FALSE(ParseMapText(broken, g));
    EXPECT_TRUE(AllZero(g));

    g = Marked();
    EXPECT_FALSE(ParseMapText("", g));
    EXPECT_TRUE(AllZero(g));
}

TEST(MapFile, LinesAfterTheTenthAreNotRead) {
    std::string twelve = GoodMap() + Row("badline") + Row("another bad line that is long");
    TileGridT a{}, b{};
    ASSERT_TRUE(ParseMapText(twelve, a));
    ASSERT_TRUE(ParseMapText(GoodMap(), b));
    EXPECT_EQ(a, b);
    // The tenth line needs no line end.
    std::string last = GoodMap();
    last.pop_back();
    ASSERT_TRUE(ParseMapText(last, a));
    EXPECT_EQ(a, b);
}

TEST_F(MapFolder, ReadsMapFilesAndAMissingFileIsEmpty) {
    Write(MapFilePath(AppPath(), 7), GoodMap("\r\n"));
    TileGridT g = Marked();
    ASSERT_TRUE(ReadMapFile(MapFilePath(AppPath(), 7), g));
    EXPECT_EQ(g[0][5], 5);

    g = Marked();
    EXPECT_FALSE(ReadMapFile(MapFilePath(AppPath(), 123), g));
    EXPECT_TRUE(AllZero(g));
    EXPECT_TRUE(ReadMapTitles(MapTitlePath(AppPath())).empty());
}

TEST_F(MapFolder, TitlesAreFieldsOfCommasAndLinesInGbk) {
    const std::string text = GbkText::FromUtf8(
        "随机地图,标准\r\n"
        "  \"十字, 大\" , \"说\"\"好\"\"的\"\r\n"
        "\r\n"
        "  空格  ,,末尾\n");
    Write(MapTitlePath(AppPath()), text);
    const std::vector<std::string> titles = ReadMapTitles(MapTitlePath(AppPath()));
    const std::vector<std::string> expected = {"随机地图", "标准", "十字, 大", "说\"好\"的", "空格", "", "末尾"};
    EXPECT_EQ(titles, expected);
}

TEST(MapTitles, AFaultEndsTheListWithWhatWasRead) {
    EXPECT_EQ(ParseMapTitles("one,two\n\"three"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(ParseMapTitles("one,tw\xD6,three"), (std::vector<std::string>{"one"}));
    EXPECT_EQ(ParseMapTitles("\"a\nb\",c"), (std::vector<std::string>{"a\nb", "c"}));
    EXPECT_EQ(ParseMapTitles("last,"), (std::vector<std::string>{"last", ""}));
    EXPECT_TRUE(ParseMapTitles("").empty());
    EXPECT_TRUE(ParseMapTitles("\r\n\n  \n").empty());
}
