#include "lobby/window/LobbyWindowMain.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QFont>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>

#include "bot/BotLevel.h"
#include "core/CommandLine.h"
#include "core/UserFolders.h"
#include "lobby/window/LobbyWindow.h"
#include "lobby/window/LocalRoom.h"

namespace fs = std::filesystem;

namespace LobbyWindowMain {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

// The remembered room, if any.
std::string RememberedServer(const fs::path& settings) {
    std::ifstream in(settings);
    std::string key, value;
    while (in >> key && std::getline(in >> std::ws, value))
        if (key == "server" && !value.empty()) return value;
    return {};
}

}  // namespace

bool Takes(const char* first) {
    return first[0] == '-' && std::strcmp(first, "--help") != 0 && std::strcmp(first, "-h") != 0;
}

int Run(int argc, char** argv, const fs::path& lobbyDir) {
    std::string server, level = "normal", tableProgram = (lobbyDir / "table" / "tilelink-table").string();
    bool local = false;
    CLI::App cli("tilelink-lobby: the lobby window", "tilelink-lobby");
    CommandLine::Prepare(cli);
    CommandLine::AddAddress(cli, "--server", server, 1, "the room server");
    cli.add_flag("--local", local, "play in a room server on this machine, as a guest");
    BotLevels::AddOption(cli, level);
    cli.add_option("--table-program", tableProgram, "the table client to start")->type_name("FILE");
    if (const auto end = CommandLine::ReadOrEnd(cli, argc, argv)) return *end;

    QApplication app(argc, argv);
    app.setFont(QFont("WenQuanYi Micro Hei", 10));
    LobbyWindow::Setup setup;
    setup.tableProgram = tableProgram;
    setup.settingsFile = UserFolders::FileFor(lobbyDir, UserFolders::Kind::Config, "lobby.conf");
    setup.level = QString::fromStdString(level);
    if (server.empty() && !local && RememberedServer(setup.settingsFile).empty()) local = true;

    std::optional<LocalRoom> room;
    if (local) {
        room.emplace(lobbyDir);
        std::string error;
        const int port = room->Ensure(error);
        if (port == 0) {
            std::fprintf(stderr, "tilelink-lobby: %s\n", error.c_str());
            return 1;
        }
        server = "127.0.0.1:" + std::to_string(port);
        setup.guest = true;
        setup.rememberServer = false;  // a local room's port changes from one start to the next
    }
    setup.server = QString::fromStdString(server);
    int rc = 0;
    {
        LobbyWindow window(setup);
        // Ctrl-C or a stop request closes the window the orderly way: the table windows
        // and a room started here end with it.
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        QTimer stopCheck;
        QObject::connect(&stopCheck, &QTimer::timeout, &app, [&app] {
            if (g_stop) QCoreApplication::exit(0);  // without asking: a stop request ends every window
        });
        stopCheck.start(200);
        window.show();
        window.ConnectToServer();
        rc = app.exec();
    }
    return rc;
}

}  // namespace LobbyWindowMain
