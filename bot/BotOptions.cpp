#include "bot/BotOptions.h"

#include <CLI/CLI.hpp>
#include <cstdint>

#include <set>

#include "core/CertFingerprint.h"
#include "core/CommandLine.h"
#include "core/NetAddress.h"
#include "core/Ticket.h"
#include "core/modPublicTools.h"

namespace {

void Describe(CLI::App& app, BotOptions& out, int& port, std::string& level, std::string& secretFile,
              std::string& roomId) {
    CommandLine::AddAddress(app, "--server", out.host, port, 1, "the room server")->required();
    CommandLine::AddTable(app, out.table);
    app.add_option("--count", out.count, "players (default 1)")
        ->check(CommandLine::Whole(1, kMaxBotCount))
        ->type_name("N");
    app.add_option_function<std::string>(
           "--strategy",
           [&out](const std::string& v) { out.strategy = v == "first" ? Strategy::First : Strategy::Human; },
           "first: the first pair found at once; human (default): paced like a person")
        ->check(CLI::IsMember({"first", "human"}));
    BotLevels::AddOption(app, level);
    CommandLine::AddSecretFile(app, secretFile);
    app.add_option("--room-id", roomId,
                   "with --secret-file: sign with the key of this room (a room server run with --room-tickets yes)")
        ->type_name("ID");
    app.add_option_function<std::string>(
           "--names",
           [&out](const std::string& v) {
               out.names = modPublicTools::SplitFields(v, ',');
               for (const auto& name : out.names)
                   if (!Ticket::IsValidName(name))
                       throw CLI::ValidationError("--names: not a user name: \"" + name + "\"");
           },
           "the players' names, one each")
        ->type_name("a,b,...");
    app.add_option_function<std::uint32_t>(
           "--seed", [&out](std::uint32_t seed) { out.seed = seed; }, "fixed choices")
        ->check(CommandLine::Whole(0, UINT32_MAX))
        ->type_name("S");
    app.add_option_function<double>(
           "--pace", [&out](double pace) { out.pace = pace; }, "multiplies every pause (default the level's)")
        ->check(CommandLine::Real(0.0, 100.0))
        ->type_name("F");
    app.add_option("--skill", out.skill, "the skill of every player (default each its own within the level)")
        ->check(CommandLine::Whole(BotBrain::kMinSkill, BotBrain::kMaxSkill));
    app.add_option("--step", out.step, "the first strategy's pause before each pair")
        ->check(CommandLine::Real(0.0, 60.0))
        ->type_name("SECONDS");
    app.add_option("--players", out.players, "the players a master asks for (default count + 1)")
        ->check(CommandLine::Whole(2, GameSize::kSeatCount))
        ->type_name("P");
    app.add_option("--watch", out.watch, "only watch this player")
        ->check([](const std::string& v) { return Ticket::IsValidName(v) ? "" : "wants a player's name"; }, "PLAYER")
        ->type_name("PLAYER");
    app.add_option("--trace", out.tracePath, "the event log")->type_name("FILE");
    app.add_flag("--reconnect", out.reconnect, "try a lost connection again");
    app.add_option("--turn-time", out.turnSeconds, "the own turn clock (default 30)")
        ->check(CommandLine::Real(0.5, 3600.0))
        ->type_name("SECONDS");
    app.add_option("--games", out.games, "leave the table after this many games (default 0: stay)")
        ->check(CommandLine::Whole(0, 1000000))
        ->type_name("G");
    app.add_flag("--tls", out.tls, "TLS even on this machine");
    app.add_option_function<std::string>(
           "--tls-fingerprint",
           [&out](const std::string& v) {
               const auto fp = CertFingerprint::Parse(v);
               if (!fp)
                   throw CLI::ValidationError("--tls-fingerprint wants the 32 bytes of a SHA-256 fingerprint in hex");
               out.tlsFingerprint = *fp;
               out.tls = true;
           },
           "the server certificate's SHA-256")
        ->type_name("HEX");
    CommandLine::AddLogLevel(app, out.logLevel);
}

}  // namespace

bool ParseBotOptions(int argc, char** argv, BotOptions& out, std::string& error) {
    CLI::App app("tilelink-bot: computer players at one table of a room server.", "tilelink-bot");
    CommandLine::Prepare(app);
    int port = 0;
    std::string level = out.level.name, secretFile, roomId;
    Describe(app, out, port, level, secretFile, roomId);
    if (!CommandLine::Read(app, argc, argv, error, out.help)) return false;
    out.port = std::to_string(port);
    out.level = *BotLevels::Find(level);
    if (!secretFile.empty()) {
        std::string secret;
        if (!CommandLine::ReadSecretOption(secretFile, secret, error)) return false;
        // A room that only takes tickets made for it checks them with its own key.
        out.secret = roomId.empty() ? secret : Ticket::RoomSecret(secret, roomId);
    } else if (!roomId.empty()) {
        error = "--room-id needs --secret-file";
        return false;
    }
    // Tickets never cross a network in clear; a TLS server is trusted by its pinned
    // certificate only.
    if (!NetAddress::IsLoopback(out.host)) out.tls = true;
    if (out.tls && out.tlsFingerprint.empty()) {
        error = "TLS needs the server's certificate fingerprint: --tls-fingerprint HEX";
        return false;
    }
    if (!out.names.empty()) {
        if (static_cast<int>(out.names.size()) < out.count) {
            error = "--names gives fewer names than --count";
            return false;
        }
        if (std::set<std::string>(out.names.begin(), out.names.end()).size() != out.names.size()) {
            error = "--names gives a name twice";
            return false;
        }
    }
    return true;
}
