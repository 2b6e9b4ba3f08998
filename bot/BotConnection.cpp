#include "bot/BotConnection.h"

BotConnection::BotConnection(asio::io_context& io) : resolver_(io), socket_(io) {}

BotConnection::~BotConnection() {
    std::error_code ec;
    socket_.close(ec);
}

void BotConnection::Open(const std::string& host, const std::string& port, const std::string& ticket,
                         const Bytes& login, MessageHandler onMessage, ClosedHandler onClosed) {
    onMessage_ = std::move(onMessage);
    onClosed_ = std::move(onClosed);
    out_.push_back(Framing::EncodeHello(ticket));
    out_.push_back(Framing::EncodeFrame(login));
    auto self = shared_from_this();
    resolver_.async_resolve(host, port, [this, self](std::error_code ec, asio::ip::tcp::resolver::results_type results) {
        if (closed_) return;
        if (ec) return Fail("cannot resolve the server: " + ec.message());
        asio::async_connect(socket_, results, [this, self](std::error_code ec, const asio::ip::tcp::endpoint&) {
            if (closed_) return;
            if (ec) return Fail("cannot connect: " + ec.message());
            open_ = true;
            std::error_code ignored;
            socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
            Write();
            Read();
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
    std::error_code ec;
    resolver_.cancel();
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
    socket_.close(ec);
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
    asio::async_write(socket_, asio::buffer(out_.front()), [this, self](std::error_code ec, std::size_t) {
        if (closed_) return;
        if (ec) return Fail("write failed: " + ec.message());
        out_.pop_front();
        Write();
    });
}

void BotConnection::Read() {
    auto self = shared_from_this();
    socket_.async_read_some(asio::buffer(buf_), [this, self](std::error_code ec, std::size_t n) {
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
