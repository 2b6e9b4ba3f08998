#include "core/TableExit.h"

#include <algorithm>
#include <csignal>
#include <cstring>

namespace TableExit {

std::string Describe(int status) {
    switch (status) {
        case Closed:
            return "the player closed the table window";
        case BadLaunch:
            return "the table window was started with wrong launch arguments";
        case StartTimeout:
            return "the start countdown ran out";
        case ConnectFailed:
            return "the table window could not connect to the room server";
        case ConnectionLost:
            return "the connection to the room server closed";
        case CannotGoOn:
            return "the room server said the player cannot go on";
        case Refused:
            return "the room server refused the seat";
        default:
            break;
    }
    if (status > 128 && status < 128 + 65) {
        const int sig = status - 128;
        const char* name = ::strsignal(sig);
        return "the table window crashed (signal " + std::to_string(sig) + (name ? std::string(", ") + name : "") + ")";
    }
    return "the table window ended with status " + std::to_string(status);
}

std::optional<int> SeatOf(const std::string& line) {
    // "seated SEAT", perhaps followed by a space and the player's name.
    const std::size_t n = std::strlen(kSeatedMark);
    if (line.compare(0, n, kSeatedMark) != 0) return std::nullopt;
    const std::size_t end = std::min(line.find(' ', n), line.size());
    if (end == n || end > n + 2) return std::nullopt;
    int seat = 0;
    for (std::size_t i = n; i < end; ++i) {
        if (line[i] < '0' || line[i] > '9') return std::nullopt;
        seat = seat * 10 + (line[i] - '0');
    }
    return seat;
}

std::optional<std::string> RefusalOf(const std::string& line) {
    const std::size_t n = std::strlen(kRefusedMark);
    if (line.compare(0, n, kRefusedMark) != 0) return std::nullopt;
    return line.substr(n);
}

}  // namespace TableExit
