// The byte stream under the room socket control: one TCP connection, plain or TLS. It
// lives in a library of its own (tilelink-net.so, beside the table program) that the
// control opens when it connects, so the table window shows its first frame before the
// network libraries are loaded.
#pragma once
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class SocketStream {
public:
    virtual ~SocketStream() = default;
    // Starts connecting to host:port, through a TLS handshake when tls is set. Every
    // certificate is let through the handshake: the caller checks the peer's digest.
    virtual void Open(const std::string& host, std::uint16_t port, bool tls) = 0;
    // The connection is up (TCP).
    virtual bool IsOpen() const = 0;
    // Queues bytes to send; false when they were not all taken.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
    virtual QByteArray ReadAll() = 0;
    // The SHA-256 of the peer's certificate (DER) in lower-case hex; empty without one.
    virtual std::string PeerCertificateSha256() const = 0;
    virtual void SetLowDelay() = 0;
    // Drops the connection at once; no event is raised for it.
    virtual void Abort() = 0;

    // Raised from the event loop.
    std::function<void()> OnConnected;  // TCP connected, before any TLS handshake
    std::function<void()> OnEncrypted;  // the TLS handshake is through
    std::function<void()> OnReadyRead;
    std::function<void()> OnDisconnected;
    std::function<void(bool remoteClosed)> OnError;
};

// The library's file name, and its one entry point (extern "C"): a new stream, owned by
// the caller.
inline constexpr char kSocketStreamLibrary[] = "tilelink-net.so";
inline constexpr char kNewSocketStream[] = "tilelink_NewSocketStream";
using NewSocketStreamFunction = SocketStream* (*)();
