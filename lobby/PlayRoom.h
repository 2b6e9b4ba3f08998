// What the `play` commands of one user on this machine share through their private run
// folder: the room server the first one started (its port, process and secret file) and
// one mark per running `play` (its table, its player's name, the computer players it
// brought), so that a later `play` finds a free seat or a free table number and a name
// nobody at the tables uses.
#pragma once
#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace PlayRoom {

// The user's private folder for the secret and the state of a running local table.
std::filesystem::path RunFolder();
// Writes a fresh random secret (64 hex digits) to `file`, readable by the user only.
std::optional<std::string> FreshSecretFile(const std::filesystem::path& file);

struct Server {
    int port = 0;
    pid_t pid = 0;
    std::string secretFile;
};

struct Mark {
    pid_t pid = 0;  // the `play` process
    int table = 1;
    std::string name;
    int bots = 0;  // computer players it seated at its table
};

// The server of an earlier `play`, while that server still runs.
std::optional<Server> ReadServer(const std::filesystem::path& file);
void WriteServer(const std::filesystem::path& file, const Server& s);

// The marks of the `play` processes still running (stale ones are removed).
std::vector<Mark> LiveMarks(const std::filesystem::path& dir);
void WriteMark(const std::filesystem::path& dir, const Mark& m);
void RemoveMark(const std::filesystem::path& dir, pid_t pid);

// Seats the marks take at a table (a person and its computer players each).
int SeatsTaken(const std::vector<Mark>& marks, int table);
// The lowest table of the marks with a free seat.
std::optional<int> TableWithFreeSeat(const std::vector<Mark>& marks, int seats);
// A table number above every table of the marks.
int NewTable(const std::vector<Mark>& marks);
// `base` when no mark uses it, else base2, base3, ...
std::string FreeName(const std::vector<Mark>& marks, const std::string& base);

}  // namespace PlayRoom
