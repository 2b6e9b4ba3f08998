// The server's records read back from its SQLite file: every user's counts beside the
// number of results stored for it, the games per table, and the file's own integrity
// check. Opened afresh for every reading, so what it shows is what is on disk.
#pragma once
#include <map>
#include <string>

struct UserRow {
    long long score = 0, games = 0, wins = 0, losses = 0, draws = 0, escapes = 0;
    long long results = 0;  // rows of the results table for this user
    // A game is a win, a loss or a draw; an escape is counted as a loss too.
    bool AddsUp() const { return games == wins + losses + draws && games == results && escapes <= losses; }
};

struct RecordsFile {
    bool opened = false;
    std::string integrity;                 // "ok" for a sound file
    std::map<std::string, UserRow> users;  // by name
    std::map<int, long long> gamesByTable;
    long long games = 0, results = 0;

    static RecordsFile Read(const std::string& path);
    // The row of one user, or nothing when it is not stored.
    const UserRow* Find(const std::string& name) const;
};
