// The room message handler on a fresh client: every message of the input goes to it in
// turn, as the socket would hand it over.
#include "FuzzClient.h"
#include "FuzzInput.h"
#include "client/room/modRoomMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<Bytes> messages = fuzzinput::SplitMessages(data, size);
    if (messages.size() > 400) return 0;
    fuzzclient::Client client;
    for (const Bytes& m : messages) {
        client->roomMsg->ExecRoomMsg(m);
        client.Events();
    }
    return 0;
}
