#include "server/UserStore.h"

#include <sqlite3.h>

#include <ctime>

namespace {

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return st_ != nullptr; }
    Statement& Bind(int i, std::int64_t v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Statement& Bind(int i, const std::string& v) {
        sqlite3_bind_text(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return st_ ? sqlite3_step(st_) : SQLITE_ERROR; }
    std::int64_t Int(int col) const { return sqlite3_column_int64(st_, col); }

private:
    sqlite3_stmt* st_ = nullptr;
};

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS users (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    score INTEGER NOT NULL DEFAULT 0,
    games INTEGER NOT NULL DEFAULT 0,
    wins INTEGER NOT NULL DEFAULT 0,
    losses INTEGER NOT NULL DEFAULT 0,
    draws INTEGER NOT NULL DEFAULT 0,
    escapes INTEGER NOT NULL DEFAULT 0,
    character INTEGER NOT NULL DEFAULT 0,
    icon INTEGER NOT NULL DEFAULT 0,
    created INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS games (
    id INTEGER PRIMARY KEY,
    table_no INTEGER NOT NULL,
    map_no INTEGER NOT NULL,
    ended INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS results (
    game_id INTEGER NOT NULL REFERENCES games(id),
    user_id INTEGER NOT NULL REFERENCES users(id),
    seat INTEGER NOT NULL,
    place INTEGER NOT NULL,
    score INTEGER NOT NULL,
    outcome INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS results_by_user ON results(user_id);
)sql";

}  // namespace

void UserStats::Apply(std::int32_t points, Scoring::Outcome outcome) {
    score += points;
    ++games;
    switch (outcome) {
        case Scoring::Outcome::Win: ++wins; break;
        case Scoring::Outcome::Loss: ++losses; break;
        case Scoring::Outcome::Draw: ++draws; break;
        case Scoring::Outcome::Escape:
            ++losses;
            ++escapes;
            break;
    }
}

UserStore::~UserStore() {
    if (db_) sqlite3_close(db_);
}

bool UserStore::Exec(const char* sql, std::string& error) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    error = msg ? msg : "database error";
    sqlite3_free(msg);
    return false;
}

bool UserStore::Open(const std::string& path, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = db_ ? sqlite3_errmsg(db_) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", error)) return false;
    Statement version(db_, "PRAGMA user_version");
    if (version.Step() != SQLITE_ROW) {
        error = sqlite3_errmsg(db_);
        return false;
    }
    const auto have = version.Int(0);
    if (have > kSchemaVersion) {
        error = "the database " + path + " has schema version " + std::to_string(have) + ", newer than this server";
        return false;
    }
    if (have < kSchemaVersion) {
        const std::string create = std::string("BEGIN;") + kSchema + "PRAGMA user_version=" +
                                   std::to_string(kSchemaVersion) + ";COMMIT;";
        if (!Exec(create.c_str(), error)) {
            std::string ignored;
            Exec("ROLLBACK;", ignored);
            return false;
        }
    }
    return true;
}

UserStats UserStore::Load(const std::string& name, std::string* error) {
    UserStats u;
    u.name = name;
    if (!db_) return u;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Statement q(db_, "SELECT id, score, games, wins, losses, draws, escapes, character, icon FROM users WHERE name=?");
        q.Bind(1, name);
        if (q.Step() == SQLITE_ROW) {
            u.id = q.Int(0);
            u.score = q.Int(1);
            u.games = static_cast<int>(q.Int(2));
            u.wins = static_cast<int>(q.Int(3));
            u.losses = static_cast<int>(q.Int(4));
            u.draws = static_cast<int>(q.Int(5));
            u.escapes = static_cast<int>(q.Int(6));
            u.character = static_cast<int>(q.Int(7));
            u.icon = static_cast<int>(q.Int(8));
            return u;
        }
        Statement ins(db_, "INSERT OR IGNORE INTO users(name, created) VALUES(?, ?)");
        ins.Bind(1, name).Bind(2, static_cast<std::int64_t>(std::time(nullptr)));
        if (ins.Step() != SQLITE_DONE) break;
    }
    if (error) *error = sqlite3_errmsg(db_);
    return u;
}

bool UserStore::Exists(const std::string& name) {
    if (!db_) return false;
    Statement q(db_, "SELECT 1 FROM users WHERE name=?");
    q.Bind(1, name);
    return q.Step() == SQLITE_ROW;
}

bool UserStore::SaveGame(int table, int mapNo, const std::vector<GameResult>& results, std::string& error) {
    if (!db_) return false;
    if (!Exec("BEGIN IMMEDIATE;", error)) return false;
    bool ok = true;
    {
        Statement game(db_, "INSERT INTO games(table_no, map_no, ended) VALUES(?, ?, ?)");
        game.Bind(1, table).Bind(2, mapNo).Bind(3, static_cast<std::int64_t>(std::time(nullptr)));
        ok = game.Step() == SQLITE_DONE;
    }
    const std::int64_t gameId = sqlite3_last_insert_rowid(db_);
    for (const auto& r : results) {
        if (!ok) break;
        if (r.userId == 0) continue;
        const auto outcome = static_cast<int>(r.outcome);
        Statement res(db_, "INSERT INTO results(game_id, user_id, seat, place, score, outcome) VALUES(?,?,?,?,?,?)");
        res.Bind(1, gameId).Bind(2, r.userId).Bind(3, r.seat).Bind(4, r.place).Bind(5, r.score).Bind(6, outcome);
        Statement upd(db_,
                      "UPDATE users SET score=score+?, games=games+1, wins=wins+?, losses=losses+?, draws=draws+?,"
                      " escapes=escapes+? WHERE id=?");
        const bool win = r.outcome == Scoring::Outcome::Win, draw = r.outcome == Scoring::Outcome::Draw;
        const bool esc = r.outcome == Scoring::Outcome::Escape;
        const bool loss = r.outcome == Scoring::Outcome::Loss || esc;
        upd.Bind(1, r.score).Bind(2, win).Bind(3, loss).Bind(4, draw).Bind(5, esc).Bind(6, r.userId);
        ok = res.Step() == SQLITE_DONE && upd.Step() == SQLITE_DONE && sqlite3_changes(db_) == 1;
    }
    if (!ok) {
        error = sqlite3_errmsg(db_);
        std::string ignored;
        Exec("ROLLBACK;", ignored);
        return false;
    }
    return Exec("COMMIT;", error);
}
