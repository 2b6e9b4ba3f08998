// Which server addresses stay on this machine. Plain TCP is allowed only to and from
// them; every other address is reached over TLS.
#pragma once
#include <string>

namespace NetAddress {

// True for "localhost", 127.0.0.0/8, ::1 and IPv4-mapped 127.x addresses. Any other name
// or address (0.0.0.0 and :: included: they listen on every interface) is not loopback.
bool IsLoopback(const std::string& host);

}  // namespace NetAddress
