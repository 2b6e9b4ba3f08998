// What the lobby hands the table client: the nine launch arguments, the second of which
// carries the seat ticket behind the server address (HOST#TICKET), and behind that the
// pinned certificate fingerprint of a TLS server (HOST#TICKET#FINGERPRINT).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/TitleTable.h"

namespace LaunchPlan {

struct Request {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string name;  // UTF-8 user name
    int table = 1;
    std::string watch;                        // the watched player, empty to play
    std::optional<std::string> secret;        // signs the ticket when present
    std::string fingerprint;                  // the server's pinned certificate; empty: plain TCP
    std::int64_t ticketLifetime = 12 * 3600;  // seconds
    std::string ticket;                       // a ticket the room server issued; empty: made here
};

inline constexpr char kGameCaption[] = "tilelink";
inline constexpr const char* kTitleTable = TitleTable::kText;

// The nine arguments, in order.
std::vector<std::string> Arguments(const Request& r, std::int64_t now);

}  // namespace LaunchPlan
