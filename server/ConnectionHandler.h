// What a client connection tells the room it belongs to: every whole message and its end.
#pragma once
#include "core/Bytes.h"

class Connection;

class ConnectionHandler {
public:
    virtual ~ConnectionHandler() = default;
    // One whole message from the client.
    virtual void OnMessage(Connection& c, const Bytes& message) = 0;
    // The connection has ended (called once, never from inside OnMessage).
    virtual void OnClosed(Connection& c) = 0;
};
