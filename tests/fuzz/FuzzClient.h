// A fresh table client for every fuzz input, started offscreen in a program folder that
// holds the generated pictures and sounds (made once per process), with nothing sent
// anywhere, error boxes and game message windows noted instead of shown, and no pause
// at a game's end.
#pragma once
#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "ClientHarness.h"
#include "FuzzInput.h"
#include "client/game/modGameMsg.h"
#include "client/start/frmMain.h"

namespace fuzzclient {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

// The program folder with the art, once per process.
inline const std::filesystem::path& ProgramFolder() {
    static const std::filesystem::path folder = [] {
        const auto root = std::filesystem::temp_directory_path() /
                          ("tl_fuzz_client_" + std::to_string(QCoreApplication::applicationPid()));
        std::filesystem::create_directories(root / "table");
        const std::filesystem::path res = std::filesystem::path(TILELINK_TABLE_DIR) / "Res";
        std::error_code ec;
        if (std::filesystem::exists(res) && !std::filesystem::exists(root / "table" / "Res"))
            std::filesystem::copy(res, root / "table" / "Res", std::filesystem::copy_options::recursive, ec);
        return root;
    }();
    return folder;
}

inline void IgnoreBox(const MsgBox::Shown&) {}

class Client {
public:
    Client() {
        App();
        MsgBox::SetPresenter(&IgnoreBox);
        client_ = std::make_unique<TableClient>();
        client_->EndProgram = [] {};
        client_->RecordSends = [](const Bytes&) {};
        client_->start->Main(harness::LaunchArguments("tester"),
                             (ProgramFolder() / "table" / "tilelink-table").string());
        client_->gameMsg->ShowGameMsgWindow = [](const std::string&, const std::string&) {};
        client_->gameMsg->lngEndDelayTime = 0;
        QCoreApplication::processEvents();
    }
    ~Client() {
        client_.reset();
        QCoreApplication::processEvents();
    }

    TableClient& operator*() { return *client_; }

private:
    std::unique_ptr<TableClient> client_;
};

// Hands every message of an input (FuzzInput.h) to `handle` on a fresh client, letting the
// client's timers and posted events run after each one.
template <class Handle>
int RunMessages(const std::uint8_t* data, std::size_t size, Handle handle) {
    const std::vector<Bytes> messages = fuzzinput::SplitMessages(data, size);
    if (messages.size() > 400) return 0;
    Client client;
    for (const Bytes& m : messages) {
        handle(*client, m);
        QCoreApplication::processEvents();
    }
    return 0;
}

}  // namespace fuzzclient
