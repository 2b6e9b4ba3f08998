// The log of what the computer players of one process did and saw, one line an event:
//   MILLISECONDS <tab> NAME <tab> EVENT <tab> key=value <tab> key=value ...
// with the milliseconds since the log was opened.
// Written line by line so that a test, or a person, can follow a game as it runs.
// Events: login, settings, agree, ready, group-send, group, start, snapshot, slip,
// send-remove, removed, stuck, item-send, item, timeout-send, timeout, end, chat,
// notice, quit, leave, closed, finished.
#pragma once
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

class BotTrace {
public:
    using Fields = std::vector<std::pair<std::string, std::string>>;

    // An empty path keeps no log.
    explicit BotTrace(const std::string& path);
    ~BotTrace();
    BotTrace(const BotTrace&) = delete;
    BotTrace& operator=(const BotTrace&) = delete;

    bool Ok() const { return file_ != nullptr || path_.empty(); }
    bool Enabled() const { return file_ != nullptr; }
    void Write(const std::string& name, const std::string& event, const Fields& fields);

    // Value texts: a path "r,c;r,c;...", a board as 360 hex digits row by row, a board's
    // short fingerprint (16 hex digits).
    static std::string PathText(const LinkPath& path);
    static std::string BoardText(const TileGridT& grid);
    static std::string BoardPrint(const TileGridT& grid);

    // One line read back.
    struct Line {
        double ms = 0;
        std::string name, event;
        std::map<std::string, std::string> f;
    };
    // Every line of a log file (lines without name and event are skipped).
    static std::vector<Line> ReadFile(const std::string& path);

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
};
