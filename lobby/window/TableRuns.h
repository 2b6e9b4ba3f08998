// The table windows the lobby window started: one per table, each watched from a thread
// of its own (placed at its seat, then running until it closes). The lobby hears when a
// window was placed and when it ended, with the line that says why.
#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "lobby/LaunchPlan.h"

class TableRuns : public QObject {
    Q_OBJECT
public:
    explicit TableRuns(std::filesystem::path program);
    ~TableRuns() override;

    // Starts the table window for the seat; false when one already runs for that table.
    bool Start(const LaunchPlan::Request& r);
    // Closes the table's window; Ended follows.
    void Close(int table);
    bool Running(int table) const { return runs_.count(table) != 0; }
    int Count() const { return static_cast<int>(runs_.size()); }
    const std::filesystem::path& Program() const { return program_; }

signals:
    void Placed(int table, int seat);
    // `status` the window's exit status; `why` empty for the player's own close.
    void Ended(int table, int status, const QString& why);

private:
    struct Run {
        std::thread thread;
        std::atomic<bool> stop{false};
    };
    void Watch(Run& run, const LaunchPlan::Request& r);
    void Finish(int table, int status, const QString& why);

    std::filesystem::path program_;
    std::map<int, std::unique_ptr<Run>> runs_;
};
