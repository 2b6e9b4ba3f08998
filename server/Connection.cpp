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
        if (!ec && !self->loggedIn_) self->CloseHere(self->ready_ ? "no login in time" : "no TLS handshake in time");
    });
    stream_.AsyncHandshake(asio::ssl::stream_base::server, [self](std::error_code ec) {
        if (self->closed_) return;
        if (ec) {
            self->CloseHere("TLS handshake failed");
            return;
        }
        bool write = false;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->ready_ = true;
            write = !self->queue_.empty() && !self->writing_;
            if (write) self->writing_ = true;
        }
        if (write) self->Write();
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
            self->CloseHere(ec == asio::error::eof ? "closed by the client" : "read failed");
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
                self->CloseHere("too many messages");
                return;
            }
            ++self->messagesIn_;
            self->handler_.OnMessage(*self, message);
        }
        if (self->decoder_.Failed()) {
            self->CloseHere("bad frame length");
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
        self->CloseHere("frame not completed in time");
    });
}

void Connection::Send(const SharedFrame& frame) {
    if (!frame || frame->empty()) return;
    bool full = false, start = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_.load()) return;
        full = queuedBytes_ + frame->size() > limits_.maxOutputBytes;
        if (!full) {
            queue_.push_back(frame);
            queuedBytes_ += frame->size();
            start = !writing_ && ready_;
            if (start) writing_ = true;
        }
    }
    if (full) {
        Close("output queue full");
        return;
    }
    if (!start) return;
    // One hop to the strand for a burst of frames: the rest join the queue meanwhile.
    auto self = shared_from_this();
    asio::dispatch(stream_.get_executor(), [self] { self->Write(); });
}

void Connection::Write() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        writingNow_.clear();
        if (queue_.empty() || closed_.load()) {
            writing_ = false;
        } else {
            writingNow_.swap(queue_);
            buffers_.clear();
            for (const SharedFrame& f : writingNow_) buffers_.push_back(asio::buffer(*f));
        }
    }
    if (writingNow_.empty()) {
        if (flushing_ && !closed_.load()) CloseHere("left");
        return;
    }
    auto self = shared_from_this();
    asio::async_write(stream_, buffers_, [self](std::error_code ec, std::size_t n) {
        if (self->closed_.load()) return;
        if (ec) {
            self->CloseHere("write failed");
            return;
        }
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->queuedBytes_ -= n;
        }
        self->Write();
    });
}

void Connection::CloseAfterFlush() {
    auto self = shared_from_this();
    asio::dispatch(stream_.get_executor(), [self] { self->FlushHere(); });
}

void Connection::FlushHere() {
    if (closed_.load() || flushing_) return;
    flushing_ = true;
    bool idle = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        idle = !writing_ && (ready_ || queue_.empty());
    }
    if (idle) {
        CloseHere("left");
        return;
    }
    // A client that does not read its last messages is not waited for long.
    auto self = shared_from_this();
    timer_.expires_after(std::chrono::seconds(3));
    timer_.async_wait([self](std::error_code ec) {
        if (!ec) self->CloseHere("left");
    });
}

void Connection::Close(const char* why) {
    auto self = shared_from_this();
    asio::dispatch(stream_.get_executor(), [self, why] { self->CloseHere(why); });
}

void Connection::CloseHere(const char* why) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_.load()) return;
        closed_ = true;
        queue_.clear();
        queuedBytes_ = 0;
    }
    reason_ = why;
    timer_.cancel();
    frameTimer_.cancel();
    stream_.Close();
    auto self = shared_from_this();
    asio::post(stream_.get_executor(), [self] { self->handler_.OnClosed(*self); });
}
