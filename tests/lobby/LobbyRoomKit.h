// The real room server with its operator console on a pipe and a records file of its own,
// and the real lobby program run as the player would run it.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "net/ChildProcess.h"
#include "tests/LiveServer.h"

class ConsoleServer {
public:
    explicit ConsoleServer(const std::string& extra = "") {
        static int n = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tilelink_lobbyroom_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
        std::filesystem::create_directories(dir_);
        const std::string fifo = (dir_ / "console").string();
        ::mkfifo(fifo.c_str(), 0600);
        const std::string script = "exec '" + std::string(TILELINK_TABLE_DIR) +
                                   "/tilelink-server' --listen 127.0.0.1:0 --db '" + Db() + "' " + extra + " < '" +
                                   fifo + "'";
        if (!proc_.Start("/bin/sh", {"-c", script}, true)) return;
        console_ = ::open(fifo.c_str(), O_WRONLY);
        address_ = ListeningAddress(proc_, std::chrono::seconds(20));
    }
    ~ConsoleServer() {
        if (console_ >= 0) ::close(console_);
        proc_.Stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ConsoleServer(const ConsoleServer&) = delete;
    ConsoleServer& operator=(const ConsoleServer&) = delete;

    const std::string& Address() const { return address_; }
    int Port() const {
        std::string host;
        int port = 0;
        CommandLine::ParseHostPort(address_, host, port);
        return port;
    }
    std::string Db() const { return (dir_ / "records.db").string(); }
    // One operator line; the first line of output after it that holds `expect` (empty: none came).
    std::string Command(const std::string& line, const std::string& expect) {
        const std::string text = line + "\n";
        if (::write(console_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end)
            if (const auto reply = proc_.ReadLine(std::chrono::milliseconds(500));
                reply && reply->find(expect) != std::string::npos)
                return *reply;
        return {};
    }
    // A file in the server's folder with this content.
    std::string File(const std::string& name, const std::string& content) const {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

private:
    std::filesystem::path dir_;
    ChildProcess proc_;
    int console_ = -1;
    std::string address_;
};

struct LobbyRun {
    int status = -1;
    std::string output;  // standard output and error together
};

// Starts tilelink-lobby with `args`, its error output joined to its standard output.
inline bool StartLobby(ChildProcess& p, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-c", "exec \"$0\" \"$@\" 2>&1",
                                    std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby"};
    all.insert(all.end(), args.begin(), args.end());
    return p.Start("/bin/sh", all, true);
}

// Runs tilelink-lobby to its end.
inline LobbyRun RunLobby(const std::vector<std::string>& args) {
    ChildProcess p;
    LobbyRun run;
    if (!StartLobby(p, args)) return run;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        const auto line = p.ReadLine(std::chrono::seconds(1));
        if (line) run.output += *line + "\n";
        else if (!p.Running()) break;
    }
    while (const auto line = p.ReadLine(std::chrono::milliseconds(100))) run.output += *line + "\n";
    if (p.Running()) {
        p.Stop();
        run.status = -2;
    } else {
        run.status = p.Wait();
    }
    return run;
}
