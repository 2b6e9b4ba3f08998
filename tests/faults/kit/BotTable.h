// A table of computer players beside the faults: a tilelink-bot process (by default with
// the `first` strategy) playing game after game at one table, read back from its event
// log. Every game it starts must end with the results (22) of all its players; the
// faults at other tables must not stop it.
#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "net/ChildProcess.h"

class BotTable {
public:
    struct Config {
        int port = 0;
        int table = 9;
        int players = 3;
        std::string strategy = "first";
        std::string secretFile;
        std::string tracePath;  // empty: no log, and no games counted
        // The pause after the results, and so the pace of the games: at 0.5 a game of
        // about 75 removals each 2 seconds stays within the server's request rate.
        double pace = 0.5;
        std::vector<std::string> extra;  // more options of tilelink-bot
        std::string program;             // empty: the build's tilelink-bot
    };

    BotTable() = default;
    ~BotTable();
    BotTable(const BotTable&) = delete;
    BotTable& operator=(const BotTable&) = delete;

    bool Start(const Config& config);
    bool Running() { return proc_.Running(); }

    // Games the first player has seen end with the results of every player.
    int GamesEnded();
    // Lines of one event ("closed", "quit", "snapshot" ...) in the log, of all players.
    int Events(const std::string& event);
    // Waits until that count reaches `games`; false when the limit passed first.
    bool AwaitGames(int games, std::chrono::milliseconds limit = std::chrono::seconds(20));

    // Stops the players (SIGTERM); their exit status.
    int Stop();
    // After Stop: what went wrong with the games, empty when every game a player started
    // ended with full results (only the game running at the stop may be cut short).
    std::string Problems();

private:
    void ReadNewLines();

    Config config_;
    ChildProcess proc_;
    std::size_t readPos_ = 0;
    std::string partial_;
    std::string firstName_;
    int fullEnds_ = 0;  // of the first player
    std::map<std::string, int> starts_, ends_, events_;
    std::vector<std::string> problems_;
};
