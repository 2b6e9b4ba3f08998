// A scripted room server for the table client benchmark: one fixed game, the same
// messages at the same moments every run. The client that logs in is seated at seat 0 of
// a full table; after an idle pause the game starts on a board dealt from a fixed seed,
// and the five other seats remove their pairs in turn, a pair every 250 ms in all (each
// seat's second and later removals are combos), while the client itself plays nothing.
#pragma once
#include <asio.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Bytes.h"

struct ScriptStep {
    std::chrono::milliseconds at;  // after the login
    Bytes message;
};

struct ScriptPlanTable {
    std::string player = "tester";             // the client's user name
    std::chrono::milliseconds idle{10000};     // login to game start
    std::chrono::milliseconds game{25000};     // how long the other seats keep removing
    std::chrono::milliseconds pairEvery{250};  // one removal of one of the five seats
};

// The whole script: the newcomer's messages at 0, the start, the removals.
std::vector<ScriptStep> BuildTableScript(const ScriptPlanTable& plan);

// Serves the script to every connection on 127.0.0.1 (any free port) from a thread of
// its own; stops with the object.
class ScriptedTableServer {
public:
    explicit ScriptedTableServer(std::vector<ScriptStep> script);
    ~ScriptedTableServer();
    ScriptedTableServer(const ScriptedTableServer&) = delete;
    ScriptedTableServer& operator=(const ScriptedTableServer&) = delete;

    int Port() const { return port_; }

private:
    void Accept();

    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::shared_ptr<const std::vector<ScriptStep>> script_;
    int port_ = 0;
    std::thread thread_;
};
