// A connection's byte stream: a TCP socket, or TLS over one. The room server and the
// computer players read and write through it without caring which; a plain stream carries
// no TLS state at all (the TLS state lives on the heap, only for TLS streams).
#pragma once
#include <asio.hpp>
#include <asio/ssl.hpp>

#include <memory>
#include <utility>
#include <variant>

class NetStream {
public:
    using Socket = asio::ip::tcp::socket;
    using TlsStream = asio::ssl::stream<Socket>;
    using executor_type = Socket::executor_type;

    // Plain TCP.
    explicit NetStream(Socket socket) : s_(std::in_place_type<Socket>, std::move(socket)) {}
    // TLS over the socket with the context's certificate, key or pin.
    NetStream(Socket socket, asio::ssl::context& tls) : s_(std::make_unique<TlsStream>(std::move(socket), tls)) {}

    bool IsTls() const { return std::holds_alternative<std::unique_ptr<TlsStream>>(s_); }
    TlsStream* Tls() {
        auto* tls = std::get_if<std::unique_ptr<TlsStream>>(&s_);
        return tls ? tls->get() : nullptr;
    }
    Socket& Tcp() { return IsTls() ? Tls()->next_layer() : std::get<Socket>(s_); }
    executor_type get_executor() { return Tcp().get_executor(); }

    // Runs the TLS handshake in the given role; a plain stream completes at once.
    template <class Handler>
    void AsyncHandshake(asio::ssl::stream_base::handshake_type role, Handler&& handler) {
        if (TlsStream* tls = Tls()) {
            tls->async_handshake(role, std::forward<Handler>(handler));
        } else {
            asio::post(get_executor(), [h = std::forward<Handler>(handler)]() mutable { h(std::error_code{}); });
        }
    }

    // The stream interface of asio's composed reads and writes.
    template <class Buffers, class Handler>
    void async_read_some(const Buffers& buffers, Handler&& handler) {
        Visit([&](auto& s) { s.async_read_some(buffers, std::forward<Handler>(handler)); });
    }
    template <class Buffers, class Handler>
    void async_write_some(const Buffers& buffers, Handler&& handler) {
        Visit([&](auto& s) { s.async_write_some(buffers, std::forward<Handler>(handler)); });
    }

    // Ends the connection at once: no TLS goodbye is waited for.
    void Close() {
        std::error_code ec;
        Tcp().shutdown(Socket::shutdown_both, ec);
        Tcp().close(ec);
    }

private:
    template <class F>
    void Visit(F&& f) {
        if (TlsStream* tls = Tls()) f(*tls);
        else f(std::get<Socket>(s_));
    }

    std::variant<Socket, std::unique_ptr<TlsStream>> s_;
};
