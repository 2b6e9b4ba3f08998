// The records in a PostgreSQL database that many room servers share, through libpq. The
// connection is made again whenever it was lost; the schema is brought up to date under
// an advisory lock, so servers starting together migrate it once.
#pragma once
#include <string>
#include <vector>

#include "server/Store.h"

struct pg_conn;

class PgStore : public Store {
public:
    PgStore() = default;
    ~PgStore() override;
    PgStore(const PgStore&) = delete;
    PgStore& operator=(const PgStore&) = delete;

    // Connects and migrates; false with a message when the database cannot be used.
    bool Open(const std::string& url, std::string& error);

    bool Load(const std::string& name, UserStats& out, std::string& error) override;
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

    class Result;

private:
    // Connected, or connected again; false with the reason.
    bool Ready(std::string& error);
    // Runs one statement with text parameters; the rows, or nothing with `error`.
    Result Run(const char* sql, const std::vector<std::string>& params, std::string& error);
    bool Exec(const char* sql, const std::vector<std::string>& params, std::string& error);
    bool Migrate(std::string& error);
    void Rollback();

    std::string url_;
    pg_conn* conn_ = nullptr;
};
