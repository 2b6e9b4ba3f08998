// One person's table under `play`: the table window and the computer players it brought.
// The person sits first (and so is the table's master); the computer players are let in
// once the table has placed the person. A window that ends for any reason other than the
// person's own close is said in one line and opened again at the same table, at most
// three times a minute.
#pragma once
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "lobby/LaunchPlan.h"
#include "lobby/ReopenGuard.h"
#include "lobby/TableWindow.h"
#include "net/ChildProcess.h"

struct PlaySetup {
    std::filesystem::path tableDir;  // the table client, server and bots
    std::string host = "127.0.0.1";
    int port = 0;
    std::filesystem::path secretFile;
    std::optional<std::string> secret;
    std::string name;
    int table = 1;
    int bots = 0;                                 // computer players this session brings to its table
    std::string level;                            // theirs
    std::chrono::milliseconds answerTime{10000};  // for the window to be seated
};

class PlaySession {
public:
    enum class Server { Running, Restarted, Down };
    // `stop`: Ctrl-C was pressed. `serverUp`: makes sure the room server runs (starting it
    // again if it stopped); empty when this session cannot start it.
    PlaySession(PlaySetup setup, std::function<bool()> stop, std::function<Server()> serverUp);
    ~PlaySession();

    std::string Address() const;
    int Seat() const { return window_.Seat(); }

    enum class Opened { Seated, Full, Failed };
    // Opens the window (Full: the server said the table has no free seat; Failed: said on
    // standard error), then seats the computer players.
    Opened Open();

    // Runs until the person closes the window (0) or the session has to end (non-zero,
    // said on standard error).
    int Run();

    // Ends the window and the computer players.
    void Stop();

private:
    bool SeatBots();
    // A line on standard output, "tilelink: ...".
    static void Say(const std::string& line);
    static void Complain(const std::string& line);

    PlaySetup setup_;
    std::function<bool()> stop_;
    std::function<Server()> serverUp_;
    TableWindow window_;
    ChildProcess bots_;
    ReopenGuard guard_;
};
