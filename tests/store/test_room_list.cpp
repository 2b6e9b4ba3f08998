// The lobby's room list, on both engines: two real room servers on one database, the real
// lobby client on one of them sees both rooms with their addresses and counts, a room that
// dies leaves the list once its heartbeat lapses, `tilelink-lobby rooms` prints the list,
// and a seat ticket the lobby got from one room is refused by the other.
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "Engines.h"
#include "core/Ticket.h"
#include "lobby/LobbyClient.h"
#include "tests/faults/kit/FaultClient.h"
#include "tests/faults/kit/ServerProcess.h"

using namespace std::chrono_literals;
namespace LM = LobbyMessages;

template <class Engine>
class RoomList : public testing::Test {
protected:
    static constexpr const char* kSecret = "room-list-secret";

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(db_.Ready(error)) << Engine::kName << ": " << error;
        dir_ = testing::TempDir() + FreshName("tilelink_roomlist");
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ + "/secret") << kSecret << "\n";
    }
    void TearDown() override {
        if (!this->HasFailure()) std::filesystem::remove_all(dir_);
    }

    // A room taking only its own tickets; a silent room leaves the list after 3 s.
    bool StartRoom(ServerProcess& s, const std::string& id, const std::string& name) {
        return s.Start({"--db", db_.Where(), "--secret-file", dir_ + "/secret", "--room-id", id, "--room-name", name,
                        "--spill", dir_ + "/" + id + ".spill", "--room-tickets", "yes", "--room-lapse", "3",
                        "--ready-time", "600", "--idle-time", "600"});
    }

    std::string TicketOf(const std::string& room, const std::string& name, int table) const {
        const std::string key = Ticket::RoomSecret(kSecret, room);
        return Ticket::Make({table, name, "", static_cast<std::int64_t>(std::time(nullptr)) + 3600}, &key);
    }

    static std::string Address(const ServerProcess& s) { return "127.0.0.1:" + std::to_string(s.Port()); }

    // Reads the lobby's events until its room list satisfies `wanted`.
    static bool AwaitRooms(LobbyClient& lobby, const std::function<bool(const std::vector<LM::RoomView>&)>& wanted,
                           std::chrono::seconds limit = 20s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!wanted(lobby.Rooms())) {
            if (std::chrono::steady_clock::now() > end || !lobby.Connected()) return false;
            lobby.Next(500ms);
        }
        return true;
    }

    // `tilelink-lobby rooms` against that room: its output and its exit status.
    static std::pair<std::string, int> RoomsCommand(const ServerProcess& s) {
        const std::string command =
            std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby rooms --server " + Address(s) + " 2>&1";
        FILE* p = ::popen(command.c_str(), "r");
        if (!p) return {"", -1};
        std::string out;
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        const int status = ::pclose(p);
        return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }

    Engine db_;
    std::string dir_;
};

TYPED_TEST_SUITE(RoomList, Engines, EngineNames);

TYPED_TEST(RoomList, ALobbySeesEveryLiveRoomWithItsCountsAndADeadRoomLeaves) {
    ServerProcess east, west;
    ASSERT_TRUE(this->StartRoom(east, "east", "东厅")) << east.Errors();
    ASSERT_TRUE(this->StartRoom(west, "west", "西厅")) << west.Errors();
    // West: two at table 2, one at table 3; east: one at table 1.
    std::vector<std::unique_ptr<FaultClient>> seated;
    for (const auto& [room, name, table] : std::vector<std::tuple<ServerProcess*, std::string, int>>{
             {&west, "甲", 2}, {&west, "乙", 2}, {&west, "丙", 3}, {&east, "丁", 1}}) {
        seated.push_back(std::make_unique<FaultClient>(room->Port()));
        ASSERT_TRUE(seated.back()->Enter(this->TicketOf(room == &east ? "east" : "west", name, table))) << name;
    }

    LobbyClient lobby;
    std::string error;
    ASSERT_TRUE(lobby.Connect("127.0.0.1", east.Port(), "", error)) << error;
    const std::vector<LM::RoomView> both = {{"east", "东厅", this->Address(east), true, 1, 1},
                                            {"west", "西厅", this->Address(west), false, 2, 3}};
    EXPECT_TRUE(this->AwaitRooms(lobby, [&](const auto& rooms) { return rooms == both; }))
        << lobby.Rooms().size() << " rooms listed";

    const auto [out, status] = this->RoomsCommand(east);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "east 东厅 " + this->Address(east) + " 1 1 *\nwest 西厅 " + this->Address(west) + " 2 3 -\n");

    // A player leaves east: the count follows.
    seated.back()->Cut();
    EXPECT_TRUE(this->AwaitRooms(lobby, [](const auto& rooms) {
        return rooms.size() == 2 && rooms[0].tables == 0 && rooms[0].players == 0 && rooms[1].players == 3;
    }));

    // West dies without a word: once its heartbeat is older than the lapse it is gone.
    ASSERT_EQ(::kill(west.Pid(), SIGKILL), 0);
    EXPECT_TRUE(this->AwaitRooms(lobby, [](const auto& rooms) { return rooms.size() == 1 && rooms[0].id == "east"; }));
    EXPECT_TRUE(lobby.Connected());
    EXPECT_EQ(this->RoomsCommand(east).first, "east 东厅 " + this->Address(east) + " 0 0 *\n");
    EXPECT_EQ(east.Stop(), 0);
}

TYPED_TEST(RoomList, ASeatTicketFromOneRoomsLobbyIsRefusedByTheOther) {
    ServerProcess east, west;
    ASSERT_TRUE(this->StartRoom(east, "east", "东厅")) << east.Errors();
    ASSERT_TRUE(this->StartRoom(west, "west", "西厅")) << west.Errors();
    LobbyClient lobby;
    std::string error;
    ASSERT_TRUE(lobby.Connect("127.0.0.1", east.Port(), "", error)) << error;
    const auto in = lobby.Ask(LM::Plain(LM::kGuest));
    ASSERT_TRUE(in && in->code == 0);
    const auto seat = lobby.Ask(LM::Sit(4));
    ASSERT_TRUE(seat && seat->type == LM::kSeat);

    // The room the lobby is on issued it for itself: the other room, on the same database
    // and secret, does not seat it.
    FaultClient atWest(west.Port());
    EXPECT_FALSE(atWest.Enter(seat->ticket));
    EXPECT_TRUE(atWest.AwaitClosed());
    FaultClient atEast(east.Port());
    EXPECT_TRUE(atEast.Enter(seat->ticket));
    EXPECT_EQ(atEast.Name(), lobby.Me());
    EXPECT_EQ(west.Stop(), 0);
    EXPECT_EQ(east.Stop(), 0);
}
