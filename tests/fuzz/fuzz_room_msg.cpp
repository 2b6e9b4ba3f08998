// The room message handler on a fresh client: every message of the input goes to it in
// turn, as the socket would hand it over.
#include "FuzzClient.h"
#include "client/room/modRoomMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzclient::RunMessages(data, size, [](TableClient& c, const Bytes& m) { c.roomMsg->ExecRoomMsg(m); });
}
