// What a table needs of the room it stands in: the room's settings, maps, dice, records
// store and clock, the users of the room by name, and word when a user leaves the room or
// the table empties. RoomServer is the host in the running server.
#pragma once
#include <cstdint>
#include <random>
#include <string>

#include "server/UserSession.h"

class MapStore;
class StoreWorker;
class TableClock;
struct ServerOptions;

class TableHost {
public:
    virtual ~TableHost() = default;

    virtual const ServerOptions& Options() const = 0;
    virtual std::mt19937& Rng() = 0;
    virtual const MapStore& Maps() const = 0;
    virtual StoreWorker& Records() = 0;
    virtual TableClock& Clock() = 0;
    // The user has left its table for good: its outbox ends after what is queued and the
    // room forgets it.
    virtual void Release(UserSession& user) = 0;
    // A table has no user left; the room drops it (later, never inside the call).
    virtual void TableEmptied(int table) = 0;
    // The user of that name in the room now, or none.
    virtual UserSession* FindUser(const std::string& name) = 0;
    // Moderation of the chat: why the user may not speak now (empty: it may), and whether
    // `listener` ignores `speaker`.
    virtual std::string ChatRefusal(const std::string&) { return {}; }
    virtual bool Ignores(const std::string&, const std::string&) const { return false; }
    // A game ended counts in the record of that account wherever it is in the room now
    // (another table's user is reached on that table's own turn).
    virtual void CountGame(const std::string& name, std::int32_t points, Scoring::Outcome outcome) {
        if (UserSession* u = FindUser(name)) u->stats.Apply(points, outcome);
    }
};
