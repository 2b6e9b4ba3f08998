#include "server/ServerOptions.h"

#include <CLI/CLI.hpp>
#include <cstdint>

#include "core/CommandLine.h"
#include "core/NetAddress.h"
#include "server/ItemRules.h"

ServerOptions::ServerOptions() : items(ItemRules::DefaultCatalogue()) {}

namespace {

// A name of 1 to 200 bytes.
CLI::Option* AddName(CLI::App& app, const std::string& name, std::string& out, const std::string& description) {
    return app.add_option(name, out, description)
        ->check([name](const std::string& v) { return v.empty() || v.size() > 200 ? "wants 1 to 200 bytes" : ""; },
                "NAME")
        ->type_name("NAME");
}

// A whole number of bytes, 1 .. 1 GiB.
template <class Number>
CLI::Option* AddBytes(CLI::App& app, const std::string& name, Number& out, const std::string& description) {
    return app.add_option(name, out, description)->check(CommandLine::Whole(1, 1ll << 30))->type_name("BYTES");
}

void Describe(CLI::App& app, ServerOptions& out, std::string& secretFile) {
    CommandLine::AddAddress(app, "--listen", out.host, out.port, 0, "the address the room serves on (port 0: any)")
        ->required();
    app.add_option("--tls-cert", out.tlsCert, "PEM certificate; with --tls-key every connection is TLS")
        ->type_name("FILE");
    app.add_option("--tls-key", out.tlsKey, "PEM key of the certificate")->type_name("FILE");
    app.add_option("--db", out.dbPath, "the records: an SQLite file or postgresql://...")->type_name("FILE|URL");
    app.add_option("--spill", out.spillPath, "games waiting for the database")->type_name("FILE");
    AddName(app, "--room-id", out.roomId, "the room's id in a shared database (default HOST:PORT)");
    AddName(app, "--room-name", out.roomName, "the room's name (default its id)");
    CommandLine::AddAddress(app, "--advertise", out.advertise, 1, "the address players connect to");
    app.add_option_function<std::string>(
           "--room-tickets", [&out](const std::string& v) { out.roomTickets = v == "yes"; },
           "only tickets signed for this room")
        ->check(CLI::IsMember({"yes", "no"}));
    app.add_option("--max-waiting", out.maxWaitingGames, "past this many games waiting for the database none starts")
        ->check(CommandLine::Whole(1, 1000000))
        ->type_name("GAMES");
    CommandLine::AddSecretFile(app, secretFile);
    app.add_option_function<std::string>(
           "--guests", [&out](const std::string& v) { out.guests = v == "yes"; },
           "users without an account play under a name the room chooses (default yes)")
        ->check(CLI::IsMember({"yes", "no"}));
    app.add_option("--maps", out.mapsDir, "the map folder")->type_name("DIR");
    app.add_option_function<std::string>(
           "--items",
           [&out](const std::string& file) {
               std::string error;
               auto items = ItemRules::LoadCatalogue(file, error);
               if (!items) throw CLI::ValidationError("--items: " + error);
               out.items = *items;
           },
           "the item catalogue")
        ->type_name("FILE");
    app.add_option_function<unsigned>(
           "--seed", [&out](unsigned seed) { out.seed = seed; }, "fixed deals")
        ->check(CommandLine::Whole(0, UINT32_MAX))
        ->type_name("N");
    app.add_option("--threads", out.threads, "threads running the room's io (default one per core)")
        ->check(CommandLine::Whole(1, 256))
        ->type_name("N");
    AddBytes(app, "--max-output", out.maxOutputBytes, "a client that reads slower is cut off");
    AddBytes(app, "--send-buffer", out.sendBufferBytes, "the socket send buffer");
    CommandLine::AddSeconds(app, "--grace", out.dropGrace, 0, 86400, "a dropped player may come back this long");
    CommandLine::AddSeconds(app, "--login-timeout", out.loginTimeout, 0, 86400, "time to log in");
    CommandLine::AddSeconds(app, "--frame-timeout", out.frameTimeout, 0, 86400,
                            "a frame begun must be complete this soon");
    CommandLine::AddSeconds(app, "--turn-time", out.turnTime, 0, 86400, "a player's turn (two thirds with an alarm)")
        ->each([&out](const std::string&) { out.alarmTurnTime = out.turnTime * 2 / 3; });
    CommandLine::AddSeconds(app, "--start-pause", out.startPause, 0, 86400, "the pause before a game starts");
    CommandLine::AddSeconds(app, "--ready-time", out.readyTime, 0, 86400, "a seated player's time to answer");
    CommandLine::AddSeconds(app, "--idle-time", out.idleTime, 0, 86400, "a guest's time to raise its hand");
    CommandLine::AddLogLevel(app, out.logLevel);
}

}  // namespace

bool ParseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error) {
    CLI::App app(
        "tilelink-server: the room server. Prints \"listening on HOST:PORT\" when ready and takes operator "
        "commands on standard input: broadcast TEXT, notice TABLE TEXT, status, quit.",
        "tilelink-server");
    CommandLine::Prepare(app);
    std::string secretFile;
    Describe(app, out, secretFile);
    if (!CommandLine::Read(app, argc, argv, error, out.help)) return false;
    if (!secretFile.empty()) {
        std::string secret;
        if (!CommandLine::ReadSecretOption(secretFile, secret, error)) return false;
        out.secret = secret;
        out.secretFile = secretFile;
    }
    if (out.roomTickets && (!out.secret || out.roomId.empty())) {
        error = "--room-tickets yes needs --secret-file and --room-id";
        return false;
    }
    if (out.tlsCert.empty() != out.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    // Tickets and chat never cross a network in clear.
    if (out.tlsCert.empty() && !NetAddress::IsLoopback(out.host)) {
        error = "--listen " + out.host +
                " is not a loopback address: it needs --tls-cert FILE --tls-key FILE"
                " (without them only 127.0.0.1 or ::1, so tickets and chat never cross a network in clear)";
        return false;
    }
    return true;
}
