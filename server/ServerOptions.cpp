#include "server/ServerOptions.h"

#include <fstream>

#include "core/CommandLine.h"
#include "core/NetAddress.h"
#include "server/ItemRules.h"

ServerOptions::ServerOptions() : items(ItemRules::DefaultCatalogue()) {}

namespace {

bool ParseSeconds(const std::string& text, std::chrono::milliseconds& out) {
    try {
        std::size_t used = 0;
        const double s = std::stod(text, &used);
        if (used != text.size() || s < 0 || s > 86400) return false;
        out = std::chrono::milliseconds(static_cast<long long>(s * 1000));
        return true;
    } catch (...) {
        return false;
    }
}

// A whole number of bytes, 1 .. 1 GiB.
bool ParseBytes(const std::string& text, std::size_t& out) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long long n = std::stoull(text);
    if (n == 0 || n > (1ull << 30)) return false;
    out = static_cast<std::size_t>(n);
    return true;
}

}  // namespace

bool ParseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error) {
    bool listen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + opt;
            return false;
        }
        const std::string val = argv[++i];
        if (opt == "--listen") {
            if (!CommandLine::ParseHostPort(val, out.host, out.port, 0)) {
                error = "--listen wants HOST:PORT";
                return false;
            }
            listen = true;
        } else if (opt == "--db") {
            out.dbPath = val;
        } else if (opt == "--spill") {
            out.spillPath = val;
        } else if (opt == "--room-id" || opt == "--room-name") {
            if (val.empty() || val.size() > 200) {
                error = opt + " wants a name of 1 to 200 bytes";
                return false;
            }
            (opt == "--room-id" ? out.roomId : out.roomName) = val;
        } else if (opt == "--room-tickets") {
            if (val != "yes" && val != "no") {
                error = "--room-tickets wants yes or no";
                return false;
            }
            out.roomTickets = val == "yes";
        } else if (opt == "--advertise") {
            std::string host;
            int port = 0;
            if (!CommandLine::ParseHostPort(val, host, port, 0) || port == 0) {
                error = "--advertise wants HOST:PORT";
                return false;
            }
            out.advertise = val;
        } else if (opt == "--max-waiting") {
            std::size_t n = 0;
            if (!ParseBytes(val, n) || n > 1000000) {
                error = "--max-waiting wants a number of games, 1 to 1000000";
                return false;
            }
            out.maxWaitingGames = n;
        } else if (opt == "--secret-file") {
            std::string secret;
            if (!CommandLine::ReadSecretOption(val, secret, error)) return false;
            out.secret = secret;
        } else if (opt == "--tls-cert") {
            out.tlsCert = val;
        } else if (opt == "--tls-key") {
            out.tlsKey = val;
        } else if (opt == "--maps") {
            out.mapsDir = val;
        } else if (opt == "--items") {
            auto items = ItemRules::LoadCatalogue(val, error);
            if (!items) return false;
            out.items = *items;
        } else if (opt == "--threads") {
            try {
                const unsigned long n = std::stoul(val);
                if (n < 1 || n > 256) throw std::out_of_range("threads");
                out.threads = static_cast<int>(n);
            } catch (...) {
                error = "--threads wants a number from 1 to 256";
                return false;
            }
        } else if (opt == "--seed") {
            try {
                out.seed = static_cast<unsigned>(std::stoul(val));
            } catch (...) {
                error = "--seed wants a number";
                return false;
            }
        } else if (opt == "--max-output" || opt == "--send-buffer") {
            std::size_t bytes = 0;
            if (!ParseBytes(val, bytes)) {
                error = opt + " wants a number of bytes";
                return false;
            }
            if (opt == "--max-output") out.maxOutputBytes = bytes;
            else out.sendBufferBytes = static_cast<int>(bytes);
        } else if (opt == "--grace" || opt == "--login-timeout" || opt == "--frame-timeout" || opt == "--turn-time" ||
                   opt == "--start-pause" || opt == "--ready-time" || opt == "--idle-time") {
            std::chrono::milliseconds ms{};
            if (!ParseSeconds(val, ms)) {
                error = opt + " wants seconds";
                return false;
            }
            if (opt == "--grace") out.dropGrace = ms;
            if (opt == "--login-timeout") out.loginTimeout = ms;
            if (opt == "--frame-timeout") out.frameTimeout = ms;
            if (opt == "--start-pause") out.startPause = ms;
            if (opt == "--ready-time") out.readyTime = ms;
            if (opt == "--idle-time") out.idleTime = ms;
            if (opt == "--turn-time") {
                out.turnTime = ms;
                out.alarmTurnTime = ms * 2 / 3;
            }
        } else {
            error = "unknown option " + opt;
            return false;
        }
    }
    if (!listen) {
        error = "--listen HOST:PORT is required";
        return false;
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
