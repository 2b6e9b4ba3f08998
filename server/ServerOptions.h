// What the room server is told on its command line, and the bounds it keeps.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/GameMessages.h"
#include "core/ProgramLog.h"
#include "core/RoomMessages.h"

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string dbPath;                  // empty: tilelink-server.db beside the program; or postgresql://...
    std::string spillPath;               // games waiting for the database; empty: none (memory only)
    std::size_t maxWaitingGames = 1000;  // past this many waiting games no new game starts
    std::string roomId;                  // the room's id in the shared database; empty: HOST:PORT
    std::string roomName;                // empty: the id
    std::string advertise;               // HOST:PORT players connect to; empty: the listening address
    bool roomTickets = false;            // only tickets signed with Ticket::RoomSecret(secret, roomId)
    std::optional<std::string> secret;   // tickets must be signed with it
    std::string secretFile;              // where the secret was read: the room's own computer players read it too
    bool guests = true;                  // users without an account play under a name of the room's choice
    std::string botProgram;              // tilelink-bot, for tables a lobby user opens; empty: none
    std::string mapsDir;                 // empty: Res/Map beside the program
    std::optional<unsigned> seed;        // fixed deals for tests
    int threads = 0;                     // threads running the room's io; 0: one per core
    std::string tlsCert, tlsKey;         // PEM files; with them every connection is TLS
    GameMessages::ItemTable items;       // the item catalogue of every table
    ProgramLog::Level logLevel = ProgramLog::Level::Info;
    bool help = false;  // --help: the parse ends with the help text in its error

    // Table play
    GameSettings defaultSettings;  // the proposal and the bounds a master's answer must keep
    std::chrono::milliseconds startPause{1500};
    std::chrono::milliseconds turnTime{30000};
    std::chrono::milliseconds alarmTurnTime{20000};
    std::chrono::milliseconds turnGrace{5000};
    std::chrono::milliseconds comboWindow{3000};
    std::chrono::milliseconds dropGrace{60000};  // a dropped player may come back this long
    std::chrono::milliseconds tick{200};         // how often a running game checks its clocks
    // Between games: a seated player who owes the table its answer (the settings, or the
    // start while somebody else is ready) loses the seat when the table client's own start
    // countdown would have ended, plus a grace; a guest who does not raise its hand within
    // the idle time leaves too.
    std::chrono::milliseconds readyTime{30000};
    std::chrono::milliseconds readyGrace{5000};
    std::chrono::milliseconds idleTime{60000};

    // Connection bounds
    std::chrono::milliseconds loginTimeout{10000};
    std::chrono::milliseconds frameTimeout{10000};  // a frame begun must be complete this soon
    std::size_t maxOutputBytes = 1 << 20;           // a client that reads slower is cut off
    double messagesPerSecond = 60;                  // sustained request rate
    double messageBurst = 200;                      // requests allowed at once
    int chatPerMinute = 30;
    std::size_t maxConnections = 20000;          // lowered at start to the descriptor limit less the reserve
    std::size_t descriptorReserve = 64;          // descriptors kept for the records file, the maps and the like
    std::chrono::milliseconds acceptRetry{200};  // pause after a failed accept (descriptors run out)
    int maxWatchersPerTable = 30;
    int sendBufferBytes = 0;  // socket send buffer, 0 = the system's

    ServerOptions();
};

// Reads the command line into `out`; false with a message in `error` (the help text when
// `out.help` is set).
bool ParseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error);
