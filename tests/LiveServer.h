// The real room server on a free port of this machine, for the suites that run whole
// programs against it; it keeps nothing (its records are in memory) and stops with the
// object.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "lobby/ChildProcess.h"

class LiveServer {
public:
    explicit LiveServer(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", ":memory:"};
        args.insert(args.end(), extra.begin(), extra.end());
        if (!proc_.Start(std::string(TILELINK_TABLE_DIR) + "/tilelink-server", args, true)) return;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            const auto line = proc_.ReadLine(std::chrono::seconds(1));
            if (!line) continue;
            const auto at = line->find("listening on ");
            if (at != std::string::npos) {
                address_ = line->substr(at + 13);
                return;
            }
        }
    }
    ~LiveServer() { proc_.Stop(); }
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;
    const std::string& Address() const { return address_; }

private:
    ChildProcess proc_;
    std::string address_;
};
