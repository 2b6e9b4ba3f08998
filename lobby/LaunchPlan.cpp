#include "lobby/LaunchPlan.h"

#include "core/LaunchMarker.h"
#include "core/Ticket.h"

namespace LaunchPlan {

std::vector<std::string> Arguments(const Request& r, std::int64_t now) {
    Ticket::SeatTicket t;
    t.table = r.table;
    t.name = r.name;
    t.watched = r.watch;
    t.expiry = now + r.ticketLifetime;
    const std::string ticket = !r.ticket.empty() ? r.ticket : Ticket::Make(t, r.secret ? &*r.secret : nullptr);
    return {
        LaunchMarker::kText,
        r.host + "#" + ticket + (r.fingerprint.empty() ? "" : "#" + r.fingerprint),
        std::to_string(r.port),
        kGameCaption,
        kTitleTable,
        "0",
        "0",
        r.name,
        "1",
    };
}

}  // namespace LaunchPlan
