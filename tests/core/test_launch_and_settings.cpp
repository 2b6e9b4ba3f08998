// Launch arguments, program folders and the settings file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/LaunchArgs.h"
#include "core/LaunchMarker.h"
#include "core/UserSetFile.h"

using namespace LaunchArgs;

namespace {
std::vector<std::string> Nine(const std::string& marker = LaunchMarker::kText) {
    return GetCommandLineArgs(marker + " 127.0.0.1 6000 Cap 长工_100 r1 r2 张三 1");
}
}  // namespace

TEST(LaunchArgs, SplitsAtRunsOfBlanksAndTabs) {
    auto a = GetCommandLineArgs("  one\t\ttwo   three ");
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0], "");
    EXPECT_EQ(a[1], "one");
    EXPECT_EQ(a[3], "three");
    auto q = GetCommandLineArgs("\"a b\"");
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[1], "\"a");
    EXPECT_EQ(q[2], "b\"");
    EXPECT_EQ(GetCommandLineArgs("1 2 3 4 5 6 7 8 9 10 11 12").size(), 11u);
    EXPECT_EQ(GetCommandLineArgs("").size(), 1u);
}

TEST(LaunchArgs, ChecksCountBeforeMarker) {
    EXPECT_EQ(CheckLaunchArgs(Nine()), LaunchCheck::Ok);
    auto eight = Nine();
    eight.pop_back();
    EXPECT_EQ(CheckLaunchArgs(eight), LaunchCheck::WrongCount);
    auto ten = Nine();
    ten.push_back("x");
    EXPECT_EQ(CheckLaunchArgs(ten), LaunchCheck::WrongCount);
    std::string lower = LaunchMarker::kText;
    lower[0] = static_cast<char>(std::tolower(lower[0]));
    EXPECT_EQ(CheckLaunchArgs(Nine(lower)), LaunchCheck::WrongMarker);
    auto wrongBoth = Nine(lower);
    wrongBoth.pop_back();
    EXPECT_EQ(CheckLaunchArgs(wrongBoth), LaunchCheck::WrongCount);
    EXPECT_EQ(CheckLaunchArgs(Nine(std::string(LaunchMarker::kText) + "x")), LaunchCheck::WrongMarker);
}

TEST(LaunchArgs, JoinsArgvAsOneCommandLine) {
    const char* argv[] = {"prog", "a b", "c"};
    EXPECT_EQ(JoinArgv(3, argv), "a b c");
    EXPECT_EQ(GetCommandLineArgs(JoinArgv(3, argv)).size(), 4u);
}

TEST(LaunchArgs, ProgramAndLobbyFolders) {
    EXPECT_EQ(AppPathOf("/opt/lobby/table/tilelink-table"), "/opt/lobby/table/");
    EXPECT_EQ(LobbyPathOf("/opt/lobby/table/"), "/opt/lobby/");
    EXPECT_EQ(AppPathOf("/prog"), "/");
    EXPECT_EQ(LobbyPathOf("/"), "");
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("tl_userset_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "UserSet.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(SettingsFile, MissingOrDamagedMeansAllOn) {
    EXPECT_EQ(UserSetFile::Load(path_), UserSetFile::kDefaults);
    Write("0\r\n0\r\n0\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), UserSetFile::kDefaults);
    Write("0\r\n0\r\nx\r\n0\r\n0\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), UserSetFile::kDefaults);
    Write("0\r\n0\r\n256\r\n0\r\n0\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), UserSetFile::kDefaults);
    Write("0\r\n0\r\n-1\r\n0\r\n0\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), UserSetFile::kDefaults);
}

TEST_F(SettingsFile, ReadsBlankPaddedNumbersAndWritesCrLfLines) {
    Write(" 0 \r\n1\n 0\r\n1 \r\n0\r\nextra\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), (UserSetFile::Settings{0, 1, 0, 1, 0}));
    ASSERT_TRUE(UserSetFile::Save(path_, {0, 1, 1, 0, 1}));
    EXPECT_EQ(Read(), "0\r\n1\r\n1\r\n0\r\n1\r\n");
    EXPECT_EQ(UserSetFile::Load(path_), (UserSetFile::Settings{0, 1, 1, 0, 1}));
    EXPECT_FALSE(std::filesystem::exists(path_ + ".new"));
}

TEST_F(SettingsFile, DamagedFileIsRewrittenWholeOnSave) {
    Write("garbage");
    auto s = UserSetFile::Load(path_);
    s[0] = 0;
    ASSERT_TRUE(UserSetFile::Save(path_, s));
    EXPECT_EQ(Read(), "0\r\n1\r\n1\r\n1\r\n1\r\n");
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFile) {
    Write("0\r\n0\r\n0\r\n0\r\n0\r\n");
    std::filesystem::create_directory(path_ + ".new");  // the new file cannot be created
    EXPECT_FALSE(UserSetFile::Save(path_, {1, 1, 1, 1, 1}));
    EXPECT_EQ(Read(), "0\r\n0\r\n0\r\n0\r\n0\r\n");
}
