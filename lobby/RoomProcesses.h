// The room server and the computer players the lobby runs beside the table windows.
#pragma once
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "net/ChildProcess.h"

namespace RoomProcesses {

// Starts the room server on `listen` (port 0 for a free one), with `extra` options, and
// reads the port it got.
bool StartServer(ChildProcess& server, const std::filesystem::path& tableDir, const std::string& listen,
                 const std::filesystem::path& secretFile, const std::string& db, int& port,
                 const std::vector<std::string>& extra = {});

struct Bots {
    std::string address;  // HOST:PORT
    int table = 1;
    int count = 0;
    std::filesystem::path secretFile;
    std::string level;        // empty: the players' own default
    std::string fingerprint;  // the server's certificate, for TLS; empty: plain TCP
};
// Starts the computer players with their output captured (their "seated" lines).
bool StartBots(ChildProcess& bots, const std::filesystem::path& tableDir, const Bots& b);

// Waits until `count` players said they are seated, the process ended, `timeout` passed
// or `stop` turned true; the number seated.
int WaitSeated(ChildProcess& bots, int count, std::chrono::milliseconds timeout, const std::function<bool()>& stop);

// Reads and drops what a program wrote meanwhile, so that its output never fills up.
void Drain(ChildProcess& p);

}  // namespace RoomProcesses
