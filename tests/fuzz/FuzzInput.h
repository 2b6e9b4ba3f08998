// How the fuzz targets that take several messages read their input, and how the seed
// writer lays the messages out: each message is a 2-byte big-endian length and that many
// bytes; a length that runs past the end takes what is left. Empty messages are skipped
// (no peer can send one: the framing refuses a length of 0).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Bytes.h"

namespace fuzzinput {

inline std::vector<Bytes> SplitMessages(const std::uint8_t* data, std::size_t size) {
    std::vector<Bytes> out;
    std::size_t pos = 0;
    while (pos + 2 <= size) {
        std::size_t n = (std::size_t(data[pos]) << 8) | data[pos + 1];
        pos += 2;
        if (n > size - pos) n = size - pos;
        if (n) out.emplace_back(data + pos, data + pos + n);
        pos += n;
    }
    return out;
}

inline void AppendMessage(Bytes& out, const Bytes& message) {
    const std::size_t n = message.size() > 0xFFFF ? 0xFFFF : message.size();
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), message.begin(), message.begin() + static_cast<std::ptrdiff_t>(n));
}

inline Bytes JoinMessages(const std::vector<Bytes>& messages) {
    Bytes out;
    for (const Bytes& m : messages) AppendMessage(out, m);
    return out;
}

}  // namespace fuzzinput
