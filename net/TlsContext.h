// The TLS settings of every program: TLS 1.2 and newer, forward-secret AEAD ciphers only.
// The server proves itself with a certificate and key; a client accepts exactly the one
// certificate whose SHA-256 fingerprint it has pinned (a room server's certificate is
// self-signed, so no authority vouches for it).
#pragma once
#include <asio.hpp>
#include <asio/ssl.hpp>

#include <memory>
#include <string>

namespace TlsContext {

// The room server's context from PEM files; none, with the reason in `error`, when the
// files cannot be read or the key does not belong to the certificate.
std::unique_ptr<asio::ssl::context> ForServer(const std::string& certFile, const std::string& keyFile,
                                              std::string& error);

// A client's context that completes a handshake only with the certificate whose
// fingerprint is `pin` (64 hex digits, see CertFingerprint).
std::shared_ptr<asio::ssl::context> ForClient(const std::string& pin);

// A client's context that accepts any certificate: only for reading a server's
// fingerprint before it is pinned, never for sending anything.
std::shared_ptr<asio::ssl::context> ForProbe();

// The fingerprint of the certificate the peer showed on a finished handshake; empty
// when it showed none.
std::string PeerFingerprint(asio::ssl::stream<asio::ip::tcp::socket>& stream);

}  // namespace TlsContext
