// Seat tickets: the lobby tells the room server who connects, to which table, and
// whether the user plays or watches. Text form (no blanks):
//   v1.TABLE.NAME.WATCHED.EXPIRY.SIG
// TABLE decimal; NAME and WATCHED UTF-8, base64url without padding (WATCHED empty for a
// player); EXPIRY unix seconds; SIG the lowercase hex HMAC-SHA256 of everything before
// the last dot keyed with the server's secret, or "-" for an unsigned ticket.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Ticket {

struct SeatTicket {
    int table = 1;
    std::string name;     // UTF-8
    std::string watched;  // UTF-8; empty for a player
    std::int64_t expiry = 0;
};

// A user name a ticket may carry: 1..32 bytes of UTF-8 without control characters,
// backquotes or blanks at either end.
bool IsValidName(std::string_view name);

// The ticket text; signed when a secret is given, "-" otherwise.
std::string Make(const SeatTicket& t, const std::string* secret);

// Reads a ticket's fields without judging its signature.
std::optional<SeatTicket> Parse(std::string_view text);

enum class Verdict { Ok, Malformed, Forged, Expired, Unsigned };

// Judges a ticket: a server with a secret accepts only tickets signed with it; a server
// without one accepts any well-formed ticket. Expired tickets are refused either way.
Verdict Check(std::string_view text, const std::string* secret, std::int64_t now, SeatTicket* out);

std::string Base64UrlEncode(std::string_view bytes);
std::optional<std::string> Base64UrlDecode(std::string_view text);
std::string HmacSha256Hex(std::string_view key, std::string_view data);

// The key of one room's tickets, for room servers that take only the tickets made for
// them: tickets keep their form and are signed with this key instead of the secret.
std::string RoomSecret(std::string_view secret, std::string_view room);

}  // namespace Ticket
