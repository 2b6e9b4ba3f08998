#include "lobby/PlaySession.h"

#include <cstdio>
#include <thread>

#include "core/ProgramLog.h"
#include "core/TableExit.h"
#include "lobby/RoomProcesses.h"

namespace {
// The server's notice to a newcomer at a table without a free seat.
constexpr char kTableFull[] = "这张桌子已经坐满了。";
}  // namespace

PlaySession::PlaySession(PlaySetup setup, std::function<bool()> stop, std::function<Server()> serverUp)
    : setup_(std::move(setup)), stop_(std::move(stop)), serverUp_(std::move(serverUp)) {}

PlaySession::~PlaySession() { Stop(); }

std::string PlaySession::Address() const { return setup_.host + ":" + std::to_string(setup_.port); }

void PlaySession::Say(const std::string& line) {
    std::printf("tilelink: %s\n", line.c_str());
    std::fflush(stdout);
}

void PlaySession::Complain(const std::string& line) {
    ProgramLog::Write("tilelink-lobby", ProgramLog::Level::Error, "%s", line.c_str());
}

PlaySession::Opened PlaySession::Open() {
    LaunchPlan::Request r;
    r.host = setup_.host;
    r.port = setup_.port;
    r.name = setup_.name;
    r.table = setup_.table;
    r.secret = setup_.secret;
    switch (window_.Open(setup_.tableDir / "tilelink-table", r, setup_.answerTime, stop_)) {
        case TableWindow::Placing::Seated:
            break;
        case TableWindow::Placing::NotStarted:
            Complain("cannot start the table window " + (setup_.tableDir / "tilelink-table").string());
            return Opened::Failed;
        case TableWindow::Placing::NoAnswer:
            if (!(stop_ && stop_()))
                Complain("no answer from the room server at " + Address() + " within " +
                         std::to_string(setup_.answerTime.count() / 1000) + " s");
            return Opened::Failed;
        case TableWindow::Placing::Ended:
            if (window_.Status() == TableExit::Refused && window_.Refusal() == kTableFull) return Opened::Full;
            Complain(WindowEndLine(window_.Status(), window_.Refusal(), Address()));
            return Opened::Failed;
    }
    if (!bots_.Running() && setup_.bots > 0 && !SeatBots())
        Complain("the computer players did not all take their seats at table " + std::to_string(setup_.table));
    return Opened::Seated;
}

bool PlaySession::SeatBots() {
    RoomProcesses::Bots b;
    b.address = Address();
    b.table = setup_.table;
    b.count = setup_.bots;
    b.secretFile = setup_.secretFile;
    b.level = setup_.level;
    if (!RoomProcesses::StartBots(bots_, setup_.tableDir, b)) return false;
    return RoomProcesses::WaitSeated(bots_, setup_.bots, setup_.answerTime, stop_) == setup_.bots;
}

int PlaySession::Run() {
    for (;;) {
        while (!(stop_ && stop_()) && window_.Running()) {
            RoomProcesses::Drain(bots_);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        if (stop_ && stop_()) return 0;
        const int status = window_.Wait();
        if (status == TableExit::Closed) return 0;
        const int seat = window_.Seat();
        Say("the table window closed: " + WindowEndLine(status, window_.Refusal(), Address()) + ".");
        if (status == TableExit::BadLaunch) return 1;
        if (!guard_.Allow(ReopenGuard::Clock::now())) {
            Complain("the table window closed four times within a minute; play stops.");
            return 1;
        }
        const Server server = serverUp_ ? serverUp_() : Server::Running;
        if (server == Server::Down) {
            Complain("the room server at " + Address() + " could not be started again; play stops.");
            return 1;
        }
        // The computer players of a server that stopped sit down again after the person.
        if (server == Server::Restarted) bots_.Stop();
        const Opened again = Open();
        if (again == Opened::Full)
            Complain("table " + std::to_string(setup_.table) + " has no free seat any more; play stops.");
        if (again != Opened::Seated) return 1;
        Say(window_.Seat() == seat
                ? "the table window is back at seat " + std::to_string(seat + 1) + "."
                : "the table window is back, now at seat " + std::to_string(window_.Seat() + 1) + ".");
    }
}

void PlaySession::Stop() {
    window_.Stop();
    bots_.Stop();
}
