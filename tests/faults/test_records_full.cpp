// The records file full or read-only, against the real server. Full: no file of the
// server may grow (a file size limit on the running process, with SIGXFSZ ignored, which
// stops root as well as anyone). Read-only: the file and its journal are marked
// immutable, which stops writes through the descriptors the server already holds. Either
// way the tables play on, the failures are reported on standard error, nothing written
// before is lost, and once the file can be written again the games are stored again.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <functional>

#include "FaultFixture.h"
#include "core/GameMessages.h"

namespace {

// Sets or clears the immutable mark of a file; false when the file system or the user
// cannot.
bool MarkImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// The records file and its journal read-only for as long as it is held (also when a test
// fails half-way, so the folder can be removed).
class ReadOnlyRecords {
public:
    explicit ReadOnlyRecords(const std::string& db) : files_{db, db + "-wal"} {}
    ~ReadOnlyRecords() { Lift(); }
    bool Impose() {
        for (const auto& f : files_)
            if (!MarkImmutable(f, true)) return false;
        on_ = true;
        return true;
    }
    bool Lift() {
        bool ok = true;
        if (on_)
            for (const auto& f : files_) ok = MarkImmutable(f, false) && ok;
        on_ = false;
        return ok;
    }

private:
    std::vector<std::string> files_;
    bool on_ = false;
};

}  // namespace

class RecordsFaultTest : public FaultTest {
protected:
    // Plays games before, during and after the fault, which `impose` sets and `lift` ends.
    void PlayThrough(const std::function<bool()>& impose, const std::function<bool()>& lift);
};

void RecordsFaultTest::PlayThrough(const std::function<bool()>& impose, const std::function<bool()>& lift) {
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
    ASSERT_TRUE(impose());
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
    ASSERT_TRUE(lift());
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

TEST_F(RecordsFaultTest, AFullRecordsFileKeepsTheTablesPlayingAndLosesNothingWritten) {
    ASSERT_TRUE(StartServer());
    PlayThrough([&] { return server_.SetFileSizeLimit(0); }, [&] { return server_.LiftFileSizeLimit(); });
}

TEST_F(RecordsFaultTest, AReadOnlyRecordsFileKeepsTheTablesPlayingAndLosesNothingWritten) {
    if (::geteuid() != 0) GTEST_SKIP() << "marking a file immutable needs root";
    ASSERT_TRUE(StartServer());
    ReadOnlyRecords readOnly(DbPath());
    if (!MarkImmutable(DbPath(), false)) GTEST_SKIP() << "the file system keeps no immutable mark";
    PlayThrough([&] { return readOnly.Impose(); }, [&] { return readOnly.Lift(); });
}
