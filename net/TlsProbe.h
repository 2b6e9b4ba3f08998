// Reads a room server's certificate fingerprint without sending it anything: a TLS
// handshake that accepts any certificate, then the connection ends. The lobby pins what
// it sees on first use and compares it every time after.
#pragma once
#include <chrono>
#include <string>

namespace TlsProbe {

enum class Outcome {
    Tls,          // the server spoke TLS; `fingerprint` holds its certificate's
    NotTls,       // it answered, but not with TLS (a plain server on loopback)
    Unreachable,  // no connection, or no answer in time
};

Outcome Fetch(const std::string& host, int port, std::chrono::milliseconds timeout, std::string& fingerprint,
              std::string& error);

}  // namespace TlsProbe
