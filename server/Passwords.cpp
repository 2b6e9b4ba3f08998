#include "server/Passwords.h"

#include <sodium.h>

namespace Passwords {

namespace {

bool Ready() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

std::optional<std::string> Hash(std::string_view password) {
    if (!Ready() || password.size() > kMaxLength) return std::nullopt;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return std::nullopt;
    return std::string(out);
}

bool Verify(const std::string& hash, std::string_view password) {
    if (!Ready() || password.size() > kMaxLength || hash.empty()) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace Passwords
