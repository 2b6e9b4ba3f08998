// What the lobby hands the table client: the nine launch arguments, the second of which
// carries the seat ticket behind the server address (HOST#TICKET), and behind that the
// pinned certificate fingerprint of a TLS server (HOST#TICKET#FINGERPRINT).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
};

inline constexpr char kGameCaption[] = "tilelink";
inline constexpr char kTitleTable[] = "长工_100`短工_200`佃农_500`贫农_1000`中农_2000`富农_4000`地主_8000`恶霸_12000";

// The nine arguments, in order.
std::vector<std::string> Arguments(const Request& r, std::int64_t now);

}  // namespace LaunchPlan
