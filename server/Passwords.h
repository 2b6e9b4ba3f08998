// Account passwords: kept only as Argon2id hash strings (libsodium's crypto_pwhash_str,
// with its salt and cost inside the string), checked against them in constant time. Both
// take tens of milliseconds and much memory on purpose: only the password worker's thread
// calls them, never an io thread.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace Passwords {

// Passwords are any bytes within these lengths.
inline constexpr std::size_t kMinLength = 6;
inline constexpr std::size_t kMaxLength = 1024;

// The hash string; none when the library cannot work (out of memory).
std::optional<std::string> Hash(std::string_view password);
// Whether the password is the one the hash was made from.
bool Verify(const std::string& hash, std::string_view password);

}  // namespace Passwords
