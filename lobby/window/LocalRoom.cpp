#include "lobby/window/LocalRoom.h"

#include <thread>

#include "core/UserFolders.h"
#include "lobby/PlayRoom.h"
#include "lobby/RoomProcesses.h"

namespace fs = std::filesystem;

LocalRoom::LocalRoom(fs::path lobbyDir) : lobbyDir_(std::move(lobbyDir)), run_(PlayRoom::RunFolder()) {}

int LocalRoom::Ensure(std::string& error) {
    const fs::path stateFile = run_ / "play.state";
    if (const auto running = PlayRoom::ReadServer(stateFile)) return running->port;
    const fs::path secretFile = run_ / "secret";
    if (!PlayRoom::FreshSecretFile(secretFile)) {
        error = "cannot write the secret file " + secretFile.string();
        return 0;
    }
    const fs::path tableDir = lobbyDir_ / "table";
    const std::string db = UserFolders::FileFor(lobbyDir_, UserFolders::Kind::Data, "tilelink.db").string();
    int port = 0;
    if (!RoomProcesses::StartServer(server_, tableDir, "127.0.0.1:0", secretFile, db, port)) {
        error = "the room server did not start (" + (tableDir / "tilelink-server").string() + ")";
        return 0;
    }
    started_ = true;
    PlayRoom::WriteServer(stateFile, {port, server_.Pid(), secretFile.string()});
    return port;
}

LocalRoom::~LocalRoom() {
    if (!started_) return;
    // Windows of `play` commands started meanwhile keep the room server until they close.
    const fs::path marks = run_ / "plays";
    while (!PlayRoom::LiveMarks(marks).empty() && server_.Running()) {
        RoomProcesses::Drain(server_);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::error_code ec;
    fs::remove(run_ / "play.state", ec);
    server_.Stop();
}
