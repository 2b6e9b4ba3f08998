#include "core/Framing.h"

#include <cstring>

namespace Framing {

Bytes EncodeFrame(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > kMaxMessage) return Bytes();
    Bytes frame(kHeaderSize + size);
    frame[0] = static_cast<std::uint8_t>(size >> 24);
    frame[1] = static_cast<std::uint8_t>(size >> 16);
    frame[2] = static_cast<std::uint8_t>(size >> 8);
    frame[3] = static_cast<std::uint8_t>(size);
    std::memcpy(frame.data() + kHeaderSize, data, size);
    return frame;
}

Bytes EncodeHello(std::string_view ticket) {
    Bytes msg(kHelloPrefix.begin(), kHelloPrefix.end());
    msg.insert(msg.end(), ticket.begin(), ticket.end());
    return EncodeFrame(msg);
}

bool ParseHello(const Bytes& message, std::string& ticket) {
    if (message.size() < kHelloPrefix.size()) return false;
    if (std::memcmp(message.data(), kHelloPrefix.data(), kHelloPrefix.size()) != 0) return false;
    ticket.assign(message.begin() + kHelloPrefix.size(), message.end());
    return true;
}

void FrameDecoder::Feed(const std::uint8_t* data, std::size_t size) {
    if (failed_ || size == 0) return;
    Compact();
    buffer_.insert(buffer_.end(), data, data + size);
}

bool FrameDecoder::Next(Bytes& message) {
    if (failed_) return false;
    const std::size_t avail = buffer_.size() - readPos_;
    if (avail < kHeaderSize) return false;
    const std::uint8_t* h = buffer_.data() + readPos_;
    const std::uint32_t n =
        (std::uint32_t(h[0]) << 24) | (std::uint32_t(h[1]) << 16) | (std::uint32_t(h[2]) << 8) | std::uint32_t(h[3]);
    if (n == 0 || n > kMaxMessage) {
        failed_ = true;
        buffer_.clear();
        buffer_.shrink_to_fit();
        readPos_ = 0;
        return false;
    }
    if (avail - kHeaderSize < n) return false;
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(readPos_ + kHeaderSize);
    message.assign(first, first + n);
    readPos_ += kHeaderSize + n;
    if (readPos_ == buffer_.size()) {
        buffer_.clear();
        readPos_ = 0;
    }
    return true;
}

void FrameDecoder::Compact() {
    if (readPos_ == 0) return;
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(readPos_));
    readPos_ = 0;
}

}  // namespace Framing
