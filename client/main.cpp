// tilelink-table: the table client, started by the lobby once per table with its nine
// launch arguments.
#include <CLI/CLI.hpp>
#include <QApplication>

#include "client/TableClient.h"
#include "client/platform/FirstFrameMark.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/CommandLine.h"
#include "core/LaunchArgs.h"
#include "core/TableExit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // Only --help is an option; the launch arguments are read from the command line text
    // exactly as the lobby wrote them.
    CLI::App help("tilelink-table: the table client. The lobby starts it with the nine launch arguments.",
                  "tilelink-table");
    help.allow_extras();
    help.prefix_command();
    std::string error;
    bool helpAsked = false;
    if (!CommandLine::Read(help, argc, argv, error, helpAsked))
        return helpAsked ? CommandLine::ReadFailure("tilelink-table", error, true) : TableExit::BadLaunch;
    const std::string commandLine = LaunchArgs::JoinArgv(argc, argv);
    TableClient client;
    client.EndProgram = [&client] { QCoreApplication::exit(client.exitStatus); };
    if (!client.start->Main(LaunchArgs::GetCommandLineArgs(commandLine),
                            QCoreApplication::applicationFilePath().toStdString()))
        return TableExit::BadLaunch;
    if (client.mainForm) FirstFrameMark::Arm(*client.mainForm);
    return app.exec();
}
