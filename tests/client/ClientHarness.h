// A table client for tests: its own program folder (a fresh temporary folder with a
// copy of the generated Res/ tree when the build has one), a recorder in place of the
// room server, the error boxes collected instead of shown, and the program's end noted
// instead of performed.
#pragma once
#include <QCoreApplication>
#include <QThread>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/TableClient.h"
#include "client/platform/MsgBox.h"
#include "client/platform/SocketStream.h"
#include "client/platform/ZelSckClientMain.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/Bytes.h"
#include "core/LaunchArgs.h"
#include "core/LaunchMarker.h"

namespace harness {

inline std::vector<MsgBox::Shown>& Boxes() {
    static std::vector<MsgBox::Shown> boxes;
    return boxes;
}

inline void RecordBox(const MsgBox::Shown& s) { Boxes().push_back(s); }

// The nine launch arguments of a local table.
inline std::vector<std::string> LaunchArguments(const std::string& name = "tester",
                                                const std::string& address = "127.0.0.1", int port = 6000) {
    return LaunchArgs::GetCommandLineArgs(
        std::string(LaunchMarker::kText) + " " + address + " " + std::to_string(port) +
        " tilelink 长工_100`短工_200`佃农_500`贫农_1000`中农_2000`富农_4000`地主_8000`恶霸_12000"
        " 0 0 " +
        name + " 1");
}

class Harness {
public:
    // withArt: copy the generated pictures and sounds into the program folder.
    explicit Harness(bool withArt = false) {
        static int serial = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("tl_client_" + std::to_string(QCoreApplication::applicationPid()) + "_" + std::to_string(++serial));
        std::filesystem::create_directories(root_ / "table");
        const std::filesystem::path res = std::filesystem::path(TILELINK_TABLE_DIR) / "Res";
        if (withArt && std::filesystem::exists(res))
            std::filesystem::copy(res, root_ / "table" / "Res", std::filesystem::copy_options::recursive);
        // The socket control opens its stream library beside the program, as installed.
        std::error_code linkError;
        std::filesystem::create_symlink(std::filesystem::path(TILELINK_TABLE_DIR) / kSocketStreamLibrary,
                                        root_ / "table" / kSocketStreamLibrary, linkError);
        MsgBox::SetPresenter(&RecordBox);
        Boxes().clear();
        client = std::make_unique<TableClient>();
        client->EndProgram = [this] { ++ended; };
        client->RecordSends = [this](const Bytes& m) { sent.push_back(m); };
    }
    ~Harness() {
        client.reset();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::string AppFolder() const { return (root_ / "table").string() + "/"; }
    std::string ProgramFile() const { return (root_ / "table" / "tilelink-table").string(); }

    // Runs the start-up with a recorder in place of the server; the window connects once
    // it has shown its first frame, and the login is recorded once pending events have run.
    bool Start(const std::vector<std::string>& args = LaunchArguments()) {
        const bool ok = client->start->Main(args, ProgramFile());
        for (int i = 0; i < 1000 && client->mainForm && client->mainForm->ConnectPending(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        QCoreApplication::processEvents();
        return ok;
    }

    // Everything the client sent, in order.
    std::vector<Bytes> sent;
    int ended = 0;
    std::unique_ptr<TableClient> client;

    void Receive(const Bytes& message) { client->mainForm->ZelSckClient_OnDataArrival(message); }

    frmMain& Main() { return *client->mainForm; }

private:
    std::filesystem::path root_;
};

}  // namespace harness
