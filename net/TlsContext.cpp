#include "net/TlsContext.h"

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "core/CertFingerprint.h"

namespace TlsContext {

namespace {

// TLS 1.3 suites are OpenSSL's (all AEAD); for TLS 1.2 only ECDHE with AES-GCM or ChaCha20.
constexpr char kCiphers12[] =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:ECDHE-ECDSA-AES256-GCM-SHA384:"
    "ECDHE-RSA-AES256-GCM-SHA384:ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

void Harden(asio::ssl::context& ctx) {
    ctx.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                    asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 | asio::ssl::context::no_tlsv1_1 |
                    asio::ssl::context::no_compression);
    SSL_CTX* native = ctx.native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(native, kCiphers12);
    SSL_CTX_set_options(native, SSL_OP_NO_RENEGOTIATION);
    // Idle connections give their record buffers back: thousands of seated players wait
    // most of the time.
    SSL_CTX_set_mode(native, SSL_MODE_RELEASE_BUFFERS);
}

std::string CertFingerprintOf(X509* cert) {
    if (!cert) return {};
    unsigned char* der = nullptr;
    const int len = i2d_X509(cert, &der);
    if (len <= 0) return {};
    std::string fp = CertFingerprint::OfDer(der, static_cast<std::size_t>(len));
    OPENSSL_free(der);
    return fp;
}

}  // namespace

std::unique_ptr<asio::ssl::context> ForServer(const std::string& certFile, const std::string& keyFile,
                                              std::string& error) {
    auto ctx = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    Harden(*ctx);
    SSL_CTX_set_session_cache_mode(ctx->native_handle(), SSL_SESS_CACHE_OFF);
    std::error_code ec;
    ctx->use_certificate_chain_file(certFile, ec);
    if (ec) {
        error = "cannot read the certificate " + certFile + ": " + ec.message();
        return nullptr;
    }
    ctx->use_private_key_file(keyFile, asio::ssl::context::pem, ec);
    if (ec || SSL_CTX_check_private_key(ctx->native_handle()) != 1) {
        error = "cannot use the key " + keyFile + " with the certificate " + certFile;
        return nullptr;
    }
    return ctx;
}

std::shared_ptr<asio::ssl::context> ForClient(const std::string& pin) {
    auto ctx = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_client);
    Harden(*ctx);
    ctx->set_verify_mode(asio::ssl::verify_peer);
    // Certificates above the server's own do not matter: the pin decides.
    ctx->set_verify_callback([pin](bool, asio::ssl::verify_context& vc) {
        X509_STORE_CTX* store = vc.native_handle();
        if (X509_STORE_CTX_get_error_depth(store) > 0) return true;
        return !pin.empty() && CertFingerprintOf(X509_STORE_CTX_get_current_cert(store)) == pin;
    });
    return ctx;
}

std::shared_ptr<asio::ssl::context> ForProbe() {
    auto ctx = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_client);
    Harden(*ctx);
    ctx->set_verify_mode(asio::ssl::verify_peer);
    ctx->set_verify_callback([](bool, asio::ssl::verify_context&) { return true; });
    return ctx;
}

std::string PeerFingerprint(asio::ssl::stream<asio::ip::tcp::socket>& stream) {
    X509* cert = SSL_get1_peer_certificate(stream.native_handle());
    std::string fp = CertFingerprintOf(cert);
    X509_free(cert);
    return fp;
}

}  // namespace TlsContext
