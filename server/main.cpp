// tilelink-server: the room server. Serves one room of many tables on one address,
// prints "listening on HOST:PORT" when ready, and takes operator commands on its
// standard input: "broadcast TEXT", "notice TABLE TEXT", "status", "quit".
#include <sys/resource.h>
#include <unistd.h>

#include <asio.hpp>

#include <algorithm>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "core/CertFingerprint.h"
#include "core/CommandLine.h"
#include "core/UserFolders.h"
#include "net/TlsIdentity.h"
#include "server/OperatorCommands.h"
#include "server/RoomServer.h"
#include "server/ServerLog.h"

namespace {

std::string ProgramDir() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The room's id (or listening port) as a file name.
std::string SpillName(const ServerOptions& o) {
    std::string name = o.roomId.empty() ? std::to_string(o.port) : o.roomId;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    // Every user is one socket: take all the descriptors the system allows.
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
    }
    ServerOptions options;
    std::string error;
    if (!ParseServerOptions(argc, argv, options, error))
        return CommandLine::ReadFailure("tilelink-server", error, options.help);
    ProgramLog::SetLevel(options.logLevel);
    const std::string dir = ProgramDir();
    // The records default to a file beside the program, or to the user's data folder when
    // the program is installed for the whole system.
    if (options.dbPath.empty())
        options.dbPath = UserFolders::FileFor(dir, UserFolders::Kind::Data, "tilelink-server.db").string();
    if (options.mapsDir.empty()) options.mapsDir = dir + "/Res/Map";
    if (options.botProgram.empty() && access((dir + "/tilelink-bot").c_str(), X_OK) == 0)
        options.botProgram = dir + "/tilelink-bot";
    // Games the database has not taken yet wait beside an SQLite file; a server of a shared
    // database keeps its own spill file, named after its room.
    if (options.spillPath.empty() && options.dbPath != ":memory:") {
        if (options.dbPath.find("://") == std::string::npos) options.spillPath = options.dbPath + ".spill";
        else options.spillPath = dir + "/tilelink-server-" + SpillName(options) + ".spill";
    }

    const auto store = OpenStore(options.dbPath, error);
    if (!store) {
        ServerLogAt(ProgramLog::Level::Error, "%s", error.c_str());
        return 1;
    }
    const MapStore maps(options.mapsDir);

    const int threads =
        options.threads > 0 ? options.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    options.threads = threads;
    asio::io_context io(threads);
    RoomServer room(io, options, *store, maps);
    if (!room.Listen(error)) {
        ServerLogAt(ProgramLog::Level::Error, "%s", error.c_str());
        return 1;
    }
    const auto ep = room.LocalEndpoint();
    std::printf("listening on %s:%u\n", options.host.c_str(), static_cast<unsigned>(ep.port()));
    if (room.UsesTls())
        std::printf("TLS certificate SHA-256 %s\n",
                    CertFingerprint::Show(TlsIdentity::FingerprintOfFile(options.tlsCert)).c_str());
    std::fflush(stdout);

    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](std::error_code, int) {
        room.Stop();
        io.stop();
    });
    std::signal(SIGPIPE, SIG_IGN);

    // Operator lines are read on their own thread and carried out on the room's.
    std::thread console([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            asio::post(io, [&room, &io, line] {
                std::string reply;
                if (!OperatorCommands::Run(room, line, reply)) {
                    room.Stop();
                    io.stop();
                }
                if (!reply.empty()) {
                    std::fputs(reply.c_str(), stdout);
                    std::fflush(stdout);
                }
            });
        }
    });
    console.detach();

    // The room's io on every thread asked for; each table keeps to its own lock.
    std::vector<std::thread> more;
    for (int i = 1; i < threads; ++i) more.emplace_back([&io] { io.run(); });
    io.run();
    for (auto& t : more) t.join();
    return 0;
}
