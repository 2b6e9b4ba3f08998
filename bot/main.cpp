// tilelink-bot: computer players. N players join one table of the room server, each over
// its own connection with its own seat ticket, and play until they are stopped (SIGTERM
// or SIGINT), have played the games asked for, or have all lost their connections.
#include <asio.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <random>
#include <vector>

#include "bot/BotOptions.h"
#include "bot/BotPlayer.h"
#include "bot/BotTrace.h"
#include "core/CommandLine.h"
#include "core/ProgramLog.h"
#include "net/TlsContext.h"

namespace {

constexpr const char* kProgram = "tilelink-bot";

// "电脑1".."电脑N" at table 1; the players of table T count on from (T - 1) x 6 + 1, so
// players of different tables never share a name. Spectators are "看客1".. the same way:
// a spectator named like a player would take that player's place in the room.
std::string DefaultName(int table, int index, bool watching) {
    return (watching ? "看客" : "电脑") + std::to_string((table - 1) * GameSize::kSeatCount + index + 1);
}

int Run(int argc, char** argv) {
    BotOptions o;
    std::string error;
    if (!ParseBotOptions(argc, argv, o, error)) return CommandLine::ReadFailure(kProgram, error, o.help);
    ProgramLog::SetLevel(o.logLevel);
    BotTrace trace(o.tracePath);
    if (!trace.Ok()) {
        ProgramLog::Write(kProgram, ProgramLog::Level::Error, "cannot write the trace file %s", o.tracePath.c_str());
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);

    const std::uint32_t seed = o.seed ? *o.seed : std::random_device{}();
    std::mt19937 dice(seed);
    asio::io_context io(1);
    std::vector<std::unique_ptr<BotPlayer>> players;
    int finished = 0, lost = 0;
    bool signalled = false;
    asio::signal_set signals(io, SIGINT, SIGTERM);
    const std::shared_ptr<asio::ssl::context> tls = o.tls ? TlsContext::ForClient(o.tlsFingerprint) : nullptr;

    for (int i = 0; i < o.count; ++i) {
        BotConfig c;
        c.host = o.host;
        c.port = o.port;
        c.table = o.table;
        c.name = o.names.empty() ? DefaultName(o.table, i, !o.watch.empty()) : o.names[i];
        c.watched = o.watch;
        c.secret = o.secret;
        c.strategy = o.strategy;
        c.skill = o.skill > 0 ? o.skill : std::uniform_int_distribution<int>(o.level.minSkill, o.level.maxSkill)(dice);
        c.seed = seed + 7919u * static_cast<std::uint32_t>(i + 1);
        c.pace = o.pace.value_or(o.level.pace);
        c.itemGapSeconds = o.level.itemGapSeconds;
        c.firstStep = o.step;
        // Room for one person beside the computer players, unless told otherwise.
        c.players = o.players > 0 ? o.players : std::clamp(o.count + 1, 2, GameSize::kSeatCount);
        c.turnSeconds = o.turnSeconds;
        c.reconnect = o.reconnect;
        c.games = o.games;
        c.tls = tls;
        auto p = std::make_unique<BotPlayer>(io, c, trace);
        // The launcher waits for these lines before it lets the next players in.
        p->onSeated = [](BotPlayer& who, int seat) {
            std::printf("seated %d %s\n", seat, who.Name().c_str());
            std::fflush(stdout);
        };
        p->onFinished = [&](BotPlayer& who) {
            ++finished;
            if (who.Lost()) ++lost;
            if (finished == o.count) signals.cancel();
        };
        players.push_back(std::move(p));
    }

    signals.async_wait([&](std::error_code ec, int) {
        if (ec) return;
        signalled = true;
        for (auto& p : players) p->Stop();
    });
    for (auto& p : players) p->Start();
    io.run();

    if (!signalled && lost == o.count) {
        ProgramLog::Write(kProgram, ProgramLog::Level::Error, "every player lost its connection to %s:%s",
                          o.host.c_str(), o.port.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        ProgramLog::Write(kProgram, ProgramLog::Level::Error, "%s", e.what());
        return 1;
    }
}
