// How the room and its tables reach one user: the messages that go out to it and the end
// of its connection. A socket connection is one; the in-process tests use their own.
#pragma once
#include <memory>

#include "core/Bytes.h"

struct UserSession;

// A framed message shared by every outbox it goes to.
using SharedFrame = std::shared_ptr<const Bytes>;
SharedFrame MakeFrame(const Bytes& message);

class Outbox {
public:
    virtual ~Outbox() = default;

    virtual void Send(const SharedFrame& frame) = 0;
    void Send(const Bytes& message) { Send(MakeFrame(message)); }
    // Ends at once; queued output is dropped.
    virtual void Close(const char* why) = 0;
    // Sends what is queued, then ends; reads nothing more.
    virtual void CloseAfterFlush() = 0;

    // The user this outbox serves, set by the room after the login.
    UserSession* session = nullptr;
};
