#include "core/LeadingNumber.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace LeadingNumber {
namespace {

bool Ignored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool IsDigitOfBase(char c, int base) {
    if (base == 8) return c >= '0' && c <= '7';
    if (c >= '0' && c <= '9') return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// &H / &O numbers take the width of the smallest signed integer holding their digits:
// up to 16 bits as a 16-bit value, up to 32 bits as a 32-bit value (so &HFFFF is -1).
double RadixValue(const std::string& digits, int base) {
    if (digits.empty()) return 0;
    unsigned long long v = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c | 0x20) - 'a' + 10;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return 0;  // does not fit: reads as nothing
    }
    if (v <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

}  // namespace

double Value(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!Ignored(c)) s.push_back(c);

    if (s.size() >= 2 && s[0] == '&') {
        const char k = static_cast<char>(s[1] | 0x20);
        if (k == 'h' || k == 'o') {
            const int base = k == 'h' ? 16 : 8;
            std::string digits;
            for (std::size_t i = 2; i < s.size() && IsDigitOfBase(s[i], base); ++i) digits.push_back(s[i]);
            return RadixValue(digits, base);
        }
        return 0;
    }

    // Longest prefix of the form [sign] digits [. digits] [(e|d) [sign] digits].
    std::size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    bool mantissa = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        num.push_back(s[i++]);
        mantissa = true;
    }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            num.push_back(s[i++]);
            mantissa = true;
        }
    }
    if (!mantissa) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            exp.push_back(s[j++]);
            expDigits = true;
        }
        if (expDigits) num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

std::optional<std::int32_t> ToLong(std::string_view text) {
    const double v = Value(text);
    const double r = std::nearbyint(v);  // default rounding: halves to even
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::int32_t Long(std::string_view text) { return ToLong(text).value_or(0); }

}  // namespace LeadingNumber
