// tilelink-lobby: stands in for the lobby on one machine.
//   args   prints the nine launch arguments of the table client, one a line;
//   play   starts a local room server and computer players (unless this machine already
//          runs one from an earlier `play`), then the table window; stops what it started
//          when the last table window has closed;
//   serve  runs a room server with computer players for other machines to join;
//   join   starts a table window against a room server.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/CertFingerprint.h"
#include "core/CommandLine.h"
#include "core/Ticket.h"
#include "lobby/CertPin.h"
#include "lobby/ChildProcess.h"
#include "lobby/LaunchPlan.h"
#include "net/TlsIdentity.h"

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

int Usage() {
    std::fprintf(stderr,
                 "usage:\n"
                 "  tilelink-lobby play  [--bots N] [--name NAME] [--secret-file FILE]\n"
                 "  tilelink-lobby serve [--listen HOST:PORT] [--bots N] [--tables T] [--secret-file FILE] [--db FILE]\n"
                 "  tilelink-lobby join  --server HOST:PORT --name NAME [--table T] [--watch PLAYER] [--secret-file FILE]\n"
                 "  tilelink-lobby args  --server HOST:PORT --name NAME [--table T] [--watch PLAYER] [--secret-file FILE]\n");
    return 2;
}

struct Options {
    std::string server, listen = "0.0.0.0:47800", name, watch, secretFile, db;
    int table = 1, bots = 5, tables = 1;
    bool ok = true;
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 2; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) {
            o.ok = false;
            break;
        }
        const std::string val = argv[++i];
        if (opt == "--server") o.server = val;
        else if (opt == "--listen") o.listen = val;
        else if (opt == "--name") o.name = val;
        else if (opt == "--watch") o.watch = val;
        else if (opt == "--secret-file") o.secretFile = val;
        else if (opt == "--db") o.db = val;
        else if (opt == "--table") o.table = std::atoi(val.c_str());
        else if (opt == "--bots") o.bots = std::atoi(val.c_str());
        else if (opt == "--tables") o.tables = std::atoi(val.c_str());
        else o.ok = false;
    }
    if (o.table < 1 || o.bots < 0 || o.bots > 5 || o.tables < 1) o.ok = false;
    return o;
}

fs::path LobbyFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

std::string LoginName() {
    const char* user = std::getenv("USER");
    if (user && Ticket::IsValidName(user)) return user;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && Ticket::IsValidName(pw->pw_name)) return pw->pw_name;
    return "玩家";
}

// A private folder for the secret and the state of a running local table.
fs::path RunFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    fs::path dir = (xdg && *xdg ? fs::path(xdg) : fs::temp_directory_path()) /
                   ("tilelink-" + std::to_string(::getuid()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    ::chmod(dir.c_str(), 0700);
    return dir;
}

std::optional<std::string> FreshSecretFile(const fs::path& file) {
    std::ifstream random("/dev/urandom", std::ios::binary);
    unsigned char raw[32];
    if (!random.read(reinterpret_cast<char*>(raw), sizeof raw)) return std::nullopt;
    static constexpr char hex[] = "0123456789abcdef";
    std::string secret;
    for (unsigned char b : raw) {
        secret.push_back(hex[b >> 4]);
        secret.push_back(hex[b & 15]);
    }
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!out) return std::nullopt;
        out << secret << "\n";
    }
    ::chmod(file.c_str(), 0600);
    return secret;
}

// Starts the room server on host:port (port 0 for a free one) and reads the port it got.
bool StartServer(ChildProcess& server, const fs::path& tableDir, const std::string& listen, const fs::path& secretFile,
                 const std::string& db, int& port, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--listen", listen, "--secret-file", secretFile.string(), "--maps",
                                     (tableDir / "Res" / "Map").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    if (!db.empty()) args.insert(args.end(), {"--db", db});
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
    return false;
}

bool StartBots(ChildProcess& bots, const fs::path& tableDir, const std::string& server, int table, int count,
               const fs::path& secretFile, const std::vector<std::string>& extra = {}) {
    if (count <= 0) return true;
    std::vector<std::string> args = {"--server", server, "--table", std::to_string(table), "--count",
                                     std::to_string(count), "--secret-file", secretFile.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return bots.Start((tableDir / "tilelink-bot").string(), args, false);
}

// Reads the server's certificate and pins it on first use (see CertPins); false after
// saying why the server is refused.
bool PinServer(LaunchPlan::Request& r) {
    CertPins pins(CertPins::DefaultFile());
    const ServerRoute route = RouteToServer(r.host, r.port, pins);
    if (!route.ok) {
        std::fprintf(stderr, "tilelink-lobby: %s\n", route.error.c_str());
        return false;
    }
    if (!route.note.empty()) std::fprintf(stderr, "tilelink-lobby: %s\n", route.note.c_str());
    r.fingerprint = route.fingerprint;
    return true;
}

bool StartTable(ChildProcess& table, const fs::path& tableDir, const LaunchPlan::Request& r) {
    return table.Start((tableDir / "tilelink-table").string(), LaunchPlan::Arguments(r, std::time(nullptr)), false);
}

// The running local table of an earlier `play`: its port and secret, while its server lives.
struct PlayState {
    int port = 0;
    pid_t serverPid = 0;
    std::string secretFile;
};

std::optional<PlayState> ReadPlayState(const fs::path& file) {
    std::ifstream in(file);
    PlayState s;
    if (!(in >> s.port >> s.serverPid >> s.secretFile)) return std::nullopt;
    if (s.serverPid <= 0 || ::kill(s.serverPid, 0) != 0) return std::nullopt;
    return s;
}

void WaitWhile(const std::function<bool()>& busy) {
    while (!g_stop && busy()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

int RunPlay(const Options& o) {
    const fs::path lobbyDir = LobbyFolder();
    const fs::path tableDir = lobbyDir / "table";
    const fs::path run = RunFolder();
    const fs::path stateFile = run / "play.state";
    const fs::path windows = run / "windows";
    std::error_code ec;
    fs::create_directories(windows, ec);

    LaunchPlan::Request r;
    r.name = o.name.empty() ? LoginName() : o.name;
    r.table = 1;
    if (!Ticket::IsValidName(r.name)) return Usage();

    // A second `play` joins the table the first one runs.
    if (auto state = ReadPlayState(stateFile)) {
        r.port = state->port;
        r.secret = CommandLine::ReadSecretFile(state->secretFile);
        ChildProcess table;
        if (!StartTable(table, tableDir, r)) {
            std::fprintf(stderr, "tilelink-lobby: cannot start the table window\n");
            return 1;
        }
        const fs::path mark = windows / std::to_string(table.Pid());
        std::ofstream(mark).put('\n');
        table.Wait();
        fs::remove(mark, ec);
        return 0;
    }

    fs::path secretFile = o.secretFile.empty() ? run / "secret" : fs::path(o.secretFile);
    if (o.secretFile.empty()) {
        r.secret = FreshSecretFile(secretFile);
    } else {
        r.secret = CommandLine::ReadSecretFile(secretFile);
    }
    if (!r.secret) {
        std::fprintf(stderr, "tilelink-lobby: no secret for the tickets\n");
        return 1;
    }

    ChildProcess server, bots, table;
    int port = 0;
    if (!StartServer(server, tableDir, "127.0.0.1:0", secretFile, (lobbyDir / "tilelink.db").string(), port)) {
        std::fprintf(stderr, "tilelink-lobby: the room server did not start (%s)\n", (tableDir / "tilelink-server").c_str());
        return 1;
    }
    r.port = port;
    std::ofstream(stateFile) << port << " " << server.Pid() << " " << secretFile.string() << "\n";
    const std::string address = "127.0.0.1:" + std::to_string(port);
    if (!StartBots(bots, tableDir, address, 1, o.bots, secretFile))
        std::fprintf(stderr, "tilelink-lobby: the computer players did not start\n");
    // Let the computer players take their seats first, so the window opens on a full table.
    std::this_thread::sleep_for(std::chrono::milliseconds(o.bots > 0 ? 800 : 0));
    if (!StartTable(table, tableDir, r)) {
        std::fprintf(stderr, "tilelink-lobby: cannot start the table window\n");
        fs::remove(stateFile, ec);
        return 1;
    }
    std::printf("tilelink: table 1 on %s, %d computer players; close the window to stop.\n", address.c_str(), o.bots);
    std::fflush(stdout);

    WaitWhile([&] { return table.Running(); });
    // Windows opened by later `play` commands keep the table alive until they close.
    WaitWhile([&] {
        for (const auto& e : fs::directory_iterator(windows, ec)) {
            const pid_t pid = std::atoi(e.path().filename().c_str());
            if (pid > 0 && ::kill(pid, 0) == 0) return true;
            fs::remove(e.path(), ec);
        }
        return false;
    });
    table.Stop();
    fs::remove(stateFile, ec);
    bots.Stop();
    server.Stop();
    return 0;
}

int RunServe(const Options& o) {
    const fs::path lobbyDir = LobbyFolder();
    const fs::path tableDir = lobbyDir / "table";
    fs::path secretFile = o.secretFile.empty() ? RunFolder() / "serve-secret" : fs::path(o.secretFile);
    if (o.secretFile.empty() && !FreshSecretFile(secretFile)) {
        std::fprintf(stderr, "tilelink-lobby: cannot write a secret file\n");
        return 1;
    }
    // The server's certificate lives beside its records and is made on the first start.
    const fs::path db = o.db.empty() ? lobbyDir / "tilelink.db" : fs::path(o.db);
    const fs::path stateDir = db.has_parent_path() ? db.parent_path() : fs::current_path();
    const fs::path cert = stateDir / "tilelink-server.crt", key = stateDir / "tilelink-server.key";
    std::string error;
    if (!TlsIdentity::EnsureSelfSigned(cert.string(), key.string(), "tilelink room server", error)) {
        std::fprintf(stderr, "tilelink-lobby: %s\n", error.c_str());
        return 1;
    }
    const std::string fingerprint = TlsIdentity::FingerprintOfFile(cert.string());
    ChildProcess server;
    int port = 0;
    if (fingerprint.empty() ||
        !StartServer(server, tableDir, o.listen, secretFile, db.string(), port,
                     {"--tls-cert", cert.string(), "--tls-key", key.string()})) {
        std::fprintf(stderr, "tilelink-lobby: the room server did not start\n");
        return 1;
    }
    std::vector<ChildProcess> bots(static_cast<std::size_t>(o.tables));
    for (int t = 0; t < o.tables; ++t)
        StartBots(bots[t], tableDir, "127.0.0.1:" + std::to_string(port), t + 1, o.bots, secretFile,
                  {"--tls-fingerprint", fingerprint});
    std::printf("tilelink: serving on port %d (TLS) with %d computer players at each of %d tables.\n"
                "Certificate SHA-256 fingerprint: %s\n"
                "Players join with:  tilelink-lobby join --server THIS-HOST:%d --name NAME --secret-file %s\n"
                "(copy the secret file to their machine; their first join shows the fingerprint above).\n"
                "Ctrl-C stops.\n",
                port, o.bots, o.tables, CertFingerprint::Show(fingerprint).c_str(), port, secretFile.c_str());
    std::fflush(stdout);
    WaitWhile([&] { return server.Running(); });
    for (auto& b : bots) b.Stop();
    server.Stop();
    return 0;
}

// The seat `join` and `args` ask for: the server, the table, the ticket's secret and the
// server's pinned certificate; none after saying why, with the exit status in `status`.
std::optional<LaunchPlan::Request> SeatRequest(const Options& o, int& status) {
    LaunchPlan::Request r;
    r.name = o.name;
    r.table = o.table;
    r.watch = o.watch;
    if (!CommandLine::ParseHostPort(o.server, r.host, r.port) || !Ticket::IsValidName(r.name) ||
        (!r.watch.empty() && !Ticket::IsValidName(r.watch))) {
        status = Usage();
        return std::nullopt;
    }
    status = 1;
    if (!o.secretFile.empty()) {
        r.secret = CommandLine::ReadSecretFile(o.secretFile);
        if (!r.secret) {
            std::fprintf(stderr, "tilelink-lobby: cannot read the secret file %s\n", o.secretFile.c_str());
            return std::nullopt;
        }
    }
    if (!PinServer(r)) return std::nullopt;
    return r;
}

int RunJoin(const Options& o) {
    int status = 0;
    const auto r = SeatRequest(o, status);
    if (!r) return status;
    ChildProcess table;
    if (!StartTable(table, LobbyFolder() / "table", *r)) {
        std::fprintf(stderr, "tilelink-lobby: cannot start the table window\n");
        return 1;
    }
    return table.Wait();
}

int RunArgs(const Options& o) {
    int status = 0;
    const auto r = SeatRequest(o, status);
    if (!r) return status;
    for (const auto& a : LaunchPlan::Arguments(*r, std::time(nullptr))) std::printf("%s\n", a.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    const Options o = ParseOptions(argc, argv);
    if (!o.ok) return Usage();
    const std::string cmd = argv[1];
    if (cmd == "args") return RunArgs(o);
    if (cmd == "play") return RunPlay(o);
    if (cmd == "serve") return RunServe(o);
    if (cmd == "join") return RunJoin(o);
    return Usage();
}
