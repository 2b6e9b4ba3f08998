// tilelink-lobby: stands in for the lobby on one machine.
//   args   prints the nine launch arguments of the table client, one a line;
//   play   starts a local room server (unless an earlier `play` of this user runs one),
//          opens the table window and, once the person is seated, the computer players;
//          a window that closes for another reason than the person's own close opens
//          again; a later `play` takes a free seat or opens a table of its own;
//   serve  runs a room server with computer players for other machines to join;
//   join   starts a table window against a room server (logged in with --password-file);
//   tables, register: the room's lobby from the command line (LobbyCommands);
//   without a subcommand: the lobby window (LobbyWindowMain).
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "bot/BotLevel.h"
#include "core/CertFingerprint.h"
#include "core/CommandLine.h"
#include "core/ProgramLog.h"
#include "core/TableExit.h"
#include "core/Ticket.h"
#include "core/UserFolders.h"
#include "lobby/CertPin.h"
#include "lobby/LaunchPlan.h"
#include "lobby/LobbyCommands.h"
#include "lobby/PlayRoom.h"
#include "lobby/PlaySession.h"
#include "lobby/RoomProcesses.h"
#include "lobby/TableWindow.h"
#include "net/ChildProcess.h"
#ifdef TILELINK_LOBBY_WINDOW
#include "lobby/window/LobbyWindowMain.h"
#endif
#include "net/TlsIdentity.h"

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

constexpr const char* kProgram = "tilelink-lobby";

struct Options {
    std::string command, server, listen = "0.0.0.0:47800", name, watch, secretFile, db, level = "normal", passwordFile;
    int table = 1, bots = 5, tables = 1;
    bool tableGiven = false;
    ProgramLog::Level logLevel = ProgramLog::Level::Info;
};

// The subcommands and their options.
void Describe(CLI::App& app, Options& o) {
    app.require_subcommand(1);
    app.fallthrough();
    CommandLine::AddLogLevel(app, o.logLevel);
    const auto bots = [&o](CLI::App& cmd) {
        cmd.add_option("--bots", o.bots, "computer players at each table (default 5)")
            ->check(CommandLine::Whole(0, 5))
            ->type_name("N");
        BotLevels::AddOption(cmd, o.level);
        CommandLine::AddSecretFile(cmd, o.secretFile);
        cmd.add_option("--db", o.db, "the records file")->type_name("FILE");
    };
    CLI::App* play = app.add_subcommand(
        "play",
        "play at a table of a local room server with computer players; a second `play` while one runs takes a free "
        "seat at its table, else opens a new table with its own computer players");
    play->add_option("--name", o.name, "your name (default the login name)");
    bots(*play);
    CLI::App* serve = app.add_subcommand("serve", "run a room server with computer players for other machines");
    CommandLine::AddAddress(*serve, "--listen", o.listen, 0, "the address to serve on (default 0.0.0.0:47800)");
    serve->add_option("--tables", o.tables, "tables with computer players (default 1)")
        ->check(CommandLine::Whole(1, 1000))
        ->type_name("T");
    bots(*serve);
    for (const char* name : {"join", "args"}) {
        CLI::App* cmd = app.add_subcommand(name, std::string(name) == "join"
                                                     ? "open a table window against a room server"
                                                     : "print the table client's nine launch arguments, one a line");
        CommandLine::AddAddress(*cmd, "--server", o.server, 1, "the room server")->required();
        cmd->add_option("--name", o.name, "your name")->required();
        CommandLine::AddTable(*cmd, o.table)->each([&o](const std::string&) { o.tableGiven = true; });
        cmd->add_option("--watch", o.watch, "watch this player instead of sitting down")->type_name("PLAYER");
        CommandLine::AddSecretFile(*cmd, o.secretFile);
        if (std::string(name) == "join")
            cmd->add_option("--password-file", o.passwordFile,
                            "log in to the room's lobby with this account's password")
                ->type_name("FILE");
    }
    CLI::App* tables = app.add_subcommand("tables", "list the room's tables that have anyone, one a line");
    CommandLine::AddAddress(*tables, "--server", o.server, 1, "the room server")->required();
    CLI::App* rooms = app.add_subcommand("rooms", "list the live rooms of the room's shared database, one a line");
    CommandLine::AddAddress(*rooms, "--server", o.server, 1, "the room server")->required();
    CLI::App* reg = app.add_subcommand("register", "register an account in the room");
    CommandLine::AddAddress(*reg, "--server", o.server, 1, "the room server")->required();
    reg->add_option("--name", o.name, "the account's name")->required();
    reg->add_option("--password-file", o.passwordFile, "the file whose first line is the password")
        ->required()
        ->type_name("FILE");
}

fs::path LobbyFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

// The records of the tables this lobby serves: in the lobby folder, or in the user's data
// folder when the lobby is installed for the whole system.
std::string LocalRecordsFile(const fs::path& lobbyDir) {
    return UserFolders::FileFor(lobbyDir, UserFolders::Kind::Data, "tilelink.db").string();
}

std::string LoginName() {
    const char* user = std::getenv("USER");
    if (user && Ticket::IsValidName(user)) return user;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && Ticket::IsValidName(pw->pw_name)) return pw->pw_name;
    return "玩家";
}

// One line on standard error, and the failing status.
int Fail(const std::string& line) {
    ProgramLog::Write(kProgram, ProgramLog::Level::Error, "%s", line.c_str());
    return 1;
}

void Say(const std::string& line) {
    std::printf("tilelink: %s\n", line.c_str());
    std::fflush(stdout);
}

bool Stopped() { return g_stop != 0; }

constexpr int kSeats = 6;

std::string BotsText(int bots, const std::string& level) {
    return std::to_string(bots) + " computer player" + (bots == 1 ? "" : "s") + " (level " + level + ")";
}

// Reads the server's certificate and pins it on first use (see CertPins); false after
// saying why the server is refused.
bool PinServer(LaunchPlan::Request& r) {
    CertPins pins(CertPins::DefaultFile());
    const ServerRoute route = RouteToServer(r.host, r.port, pins);
    if (!route.ok) {
        Fail(route.error);
        return false;
    }
    if (!route.note.empty()) ProgramLog::Write(kProgram, ProgramLog::Level::Warn, "%s", route.note.c_str());
    r.fingerprint = route.fingerprint;
    return true;
}

// Every `play` but the first: a free seat at a running table, else a table of its own.
int JoinRunningPlay(const Options& o, const PlayRoom::Server& server, const fs::path& tableDir, const fs::path& marks,
                    const std::string& baseName) {
    auto live = PlayRoom::LiveMarks(marks);
    PlaySetup setup;
    setup.tableDir = tableDir;
    setup.port = server.port;
    setup.secretFile = server.secretFile;
    setup.secret = CommandLine::ReadSecretFile(server.secretFile);
    setup.level = o.level;
    if (!setup.secret) return Fail("cannot read the secret file " + server.secretFile + " of the running table");
    setup.name = PlayRoom::FreeName(live, baseName);
    if (setup.name != baseName) Say(baseName + " already plays here; this window plays as " + setup.name + ".");

    PlayRoom::Mark mark;
    mark.pid = ::getpid();
    mark.name = setup.name;
    std::optional<PlaySession> session;
    std::string said, full = "no running table has a free seat";
    if (const auto table = PlayRoom::TableWithFreeSeat(live, kSeats)) {
        full = "table " + std::to_string(*table) + " has no free seat";
        setup.table = mark.table = *table;
        PlayRoom::WriteMark(marks, mark);
        session.emplace(setup, Stopped, nullptr);
        const auto opened = session->Open();
        if (opened == PlaySession::Opened::Failed) {
            PlayRoom::RemoveMark(marks, mark.pid);
            return 1;
        }
        if (opened == PlaySession::Opened::Seated)
            said = "joined the running table " + std::to_string(*table) + " at seat " +
                   std::to_string(session->Seat() + 1) + " as " + setup.name + ".";
        else session.reset();
    }
    if (!session) {
        setup.table = mark.table = PlayRoom::NewTable(live);
        setup.bots = mark.bots = o.bots;
        PlayRoom::WriteMark(marks, mark);
        session.emplace(setup, Stopped, nullptr);
        if (session->Open() != PlaySession::Opened::Seated) {
            PlayRoom::RemoveMark(marks, mark.pid);
            return 1;
        }
        said = full + ": opened table " + std::to_string(setup.table) + " with " + BotsText(o.bots, o.level) +
               "; you sit at seat " + std::to_string(session->Seat() + 1) + " as " + setup.name +
               ", the table's master.";
    }
    Say(said + " Close the window to leave.");
    const int rc = session->Run();
    session->Stop();
    PlayRoom::RemoveMark(marks, mark.pid);
    return rc;
}

int RunPlay(const Options& o) {
    const fs::path lobbyDir = LobbyFolder();
    const fs::path tableDir = lobbyDir / "table";
    const fs::path run = PlayRoom::RunFolder();
    const fs::path stateFile = run / "play.state";
    const fs::path marks = run / "plays";
    std::error_code ec;
    fs::create_directories(marks, ec);

    const std::string name = o.name.empty() ? LoginName() : o.name;
    if (!Ticket::IsValidName(name)) return Fail("not a user name: \"" + name + "\"");
    if (const auto server = PlayRoom::ReadServer(stateFile)) return JoinRunningPlay(o, *server, tableDir, marks, name);

    const fs::path secretFile = o.secretFile.empty() ? run / "secret" : fs::path(o.secretFile);
    const auto secret =
        o.secretFile.empty() ? PlayRoom::FreshSecretFile(secretFile) : CommandLine::ReadSecretFile(secretFile);
    if (!secret)
        return Fail("cannot " + std::string(o.secretFile.empty() ? "write" : "read") + " the secret file " +
                    secretFile.string());

    const std::string db = o.db.empty() ? LocalRecordsFile(lobbyDir) : o.db;
    ChildProcess server;
    int port = 0;
    if (!RoomProcesses::StartServer(server, tableDir, "127.0.0.1:0", secretFile, db, port))
        return Fail("the room server did not start (" + (tableDir / "tilelink-server").string() + ")");
    PlayRoom::WriteServer(stateFile, {port, server.Pid(), secretFile.string()});
    // The room server keeps its port when it has to be started again.
    auto serverUp = [&] {
        RoomProcesses::Drain(server);
        if (server.Running()) return PlaySession::Server::Running;
        int again = 0;
        if (!RoomProcesses::StartServer(server, tableDir, "127.0.0.1:" + std::to_string(port), secretFile, db, again))
            return PlaySession::Server::Down;
        PlayRoom::WriteServer(stateFile, {port, server.Pid(), secretFile.string()});
        Say("the room server had stopped; it was started again.");
        return PlaySession::Server::Restarted;
    };

    PlaySetup setup;
    setup.tableDir = tableDir;
    setup.port = port;
    setup.secretFile = secretFile;
    setup.secret = secret;
    setup.name = name;
    setup.table = 1;
    setup.bots = o.bots;
    setup.level = o.level;
    PlayRoom::Mark mark{::getpid(), 1, name, o.bots};
    PlayRoom::WriteMark(marks, mark);
    int rc = 1;
    {
        PlaySession session(setup, Stopped, serverUp);
        if (session.Open() == PlaySession::Opened::Seated) {
            Say("table 1 on 127.0.0.1:" + std::to_string(port) + ": you sit at seat " +
                std::to_string(session.Seat() + 1) + " as " + name + ", the table's master, with " +
                BotsText(o.bots, o.level) + ". Close the window to stop.");
            rc = session.Run();
        }
        session.Stop();
    }
    PlayRoom::RemoveMark(marks, mark.pid);
    // Windows of later `play` commands keep the room server until they close.
    bool told = false;
    while (!g_stop && !PlayRoom::LiveMarks(marks).empty() && server.Running()) {
        if (!told) Say("other play windows still use this room server; it stops when they close.");
        told = true;
        RoomProcesses::Drain(server);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    fs::remove(stateFile, ec);
    server.Stop();
    return rc;
}

int RunServe(const Options& o) {
    const fs::path lobbyDir = LobbyFolder();
    const fs::path tableDir = lobbyDir / "table";
    fs::path secretFile = o.secretFile.empty() ? PlayRoom::RunFolder() / "serve-secret" : fs::path(o.secretFile);
    if (o.secretFile.empty() && !PlayRoom::FreshSecretFile(secretFile)) return Fail("cannot write a secret file");
    // The server's certificate lives beside its records and is made on the first start.
    const fs::path db = o.db.empty() ? fs::path(LocalRecordsFile(lobbyDir)) : fs::path(o.db);
    const fs::path stateDir = db.has_parent_path() ? db.parent_path() : fs::current_path();
    const fs::path cert = stateDir / "tilelink-server.crt", key = stateDir / "tilelink-server.key";
    std::string error;
    if (!TlsIdentity::EnsureSelfSigned(cert.string(), key.string(), "tilelink room server", error)) return Fail(error);
    const std::string fingerprint = TlsIdentity::FingerprintOfFile(cert.string());
    if (fingerprint.empty()) return Fail("cannot read the certificate " + cert.string());
    ChildProcess server;
    int port = 0;
    if (!RoomProcesses::StartServer(server, tableDir, o.listen, secretFile, db.string(), port,
                                    {"--tls-cert", cert.string(), "--tls-key", key.string()}))
        return Fail("the room server did not start on " + o.listen);
    std::vector<ChildProcess> bots(static_cast<std::size_t>(o.tables));
    for (int t = 0; t < o.tables; ++t) {
        RoomProcesses::Bots b;
        b.address = "127.0.0.1:" + std::to_string(port);
        b.table = t + 1;
        b.count = o.bots;
        b.secretFile = secretFile;
        b.level = o.level;
        b.fingerprint = fingerprint;
        if (!RoomProcesses::StartBots(bots[t], tableDir, b))
            ProgramLog::Write(kProgram, ProgramLog::Level::Error, "the computer players of table %d did not start",
                              t + 1);
    }
    std::printf(
        "tilelink: serving on port %d (TLS) with %s at each of %d tables.\n"
        "Certificate SHA-256 fingerprint: %s\n"
        "Players join with:  tilelink-lobby join --server THIS-HOST:%d --name NAME --secret-file %s\n"
        "(copy the secret file to their machine; their first join shows the fingerprint above).\n"
        "Ctrl-C stops.\n",
        port, BotsText(o.bots, o.level).c_str(), o.tables, CertFingerprint::Show(fingerprint).c_str(), port,
        secretFile.c_str());
    std::fflush(stdout);
    while (!g_stop && server.Running()) {
        RoomProcesses::Drain(server);
        for (auto& b : bots) RoomProcesses::Drain(b);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    for (auto& b : bots) b.Stop();
    server.Stop();
    return 0;
}

// A request of `join` and `args`; nullopt (with the line said and the exit status in
// `status`: 2 for a command line that cannot be read, 1 otherwise) when it cannot be made.
std::optional<LaunchPlan::Request> JoinRequest(const Options& o, int& status) {
    LaunchPlan::Request r;
    status = 2;
    if (!CommandLine::ParseHostPort(o.server, r.host, r.port)) {
        Fail("--server wants HOST:PORT, not \"" + o.server + "\"");
        return std::nullopt;
    }
    r.name = o.name;
    r.table = o.table;
    r.watch = o.watch;
    if (!Ticket::IsValidName(r.name) || (!r.watch.empty() && !Ticket::IsValidName(r.watch))) {
        Fail("not a user name: \"" + (Ticket::IsValidName(r.name) ? r.watch : r.name) + "\"");
        return std::nullopt;
    }
    status = 1;
    if (!o.secretFile.empty()) {
        r.secret = CommandLine::ReadSecretFile(o.secretFile);
        if (!r.secret) {
            Fail("cannot read the secret file " + o.secretFile);
            return std::nullopt;
        }
    }
    if (!PinServer(r)) return std::nullopt;
    return r;
}

LobbyCommands::Options LobbyOptions(const Options& o) {
    return {o.server, o.name, o.passwordFile, o.watch, o.tableGiven ? o.table : 0};
}

int RunJoin(const Options& o) {
    int status = 0;
    const auto r =
        o.passwordFile.empty() ? JoinRequest(o, status) : LobbyCommands::SeatRequest(LobbyOptions(o), status);
    if (!r) return status;
    const std::string address = o.server;
    TableWindow window;
    switch (window.Open(LobbyFolder() / "table" / "tilelink-table", *r, std::chrono::seconds(10), Stopped)) {
        case TableWindow::Placing::NotStarted:
            return Fail("cannot start the table window");
        case TableWindow::Placing::NoAnswer:
            return g_stop ? 1 : Fail("no answer from the room server at " + address + " within 10 s");
        case TableWindow::Placing::Ended:
            Fail(WindowEndLine(window.Status(), window.Refusal(), address));
            return window.Status() == 0 ? 1 : window.Status();
        case TableWindow::Placing::Seated:
            break;
    }
    while (!g_stop && window.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (g_stop) {
        window.Stop();
        return 0;
    }
    const int ended = window.Wait();
    if (ended != TableExit::Closed)
        Say("the table window closed: " + WindowEndLine(ended, window.Refusal(), address) + ".");
    return ended;
}

int RunArgs(const Options& o) {
    int status = 0;
    const auto r = JoinRequest(o, status);
    if (!r) return status;
    for (const auto& a : LaunchPlan::Arguments(*r, std::time(nullptr))) std::printf("%s\n", a.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef TILELINK_LOBBY_WINDOW
    if (argc < 2 || LobbyWindowMain::Takes(argv[1])) return LobbyWindowMain::Run(argc, argv, LobbyFolder());
#endif
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    CLI::App app("tilelink-lobby: stands in for the lobby on one machine.", kProgram);
    CommandLine::Prepare(app);
    Options o;
    Describe(app, o);
    if (const auto end = CommandLine::ReadOrEnd(app, argc, argv)) return *end;
    ProgramLog::SetLevel(o.logLevel);
    o.command = app.get_subcommands().front()->get_name();
    if (o.command == "args") return RunArgs(o);
    if (o.command == "play") return RunPlay(o);
    if (o.command == "serve") return RunServe(o);
    if (o.command == "tables") return LobbyCommands::Tables(LobbyOptions(o));
    if (o.command == "rooms") return LobbyCommands::Rooms(LobbyOptions(o));
    if (o.command == "register") return LobbyCommands::Register(LobbyOptions(o));
    return RunJoin(o);
}
