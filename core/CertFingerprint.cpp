#include "core/CertFingerprint.h"

#include <cctype>

namespace CertFingerprint {

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
