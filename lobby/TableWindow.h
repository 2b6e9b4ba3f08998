// One table window the lobby runs: started with a seat ticket, placed at a seat by the
// table (the window says so on its output), and ended for a reason (its exit status).
#pragma once
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "lobby/LaunchPlan.h"
#include "net/ChildProcess.h"

class TableWindow {
public:
    enum class Placing { Seated, Ended, NoAnswer, NotStarted };

    // Starts the window and waits until the table placed it (Seated), it ended first
    // (Ended: Status() and Refusal() say why), `timeout` passed (NoAnswer: the window is
    // stopped) or `stop` turned true (NoAnswer too).
    Placing Open(const std::filesystem::path& program, const LaunchPlan::Request& r, std::chrono::milliseconds timeout,
                 const std::function<bool()>& stop);

    // Reads what the window said meanwhile; false once it has ended.
    bool Running();
    // Waits for the end; the exit status (128 + N for signal N).
    int Wait();
    void Stop() { process_.Stop(); }

    int Seat() const { return seat_; }
    int Status() const { return status_; }
    // The server's notice when it turned the login away (may be empty).
    const std::string& Refusal() const { return refusal_; }

private:
    void ReadOutput(std::chrono::milliseconds timeout);

    ChildProcess process_;
    int seat_ = -1;
    int status_ = -1;
    std::string refusal_;
};

// The one line that says why a window ended, naming the server's address.
std::string WindowEndLine(int status, const std::string& refusal, const std::string& address);
