// What the TLS tests share: a fresh folder with a certificate pair, a proxy that records
// every byte between a client and the server, and the room server as a program.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/ChildProcess.h"
#include "net/NetStream.h"
#include "net/TlsIdentity.h"

namespace tlskit {

using namespace std::chrono_literals;

inline const std::string kServer = std::string(TILELINK_TABLE_DIR) + "/tilelink-server";
inline const std::string kBot = std::string(TILELINK_TABLE_DIR) + "/tilelink-bot";
inline const std::string kLobby = std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby";

// A folder of its own for one test, removed afterwards.
struct TempFolder {
    std::filesystem::path path;
    explicit TempFolder(const std::string& name) {
        path = std::filesystem::path(testing::TempDir()) / ("tls_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// A self-signed pair in `dir` named `stem`.crt / `stem`.key, and its fingerprint.
struct CertPair {
    std::string cert, key, fingerprint;
    CertPair(const std::filesystem::path& dir, const std::string& stem) {
        cert = (dir / (stem + ".crt")).string();
        key = (dir / (stem + ".key")).string();
        std::string error;
        EXPECT_TRUE(TlsIdentity::MakeSelfSigned(cert, key, "test room " + stem, error)) << error;
        fingerprint = TlsIdentity::FingerprintOfFile(cert);
    }
};

// Listens on loopback and passes every connection on to `target`, keeping a copy of all
// bytes in both directions. Runs on the caller's io_context.
class RecordingProxy {
public:
    RecordingProxy(asio::io_context& io, asio::ip::tcp::endpoint target)
        : io_(io), target_(std::move(target)), acceptor_(io, {asio::ip::make_address("127.0.0.1"), 0}) {
        Accept();
    }
    unsigned short Port() const { return acceptor_.local_endpoint().port(); }
    const std::string& Recorded() const { return recorded_; }

private:
    struct Pipe {
        asio::ip::tcp::socket a, b;
        std::array<char, 4096> ab{}, ba{};
        explicit Pipe(asio::io_context& io) : a(io), b(io) {}
    };

    void Accept() {
        auto pipe = std::make_shared<Pipe>(io_);
        acceptor_.async_accept(pipe->a, [this, pipe](std::error_code ec) {
            if (ec) return;
            pipe->b.async_connect(target_, [this, pipe](std::error_code ec) {
                if (ec) return;
                Pump(pipe, pipe->a, pipe->b, pipe->ab);
                Pump(pipe, pipe->b, pipe->a, pipe->ba);
            });
            Accept();
        });
    }
    void Pump(const std::shared_ptr<Pipe>& pipe, asio::ip::tcp::socket& from, asio::ip::tcp::socket& to,
              std::array<char, 4096>& buf) {
        from.async_read_some(asio::buffer(buf), [this, pipe, &from, &to, &buf](std::error_code ec, std::size_t n) {
            std::error_code ignored;
            if (ec) {
                to.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
                return;
            }
            recorded_.append(buf.data(), n);
            asio::write(to, asio::buffer(buf.data(), n), ignored);
            Pump(pipe, from, to, buf);
        });
    }

    asio::io_context& io_;
    asio::ip::tcp::endpoint target_;
    asio::ip::tcp::acceptor acceptor_;
    std::string recorded_;
};

// The room server as a program on 127.0.0.1:`port` (0: a free one); the port it got.
inline int StartServerProgram(ChildProcess& p, int port, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--listen", "127.0.0.1:" + std::to_string(port), "--db", ":memory:"};
    args.insert(args.end(), extra.begin(), extra.end());
    if (!p.Start(kServer, args, true)) return 0;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        const auto line = p.ReadLine(500ms);
        if (!line) {
            if (!p.Running()) return 0;
            continue;
        }
        const auto colon = line->rfind(':');
        if (line->rfind("listening on ", 0) == 0 && colon != std::string::npos)
            return std::stoi(line->substr(colon + 1));
    }
    return 0;
}

}  // namespace tlskit
