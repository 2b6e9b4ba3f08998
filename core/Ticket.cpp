#include "core/Ticket.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <vector>

namespace Ticket {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int Sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

std::vector<std::string_view> SplitDots(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find('.', start);
        if (pos == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

bool ParseDecimal(std::string_view s, std::int64_t& out, std::int64_t max) {
    if (s.empty() || s.size() > 18) return false;
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

bool IsValidName(std::string_view name) {
    if (name.empty() || name.size() > 32) return false;
    if (name.front() == ' ' || name.back() == ' ') return false;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '`') return false;
    }
    return ValidUtf8(name);
}

std::string Base64UrlEncode(std::string_view bytes) {
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (char c : bytes) {
        acc = (acc << 8) | static_cast<unsigned char>(c);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out.push_back(kAlphabet[(acc >> bits) & 63]);
        }
    }
    if (bits > 0) out.push_back(kAlphabet[(acc << (6 - bits)) & 63]);
    return out;
}

std::optional<std::string> Base64UrlDecode(std::string_view text) {
    if (text.size() % 4 == 1) return std::nullopt;
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        const int v = Sextet(c);
        if (v < 0) return std::nullopt;
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xFF));
        }
    }
    if (bits > 0 && (acc & ((1u << bits) - 1)) != 0) return std::nullopt;  // non-canonical tail
    return out;
}

std::string RoomSecret(std::string_view secret, std::string_view room) {
    return HmacSha256Hex(secret, "room:" + std::string(room));
}

std::string HmacSha256Hex(std::string_view key, std::string_view data) {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(data.data()),
         data.size(), mac, &len);
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned i = 0; i < len; ++i) {
        out.push_back(hex[mac[i] >> 4]);
        out.push_back(hex[mac[i] & 15]);
    }
    return out;
}

std::string Make(const SeatTicket& t, const std::string* secret) {
    std::string body = "v1." + std::to_string(t.table) + "." + Base64UrlEncode(t.name) + "." +
                       Base64UrlEncode(t.watched) + "." + std::to_string(t.expiry);
    return body + "." + (secret ? HmacSha256Hex(*secret, body) : std::string("-"));
}

std::optional<SeatTicket> Parse(std::string_view text) {
    if (text.size() > 512) return std::nullopt;
    const auto parts = SplitDots(text);
    if (parts.size() != 6 || parts[0] != "v1") return std::nullopt;
    SeatTicket t;
    std::int64_t table = 0;
    if (!ParseDecimal(parts[1], table, 9999) || table < 1) return std::nullopt;
    t.table = static_cast<int>(table);
    auto name = Base64UrlDecode(parts[2]);
    auto watched = Base64UrlDecode(parts[3]);
    if (!name || !watched || !IsValidName(*name)) return std::nullopt;
    if (!watched->empty() && !IsValidName(*watched)) return std::nullopt;
    t.name = std::move(*name);
    t.watched = std::move(*watched);
    if (!ParseDecimal(parts[4], t.expiry, INT64_C(999999999999))) return std::nullopt;
    return t;
}

Verdict Check(std::string_view text, const std::string* secret, std::int64_t now, SeatTicket* out) {
    auto t = Parse(text);
    if (!t) return Verdict::Malformed;
    const std::size_t lastDot = text.rfind('.');
    const std::string_view body = text.substr(0, lastDot);
    const std::string_view sig = text.substr(lastDot + 1);
    if (secret) {
        if (sig == "-") return Verdict::Unsigned;
        const std::string want = HmacSha256Hex(*secret, body);
        if (sig.size() != want.size() || CRYPTO_memcmp(sig.data(), want.data(), want.size()) != 0)
            return Verdict::Forged;
    } else if (sig != "-" && sig.size() != 64) {
        return Verdict::Malformed;
    }
    if (t->expiry < now) return Verdict::Expired;
    if (out) *out = std::move(*t);
    return Verdict::Ok;
}

}  // namespace Ticket
