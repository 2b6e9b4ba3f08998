// A stretch of network between clients and the server that a test can break: it takes
// connections on a port of its own and carries each to the server and back, reading the
// server's frames on the way. Armed, it cuts every connection at once (both sides) as
// soon as one of them has carried the k-th removal broadcast (19) of a game (after a 17)
// — a network that fails in the middle of a game. It runs on a thread of its own.
#pragma once
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "core/Framing.h"

class FaultProxy {
public:
    explicit FaultProxy(int serverPort);
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    int Port() const { return port_; }
    // Cuts every connection once when one of them has carried `removals` removal
    // broadcasts of its running game.
    void ArmCut(int removals);
    // Times the cut has happened, and connections cut then.
    int Cuts() const { return cuts_; }
    int CutConnections() const { return cutConnections_; }
    int Accepted() const { return accepted_; }

private:
    struct Link {
        int client = -1, server = -1;
        Bytes toClient, toServer;      // read, not yet written
        Framing::FrameDecoder frames;  // the server's frames, to count removals
        int removals = -1;             // in the running game; -1 before a start
    };
    void Run();
    void Accept();
    void CutAll();
    static void Close(Link& l);

    int serverPort_;
    int listen_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::vector<std::unique_ptr<Link>> links_;  // the thread's own
    std::atomic<int> armed_{0};
    std::atomic<int> cuts_{0}, cutConnections_{0}, accepted_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
