#include "server/SqliteStore.h"

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
    std::string Text(int col) const {
        const auto* t = sqlite3_column_text(st_, col);
        return t ? reinterpret_cast<const char*>(t) : "";
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

// The schema, one step per version. Version 1 is the first file format (its files carry
// only PRAGMA user_version); the migrations table starts with version 2.
constexpr const char* kMigrations[] = {
    R"sql(
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
)sql",
    R"sql(
ALTER TABLE games ADD COLUMN game_key TEXT;
ALTER TABLE games ADD COLUMN room_id TEXT NOT NULL DEFAULT '';
CREATE UNIQUE INDEX games_by_key ON games(game_key);
CREATE TABLE rooms (
    id TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    address TEXT NOT NULL,
    heartbeat INTEGER NOT NULL
);
CREATE TABLE sessions (
    name TEXT PRIMARY KEY,
    room_id TEXT NOT NULL,
    since INTEGER NOT NULL
);
CREATE INDEX sessions_by_room ON sessions(room_id);
)sql",
    R"sql(
CREATE TABLE accounts (
    name TEXT PRIMARY KEY,
    password_hash TEXT NOT NULL,
    admin INTEGER NOT NULL DEFAULT 0,
    created INTEGER NOT NULL
);
CREATE TABLE moderation (
    id INTEGER PRIMARY KEY,
    action TEXT NOT NULL,
    actor TEXT NOT NULL,
    target TEXT NOT NULL,
    at INTEGER NOT NULL,
    until INTEGER NOT NULL,
    reason TEXT NOT NULL
);
CREATE INDEX moderation_by_target ON moderation(target);
)sql",
    R"sql(
ALTER TABLE rooms ADD COLUMN tables_in_use INTEGER NOT NULL DEFAULT 0;
ALTER TABLE rooms ADD COLUMN players INTEGER NOT NULL DEFAULT 0;
)sql",
};
static_assert(sizeof kMigrations / sizeof *kMigrations == Store::kSchemaVersion);

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

SqliteStore::~SqliteStore() {
    if (db_) sqlite3_close(db_);
}

bool SqliteStore::Fail(std::string& error) {
    error = sqlite3_errmsg(db_);
    return false;
}

bool SqliteStore::Exec(const char* sql, std::string& error) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    error = msg ? msg : "database error";
    sqlite3_free(msg);
    return false;
}

bool SqliteStore::Open(const std::string& path, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = "cannot open the records file " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", error)) {
        error = "cannot use the records file " + path + ": " + error;
        return false;
    }
    return Migrate(path, error);
}

bool SqliteStore::Migrate(const std::string& path, std::string& error) {
    // The version: PRAGMA user_version, which every version keeps, and the migrations
    // table of version 2 on.
    std::int64_t have = 0;
    {
        Statement v(db_, "PRAGMA user_version");
        if (v.Step() != SQLITE_ROW) return Fail(error);
        have = v.Int(0);
    }
    {
        Statement t(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name='schema_migrations'");
        if (t.Step() == SQLITE_ROW) {
            Statement m(db_, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
            if (m.Step() == SQLITE_ROW && m.Int(0) > have) have = m.Int(0);
        }
    }
    if (have > kSchemaVersion) {
        error = "the records file " + path + " has schema version " + std::to_string(have) +
                ", newer than this server (" + std::to_string(kSchemaVersion) + ")";
        return false;
    }
    for (auto version = have + 1; version <= kSchemaVersion; ++version) {
        const std::string step = std::string("BEGIN IMMEDIATE;") + kMigrations[version - 1] +
                                 "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY,"
                                 " applied INTEGER NOT NULL);"
                                 "INSERT OR REPLACE INTO schema_migrations VALUES(" +
                                 std::to_string(version) + "," + std::to_string(Now()) +
                                 ");PRAGMA user_version=" + std::to_string(version) + ";COMMIT;";
        if (!Exec(step.c_str(), error)) {
            std::string ignored;
            Exec("ROLLBACK;", ignored);
            error = "cannot bring the records file " + path + " to schema version " + std::to_string(version) + ": " +
                    error;
            return false;
        }
    }
    return true;
}

bool SqliteStore::Load(const std::string& name, UserStats& u, std::string& error) {
    u = UserStats{};
    u.name = name;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Statement q(db_,
                    "SELECT id, score, games, wins, losses, draws, escapes, character, icon FROM users WHERE name=?");
        q.Bind(1, name);
        const int rc = q.Step();
        if (rc == SQLITE_ROW) {
            u.id = q.Int(0);
            u.score = q.Int(1);
            u.games = static_cast<int>(q.Int(2));
            u.wins = static_cast<int>(q.Int(3));
            u.losses = static_cast<int>(q.Int(4));
            u.draws = static_cast<int>(q.Int(5));
            u.escapes = static_cast<int>(q.Int(6));
            u.character = static_cast<int>(q.Int(7));
            u.icon = static_cast<int>(q.Int(8));
            return true;
        }
        if (rc != SQLITE_DONE || UserId(name) == 0) break;
    }
    return Fail(error);
}

UserStats SqliteStore::Load(const std::string& name) {
    UserStats u;
    std::string error;
    if (!Load(name, u, error)) u.id = 0;
    return u;
}

std::int64_t SqliteStore::UserId(const std::string& name) {
    Statement ins(db_, "INSERT OR IGNORE INTO users(name, created) VALUES(?, ?)");
    if (ins.Bind(1, name).Bind(2, Now()).Step() != SQLITE_DONE) return 0;
    Statement q(db_, "SELECT id FROM users WHERE name=?");
    q.Bind(1, name);
    return q.Step() == SQLITE_ROW ? q.Int(0) : 0;
}

bool SqliteStore::Exists(const std::string& name, bool& exists, std::string& error) {
    Statement q(db_, "SELECT 1 FROM users WHERE name=?1 UNION ALL SELECT 1 FROM accounts WHERE name=?1");
    q.Bind(1, name);
    const int rc = q.Step();
    exists = rc == SQLITE_ROW;
    return rc == SQLITE_ROW || rc == SQLITE_DONE || Fail(error);
}

bool SqliteStore::HasGame(const std::string& key, bool& stored, std::string& error) {
    Statement q(db_, "SELECT 1 FROM games WHERE game_key=?");
    q.Bind(1, key);
    const int rc = q.Step();
    stored = rc == SQLITE_ROW;
    return rc == SQLITE_ROW || rc == SQLITE_DONE || Fail(error);
}

bool SqliteStore::SaveGame(const GameRecord& g, std::string& error) {
    if (!Exec("BEGIN IMMEDIATE;", error)) return false;
    bool ok = true, fresh = false;
    {
        Statement game(db_,
                       "INSERT OR IGNORE INTO games(game_key, room_id, table_no, map_no, ended) VALUES(?,?,?,?,?)");
        game.Bind(1, g.key).Bind(2, g.room).Bind(3, g.table).Bind(4, g.mapNo).Bind(5, g.ended);
        ok = game.Step() == SQLITE_DONE;
        fresh = ok && sqlite3_changes(db_) == 1;
    }
    const std::int64_t gameId = sqlite3_last_insert_rowid(db_);
    for (const auto& r : g.results) {
        if (!ok || !fresh) break;
        if (r.name.empty()) continue;
        const std::int64_t userId = UserId(r.name);
        const auto outcome = static_cast<int>(r.outcome);
        Statement res(db_, "INSERT INTO results(game_id, user_id, seat, place, score, outcome) VALUES(?,?,?,?,?,?)");
        res.Bind(1, gameId).Bind(2, userId).Bind(3, r.seat).Bind(4, r.place).Bind(5, r.score).Bind(6, outcome);
        Statement upd(db_,
                      "UPDATE users SET score=score+?, games=games+1, wins=wins+?, losses=losses+?, draws=draws+?,"
                      " escapes=escapes+? WHERE id=?");
        const bool win = r.outcome == Scoring::Outcome::Win, draw = r.outcome == Scoring::Outcome::Draw;
        const bool esc = r.outcome == Scoring::Outcome::Escape;
        const bool loss = r.outcome == Scoring::Outcome::Loss || esc;
        upd.Bind(1, r.score).Bind(2, win).Bind(3, loss).Bind(4, draw).Bind(5, esc).Bind(6, userId);
        ok = userId != 0 && res.Step() == SQLITE_DONE && upd.Step() == SQLITE_DONE && sqlite3_changes(db_) == 1;
    }
    if (!ok) {
        error = sqlite3_errmsg(db_);
        std::string ignored;
        Exec("ROLLBACK;", ignored);
        return false;
    }
    return Exec("COMMIT;", error);
}

bool SqliteStore::RegisterRoom(const RoomEntry& room, std::string& error) {
    Statement up(db_,
                 "INSERT OR REPLACE INTO rooms(id, name, address, heartbeat, tables_in_use, players)"
                 " VALUES(?,?,?,?,?,?)");
    if (up.Bind(1, room.id)
            .Bind(2, room.name)
            .Bind(3, room.address)
            .Bind(4, room.heartbeat)
            .Bind(5, room.tables)
            .Bind(6, room.players)
            .Step() != SQLITE_DONE)
        return Fail(error);
    Statement drop(db_, "DELETE FROM sessions WHERE room_id=?");
    return drop.Bind(1, room.id).Step() == SQLITE_DONE || Fail(error);
}

bool SqliteStore::Heartbeat(const std::string& room, std::int64_t now, const RoomLoad& load,
                            std::vector<std::string>& held, std::string& error) {
    Statement beat(db_, "UPDATE rooms SET heartbeat=?, tables_in_use=?, players=? WHERE id=?");
    if (beat.Bind(1, now).Bind(2, load.tables).Bind(3, load.players).Bind(4, room).Step() != SQLITE_DONE)
        return Fail(error);
    held.clear();
    Statement q(db_, "SELECT name FROM sessions WHERE room_id=?");
    q.Bind(1, room);
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) held.push_back(q.Text(0));
    return rc == SQLITE_DONE || Fail(error);
}

bool SqliteStore::LiveRooms(std::int64_t since, std::vector<RoomEntry>& rooms, std::string& error) {
    rooms.clear();
    Statement q(
        db_, "SELECT id, name, address, heartbeat, tables_in_use, players FROM rooms WHERE heartbeat>=? ORDER BY id");
    q.Bind(1, since);
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW)
        rooms.push_back(
            {q.Text(0), q.Text(1), q.Text(2), q.Int(3), static_cast<int>(q.Int(4)), static_cast<int>(q.Int(5))});
    return rc == SQLITE_DONE || Fail(error);
}

bool SqliteStore::TakeSession(const std::string& name, const std::string& room, std::string& error) {
    Statement q(db_, "INSERT OR REPLACE INTO sessions(name, room_id, since) VALUES(?,?,?)");
    return q.Bind(1, name).Bind(2, room).Bind(3, Now()).Step() == SQLITE_DONE || Fail(error);
}

bool SqliteStore::EndSession(const std::string& name, const std::string& room, std::string& error) {
    Statement q(db_, "DELETE FROM sessions WHERE name=? AND room_id=?");
    return q.Bind(1, name).Bind(2, room).Step() == SQLITE_DONE || Fail(error);
}

bool SqliteStore::CreateAccount(const Account& a, bool& created, std::string& error) {
    created = false;
    if (!Exec("BEGIN IMMEDIATE;", error)) return false;
    Statement ins(db_, "INSERT OR IGNORE INTO accounts(name, password_hash, admin, created) VALUES(?,?,?,?)");
    bool ok = ins.Bind(1, a.name).Bind(2, a.passwordHash).Bind(3, a.admin).Bind(4, Now()).Step() == SQLITE_DONE;
    created = ok && sqlite3_changes(db_) == 1;
    if (ok && created) ok = UserId(a.name) != 0;
    if (!ok) {
        Fail(error);
        created = false;
        std::string ignored;
        Exec("ROLLBACK;", ignored);
        return false;
    }
    return Exec("COMMIT;", error);
}

bool SqliteStore::FindAccount(const std::string& name, Account& out, bool& found, std::string& error) {
    Statement q(db_, "SELECT name, password_hash, admin FROM accounts WHERE name=?");
    q.Bind(1, name);
    const int rc = q.Step();
    found = rc == SQLITE_ROW;
    if (found) out = Account{q.Text(0), q.Text(1), q.Int(2) != 0};
    return found || rc == SQLITE_DONE || Fail(error);
}

bool SqliteStore::SetAdmin(const std::string& name, bool admin, bool& found, std::string& error) {
    Statement q(db_, "UPDATE accounts SET admin=? WHERE name=?");
    if (q.Bind(1, admin).Bind(2, name).Step() != SQLITE_DONE) return Fail(error);
    found = sqlite3_changes(db_) == 1;
    return true;
}

bool SqliteStore::RecordModeration(const ModerationAction& m, std::string& error) {
    Statement q(db_, "INSERT INTO moderation(action, actor, target, at, until, reason) VALUES(?,?,?,?,?,?)");
    q.Bind(1, m.action).Bind(2, m.actor).Bind(3, m.target).Bind(4, m.at).Bind(5, m.until).Bind(6, m.reason);
    return q.Step() == SQLITE_DONE || Fail(error);
}

bool SqliteStore::ActiveSanctions(std::int64_t now, std::vector<ModerationAction>& out, std::string& error) {
    out.clear();
    Statement q(db_,
                "SELECT action, actor, target, at, until, reason FROM moderation m WHERE action IN ('ban','mute')"
                " AND until>? AND NOT EXISTS (SELECT 1 FROM moderation l WHERE l.target=m.target AND l.id>m.id"
                " AND l.action IN (m.action, 'un' || m.action)) ORDER BY id");
    q.Bind(1, now);
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW)
        out.push_back({q.Text(0), q.Text(1), q.Text(2), q.Text(5), q.Int(3), q.Int(4)});
    return rc == SQLITE_DONE || Fail(error);
}
