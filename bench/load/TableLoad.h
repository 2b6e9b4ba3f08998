// Busy tables for the load drivers: K tables of six scripted players against a running
// room server, seated a table at a time (as people arrive), each player removing a pair
// every `think` milliseconds (plus a little per seat), game after game. The latencies are
// the ones the players measure themselves, from a removal request to its broadcast.
#pragma once
#include <sys/types.h>

#include <asio.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "server/ScriptedClient.h"

class TableLoad {
public:
    TableLoad(asio::io_context& io, asio::ip::tcp::endpoint server, std::chrono::milliseconds think);

    // Seats `tables` tables numbered from `first` (the io context runs meanwhile) and waits
    // until every player is in a game or has lost its connection, at most `limit`.
    void Seat(int tables, int first, std::chrono::steady_clock::duration limit);
    int Connected() const;
    // From now on removals and latencies count.
    void Mark();
    long RemovalsSinceMark() const;
    // Games ended, as the players saw them (each game once per player).
    long GamesEndedSinceMark() const;
    std::vector<double> LatenciesSinceMark() const;
    void Stop();

private:
    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    std::chrono::milliseconds think_;
    std::vector<std::unique_ptr<ScriptedClient>> players_;
    std::vector<std::size_t> latencyMark_;
    long removalMark_ = 0;
    long gamesMark_ = 0;
};

// The q-quantile (0..1) of the values, the nearest rank; 0 for none.
double Percentile(std::vector<double> values, double q);
// The resident memory (KiB) and the processor time used so far (user and system, seconds)
// of a process.
long RssKib(pid_t pid);
double CpuSeconds(pid_t pid);
// The machine's load average over 1, 5 and 15 minutes, as /proc/loadavg gives it.
std::string LoadAverage();
