// Where the programs keep their users' files: beside a program the user owns, in the
// XDG folders for a system-wide install.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/UserFolders.h"

namespace fs = std::filesystem;
using UserFolders::Kind;

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
public:
    void Set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~EnvGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class UserFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("tilelink-userfolders-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "program");
        env_.Set("HOME", (root_ / "home").string());
        env_.Set("XDG_CONFIG_HOME", std::nullopt);
        env_.Set("XDG_DATA_HOME", std::nullopt);
        env_.Set("XDG_STATE_HOME", std::nullopt);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
    EnvGuard env_;
};

}  // namespace

TEST_F(UserFoldersTest, AProgramFolderOfTheUserKeepsTheFilesBesideItAndCreatesNothingElse) {
    const fs::path program = root_ / "program";
    EXPECT_TRUE(UserFolders::KeepsFilesBeside(program));
    EXPECT_EQ(UserFolders::FileFor(program, Kind::Config, "UserSet.ini"), program / "UserSet.ini");
    // strAppPath ends in a separator; the file still lands in that folder.
    EXPECT_EQ(UserFolders::FileFor(program.string() + "/", Kind::Data, "tilelink.db").lexically_normal(),
              program / "tilelink.db");
    EXPECT_FALSE(fs::exists(root_ / "home"));
}

TEST_F(UserFoldersTest, AFolderThatCannotBeWrittenSendsEachKindToItsXdgFolderCreatedPrivate) {
    const fs::path missing = root_ / "no-such-program-folder";
    EXPECT_FALSE(UserFolders::KeepsFilesBeside(missing));
    EXPECT_FALSE(UserFolders::KeepsFilesBeside(""));

    // Without the variables: the fallbacks under the home folder.
    const fs::path settings = UserFolders::FileFor(missing, Kind::Config, "UserSet.ini");
    EXPECT_EQ(settings, root_ / "home/.config/tilelink/UserSet.ini");
    EXPECT_EQ(UserFolders::FileFor(missing, Kind::Data, "tilelink.db"),
              root_ / "home/.local/share/tilelink/tilelink.db");
    EXPECT_EQ(UserFolders::FileFor(missing, Kind::State, "lobby.state"),
              root_ / "home/.local/state/tilelink/lobby.state");
    struct stat st {};
    ASSERT_EQ(::stat(settings.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // With them (absolute paths only; a relative value is ignored as the XDG rules say).
    env_.Set("XDG_CONFIG_HOME", (root_ / "cfg").string());
    env_.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(UserFolders::FileFor(missing, Kind::Config, "UserSet.ini"), root_ / "cfg/tilelink/UserSet.ini");
    EXPECT_TRUE(fs::is_directory(root_ / "cfg/tilelink"));
    EXPECT_EQ(UserFolders::Home(Kind::Data), root_ / "home/.local/share/tilelink");
}

TEST_F(UserFoldersTest, AFolderWithoutWriteAccessCountsAsNotTheUsers) {
    if (::geteuid() == 0) GTEST_SKIP() << "the administrator may write every folder";
    const fs::path locked = root_ / "locked";
    fs::create_directories(locked);
    ::chmod(locked.c_str(), 0555);
    EXPECT_FALSE(UserFolders::KeepsFilesBeside(locked));
    EXPECT_EQ(UserFolders::FileFor(locked, Kind::Config, "UserSet.ini"), root_ / "home/.config/tilelink/UserSet.ini");
    ::chmod(locked.c_str(), 0755);
}

TEST(UserFolders, TheSystemInstallFoldersNeverHoldUserFilesEvenForTheAdministrator) {
    for (const char* dir : {"/usr/lib/tilelink", "/usr/lib/tilelink/", "/usr/lib/tilelink/table/",
                            "/usr/lib/tilelink/./table", "/usr/lib/tilelink-server"}) {
        EXPECT_TRUE(UserFolders::IsSystemProgramDir(dir)) << dir;
        EXPECT_FALSE(UserFolders::KeepsFilesBeside(dir)) << dir;
    }
    for (const char* dir : {"/usr/lib", "/usr/lib/tilelink/table/Res", "/usr/lib/tilelinkx", "/tmp/usr/lib/tilelink"})
        EXPECT_FALSE(UserFolders::IsSystemProgramDir(dir)) << dir;
}
