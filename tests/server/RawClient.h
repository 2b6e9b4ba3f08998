// A bare connection for feeding the server any bytes at all and noticing when it closes.
#pragma once
#include <asio.hpp>

#include <memory>

#include "core/Framing.h"

struct RawClient {
    asio::ip::tcp::socket socket;
    Framing::FrameDecoder decoder;
    std::vector<Bytes> messages;
    std::array<std::uint8_t, 4096> buf{};
    bool closed = false;
    bool connected = false;
    bool reading = true;

    std::shared_ptr<bool> alive = std::make_shared<bool>(true);  // handlers may outlive the client

    RawClient(asio::io_context& io, const asio::ip::tcp::endpoint& ep, bool read = true) : socket(io), reading(read) {
        socket.async_connect(ep, [this, a = std::weak_ptr<bool>(alive)](std::error_code ec) {
            if (a.expired()) return;
            connected = !ec;
            closed = static_cast<bool>(ec);
            if (!ec && reading) Read();
        });
    }
    ~RawClient() {
        alive.reset();
        std::error_code ec;
        socket.close(ec);
    }
    void Read() {
        socket.async_read_some(asio::buffer(buf),
                               [this, a = std::weak_ptr<bool>(alive)](std::error_code ec, std::size_t n) {
                                   if (a.expired()) return;
                                   if (ec) {
                                       closed = true;
                                       return;
                                   }
                                   decoder.Feed(buf.data(), n);
                                   Bytes m;
                                   while (decoder.Next(m)) messages.push_back(m);
                                   Read();
                               });
    }
    // Writes go out one after the other, never interleaved.
    void SendBytes(const Bytes& bytes) {
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        if (!writing) Flush();
    }
    void Flush() {
        if (pending.empty()) {
            writing = false;
            return;
        }
        writing = true;
        auto chunk = std::make_shared<Bytes>(std::move(pending));
        pending.clear();
        asio::async_write(socket, asio::buffer(*chunk),
                          [this, chunk, a = std::weak_ptr<bool>(alive)](std::error_code ec, std::size_t) {
                              if (a.expired()) return;
                              if (ec) {
                                  writing = false;
                                  return;
                              }
                              Flush();
                          });
    }
    Bytes pending;
    bool writing = false;
    void Send(const Bytes& message) { SendBytes(Framing::EncodeFrame(message)); }
    bool Got(std::uint8_t type, std::uint8_t sub) const {
        for (const auto& m : messages)
            if (m.size() > 1 && m[0] == type && m[1] == sub) return true;
        return false;
    }
};
