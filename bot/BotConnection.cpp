#include "bot/BotConnection.h"

namespace {

NetStream MakeStream(asio::io_context& io, asio::ssl::context* tls) {
    return tls ? NetStream(NetStream::Socket(io), *tls) : NetStream(NetStream::Socket(io));
}

}  // namespace

BotConnection::BotConnection(asio::io_context& io, asio::ssl::context* tls)
    : resolver_(io), stream_(MakeStream(io, tls)) {}

BotConnection::~BotConnection() { stream_.Close(); }

void BotConnection::Open(const std::string& host, const std::string& port, const std::string& ticket,
                         const Bytes& login, MessageHandler onMessage, ClosedHandler onClosed) {
    onMessage_ = std::move(onMessage);
    onClosed_ = std::move(onClosed);
    out_.push_back(Framing::EncodeHello(ticket));
    out_.push_back(Framing::EncodeFrame(login));
    auto self = shared_from_this();
    resolver_.async_resolve(
        host, port, [this, self](std::error_code ec, const asio::ip::tcp::resolver::results_type& results) {
            if (closed_) return;
            if (ec) return Fail("cannot resolve the server: " + ec.message());
            asio::async_connect(
                stream_.Tcp(), results, [this, self](std::error_code ec, const asio::ip::tcp::endpoint&) {
                    if (closed_) return;
                    if (ec) return Fail("cannot connect: " + ec.message());
                    std::error_code ignored;
                    stream_.Tcp().set_option(asio::ip::tcp::no_delay(true), ignored);
                    // The hello and its ticket go out only once the server has shown the pinned
                    // certificate.
                    stream_.AsyncHandshake(asio::ssl::stream_base::client, [this, self](std::error_code ec) {
                        if (closed_) return;
                        if (ec) return Fail("TLS handshake failed (not the pinned certificate?): " + ec.message());
                        open_ = true;
                        Write();
                        Read();
                    });
                });
        });
}

void BotConnection::Send(const Bytes& message) {
    if (closed_ || closeAfterFlush_) return;
    Bytes frame = Framing::EncodeFrame(message);
    if (frame.empty()) return;  // an empty or oversized message is never sent
    out_.push_back(std::move(frame));
    if (open_ && !writing_) Write();
}

void BotConnection::Close() {
    if (closed_) return;
    closed_ = true;
    open_ = false;
    onMessage_ = nullptr;
    onClosed_ = nullptr;
    resolver_.cancel();
    stream_.Close();
}

void BotConnection::CloseAfterFlush() {
    closeAfterFlush_ = true;
    if (!writing_ && out_.empty()) Close();
}

void BotConnection::Fail(const std::string& why) {
    if (closed_) return;
    ClosedHandler handler = std::move(onClosed_);
    Close();
    if (handler) handler(why);
}

void BotConnection::Write() {
    if (closed_ || out_.empty()) {
        writing_ = false;
        if (closeAfterFlush_) Close();
        return;
    }
    writing_ = true;
    auto self = shared_from_this();
    asio::async_write(stream_, asio::buffer(out_.front()), [this, self](std::error_code ec, std::size_t) {
        if (closed_) return;
        if (ec) return Fail("write failed: " + ec.message());
        out_.pop_front();
        Write();
    });
}

void BotConnection::Read() {
    auto self = shared_from_this();
    stream_.async_read_some(asio::buffer(buf_), [this, self](std::error_code ec, std::size_t n) {
        if (closed_) return;
        if (ec) return Fail(ec == asio::error::eof ? "closed by the server" : "read failed: " + ec.message());
        decoder_.Feed(buf_.data(), n);
        Bytes message;
        while (!closed_ && decoder_.Next(message)) {
            // A copy of the handler: the handler may close this connection.
            MessageHandler handler = onMessage_;
            if (handler) handler(message);
        }
        if (closed_) return;
        if (decoder_.Failed()) return Fail("bad frame from the server");
        Read();
    });
}
