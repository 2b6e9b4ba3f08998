// The command line of tilelink-bot.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bot/BotBrain.h"
#include "bot/BotLevel.h"
#include "core/ProgramLog.h"

struct BotOptions {
    std::string host;
    std::string port;
    int table = 1;
    int count = 1;
    Strategy strategy = Strategy::Human;
    std::optional<std::string> secret;  // signs the seat tickets
    std::vector<std::string> names;     // one per player; "电脑1".. when not given
    std::optional<std::uint32_t> seed;
    BotLevel level = BotLevels::Default();  // skills, pace and item gap unless given below
    std::optional<double> pace;             // every pause of a human-pace player is multiplied by it
    int skill = 0;                          // 1..5 for all; 0: each player its own within the level
    double step = 0.002;                    // the `first` strategy's pause before each pair, seconds
    int players = 0;                        // the number of players a master asks for; 0: count + 1, at most 6
    std::string watch;                      // the players only watch this player
    std::string tracePath;                  // the event log
    bool reconnect = false;                 // a lost connection is tried again
    double turnSeconds = 30;                // the own turn clock (two thirds with an alarm clock)
    int games = 0;                          // leave the table after this many games; 0: stay
    bool tls = false;                       // TLS: asked for, or the server is not on loopback
    std::string tlsFingerprint;             // the server certificate's SHA-256, 64 hex digits
    ProgramLog::Level logLevel = ProgramLog::Level::Info;
    bool help = false;  // --help: the parse ends with the help text in its error
};

inline constexpr int kMaxBotCount = 60;

// Reads the command line; false with a message in `error` (the help text when `out.help`
// is set).
bool ParseBotOptions(int argc, char** argv, BotOptions& out, std::string& error);
