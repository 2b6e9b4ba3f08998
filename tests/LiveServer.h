// The real room server on a free port of this machine, for the suites that run whole
// programs against it; it keeps nothing (its records are in memory) and stops with the
// object.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "net/ChildProcess.h"

// The address a starting server says it listens on; empty when it says none in `limit`.
inline std::string ListeningAddress(ChildProcess& server, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const auto line = server.ReadLine(std::chrono::seconds(1));
        const auto at = line ? line->find("listening on ") : std::string::npos;
        if (at != std::string::npos) return line->substr(at + 13);
    }
    return {};
}

class LiveServer {
public:
    explicit LiveServer(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", ":memory:"};
        args.insert(args.end(), extra.begin(), extra.end());
        if (!proc_.Start(std::string(TILELINK_TABLE_DIR) + "/tilelink-server", args, true)) return;
        address_ = ListeningAddress(proc_, std::chrono::seconds(10));
    }
    ~LiveServer() { proc_.Stop(); }
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;
    const std::string& Address() const { return address_; }

private:
    ChildProcess proc_;
    std::string address_;
};
