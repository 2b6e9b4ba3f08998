// The lobby's command-line forms over the lobby protocol:
//   tables    one line per table that has anyone: the number, seats 0..5 (name or -), the
//             number of spectators, one blank between fields;
//   rooms     one line per live room of the room's shared database: its id, name, address,
//             tables in use, seated players, and * for the room asked (- for the others);
//   register  an account with the password read from a file;
//   join      logs in and asks the room for a seat (or a player to watch): the room's own
//             seat ticket comes back, for the table window.
#pragma once
#include <optional>
#include <string>

#include "lobby/LaunchPlan.h"

class LobbyClient;

namespace LobbyCommands {

struct Options {
    std::string server;  // HOST:PORT
    std::string name, passwordFile, watch;
    int table = 0;  // 0: the first table with a free seat
};

// Each prints what it has to say (errors as one line on stderr) and gives the exit status:
// 0 done, 1 refused or failed, 2 a command line that cannot be read.
int Tables(const Options& o);
int Rooms(const Options& o);
int Register(const Options& o);
// The seat request of `join`: the server's ticket inside, pinned fingerprint included;
// none with the line said and the exit status in `status`.
std::optional<LaunchPlan::Request> SeatRequest(const Options& o, int& status);

// The table lines of `tables`, from what the client knows.
std::string TableLines(const LobbyClient& client);
// The room lines of `rooms`, from what the client knows.
std::string RoomLines(const LobbyClient& client);
// A password file's content: every byte, one line end at its end left out.
std::optional<std::string> ReadPasswordFile(const std::string& path);

}  // namespace LobbyCommands
