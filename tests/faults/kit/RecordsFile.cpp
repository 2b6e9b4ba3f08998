#include "tests/faults/kit/RecordsFile.h"

#include <sqlite3.h>

#include <functional>

namespace {

// Runs `sql` and hands every row to `row`.
void EachRow(sqlite3* db, const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return;
    while (sqlite3_step(st) == SQLITE_ROW) row(st);
    sqlite3_finalize(st);
}

}  // namespace

RecordsFile RecordsFile::Read(const std::string& path) {
    RecordsFile f;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return f;
    }
    f.opened = true;
    sqlite3_busy_timeout(db, 5000);
    // One read transaction, so that the counts belong together.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    EachRow(db, "PRAGMA integrity_check", [&](sqlite3_stmt* st) {
        if (f.integrity.empty()) f.integrity = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    });
    EachRow(db,
            "SELECT name, score, games, wins, losses, draws, escapes,"
            " (SELECT COUNT(*) FROM results WHERE user_id = users.id) FROM users",
            [&](sqlite3_stmt* st) {
                UserRow& u = f.users[reinterpret_cast<const char*>(sqlite3_column_text(st, 0))];
                long long* cols[] = {&u.score, &u.games, &u.wins, &u.losses, &u.draws, &u.escapes, &u.results};
                for (int i = 0; i < 7; ++i) *cols[i] = sqlite3_column_int64(st, i + 1);
            });
    EachRow(db, "SELECT table_no, COUNT(*) FROM games GROUP BY table_no", [&](sqlite3_stmt* st) {
        f.gamesByTable[sqlite3_column_int(st, 0)] = sqlite3_column_int64(st, 1);
        f.games += sqlite3_column_int64(st, 1);
    });
    EachRow(db, "SELECT COUNT(*) FROM results", [&](sqlite3_stmt* st) { f.results = sqlite3_column_int64(st, 0); });
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return f;
}

const UserRow* RecordsFile::Find(const std::string& name) const {
    const auto it = users.find(name);
    return it == users.end() ? nullptr : &it->second;
}
