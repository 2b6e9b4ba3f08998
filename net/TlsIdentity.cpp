#include "net/TlsIdentity.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "core/CertFingerprint.h"

namespace TlsIdentity {

namespace {

struct Freer {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(X509* p) const { X509_free(p); }
    void operator()(BIGNUM* p) const { BN_free(p); }
    void operator()(std::FILE* f) const { std::fclose(f); }
};
template <class T>
using Owned = std::unique_ptr<T, Freer>;

// Opens a new file for writing with the given mode; the key file must not exist yet, so a
// key is never replaced under a running server or widened to other readers.
Owned<std::FILE> OpenNew(const std::string& path, mode_t mode, bool exclusive) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | (exclusive ? O_EXCL : 0), mode);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "w");
    if (!f) ::close(fd);
    return Owned<std::FILE>(f);
}

}  // namespace

bool MakeSelfSigned(const std::string& certFile, const std::string& keyFile, const std::string& name,
                    std::string& error) {
    Owned<EVP_PKEY> key(EVP_EC_gen("P-256"));
    Owned<X509> cert(X509_new());
    if (!key || !cert) {
        error = "cannot make a key";
        return false;
    }
    unsigned char serialBytes[16];
    RAND_bytes(serialBytes, sizeof serialBytes);
    serialBytes[0] &= 0x7f;  // a positive serial number
    Owned<BIGNUM> serial(BN_bin2bn(serialBytes, sizeof serialBytes, nullptr));
    X509_set_version(cert.get(), 2);
    BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get()));
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* subject = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(name.c_str()), -1,
                               -1, 0);
    X509_set_issuer_name(cert.get(), subject);
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0) {
        error = "cannot sign the certificate";
        return false;
    }
    {
        Owned<std::FILE> out = OpenNew(keyFile, 0600, true);
        if (!out || PEM_write_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) {
            error = "cannot write the key file " + keyFile;
            return false;
        }
        ::fchmod(::fileno(out.get()), 0600);
    }
    Owned<std::FILE> out = OpenNew(certFile, 0644, false);
    if (!out || PEM_write_X509(out.get(), cert.get()) != 1) {
        error = "cannot write the certificate file " + certFile;
        ::unlink(keyFile.c_str());
        return false;
    }
    return true;
}

bool EnsureSelfSigned(const std::string& certFile, const std::string& keyFile, const std::string& name,
                      std::string& error) {
    const bool haveCert = ::access(certFile.c_str(), F_OK) == 0;
    const bool haveKey = ::access(keyFile.c_str(), F_OK) == 0;
    if (haveCert && haveKey) return true;
    if (haveKey) {  // a key without its certificate is not replaced: it may be the operator's
        error = "the key " + keyFile + " is there but its certificate " + certFile + " is not";
        return false;
    }
    return MakeSelfSigned(certFile, keyFile, name, error);
}

std::string FingerprintOfFile(const std::string& certFile) {
    Owned<std::FILE> in(std::fopen(certFile.c_str(), "r"));
    if (!in) return {};
    Owned<X509> cert(PEM_read_X509(in.get(), nullptr, nullptr, nullptr));
    if (!cert) return {};
    unsigned char* der = nullptr;
    const int len = i2d_X509(cert.get(), &der);
    if (len <= 0) return {};
    std::string fp = CertFingerprint::OfDer(der, static_cast<std::size_t>(len));
    OPENSSL_free(der);
    return fp;
}

}  // namespace TlsIdentity
