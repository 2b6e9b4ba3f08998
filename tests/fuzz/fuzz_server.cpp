// The room server's handling of one connection's frames, beside a seated player: any
// traffic ends in a clean answer or a closed connection, and when both have gone the
// server keeps nothing of them (the sanitizers watch everything in between).
#include "FuzzInput.h"
#include "FuzzServerSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<Bytes> messages = fuzzinput::SplitMessages(data, size);
    // Keeps one input within about a second.
    std::size_t waits = 0;
    for (const Bytes& m : messages) waits += m.size() == 1 && m[0] == fuzzserver::kWait;
    if (messages.size() > 300 || waits > 24) return 0;
    fuzzserver::Session session;
    for (const Bytes& m : messages) session.Step(m);
    session.Settle();
    return 0;
}
