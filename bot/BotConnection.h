// One computer player's connection to the room server, plain TCP or TLS with the server's
// certificate pinned (the context given decides): it connects, sends the hello
// frame with the seat ticket and then the login, delivers every framed message it
// receives, and sends messages in order. A frame outside 1..65536 bytes, a read or write
// fault or the server closing ends the connection; the owner hears of it once.
#pragma once
#include <asio.hpp>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/Bytes.h"
#include "core/Framing.h"
#include "net/NetStream.h"

class BotConnection : public std::enable_shared_from_this<BotConnection> {
public:
    using MessageHandler = std::function<void(const Bytes&)>;
    using ClosedHandler = std::function<void(const std::string& why)>;

    // `tls` null: plain TCP; otherwise TLS with that context, which must outlive this.
    explicit BotConnection(asio::io_context& io, asio::ssl::context* tls = nullptr);
    ~BotConnection();
    BotConnection(const BotConnection&) = delete;
    BotConnection& operator=(const BotConnection&) = delete;

    // Connects and logs in: the hello frame with `ticket`, then `login`.
    void Open(const std::string& host, const std::string& port, const std::string& ticket, const Bytes& login,
              MessageHandler onMessage, ClosedHandler onClosed);
    // Queues one message; nothing happens once the connection is closed.
    void Send(const Bytes& message);
    // Closes at once; the closed handler is not called for a close asked for here.
    void Close();
    // Closes once everything queued has been written.
    void CloseAfterFlush();
    bool IsOpen() const { return open_; }

private:
    void Read();
    void Write();
    void Fail(const std::string& why);

    asio::ip::tcp::resolver resolver_;
    NetStream stream_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 8192> buf_{};
    std::deque<Bytes> out_;  // whole frames
    bool writing_ = false;
    bool open_ = false;
    bool closed_ = false;
    bool closeAfterFlush_ = false;
    MessageHandler onMessage_;
    ClosedHandler onClosed_;
};
