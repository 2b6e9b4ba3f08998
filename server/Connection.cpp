#include "server/Connection.h"

SharedFrame MakeFrame(const Bytes& message) { return std::make_shared<const Bytes>(Framing::EncodeFrame(message)); }

namespace {

NetStream MakeStream(asio::ip::tcp::socket socket, asio::ssl::context* tls) {
    return tls ? NetStream(std::move(socket), *tls) : NetStream(std::move(socket));
}

}  // namespace

Connection::Connection(asio::ip::tcp::socket socket, asio::ssl::context* tls, Handler& handler, const Limits& limits,
                       std::uint64_t id)
    : stream_(MakeStream(std::move(socket), tls)),
      timer_(stream_.get_executor()),
      frameTimer_(stream_.get_executor()),
      handler_(handler),
      limits_(limits),
      id_(id),
      tokens_(limits.messageBurst),
      tokenTime_(std::chrono::steady_clock::now()) {
    std::error_code ec;
    auto& tcp = stream_.Tcp();
    const auto ep = tcp.remote_endpoint(ec);
    if (!ec) peer_ = ep.address().to_string() + ":" + std::to_string(ep.port());
    tcp.set_option(asio::ip::tcp::no_delay(true), ec);
    tcp.set_option(asio::socket_base::keep_alive(true), ec);
    if (limits_.sendBufferBytes > 0) tcp.set_option(asio::socket_base::send_buffer_size(limits_.sendBufferBytes), ec);
}

void Connection::Start() {
    auto self = shared_from_this();
    timer_.expires_after(limits_.loginTimeout);
    timer_.async_wait([self](std::error_code ec) {
        if (!ec && !self->loggedIn_) self->Close(self->ready_ ? "no login in time" : "no TLS handshake in time");
    });
    stream_.AsyncHandshake(asio::ssl::stream_base::server, [self](std::error_code ec) {
        if (self->closed_) return;
        if (ec) {
            self->Close("TLS handshake failed");
            return;
        }
        self->ready_ = true;
        if (!self->queue_.empty() && !self->writing_) self->Write();
        self->Read();
    });
}

void Connection::LoggedIn() {
    loggedIn_ = true;
    timer_.cancel();
}

bool Connection::TakeToken() {
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - tokenTime_).count();
    tokenTime_ = now;
    tokens_ = std::min(limits_.messageBurst, tokens_ + elapsed * limits_.messagesPerSecond);
    if (tokens_ < 1) return false;
    tokens_ -= 1;
    return true;
}

void Connection::Read() {
    auto self = shared_from_this();
    stream_.async_read_some(asio::buffer(readBuf_), [self](std::error_code ec, std::size_t n) {
        if (self->closed_) return;
        if (ec) {
            self->Close(ec == asio::error::eof ? "closed by the client" : "read failed");
            return;
        }
        if (self->flushing_) {  // a leaving client: what it still sends is not read
            self->Read();
            return;
        }
        self->decoder_.Feed(self->readBuf_.data(), n);
        Bytes message;
        while (!self->closed_ && !self->flushing_ && self->decoder_.Next(message)) {
            if (!self->TakeToken()) {
                self->Close("too many messages");
                return;
            }
            ++self->messagesIn_;
            self->handler_.OnMessage(*self, message);
        }
        if (self->decoder_.Failed()) {
            self->Close("bad frame length");
            return;
        }
        if (self->closed_) return;
        self->WatchPartialFrame();
        self->Read();
    });
}

void Connection::WatchPartialFrame() {
    if (decoder_.Pending() == 0) {
        if (frameWatched_) frameTimer_.cancel();
        frameWatched_ = false;
        return;
    }
    // The same frame still incomplete: its deadline stands. A newer one gets its own.
    if (frameWatched_ && watchedFrom_ == messagesIn_) return;
    frameWatched_ = true;
    watchedFrom_ = messagesIn_;
    frameTimer_.expires_after(limits_.frameTimeout);
    auto self = shared_from_this();
    const std::uint64_t from = messagesIn_;
    frameTimer_.async_wait([self, from](std::error_code ec) {
        if (ec || self->closed_ || !self->frameWatched_ || self->watchedFrom_ != from) return;
        self->Close("frame not completed in time");
    });
}

void Connection::Send(const SharedFrame& frame) {
    if (closed_ || !frame || frame->empty()) return;
    if (queuedBytes_ + frame->size() > limits_.maxOutputBytes) {
        Close("output queue full");
        return;
    }
    queue_.push_back(frame);
    queuedBytes_ += frame->size();
    if (!writing_ && ready_) Write();
}

void Connection::Write() {
    if (queue_.empty()) {
        writing_ = false;
        if (flushing_) Close("left");
        return;
    }
    writing_ = true;
    std::vector<asio::const_buffer> buffers;
    const std::size_t batch = std::min<std::size_t>(queue_.size(), 64);
    for (std::size_t i = 0; i < batch; ++i) buffers.push_back(asio::buffer(*queue_[i]));
    auto self = shared_from_this();
    asio::async_write(stream_, buffers, [self, batch](std::error_code ec, std::size_t) {
        if (self->closed_) return;
        if (ec) {
            self->Close("write failed");
            return;
        }
        for (std::size_t i = 0; i < batch; ++i) {
            self->queuedBytes_ -= self->queue_.front()->size();
            self->queue_.pop_front();
        }
        self->Write();
    });
}

void Connection::CloseAfterFlush() {
    if (closed_ || flushing_) return;
    flushing_ = true;
    if (!writing_ && (ready_ || queue_.empty())) {
        Close("left");
        return;
    }
    // A client that does not read its last messages is not waited for long.
    auto self = shared_from_this();
    timer_.expires_after(std::chrono::seconds(3));
    timer_.async_wait([self](std::error_code ec) {
        if (!ec) self->Close("left");
    });
}

void Connection::Close(const char* why) {
    if (closed_) return;
    closed_ = true;
    reason_ = why;
    timer_.cancel();
    frameTimer_.cancel();
    stream_.Close();
    queue_.clear();
    queuedBytes_ = 0;
    auto self = shared_from_this();
    asio::post(stream_.get_executor(), [self] { self->handler_.OnClosed(*self); });
}
