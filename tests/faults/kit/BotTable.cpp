#include "tests/faults/kit/BotTable.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <thread>

#include "core/modPublicTools.h"

namespace {

const char* const kBotBin = TILELINK_TABLE_DIR "/tilelink-bot";

// The value of `key=value` among the fields of a log line.
std::string FieldOf(const std::vector<std::string>& cols, const std::string& key) {
    for (std::size_t i = 3; i < cols.size(); ++i)
        if (cols[i].compare(0, key.size() + 1, key + "=") == 0) return cols[i].substr(key.size() + 1);
    return {};
}

// True when the results name every one of `players` seats once, with the places 1..players.
bool FullResults(const std::string& results, int players) {
    const auto records = modPublicTools::SplitFields(results, ';');
    if (static_cast<int>(records.size()) != players) return false;
    std::set<std::string> seats;
    std::set<int> places;
    for (const auto& r : records) {
        const auto f = modPublicTools::SplitFields(r, ':');
        if (f.size() != 3) return false;
        seats.insert(f[0]);
        places.insert(std::atoi(f[1].c_str()));
    }
    return static_cast<int>(seats.size()) == players && static_cast<int>(places.size()) == players &&
           *places.begin() == 1 && *places.rbegin() == players;
}

}  // namespace

BotTable::~BotTable() { proc_.Stop(); }

bool BotTable::Start(const Config& config) {
    config_ = config;
    std::vector<std::string> args = {"--server",   "127.0.0.1:" + std::to_string(config.port),
                                     "--table",    std::to_string(config.table),
                                     "--count",    std::to_string(config.players),
                                     "--players",  std::to_string(config.players),
                                     "--strategy", config.strategy,
                                     "--pace",     std::to_string(config.pace)};
    if (!config.tracePath.empty()) {
        std::remove(config.tracePath.c_str());
        args.insert(args.end(), {"--trace", config.tracePath});
    }
    if (!config.secretFile.empty()) args.insert(args.end(), {"--secret-file", config.secretFile});
    args.insert(args.end(), config.extra.begin(), config.extra.end());
    // The default names of table T: 电脑 and (T - 1) x 6 + 1 on.
    firstName_ = "电脑" + std::to_string((config.table - 1) * 6 + 1);
    return proc_.Start(config.program.empty() ? std::string(kBotBin) : config.program, args, false);
}

void BotTable::ReadNewLines() {
    if (config_.tracePath.empty()) return;
    std::ifstream in(config_.tracePath, std::ios::binary);
    if (!in) return;
    in.seekg(static_cast<std::streamoff>(readPos_));
    std::string chunk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    readPos_ += chunk.size();
    partial_ += chunk;
    std::size_t start = 0;
    for (std::size_t nl; (nl = partial_.find('\n', start)) != std::string::npos; start = nl + 1) {
        const auto cols = modPublicTools::SplitFields(partial_.substr(start, nl - start), '\t');
        if (cols.size() < 3) continue;
        const std::string& name = cols[1];
        const std::string& event = cols[2];
        ++events_[event];
        if (event == "start") {
            ++starts_[name];
        } else if (event == "end") {
            ++ends_[name];
            const std::string results = FieldOf(cols, "results");
            if (!FullResults(results, config_.players))
                problems_.push_back(name + " game " + FieldOf(cols, "game") + " ended with results " + results);
            else if (name == firstName_) ++fullEnds_;
        }
    }
    partial_.erase(0, start);
}

int BotTable::GamesEnded() {
    ReadNewLines();
    return fullEnds_;
}

int BotTable::Events(const std::string& event) {
    ReadNewLines();
    return events_[event];
}

bool BotTable::AwaitGames(int games, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (GamesEnded() < games) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int BotTable::Stop() {
    if (!proc_.Running()) return proc_.Wait();
    proc_.Stop();
    return proc_.Wait();
}

std::string BotTable::Problems() {
    ReadNewLines();
    std::string text;
    for (const auto& p : problems_) text += p + "\n";
    for (const auto& [name, started] : starts_) {
        const int ended = ends_[name];
        if (ended != started && ended != started - 1)
            text += name + " started " + std::to_string(started) + " games and saw " + std::to_string(ended) + " end\n";
    }
    if (!config_.tracePath.empty() && starts_.size() != static_cast<std::size_t>(config_.players))
        text += std::to_string(starts_.size()) + " of " + std::to_string(config_.players) + " players started a game\n";
    return text;
}
