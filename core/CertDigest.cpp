// The fingerprint's digest, apart from reading and showing fingerprints: a program that
// only reads a pin does not load the crypto library.
#include <openssl/evp.h>

#include "core/CertFingerprint.h"

namespace CertFingerprint {

std::string OfDer(const std::uint8_t* der, std::size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(der, size, digest, &len, EVP_sha256(), nullptr) != 1) return {};
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < len; ++i) {
        out.push_back(hex[digest[i] >> 4]);
        out.push_back(hex[digest[i] & 15]);
    }
    return out;
}

}  // namespace CertFingerprint
