// Players whose every answer the test gives itself: a bare connection with a seat ticket
// and the login, and what it has heard.
#pragma once
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RawClient.h"
#include "ServerHarness.h"
#include "core/RoomMessages.h"
#include "core/modPublicTools.h"

inline std::unique_ptr<RawClient> Player(ServerHarness& h, const std::string& name, bool allowWatch = true,
                                         int table = 1) {
    auto c = std::make_unique<RawClient>(h.io, h.Endpoint());
    h.RunUntil([&] { return c->connected; }, std::chrono::seconds(2));
    const Bytes hello = Framing::EncodeHello(h.TicketFor(name, table));
    c->SendBytes(hello);
    c->Send(RoomMessages::Login(allowWatch));
    h.RunUntil([&] { return c->Got(130, 3) || c->closed; }, std::chrono::seconds(2));
    return c;
}

// The text fields of the last message of that type (and sub-type, 255 for any).
inline std::vector<std::string> LastFields(const RawClient& c, std::uint8_t type, std::uint8_t sub = 255) {
    for (auto it = c.messages.rbegin(); it != c.messages.rend(); ++it)
        if ((*it)[0] == type && (sub == 255 || (it->size() > 1 && (*it)[1] == sub)))
            return RoomMessages::RequestFields(*it);
    return {};
}

inline int CountOf(const RawClient& c, std::uint8_t type) {
    return static_cast<int>(
        std::count_if(c.messages.begin(), c.messages.end(), [&](const Bytes& m) { return m[0] == type; }));
}
