// Seat tickets from any text: judging never accepts what the parser refuses, a ticket
// made from parsed fields reads back the same, and base64url decoding inverts encoding.
#include <cstdlib>
#include <string_view>

#include "core/Ticket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string secret = "fuzz-secret";
    const std::int64_t now = 1'800'000'000;

    const auto parsed = Ticket::Parse(text);
    Ticket::SeatTicket judged;
    const Ticket::Verdict signedVerdict = Ticket::Check(text, &secret, now, &judged);
    const Ticket::Verdict openVerdict = Ticket::Check(text, nullptr, now, nullptr);
    if ((signedVerdict == Ticket::Verdict::Ok || openVerdict == Ticket::Verdict::Ok) && !parsed) std::abort();
    if (signedVerdict == Ticket::Verdict::Ok && (judged.name != parsed->name || judged.table != parsed->table))
        std::abort();

    if (parsed && Ticket::IsValidName(parsed->name)) {
        for (const std::string* key : {&secret, static_cast<const std::string*>(nullptr)}) {
            const std::string again = Ticket::Make(*parsed, key);
            const auto back = Ticket::Parse(again);
            if (!back || back->name != parsed->name || back->watched != parsed->watched ||
                back->table != parsed->table || back->expiry != parsed->expiry)
                std::abort();
            Ticket::SeatTicket t;
            const Ticket::Verdict v = Ticket::Check(again, key, parsed->expiry - 1, &t);
            if (v != Ticket::Verdict::Ok) std::abort();
        }
    }

    const auto decoded = Ticket::Base64UrlDecode(Ticket::Base64UrlEncode(text));
    if (!decoded || *decoded != text) std::abort();
    return 0;
}
