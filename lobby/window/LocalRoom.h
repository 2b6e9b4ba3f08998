// The room server on this machine that the lobby window plays in: the one an earlier
// `play` (or lobby window) of this user runs, else one started here and shared the same
// way (its port and secret in the user's run folder). A room started here stops when the
// window closes, once no `play` of this user still uses it.
#pragma once
#include <filesystem>
#include <string>

#include "net/ChildProcess.h"

class LocalRoom {
public:
    explicit LocalRoom(std::filesystem::path lobbyDir);
    ~LocalRoom();
    LocalRoom(const LocalRoom&) = delete;
    LocalRoom& operator=(const LocalRoom&) = delete;

    // The room's port, starting the server if none runs; 0 with the reason in `error`.
    int Ensure(std::string& error);

private:
    std::filesystem::path lobbyDir_, run_;
    ChildProcess server_;
    bool started_ = false;
};
