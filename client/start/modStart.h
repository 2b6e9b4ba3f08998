// Start-up: checks the launch arguments, fills the launch values, runs the initialisers
// in their fixed order, builds and shows the main window and connects to the room.
#pragma once
#include <string>
#include <vector>

class TableClient;

class modStart {
public:
    explicit modStart(TableClient& client);

    // The process entry. args are the split launch arguments (index 0 empty) and
    // programFile the program's own path. Returns false when a launch check failed: one
    // error box was shown and nothing else was created or sent.
    bool Main(const std::vector<std::string>& args, const std::string& programFile);

    void GetAppPath();
    void InitGameEnvironment();

private:
    TableClient& client_;
    std::string programFile_;
};
