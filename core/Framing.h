// Wire framing shared by the table client, the room server and the computer players:
// every message travels as a 4-byte big-endian length N (1..65536) and its N bytes.
// A connection that carries a seat ticket opens with one hello frame.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Bytes.h"

namespace Framing {

inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::size_t kMaxMessage = 65536;
inline constexpr std::string_view kHelloPrefix = "TLHELLO ";

// The frame of one message; an empty or oversized message gives an empty frame.
Bytes EncodeFrame(const std::uint8_t* data, std::size_t size);
inline Bytes EncodeFrame(const Bytes& message) { return EncodeFrame(message.data(), message.size()); }

// The hello frame that carries a seat ticket.
Bytes EncodeHello(std::string_view ticket);

// The ticket of a hello message, or false when the message is not a hello.
bool ParseHello(const Bytes& message, std::string& ticket);

// Splits a byte stream into messages, whatever way the stream is cut into reads.
// A length of 0 or above 65536 is a protocol error: the decoder stops for good and
// never reserves memory for the bad length.
class FrameDecoder {
public:
    // Takes the next bytes of the stream.
    void Feed(const std::uint8_t* data, std::size_t size);
    // Moves the next whole message into `message`; false when none is complete.
    bool Next(Bytes& message);
    bool Failed() const { return failed_; }
    // Bytes held for messages not yet complete.
    std::size_t Pending() const { return buffer_.size() - readPos_; }

private:
    void Compact();

    Bytes buffer_;
    std::size_t readPos_ = 0;
    bool failed_ = false;
};

}  // namespace Framing
