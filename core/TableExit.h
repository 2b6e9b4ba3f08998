// Why a table window ended: its exit status, and the lines it writes on its standard
// output for the launcher ("seated SEAT" once the table has placed it, "refused TEXT" when
// the server turned it away with a notice).
#pragma once
#include <optional>
#include <string>

namespace TableExit {

enum Code : int {
    Closed = 0,          // the player closed the window
    BadLaunch = 2,       // the launch arguments were wrong
    StartTimeout = 3,    // the start countdown ran out
    ConnectFailed = 4,   // no connection to the room server
    ConnectionLost = 5,  // the connection closed or failed after it was made
    CannotGoOn = 6,      // the server said the player cannot go on
    Refused = 7,         // the server turned the login away (table full, bad ticket, ...)
};

// One short English phrase for a status (or a signal, as 128 + N), for the launcher's line.
std::string Describe(int status);

inline constexpr char kSeatedMark[] = "seated ";
inline constexpr char kRefusedMark[] = "refused ";

// The seat of a "seated SEAT" or "seated SEAT NAME" line.
std::optional<int> SeatOf(const std::string& line);
// The text of a "refused TEXT" line.
std::optional<std::string> RefusalOf(const std::string& line);

}  // namespace TableExit
