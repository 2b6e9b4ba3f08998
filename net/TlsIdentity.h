// A room server's own certificate: a self-signed EC P-256 pair made with OpenSSL, and
// the fingerprint players pin.
#pragma once
#include <string>

namespace TlsIdentity {

// Writes a new self-signed certificate (ten years, common name `name`) and its private
// key as PEM files; the key file is readable by its owner only. False with the reason
// in `error`; an existing key file is never overwritten.
bool MakeSelfSigned(const std::string& certFile, const std::string& keyFile, const std::string& name,
                    std::string& error);

// Makes the pair unless both files are there already (an earlier start); false with the
// reason in `error`.
bool EnsureSelfSigned(const std::string& certFile, const std::string& keyFile, const std::string& name,
                      std::string& error);

// The SHA-256 fingerprint of the first certificate in a PEM file; empty when it cannot
// be read.
std::string FingerprintOfFile(const std::string& certFile);

}  // namespace TlsIdentity
