// One client connection: the framing of the socket (4-byte lengths, messages of 1..65536
// bytes), a bounded output queue, a request rate limit, the login deadline and the
// deadline of a frame begun. With the room's TLS context the stream is TLS: the handshake
// comes first and counts against the login deadline. Anything wrong with what the client sends ends this
// connection only.
//
// The socket's handlers run on the connection's own strand (the room accepts every socket
// on a strand of its own), so reads, writes and timers never overlap. Send, Close and
// CloseAfterFlush may be called from any thread: a table sends from wherever its turn runs.
#pragma once
#include <asio.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Framing.h"
#include "net/NetStream.h"
#include "server/ConnectionHandler.h"
#include "server/Outbox.h"

class Connection : public std::enable_shared_from_this<Connection>, public Outbox {
public:
    struct Limits {
        std::size_t maxOutputBytes = 1 << 20;
        double messagesPerSecond = 60;
        double messageBurst = 200;
        std::chrono::milliseconds loginTimeout{10000};
        std::chrono::milliseconds frameTimeout{10000};
        int sendBufferBytes = 0;
    };

    using Handler = ConnectionHandler;

    // `tls` null: plain TCP. The socket's executor should be a strand of its own.
    Connection(asio::ip::tcp::socket socket, asio::ssl::context* tls, Handler& handler, const Limits& limits,
               std::uint64_t id);

    void Start();
    void Send(const SharedFrame& frame) override;
    void Send(const Bytes& message) { Send(MakeFrame(message)); }
    // Ends the connection at once; queued output is dropped.
    void Close(const char* why) override;
    // Sends what is queued, then ends the connection; reads nothing more.
    void CloseAfterFlush() override;
    // The login came: the login deadline no longer applies.
    void LoggedIn();

    bool Open() const { return !closed_.load(); }
    std::uint64_t Id() const { return id_; }
    const std::string& Peer() const { return peer_; }
    std::size_t QueuedBytes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return queuedBytes_;
    }
    const char* CloseReason() const { return reason_; }

    // Set by the room: the hello's ticket before the login (the user after it is the
    // outbox's session).
    std::optional<std::string> ticket;
    bool helloSeen = false;
    bool lobby = false;         // opened with the lobby hello: the lobby's connection
    bool loginStarted = false;  // the login waits for the user's record

    // Where the user's messages go once it is seated (set once by the room; any thread).
    void SetRoute(std::shared_ptr<void> route) {
        std::lock_guard<std::mutex> lock(mutex_);
        route_ = std::move(route);
    }
    std::shared_ptr<void> Route() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return route_;
    }

private:
    void Read();
    void Write();
    void CloseHere(const char* why);  // on the strand
    void FlushHere();                 // on the strand
    bool TakeToken();
    // After a read: a frame left incomplete must be finished before its deadline.
    void WatchPartialFrame();

    NetStream stream_;
    asio::steady_timer timer_;
    asio::steady_timer frameTimer_;
    Handler& handler_;
    Limits limits_;
    std::uint64_t id_;
    std::string peer_;
    Framing::FrameDecoder decoder_;
    std::array<std::uint8_t, 256> readBuf_{};  // requests are small; a long one takes a few reads

    // Guarded by mutex_: the output queue (frames shared with every other receiver) and
    // the frames being written now, whose buffers stay alive until the write is done.
    mutable std::mutex mutex_;
    std::vector<SharedFrame> queue_;
    std::vector<SharedFrame> writingNow_;
    std::vector<asio::const_buffer> buffers_;
    std::size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool ready_ = false;  // the handshake is done: reads and writes may start
    std::shared_ptr<void> route_;

    std::atomic<bool> closed_{false};
    bool flushing_ = false;
    bool loggedIn_ = false;
    bool frameWatched_ = false;      // the deadline of the incomplete frame is armed
    std::uint64_t messagesIn_ = 0;   // whole messages read so far
    std::uint64_t watchedFrom_ = 0;  // messagesIn_ when that deadline was armed
    double tokens_;
    std::chrono::steady_clock::time_point tokenTime_;
    const char* reason_ = "";
};
