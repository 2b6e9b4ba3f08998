// tilelink-table: the table client, started by the lobby once per table.
#include <QApplication>

#include "client/TableClient.h"
#include "client/platform/FirstFrameMark.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/LaunchArgs.h"
#include "core/TableExit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const std::string commandLine = LaunchArgs::JoinArgv(argc, argv);
    TableClient client;
    client.EndProgram = [&client] { QCoreApplication::exit(client.exitStatus); };
    if (!client.start->Main(LaunchArgs::GetCommandLineArgs(commandLine),
                            QCoreApplication::applicationFilePath().toStdString()))
        return TableExit::BadLaunch;
    if (client.mainForm) FirstFrameMark::Arm(*client.mainForm);
    return app.exec();
}
