// The computer players the room starts itself for a table a lobby user opened: one
// tilelink-bot process per table, ended when nobody but its players is left there, and
// all of them when the room stops.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "net/ChildProcess.h"

class BotLauncher {
public:
    BotLauncher() = default;
    ~BotLauncher() = default;  // the processes stop with their groups
    BotLauncher(const BotLauncher&) = delete;
    BotLauncher& operator=(const BotLauncher&) = delete;

    // Starts `program` with `args` for the table; false when it cannot be started.
    bool Start(int table, const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& names);
    // The names of the table's computer players, empty when the room started none there.
    const std::vector<std::string>* NamesAt(int table) const;
    // Asks the table's process to stop; one that does not is killed after a grace time.
    void Stop(int table);
    // Collects the processes that ended by themselves.
    void Reap();

private:
    struct Group {
        ChildProcess process;
        std::vector<std::string> names;
    };
    std::map<int, Group> groups_;
};
