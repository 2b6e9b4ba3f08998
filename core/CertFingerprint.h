// The SHA-256 fingerprint of a server certificate: what a client pins instead of trusting
// a certificate authority. Kept as 64 lower-case hex digits; shown to people as
// upper-case pairs joined by colons.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace CertFingerprint {

// The fingerprint of a certificate in DER form.
std::string OfDer(const std::uint8_t* der, std::size_t size);

// Reads a fingerprint typed or pasted by a person: hex digits of either case, pairs
// optionally joined by colons. None unless exactly 32 bytes are given.
std::optional<std::string> Parse(const std::string& text);

// "AB:CD:..." for people.
std::string Show(const std::string& hex);

}  // namespace CertFingerprint
