#include "lobby/window/TableRuns.h"

#include <QMetaObject>
#include <chrono>

#include "core/TableExit.h"
#include "lobby/TableWindow.h"

using namespace std::chrono_literals;

TableRuns::TableRuns(std::filesystem::path program) : program_(std::move(program)) {}

TableRuns::~TableRuns() {
    for (auto& [table, run] : runs_) run->stop = true;
    for (auto& [table, run] : runs_) run->thread.join();
}

bool TableRuns::Start(const LaunchPlan::Request& r) {
    if (Running(r.table)) return false;
    auto run = std::make_unique<Run>();
    Run& ref = *run;
    runs_[r.table] = std::move(run);
    ref.thread = std::thread([this, &ref, r] { Watch(ref, r); });
    return true;
}

void TableRuns::Close(int table) {
    if (const auto it = runs_.find(table); it != runs_.end()) it->second->stop = true;
}

void TableRuns::Watch(Run& run, const LaunchPlan::Request& r) {
    const int table = r.table;
    const std::string address = r.host + ":" + std::to_string(r.port);
    auto report = [this, table](int status, const std::string& why) {
        QMetaObject::invokeMethod(
            this, [this, table, status, why = QString::fromStdString(why)] { Finish(table, status, why); },
            Qt::QueuedConnection);
    };
    TableWindow window;
    switch (window.Open(program_, r, 15s, [&run] { return run.stop.load(); })) {
        case TableWindow::Placing::NotStarted:
            return report(-1, "cannot start the table window " + program_.string());
        case TableWindow::Placing::NoAnswer:
            return report(window.Status(), run.stop ? "" : "no answer from the room server at " + address);
        case TableWindow::Placing::Ended:
            return report(window.Status(), WindowEndLine(window.Status(), window.Refusal(), address));
        case TableWindow::Placing::Seated:
            break;
    }
    const int seat = window.Seat();
    QMetaObject::invokeMethod(
        this, [this, table, seat] { emit Placed(table, seat); }, Qt::QueuedConnection);
    while (!run.stop && window.Running()) std::this_thread::sleep_for(100ms);
    if (run.stop) {
        window.Stop();
        return report(window.Wait(), "");
    }
    const int status = window.Wait();
    report(status, status == TableExit::Closed ? "" : WindowEndLine(status, window.Refusal(), address));
}

void TableRuns::Finish(int table, int status, const QString& why) {
    const auto it = runs_.find(table);
    if (it == runs_.end()) return;
    it->second->thread.join();
    runs_.erase(it);
    emit Ended(table, status, why);
}
