// The spill file: games whose results the players have seen but the database has not
// taken yet, one line each, appended and flushed to the disk before the players are
// shown the results. Read back at start (a last line cut short by a crash is dropped: its
// results were never shown) and emptied once every game in it is stored. The file is
// locked while a server uses it, so two servers never share one.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "server/Store.h"

class ResultSpill {
public:
    ResultSpill() = default;
    ~ResultSpill();
    ResultSpill(const ResultSpill&) = delete;
    ResultSpill& operator=(const ResultSpill&) = delete;

    // Opens (creates) and locks the file, handing back the games it holds; an empty path
    // keeps no file. False with a message when it cannot be used.
    bool Open(const std::string& path, std::vector<GameRecord>& held, std::string& error);
    bool Enabled() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // Adds one game, on the disk when this returns true.
    bool Append(const GameRecord& game, std::string& error);
    // Empties the file: every game in it is stored.
    bool Clear(std::string& error);

    static std::string Encode(const GameRecord& game);
    static std::optional<GameRecord> Decode(const std::string& line);

private:
    std::string path_;
    int fd_ = -1;
};
