#include "net/TlsProbe.h"

#include "net/NetStream.h"
#include "net/TlsContext.h"

namespace TlsProbe {

Outcome Fetch(const std::string& host, int port, std::chrono::milliseconds timeout, std::string& fingerprint,
              std::string& error) {
    asio::io_context io(1);
    auto ctx = TlsContext::ForProbe();
    NetStream stream(NetStream::Socket(io), *ctx);
    asio::ip::tcp::resolver resolver(io);
    Outcome outcome = Outcome::Unreachable;
    error = "no answer in time";
    resolver.async_resolve(
        host, std::to_string(port), [&](std::error_code ec, const asio::ip::tcp::resolver::results_type& r) {
            if (ec) {
                error = "cannot resolve " + host + ": " + ec.message();
                return;
            }
            asio::async_connect(stream.Tcp(), r, [&](std::error_code ec, const asio::ip::tcp::endpoint&) {
                if (ec) {
                    error = "cannot connect: " + ec.message();
                    return;
                }
                stream.AsyncHandshake(asio::ssl::stream_base::client, [&](std::error_code ec) {
                    if (ec) {
                        outcome = Outcome::NotTls;
                        error = "no TLS handshake: " + ec.message();
                        return;
                    }
                    fingerprint = TlsContext::PeerFingerprint(*stream.Tls());
                    outcome = fingerprint.empty() ? Outcome::NotTls : Outcome::Tls;
                    error.clear();
                });
            });
        });
    io.run_for(timeout);
    stream.Close();
    return outcome;
}

}  // namespace TlsProbe
