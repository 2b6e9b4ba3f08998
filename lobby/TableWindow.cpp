#include "lobby/TableWindow.h"

#include <ctime>

#include "core/TableExit.h"

TableWindow::Placing TableWindow::Open(const std::filesystem::path& program, const LaunchPlan::Request& r,
                                       std::chrono::milliseconds timeout, const std::function<bool()>& stop) {
    seat_ = -1;
    status_ = -1;
    refusal_.clear();
    if (!process_.Start(program.string(), LaunchPlan::Arguments(r, std::time(nullptr)), true))
        return Placing::NotStarted;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (seat_ < 0) {
        // Its last lines are read when it ends: it may have been seated just before.
        if (!Running()) return seat_ >= 0 ? Placing::Seated : Placing::Ended;
        if ((stop && stop()) || std::chrono::steady_clock::now() >= deadline) {
            process_.Stop();
            status_ = process_.Wait();
            return Placing::NoAnswer;
        }
        ReadOutput(std::chrono::milliseconds(100));
    }
    return Placing::Seated;
}

void TableWindow::ReadOutput(std::chrono::milliseconds timeout) {
    for (auto line = process_.ReadLine(timeout); line; line = process_.ReadLine(std::chrono::milliseconds(0))) {
        if (const auto seat = TableExit::SeatOf(*line)) seat_ = *seat;
        if (const auto text = TableExit::RefusalOf(*line)) refusal_ = *text;
    }
}

bool TableWindow::Running() {
    ReadOutput(std::chrono::milliseconds(0));
    if (process_.Running()) return true;
    Wait();
    return false;
}

int TableWindow::Wait() {
    if (status_ < 0) {
        status_ = process_.Wait();
        ReadOutput(std::chrono::milliseconds(0));  // the last lines before it ended
    }
    return status_;
}

std::string WindowEndLine(int status, const std::string& refusal, const std::string& address) {
    switch (status) {
        case TableExit::ConnectFailed:
            return "cannot connect to the room server at " + address;
        case TableExit::ConnectionLost:
            return "the connection to the room server at " + address + " closed";
        case TableExit::Refused:
            return "the room server at " + address + " refused the seat" +
                   (refusal.empty() ? std::string(" without saying why") : ": " + refusal);
        default:
            return TableExit::Describe(status);
    }
}
