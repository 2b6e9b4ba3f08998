#include "lobby/RoomProcesses.h"

#include "core/CommandLine.h"
#include "core/TableExit.h"

namespace fs = std::filesystem;

namespace RoomProcesses {

bool StartServer(ChildProcess& server, const fs::path& tableDir, const std::string& listen, const fs::path& secretFile,
                 const std::string& db, int& port, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--listen",          listen,   "--secret-file",
                                     secretFile.string(), "--maps", (tableDir / "Res" / "Map").string()};
    if (!db.empty()) args.insert(args.end(), {"--db", db});
    args.insert(args.end(), extra.begin(), extra.end());
    if (!server.Start((tableDir / "tilelink-server").string(), args, true)) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        auto line = server.ReadLine(std::chrono::milliseconds(500));
        if (!line) {
            if (!server.Running()) return false;
            continue;
        }
        const std::string mark = "listening on ";
        const auto at = line->find(mark);
        if (at == std::string::npos) continue;
        std::string host;
        if (CommandLine::ParseHostPort(line->substr(at + mark.size()), host, port)) return true;
    }
    server.Stop();
    return false;
}

bool StartBots(ChildProcess& bots, const fs::path& tableDir, const Bots& b) {
    if (b.count <= 0) return true;
    std::vector<std::string> args = {"--server",      b.address,
                                     "--table",       std::to_string(b.table),
                                     "--count",       std::to_string(b.count),
                                     "--secret-file", b.secretFile.string()};
    if (!b.level.empty()) args.insert(args.end(), {"--level", b.level});
    if (!b.fingerprint.empty()) args.insert(args.end(), {"--tls-fingerprint", b.fingerprint});
    return bots.Start((tableDir / "tilelink-bot").string(), args, true);
}

int WaitSeated(ChildProcess& bots, int count, std::chrono::milliseconds timeout, const std::function<bool()>& stop) {
    int seated = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (seated < count && std::chrono::steady_clock::now() < deadline && !(stop && stop())) {
        if (const auto line = bots.ReadLine(std::chrono::milliseconds(100))) {
            if (TableExit::SeatOf(*line)) ++seated;
        } else if (!bots.Running()) {
            break;
        }
    }
    return seated;
}

void Drain(ChildProcess& p) {
    while (p.ReadLine(std::chrono::milliseconds(0))) {}
}

}  // namespace RoomProcesses
