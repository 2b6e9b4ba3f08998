#include "bot/BotOptions.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <set>

#include "core/CertFingerprint.h"
#include "core/CommandLine.h"
#include "core/NetAddress.h"
#include "core/Ticket.h"
#include "core/modPublicTools.h"

namespace {

bool ReadInt(const std::string& text, long long lo, long long hi, long long& out) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ReadReal(const std::string& text, double lo, double hi, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

const char* BotUsage() {
    static const std::string usage =
        "usage: tilelink-bot --server HOST:PORT --table T --count N [--strategy first|human]\n"
        "                    [--level " +
        BotLevels::Names() +
        "] (default normal)\n"
        "                    [--secret-file FILE] [--names a,b,...] [--seed S] [--pace F] [--skill 1..5]\n"
        "                    [--players P] [--watch PLAYER] [--trace FILE] [--reconnect]\n"
        "                    [--turn-time SECONDS] [--games G] [--step SECONDS]\n"
        "                    [--tls] [--tls-fingerprint HEX]\n";
    return usage.c_str();
}

bool ParseBotOptions(int argc, char** argv, BotOptions& out, std::string& error) {
    bool haveServer = false;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--reconnect") {
            out.reconnect = true;
            continue;
        }
        if (opt == "--tls") {
            out.tls = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + opt;
            return false;
        }
        const std::string val = argv[++i];
        long long n = 0;
        if (opt == "--server") {
            int port = 0;
            if (!CommandLine::ParseHostPort(val, out.host, port)) {
                error = "--server wants HOST:PORT";
                return false;
            }
            out.port = std::to_string(port);
            haveServer = true;
        } else if (opt == "--table") {
            if (!ReadInt(val, 1, 1000000, n)) {
                error = "--table wants a table number from 1";
                return false;
            }
            out.table = static_cast<int>(n);
        } else if (opt == "--count") {
            if (!ReadInt(val, 1, kMaxBotCount, n)) {
                error = "--count wants 1.." + std::to_string(kMaxBotCount);
                return false;
            }
            out.count = static_cast<int>(n);
        } else if (opt == "--strategy") {
            if (val != "first" && val != "human") {
                error = "--strategy wants first or human";
                return false;
            }
            out.strategy = val == "first" ? Strategy::First : Strategy::Human;
        } else if (opt == "--secret-file") {
            std::string secret;
            if (!CommandLine::ReadSecretOption(val, secret, error)) return false;
            out.secret = secret;
        } else if (opt == "--names") {
            out.names = modPublicTools::SplitFields(val, ',');
            for (const auto& name : out.names)
                if (!Ticket::IsValidName(name)) {
                    error = "not a user name: \"" + name + "\"";
                    return false;
                }
        } else if (opt == "--seed") {
            if (!ReadInt(val, 0, UINT32_MAX, n)) {
                error = "--seed wants a number";
                return false;
            }
            out.seed = static_cast<std::uint32_t>(n);
        } else if (opt == "--level") {
            const BotLevel* level = BotLevels::Find(val);
            if (!level) {
                error = "unknown level \"" + val + "\"; the levels are " + BotLevels::Names();
                return false;
            }
            out.level = *level;
        } else if (opt == "--pace") {
            double pace = 0;
            if (!ReadReal(val, 0.0, 100.0, pace)) {
                error = "--pace wants a factor from 0 to 100";
                return false;
            }
            out.pace = pace;
        } else if (opt == "--step") {
            if (!ReadReal(val, 0.0, 60.0, out.step)) {
                error = "--step wants seconds from 0 to 60";
                return false;
            }
        } else if (opt == "--skill") {
            if (!ReadInt(val, BotBrain::kMinSkill, BotBrain::kMaxSkill, n)) {
                error = "--skill wants 1..5";
                return false;
            }
            out.skill = static_cast<int>(n);
        } else if (opt == "--players") {
            if (!ReadInt(val, 2, GameSize::kSeatCount, n)) {
                error = "--players wants 2..6";
                return false;
            }
            out.players = static_cast<int>(n);
        } else if (opt == "--watch") {
            if (!Ticket::IsValidName(val)) {
                error = "--watch wants a player's name";
                return false;
            }
            out.watch = val;
        } else if (opt == "--tls-fingerprint") {
            const auto fp = CertFingerprint::Parse(val);
            if (!fp) {
                error = "--tls-fingerprint wants the 32 bytes of a SHA-256 fingerprint in hex";
                return false;
            }
            out.tlsFingerprint = *fp;
            out.tls = true;
        } else if (opt == "--trace") {
            out.tracePath = val;
        } else if (opt == "--turn-time") {
            if (!ReadReal(val, 0.5, 3600.0, out.turnSeconds)) {
                error = "--turn-time wants seconds";
                return false;
            }
        } else if (opt == "--games") {
            if (!ReadInt(val, 0, 1000000, n)) {
                error = "--games wants a number";
                return false;
            }
            out.games = static_cast<int>(n);
        } else {
            error = "unknown option " + opt;
            return false;
        }
    }
    if (!haveServer) {
        error = "--server HOST:PORT is required";
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
