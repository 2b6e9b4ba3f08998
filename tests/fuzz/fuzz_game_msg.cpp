// The game message handler on a fresh client, reached as the socket reaches it: the
// input is a whole session (the seeds are recorded ones), so the room messages before the
// game messages seat the players, tell the settings and make the local user a player or
// a spectator, and every game message then meets the state a real table would be in.
#include "FuzzClient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzclient::RunMessages(data, size,
                                   [](TableClient& c, const Bytes& m) { c.mainForm->ZelSckClient_OnDataArrival(m); });
}
