// The users' records kept in SQLite: name, ID, points, games, wins, losses, draws,
// escapes, character type and icon. Created on first start with a versioned schema, WAL
// journal; every game's results go in one transaction. ":memory:" keeps nothing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "server/Scoring.h"

struct sqlite3;

struct UserStats {
    std::int64_t id = 0;  // 0 for a guest, who is never stored
    std::string name;
    std::int64_t score = 0;
    int games = 0, wins = 0, losses = 0, draws = 0, escapes = 0;
    int character = 0;
    int icon = 0;

    // The level the title table is looked up with: the points, never below 0.
    std::int64_t Level() const { return score < 0 ? 0 : score; }
    int WinRate() const { return games ? wins * 100 / games : 0; }
    int EscapeRate() const { return games ? escapes * 100 / games : 0; }
    // Counts one game's result into the record.
    void Apply(std::int32_t points, Scoring::Outcome outcome);
};

class UserStore {
public:
    static constexpr int kSchemaVersion = 1;

    UserStore() = default;
    ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    // Opens or creates the database; false with a message when it cannot be used
    // (also for a schema newer than this program knows).
    bool Open(const std::string& path, std::string& error);

    // The user's record; a user seen for the first time is created with zero counts.
    // On a database failure the record is returned unsaved (id 0) and `error` says why.
    UserStats Load(const std::string& name, std::string* error = nullptr);
    bool Exists(const std::string& name);

    struct GameResult {
        std::int64_t userId = 0;
        int seat = 0;
        std::uint8_t place = 0;
        std::int32_t score = 0;
        Scoring::Outcome outcome = Scoring::Outcome::Draw;
    };
    // Stores one game (its table, map and every result) and the players' new counts in
    // one transaction. Guests (user ID 0) are left out. False when it was rolled back.
    bool SaveGame(int table, int mapNo, const std::vector<GameResult>& results, std::string& error);

private:
    bool Exec(const char* sql, std::string& error);

    sqlite3* db_ = nullptr;
};
