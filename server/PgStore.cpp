#include "server/PgStore.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <ctime>

// The rows of one statement; empty (not Ok) when it failed.
class PgStore::Result {
public:
    explicit Result(PGresult* r = nullptr) : r_(r) {}
    ~Result() { PQclear(r_); }
    Result(Result&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    bool Ok() const { return r_ != nullptr; }
    int Rows() const { return r_ ? PQntuples(r_) : 0; }
    long long Changed() const { return r_ ? std::atoll(PQcmdTuples(r_)) : 0; }
    std::string Text(int row, int col) const { return PQgetvalue(r_, row, col); }
    std::int64_t Int(int row, int col) const { return std::atoll(PQgetvalue(r_, row, col)); }

private:
    PGresult* r_;
};

namespace {

// The schema, one step per version; the first creates the tables of the records.
constexpr const char* kMigrations[] = {
    R"sql(
CREATE TABLE users (
    id BIGSERIAL PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    score BIGINT NOT NULL DEFAULT 0,
    games INTEGER NOT NULL DEFAULT 0,
    wins INTEGER NOT NULL DEFAULT 0,
    losses INTEGER NOT NULL DEFAULT 0,
    draws INTEGER NOT NULL DEFAULT 0,
    escapes INTEGER NOT NULL DEFAULT 0,
    "character" INTEGER NOT NULL DEFAULT 0,
    icon INTEGER NOT NULL DEFAULT 0,
    created BIGINT NOT NULL DEFAULT 0
);
CREATE TABLE games (
    id BIGSERIAL PRIMARY KEY,
    table_no INTEGER NOT NULL,
    map_no INTEGER NOT NULL,
    ended BIGINT NOT NULL
);
CREATE TABLE results (
    game_id BIGINT NOT NULL REFERENCES games(id),
    user_id BIGINT NOT NULL REFERENCES users(id),
    seat INTEGER NOT NULL,
    place INTEGER NOT NULL,
    score INTEGER NOT NULL,
    outcome INTEGER NOT NULL
);
CREATE INDEX results_by_user ON results(user_id);
)sql",
    R"sql(
ALTER TABLE games ADD COLUMN game_key TEXT UNIQUE;
ALTER TABLE games ADD COLUMN room_id TEXT NOT NULL DEFAULT '';
CREATE TABLE rooms (
    id TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    address TEXT NOT NULL,
    heartbeat BIGINT NOT NULL
);
CREATE TABLE sessions (
    name TEXT PRIMARY KEY,
    room_id TEXT NOT NULL,
    since BIGINT NOT NULL
);
CREATE INDEX sessions_by_room ON sessions(room_id);
)sql",
    R"sql(
CREATE TABLE accounts (
    name TEXT PRIMARY KEY,
    password_hash TEXT NOT NULL,
    admin INTEGER NOT NULL DEFAULT 0,
    created BIGINT NOT NULL
);
CREATE TABLE moderation (
    id BIGSERIAL PRIMARY KEY,
    action TEXT NOT NULL,
    actor TEXT NOT NULL,
    target TEXT NOT NULL,
    at BIGINT NOT NULL,
    until BIGINT NOT NULL,
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

// The advisory lock every server takes while it migrates.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7418920)";

std::string Now() { return std::to_string(static_cast<long long>(std::time(nullptr))); }

// libpq's messages run over several lines: one line for the log.
std::string Trimmed(const char* text) {
    std::string s;
    for (const char* p = text ? text : ""; *p; ++p) {
        const bool space = *p == '\n' || *p == '\t' || *p == ' ';
        if (!space) s += *p;
        else if (!s.empty() && s.back() != ' ') s += ' ';
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s.empty() ? "database error" : s;
}

}  // namespace

PgStore::~PgStore() {
    if (conn_) PQfinish(conn_);
}

bool PgStore::Ready(std::string& error) {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) return true;
    if (conn_) PQfinish(conn_);
    // Bounded waits for a database that does not answer; what the address says wins.
    const char* keys[] = {
        "connect_timeout", "keepalives_idle", "keepalives_interval", "keepalives_count", "options", "dbname", nullptr};
    const char* values[] = {"5", "10", "5", "3", "-c statement_timeout=15000", url_.c_str(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) {
        PQsetClientEncoding(conn_, "UTF8");
        PQsetNoticeProcessor(
            conn_, [](void*, const char*) {}, nullptr);  // "already exists, skipping" and such
        return true;
    }
    error = Trimmed(conn_ ? PQerrorMessage(conn_) : "out of memory");
    return false;
}

PgStore::Result PgStore::Run(const char* sql, const std::vector<std::string>& params, std::string& error) {
    if (!Ready(error)) return Result();
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const auto& p : params) values.push_back(p.c_str());
    // Without parameters a text may hold many statements (the migrations do).
    PGresult* r = params.empty() ? PQexec(conn_, sql)
                                 : PQexecParams(conn_, sql, static_cast<int>(values.size()), nullptr, values.data(),
                                                nullptr, nullptr, 0);
    const auto status = PQresultStatus(r);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Result(r);
    error = Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_));
    PQclear(r);
    return Result();
}

bool PgStore::Exec(const char* sql, const std::vector<std::string>& params, std::string& error) {
    return Run(sql, params, error).Ok();
}

void PgStore::Rollback() {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
}

bool PgStore::Open(const std::string& url, std::string& error) {
    url_ = url;
    if (!Ready(error)) {
        error = "cannot connect to the database " + StoreDisplayName(url) + ": " + error;
        return false;
    }
    if (!Migrate(error)) {
        Rollback();
        error = "cannot use the database " + StoreDisplayName(url) + ": " + error;
        return false;
    }
    return true;
}

bool PgStore::Migrate(std::string& error) {
    if (!Exec("BEGIN", {}, error) || !Exec(kMigrationLock, {}, error) ||
        !Exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL)", {},
              error))
        return false;
    const Result have = Run("SELECT COALESCE(MAX(version), 0) FROM schema_migrations", {}, error);
    if (!have.Ok()) return false;
    const auto version = have.Int(0, 0);
    if (version > kSchemaVersion) {
        error = "its schema version " + std::to_string(version) + " is newer than this server's (" +
                std::to_string(kSchemaVersion) + ")";
        return false;
    }
    for (auto v = version + 1; v <= kSchemaVersion; ++v) {
        if (!Exec(kMigrations[v - 1], {}, error) ||
            !Exec("INSERT INTO schema_migrations VALUES($1, $2)", {std::to_string(v), Now()}, error)) {
            error = "cannot bring it to schema version " + std::to_string(v) + ": " + error;
            return false;
        }
    }
    return Exec("COMMIT", {}, error);
}

bool PgStore::Load(const std::string& name, UserStats& u, std::string& error) {
    u = UserStats{};
    u.name = name;
    if (!Exec("INSERT INTO users(name, created) VALUES($1, $2) ON CONFLICT (name) DO NOTHING", {name, Now()}, error))
        return false;
    const Result q =
        Run("SELECT id, score, games, wins, losses, draws, escapes, \"character\", icon FROM users"
            " WHERE name=$1",
            {name}, error);
    if (!q.Ok()) return false;
    if (q.Rows() != 1) {
        error = "the record of " + name + " is missing";
        return false;
    }
    u.id = q.Int(0, 0);
    u.score = q.Int(0, 1);
    u.games = static_cast<int>(q.Int(0, 2));
    u.wins = static_cast<int>(q.Int(0, 3));
    u.losses = static_cast<int>(q.Int(0, 4));
    u.draws = static_cast<int>(q.Int(0, 5));
    u.escapes = static_cast<int>(q.Int(0, 6));
    u.character = static_cast<int>(q.Int(0, 7));
    u.icon = static_cast<int>(q.Int(0, 8));
    return true;
}

bool PgStore::Exists(const std::string& name, bool& exists, std::string& error) {
    const Result q =
        Run("SELECT 1 FROM users WHERE name=$1 UNION ALL SELECT 1 FROM accounts WHERE name=$1", {name}, error);
    exists = q.Rows() > 0;
    return q.Ok();
}

bool PgStore::HasGame(const std::string& key, bool& stored, std::string& error) {
    const Result q = Run("SELECT 1 FROM games WHERE game_key=$1", {key}, error);
    stored = q.Rows() > 0;
    return q.Ok();
}

bool PgStore::SaveGame(const GameRecord& g, std::string& error) {
    if (!Exec("BEGIN", {}, error)) return false;
    const Result game =
        Run("INSERT INTO games(game_key, room_id, table_no, map_no, ended) VALUES($1,$2,$3,$4,$5)"
            " ON CONFLICT (game_key) DO NOTHING RETURNING id",
            {g.key, g.room, std::to_string(g.table), std::to_string(g.mapNo), std::to_string(g.ended)}, error);
    bool ok = game.Ok();
    // A key stored before: the game is counted already.
    const bool fresh = ok && game.Rows() == 1;
    const std::string gameId = fresh ? game.Text(0, 0) : "";
    for (const auto& r : g.results) {
        if (!ok || !fresh) break;
        if (r.name.empty()) continue;
        const bool win = r.outcome == Scoring::Outcome::Win, draw = r.outcome == Scoring::Outcome::Draw;
        const bool esc = r.outcome == Scoring::Outcome::Escape;
        const bool loss = r.outcome == Scoring::Outcome::Loss || esc;
        ok = Exec("INSERT INTO users(name, created) VALUES($1, $2) ON CONFLICT (name) DO NOTHING", {r.name, Now()},
                  error);
        if (!ok) break;
        const Result counted =
            Run("WITH u AS (UPDATE users SET score=score+$2, games=games+1, wins=wins+$3, losses=losses+$4,"
                " draws=draws+$5, escapes=escapes+$6 WHERE name=$1 RETURNING id)"
                " INSERT INTO results(game_id, user_id, seat, place, score, outcome)"
                " SELECT $7, id, $8, $9, $2, $10 FROM u",
                {r.name, std::to_string(r.score), std::to_string(win), std::to_string(loss), std::to_string(draw),
                 std::to_string(esc), gameId, std::to_string(r.seat), std::to_string(r.place),
                 std::to_string(static_cast<int>(r.outcome))},
                error);
        ok = counted.Ok() && counted.Changed() == 1;
        if (counted.Ok() && !ok) error = "the record of " + r.name + " is missing";
    }
    if (!ok) {
        Rollback();
        return false;
    }
    return Exec("COMMIT", {}, error);
}

bool PgStore::RegisterRoom(const RoomEntry& room, std::string& error) {
    return Exec(
               "INSERT INTO rooms(id, name, address, heartbeat, tables_in_use, players) VALUES($1,$2,$3,$4,$5,$6)"
               " ON CONFLICT (id) DO UPDATE SET name=EXCLUDED.name, address=EXCLUDED.address,"
               " heartbeat=EXCLUDED.heartbeat, tables_in_use=EXCLUDED.tables_in_use, players=EXCLUDED.players",
               {room.id, room.name, room.address, std::to_string(room.heartbeat), std::to_string(room.tables),
                std::to_string(room.players)},
               error) &&
           Exec("DELETE FROM sessions WHERE room_id=$1", {room.id}, error);
}

bool PgStore::Heartbeat(const std::string& room, std::int64_t now, const RoomLoad& load, std::vector<std::string>& held,
                        std::string& error) {
    if (!Exec("UPDATE rooms SET heartbeat=$2, tables_in_use=$3, players=$4 WHERE id=$1",
              {room, std::to_string(now), std::to_string(load.tables), std::to_string(load.players)}, error))
        return false;
    const Result q = Run("SELECT name FROM sessions WHERE room_id=$1", {room}, error);
    held.clear();
    for (int i = 0; i < q.Rows(); ++i) held.push_back(q.Text(i, 0));
    return q.Ok();
}

bool PgStore::LiveRooms(std::int64_t since, std::vector<RoomEntry>& rooms, std::string& error) {
    const Result q =
        Run("SELECT id, name, address, heartbeat, tables_in_use, players FROM rooms WHERE heartbeat>=$1 ORDER BY id",
            {std::to_string(since)}, error);
    rooms.clear();
    for (int i = 0; i < q.Rows(); ++i)
        rooms.push_back({q.Text(i, 0), q.Text(i, 1), q.Text(i, 2), q.Int(i, 3), static_cast<int>(q.Int(i, 4)),
                         static_cast<int>(q.Int(i, 5))});
    return q.Ok();
}

bool PgStore::TakeSession(const std::string& name, const std::string& room, std::string& error) {
    return Exec(
        "INSERT INTO sessions(name, room_id, since) VALUES($1,$2,$3) ON CONFLICT (name) DO UPDATE"
        " SET room_id=EXCLUDED.room_id, since=EXCLUDED.since",
        {name, room, Now()}, error);
}

bool PgStore::EndSession(const std::string& name, const std::string& room, std::string& error) {
    return Exec("DELETE FROM sessions WHERE name=$1 AND room_id=$2", {name, room}, error);
}

bool PgStore::CreateAccount(const Account& a, bool& created, std::string& error) {
    created = false;
    if (!Exec("BEGIN", {}, error)) return false;
    const Result ins = Run(
        "INSERT INTO accounts(name, password_hash, admin, created) VALUES($1,$2,$3,$4) ON CONFLICT (name) DO NOTHING",
        {a.name, a.passwordHash, a.admin ? "1" : "0", Now()}, error);
    bool ok = ins.Ok();
    created = ok && ins.Changed() == 1;
    if (ok && created)
        ok = Exec("INSERT INTO users(name, created) VALUES($1, $2) ON CONFLICT (name) DO NOTHING", {a.name, Now()},
                  error);
    if (!ok) {
        created = false;
        Rollback();
        return false;
    }
    return Exec("COMMIT", {}, error);
}

bool PgStore::FindAccount(const std::string& name, Account& out, bool& found, std::string& error) {
    const Result q = Run("SELECT name, password_hash, admin FROM accounts WHERE name=$1", {name}, error);
    found = q.Rows() == 1;
    if (found) out = Account{q.Text(0, 0), q.Text(0, 1), q.Int(0, 2) != 0};
    return q.Ok();
}

bool PgStore::SetAdmin(const std::string& name, bool admin, bool& found, std::string& error) {
    const Result q = Run("UPDATE accounts SET admin=$2 WHERE name=$1", {name, admin ? "1" : "0"}, error);
    found = q.Changed() == 1;
    return q.Ok();
}

bool PgStore::RecordModeration(const ModerationAction& m, std::string& error) {
    return Exec("INSERT INTO moderation(action, actor, target, at, until, reason) VALUES($1,$2,$3,$4,$5,$6)",
                {m.action, m.actor, m.target, std::to_string(m.at), std::to_string(m.until), m.reason}, error);
}

bool PgStore::ActiveSanctions(std::int64_t now, std::vector<ModerationAction>& out, std::string& error) {
    const Result q =
        Run("SELECT action, actor, target, at, until, reason FROM moderation m WHERE action IN ('ban','mute')"
            " AND until>$1 AND NOT EXISTS (SELECT 1 FROM moderation l WHERE l.target=m.target AND l.id>m.id"
            " AND l.action IN (m.action, 'un' || m.action)) ORDER BY id",
            {std::to_string(now)}, error);
    out.clear();
    for (int i = 0; i < q.Rows(); ++i)
        out.push_back({q.Text(i, 0), q.Text(i, 1), q.Text(i, 2), q.Text(i, 5), q.Int(i, 3), q.Int(i, 4)});
    return q.Ok();
}
