// What every fault test starts from: the real server on a free port with a secret and a
// fresh records file in a folder of its own, a table of computer players playing beside
// the fault, scripted players, and the records read back from the SQLite file. At the
// end of every test the computer players must have finished every game they started
// with full results, and the server must stop cleanly.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Ticket.h"
#include "core/UserRecord.h"
#include "core/modGameMsgDefine.h"
#include "tests/faults/kit/BotTable.h"
#include "tests/faults/kit/FaultClient.h"
#include "tests/faults/kit/RecordsFile.h"
#include "tests/faults/kit/ServerProcess.h"

using namespace std::chrono_literals;
using namespace modGameMsgDefine;
using namespace modRoomMsgDefine;

class FaultTest : public testing::Test {
protected:
    static constexpr const char* kSecret = "fault-table-secret";

    void SetUp() override {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        dir_ = testing::TempDir() + "tilelink_faults_" + std::to_string(::getpid()) + "_" + name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::ofstream(SecretPath()) << kSecret << "\n";
    }

    void TearDown() override {
        if (bots_) {
            EXPECT_EQ(bots_->Stop(), 0);
            EXPECT_EQ(bots_->Problems(), "");
        }
        if (server_.Running()) {
            EXPECT_EQ(server_.Stop(), 0) << server_.Errors();
        }
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    std::string SecretPath() const { return dir_ + "/secret"; }
    std::string DbPath() const { return dir_ + "/records.db"; }

    // Short clocks, so that every rule shows within seconds; `extra` comes last and wins.
    bool StartServer(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {
            "--db",    DbPath(), "--secret-file",   SecretPath(), "--seed",          "5", "--start-pause", "0.2",
            "--grace", "2",      "--login-timeout", "2",          "--frame-timeout", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        return server_.Start(args);
    }

    // The computer players' table, playing from now on (connected to `port`, the
    // server's by default); the games it has ended so far.
    int StartBots(int table = 9, int port = 0, const std::vector<std::string>& extra = {}) {
        bots_ = std::make_unique<BotTable>();
        BotTable::Config c;
        c.port = port ? port : server_.Port();
        c.table = table;
        c.extra = extra;
        c.secretFile = SecretPath();
        c.tracePath = dir_ + "/bots.log";
        EXPECT_TRUE(bots_->Start(c));
        EXPECT_TRUE(bots_->AwaitGames(1)) << "the computer players never finished a game";
        return bots_->GamesEnded();
    }

    // The computer players finish another game after `mark` games.
    void ExpectTablePlaysOn(int mark) {
        EXPECT_TRUE(bots_->AwaitGames(mark + 1)) << "the computer players' table stopped after " << mark << " games";
    }

    std::string TicketFor(const std::string& name, int table, const std::string& watched = "") const {
        const std::string secret = kSecret;
        return Ticket::Make({table, name, watched, static_cast<std::int64_t>(std::time(nullptr)) + 3600}, &secret);
    }

    std::unique_ptr<FaultClient> Connect(int receiveBuffer = 0) {
        auto c = std::make_unique<FaultClient>(server_.Port(), receiveBuffer);
        EXPECT_TRUE(c->Connected());
        return c;
    }

    // A player seated at `table`, its settings question read.
    std::unique_ptr<FaultClient> Player(const std::string& name, int table) {
        auto c = Connect();
        EXPECT_TRUE(c->Enter(TicketFor(name, table))) << name << " was not seated at table " << table;
        return c;
    }

    // Two players at `table` in a running game of two: the master, then the other.
    void StartPairGame(FaultClient& master, FaultClient& other) {
        master.ConfirmSettings(2);
        ASSERT_TRUE(master.Await(ROOMMSG_GAMESETAGREE, 0));
        other.Agree();
        ASSERT_TRUE(master.AwaitStart());
        ASSERT_TRUE(other.AwaitStart());
    }

    // The server's count of connections reaches `n`.
    bool AwaitConnections(int n, std::chrono::milliseconds limit = 15s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (server_.QueryStatus().connections == n) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // The status line of one table, empty when the server has no such table.
    std::string TableLine(int table) {
        const std::string head = "table " + std::to_string(table) + ":";
        for (const auto& line : server_.QueryStatus().tableLines)
            if (line.rfind(head, 0) == 0) return line;
        return {};
    }

    // One user's record as the file has it now; all zero when it is not stored.
    UserRow Record(const std::string& name) const {
        const RecordsFile f = RecordsFile::Read(DbPath());
        const UserRow* row = f.Find(name);
        return row ? *row : UserRow{};
    }
    bool Stored(const std::string& name) const { return RecordsFile::Read(DbPath()).Find(name) != nullptr; }

    // The 16 fields of `name`'s record in a user list (130/2), empty when it is not there.
    static std::vector<std::string> ListedRecord(const Bytes& list, const std::string& name) {
        for (const auto& r : UserRecord::SplitList(FaultClient::TextOf(list))) {
            auto f = UserRecord::Fields(r);
            if (!f.empty() && f[UserRecord::kName] == name) return f;
        }
        return {};
    }

    std::string dir_;
    ServerProcess server_;
    std::unique_ptr<BotTable> bots_;
};
