// Where the users' records live, behind one interface with two engines: an SQLite file
// embedded in the server (one room server) and a PostgreSQL database that many room
// servers share. Besides the records it keeps the rooms of every live server (their
// address and heartbeat) and the session lease of every account logged in somewhere.
// Every call blocks on the database: only the store worker's thread makes them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/Scoring.h"

struct UserStats {
    std::int64_t id = 0;  // 0 for a guest, or a user whose record could not be read
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

// One player's part of a stored game. Results name the user, so a game played while a
// record could not be read is still counted once the database answers again.
struct GameResult {
    std::string name;
    int seat = 0;
    std::uint8_t place = 0;
    std::int32_t score = 0;
    Scoring::Outcome outcome = Scoring::Outcome::Draw;
};

// One ended game. `key` is unique to the game across servers and restarts: storing the
// same key twice counts it once, so a write whose outcome was unknown can be retried.
struct GameRecord {
    std::string key;
    std::string room;  // the room server's id
    int table = 0;
    int mapNo = 0;
    std::int64_t ended = 0;  // seconds since the epoch
    std::vector<GameResult> results;
};

// A registered account: its name is its own, and it logs in with its password, kept only as
// an Argon2id hash string (libsodium's crypto_pwhash_str form).
struct Account {
    std::string name;
    std::string passwordHash;
    bool admin = false;  // may kick, ban and mute from the lobby
};

// One moderation step: a kick, a ban or mute until a time, or the lifting of one, kept with
// who took it, against whom, when and why. `actor` is "operator" for the server's console.
struct ModerationAction {
    std::string action;  // kick, ban, unban, mute, unmute
    std::string actor, target, reason;
    std::int64_t at = 0;     // seconds since the epoch
    std::int64_t until = 0;  // a ban's or mute's end; 0 for the others
};

// A room server as the shared database knows it.
struct RoomEntry {
    std::string id;
    std::string name;
    std::string address;         // HOST:PORT the players connect to
    std::int64_t heartbeat = 0;  // seconds since the epoch
    int tables = 0;              // tables in use at the last heartbeat
    int players = 0;             // players seated at them
};

// What a room reports with each heartbeat.
struct RoomLoad {
    int tables = 0, players = 0;
};

class Store {
public:
    // The newest schema this program knows; a database with a newer one is refused.
    static constexpr int kSchemaVersion = 4;

    virtual ~Store() = default;

    // The user's record; one seen for the first time is created with zero counts.
    virtual bool Load(const std::string& name, UserStats& out, std::string& error) = 0;
    virtual bool Exists(const std::string& name, bool& exists, std::string& error) = 0;
    // Stores the game and the players' new counts in one transaction, once per key
    // (true also when the key was stored before). Results without a name are left out.
    virtual bool SaveGame(const GameRecord& game, std::string& error) = 0;
    // Whether a game with this key is stored.
    virtual bool HasGame(const std::string& key, bool& stored, std::string& error) = 0;

    // Adds or renews the room and drops every session lease it held before.
    virtual bool RegisterRoom(const RoomEntry& room, std::string& error) = 0;
    // Renews the room's heartbeat and its counts; `held` gets the names whose lease the room holds.
    virtual bool Heartbeat(const std::string& room, std::int64_t now, const RoomLoad& load,
                           std::vector<std::string>& held, std::string& error) = 0;
    // The rooms whose heartbeat is `since` or later, with their counts, by id.
    virtual bool LiveRooms(std::int64_t since, std::vector<RoomEntry>& rooms, std::string& error) = 0;
    // The account's one session now belongs to `room`, whoever held it before.
    virtual bool TakeSession(const std::string& name, const std::string& room, std::string& error) = 0;
    // Gives the lease back, when `room` still holds it.
    virtual bool EndSession(const std::string& name, const std::string& room, std::string& error) = 0;

    // Registers the account (and its record) unless the name has one: `created` false then.
    virtual bool CreateAccount(const Account& account, bool& created, std::string& error) = 0;
    virtual bool FindAccount(const std::string& name, Account& out, bool& found, std::string& error) = 0;
    virtual bool SetAdmin(const std::string& name, bool admin, bool& found, std::string& error) = 0;
    // Keeps one moderation step.
    virtual bool RecordModeration(const ModerationAction& action, std::string& error) = 0;
    // The bans and mutes in force at `now`: each not lifted since and not yet over.
    virtual bool ActiveSanctions(std::int64_t now, std::vector<ModerationAction>& out, std::string& error) = 0;
};

// Opens (and brings up to date) the store at `where`: a postgresql:// or postgres://
// address, or an SQLite file (":memory:" keeps nothing). Nothing, with `error`, when it
// cannot be used.
std::unique_ptr<Store> OpenStore(const std::string& where, std::string& error);
// `where` with any password left out, for messages.
std::string StoreDisplayName(const std::string& where);
