#include "lobby/LaunchPlan.h"

#include <fstream>

#include "core/LaunchMarker.h"
#include "core/Ticket.h"

namespace LaunchPlan {

std::vector<std::string> Arguments(const Request& r, std::int64_t now) {
    Ticket::SeatTicket t;
    t.table = r.table;
    t.name = r.name;
    t.watched = r.watch;
    t.expiry = now + r.ticketLifetime;
    const std::string ticket = Ticket::Make(t, r.secret ? &*r.secret : nullptr);
    return {
        LaunchMarker::kText,
        r.host + "#" + ticket,
        std::to_string(r.port),
        kGameCaption,
        kTitleTable,
        "0",
        "0",
        r.name,
        "1",
    };
}

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string p = text.substr(colon + 1);
    if (p.empty() || p.size() > 5) return false;
    int v = 0;
    for (char c : p) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > 65535) return false;
    host = text.substr(0, colon);
    port = v;
    return true;
}

std::optional<std::string> ReadSecretFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace LaunchPlan
