#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvale {

// The platform's own cryptography, for the gateway's signed links: never
// written here. Keys and signatures come in the forms of Es256.h.
class SignatureVerifier {
  public:
    virtual ~SignatureVerifier() = default;
    // Whether `signature` (DER, as X9.62 writes an ECDSA signature) is one of
    // `message`, hashed with SHA-256, by the P-256 key `publicKey` (a DER
    // SubjectPublicKeyInfo); false, saying why, when it is not or the key
    // cannot be used.
    // Whether `publicKey` (a DER SubjectPublicKeyInfo) is a P-256 key the
    // library can verify with, its point on the curve; false, saying why,
    // when it is not. Asked as the configuration is read, so that a broken
    // key is told there and not as every link's failing signature.
    virtual bool UsableEs256Key(std::string_view publicKey, std::string* err) = 0;
    virtual bool VerifyEs256(std::string_view publicKey, std::string_view message,
                             std::string_view signature, std::string* err) = 0;
    // The SHA-256 digest of `data`, 32 bytes: a key's fingerprint; nothing,
    // saying why, where the library cannot make it.
    virtual std::optional<std::string> Sha256(std::string_view data, std::string* err) = 0;
};

}  // namespace torvale
