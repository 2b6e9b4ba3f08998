// The records in one SQLite file, embedded in the room server: WAL journal, every game in
// one transaction, the schema brought up to date step by step (files of every earlier
// version open and are migrated; a file from a newer server is refused untouched).
// ":memory:" keeps nothing.
#pragma once
#include <string>

#include "server/Store.h"

struct sqlite3;

class SqliteStore : public Store {
public:
    SqliteStore() = default;
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    // Opens or creates the file; false with a message when it cannot be used.
    bool Open(const std::string& path, std::string& error);

    bool Load(const std::string& name, UserStats& out, std::string& error) override;
    // The record, or an unsaved one (id 0) when it cannot be read or made.
    UserStats Load(const std::string& name);
    bool Exists(const std::string& name, bool& exists, std::string& error) override;
    bool SaveGame(const GameRecord& game, std::string& error) override;
    bool HasGame(const std::string& key, bool& stored, std::string& error) override;
    bool RegisterRoom(const RoomEntry& room, std::string& error) override;
    bool Heartbeat(const std::string& room, std::int64_t now, const RoomLoad& load, std::vector<std::string>& held,
                   std::string& error) override;
    bool LiveRooms(std::int64_t since, std::vector<RoomEntry>& rooms, std::string& error) override;
    bool TakeSession(const std::string& name, const std::string& room, std::string& error) override;
    bool EndSession(const std::string& name, const std::string& room, std::string& error) override;
    bool CreateAccount(const Account& account, bool& created, std::string& error) override;
    bool FindAccount(const std::string& name, Account& out, bool& found, std::string& error) override;
    bool SetAdmin(const std::string& name, bool admin, bool& found, std::string& error) override;
    bool RecordModeration(const ModerationAction& action, std::string& error) override;
    bool ActiveSanctions(std::int64_t now, std::vector<ModerationAction>& out, std::string& error) override;

private:
    bool Exec(const char* sql, std::string& error);
    bool Migrate(const std::string& path, std::string& error);
    // The id of the user, created when missing; 0 on failure.
    std::int64_t UserId(const std::string& name);
    bool Fail(std::string& error);

    sqlite3* db_ = nullptr;
};
