// The two engines as the store suite sees them: a fresh store of each kind per test, and
// a way to read the tables behind the store's back. The PostgreSQL engine runs on one
// private cluster per test program, started on first use; a machine without the
// PostgreSQL server fails these tests rather than skipping them.
#pragma once
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "server/Store.h"
#include "tests/faults/kit/PgCluster.h"

// The cluster of this test program; nullptr (with the reason in `error`) when it cannot run.
inline PgCluster* SharedCluster(std::string& error) {
    static std::unique_ptr<PgCluster> cluster;
    static std::string why;
    static bool tried = false;
    if (!tried) {
        tried = true;
        cluster = std::make_unique<PgCluster>();
        if (!cluster->Start(why)) cluster.reset();
    }
    error = why;
    return cluster.get();
}

// A name no other test of this run uses.
inline std::string FreshName(const std::string& stem) {
    static std::atomic<int> n{0};
    return stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++n);
}

class SqliteEngine {
public:
    static constexpr const char* kName = "SQLite";
    SqliteEngine() : path_((std::filesystem::temp_directory_path() / (FreshName("tilelink_store") + ".db")).string()) {}
    ~SqliteEngine() {
        for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + end);
    }
    bool Ready(std::string&) { return true; }
    const std::string& Where() const { return path_; }
    long long Count(const std::string& sql) const {
        sqlite3* db = nullptr;
        long long n = -1;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    }
    void Exec(const std::string& sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    // Makes the database look written by a newer server.
    void MakeNewer() const { Exec("PRAGMA user_version=" + std::to_string(Store::kSchemaVersion + 1)); }

private:
    std::string path_;
};

class PgEngine {
public:
    static constexpr const char* kName = "PostgreSQL";
    bool Ready(std::string& error) {
        cluster_ = SharedCluster(error);
        if (!cluster_) return false;
        db_ = FreshName("records");
        url_ = cluster_->CreateDatabase(db_, error);
        return !url_.empty();
    }
    const std::string& Where() const { return url_; }
    long long Count(const std::string& sql) const { return cluster_->Count(db_, sql); }
    void Exec(const std::string& sql) const { cluster_->Query(db_, sql); }
    void MakeNewer() const {
        Exec("INSERT INTO schema_migrations VALUES(" + std::to_string(Store::kSchemaVersion + 1) + ", 0)");
    }
    PgCluster& Cluster() { return *cluster_; }
    const std::string& Database() const { return db_; }

private:
    PgCluster* cluster_ = nullptr;
    std::string db_, url_;
};

// Both engines, for typed suites, named by their engine.
using Engines = testing::Types<SqliteEngine, PgEngine>;
struct EngineNames {
    template <class T>
    static std::string GetName(int) {
        return T::kName;
    }
};
