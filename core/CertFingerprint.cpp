#include "core/CertFingerprint.h"

#include <openssl/evp.h>

#include <cctype>

namespace CertFingerprint {

std::string OfDer(const std::uint8_t* der, std::size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(der, size, digest, &len, EVP_sha256(), nullptr) != 1) return {};
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < len; ++i) {
        out.push_back(hex[digest[i] >> 4]);
        out.push_back(hex[digest[i] & 15]);
    }
    return out;
}

std::optional<std::string> Parse(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ':') {
            // A colon only between whole pairs.
            if (out.empty() || out.size() % 2 != 0 || i + 1 == text.size()) return std::nullopt;
            continue;
        }
        if (!std::isxdigit(c)) return std::nullopt;
        out.push_back(static_cast<char>(std::tolower(c)));
        if (out.size() > 64) return std::nullopt;
    }
    if (out.size() != 64) return std::nullopt;
    return out;
}

std::string Show(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i < hex.size(); ++i) {
        if (i > 0 && i % 2 == 0) out.push_back(':');
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(hex[i]))));
    }
    return out;
}

}  // namespace CertFingerprint
