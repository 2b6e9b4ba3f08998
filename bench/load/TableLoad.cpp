#include "bench/load/TableLoad.h"

#include <unistd.h>
#include <fstream>
#include <sstream>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>

#include "core/Ticket.h"

TableLoad::TableLoad(asio::io_context& io, asio::ip::tcp::endpoint server, std::chrono::milliseconds think)
    : io_(io), server_(std::move(server)), think_(think) {}

void TableLoad::Seat(int tables, int first, std::chrono::steady_clock::duration limit) {
    for (int t = first; t < first + tables; ++t) {
        for (int s = 0; s < 6; ++s) {
            ScriptPlan p;
            const Ticket::SeatTicket ticket{t, "t" + std::to_string(t) + "p" + std::to_string(s), "",
                                            std::time(nullptr) + 3600};
            p.ticket = Ticket::Make(ticket, nullptr);
            p.settings.playerCount = 6;
            p.think = think_ + std::chrono::milliseconds(37 * s);
            p.games = 1000000;
            players_.push_back(std::make_unique<ScriptedClient>(io_, server_, p));
            players_.back()->Start();
        }
        io_.run_for(std::chrono::milliseconds(2));
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto settled = [this] {
        return std::all_of(players_.begin(), players_.end(), [](auto& c) { return c->InGame() || !c->Connected(); });
    };
    while (!settled() && std::chrono::steady_clock::now() < deadline) io_.run_for(std::chrono::milliseconds(20));
}

int TableLoad::Connected() const {
    return static_cast<int>(std::count_if(players_.begin(), players_.end(), [](auto& c) { return c->Connected(); }));
}

void TableLoad::Mark() {
    latencyMark_.clear();
    removalMark_ = 0;
    gamesMark_ = 0;
    for (const auto& c : players_) {
        latencyMark_.push_back(c->LatenciesMs().size());
        removalMark_ += c->Removals();
        gamesMark_ += c->GamesEnded();
    }
}

long TableLoad::RemovalsSinceMark() const {
    long n = 0;
    for (const auto& c : players_) n += c->Removals();
    return n - removalMark_;
}

long TableLoad::GamesEndedSinceMark() const {
    long n = 0;
    for (const auto& c : players_) n += c->GamesEnded();
    return n - gamesMark_;
}

std::vector<double> TableLoad::LatenciesSinceMark() const {
    std::vector<double> all;
    for (std::size_t i = 0; i < players_.size(); ++i) {
        const auto& l = players_[i]->LatenciesMs();
        const std::size_t from = i < latencyMark_.size() ? std::min(latencyMark_[i], l.size()) : 0;
        all.insert(all.end(), l.begin() + static_cast<std::ptrdiff_t>(from), l.end());
    }
    return all;
}

void TableLoad::Stop() {
    for (auto& c : players_) c->Stop();
}

double Percentile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    const auto k =
        std::min(values.size() - 1, static_cast<std::size_t>(std::lround(q * static_cast<double>(values.size() - 1))));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

long RssKib(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

// User and system time of a process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}
