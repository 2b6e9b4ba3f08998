// The frame decoder against any byte stream cut into reads of any sizes: whatever the
// cuts, the same messages come out and the decoder fails at the same point; every
// message is 1..65536 bytes and framing it again gives back the bytes it came from.
#include <cstdlib>
#include <vector>

#include "core/Framing.h"

namespace {

struct Decoded {
    std::vector<Bytes> messages;
    bool failed = false;
    std::size_t pending = 0;
};

// Feeds `data` in reads whose sizes cycle through `cuts` (1..256 bytes each).
Decoded Decode(const std::uint8_t* data, std::size_t size, const std::vector<std::size_t>& cuts) {
    Framing::FrameDecoder d;
    Decoded out;
    std::size_t pos = 0, k = 0;
    Bytes m;
    while (pos < size) {
        std::size_t n = cuts.empty() ? size - pos : cuts[k++ % cuts.size()];
        if (n > size - pos) n = size - pos;
        d.Feed(data + pos, n);
        pos += n;
        while (d.Next(m)) out.messages.push_back(m);
    }
    out.failed = d.Failed();
    out.pending = d.Pending();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte says how many of the following bytes give the read sizes.
    const std::size_t cutCount = data[0] % 8;
    if (size < 1 + cutCount) return 0;
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i) cuts.push_back(std::size_t(data[1 + i]) + 1);
    const std::uint8_t* stream = data + 1 + cutCount;
    const std::size_t len = size - 1 - cutCount;

    const Decoded whole = Decode(stream, len, {});
    const Decoded cut = Decode(stream, len, cuts);
    if (whole.messages != cut.messages || whole.failed != cut.failed) std::abort();
    if (!whole.failed && whole.pending != cut.pending) std::abort();

    // The messages are the stream's prefix, frame by frame.
    std::size_t pos = 0;
    for (const Bytes& m : whole.messages) {
        if (m.empty() || m.size() > Framing::kMaxMessage) std::abort();
        const Bytes frame = Framing::EncodeFrame(m);
        if (frame.size() > len - pos || !std::equal(frame.begin(), frame.end(), stream + pos)) std::abort();
        pos += frame.size();
        std::string ticket;
        if (Framing::ParseHello(m, ticket) && Framing::EncodeHello(ticket) != frame) std::abort();
    }
    if (!whole.failed && pos + whole.pending != len) std::abort();
    return 0;
}
