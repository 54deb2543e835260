#pragma once

// The forms an ES256 key and signature take between a launch link and the
// platform's verifier. Only bytes are moved here; no arithmetic is done.

#include <string>
#include <string_view>

namespace torvale {

// A signature as JWS carries it: r and s, 32 bytes each, big-endian.
inline constexpr std::size_t kEs256SignatureSize = 64;

// Whether `der` is a P-256 public key as `openssl pkey -pubout -outform DER`
// writes it: a SubjectPublicKeyInfo of id-ecPublicKey on prime256v1 holding
// the uncompressed point.
bool IsP256PublicKey(std::string_view der);
// The point of such a key: 0x04, X and Y, 65 bytes, the form
// Security.framework's SecKeyCreateWithData takes.
std::string_view P256PointOf(std::string_view der);

// The r‖s signature as X9.62's DER ECDSA-Sig-Value, the form OpenSSL and
// Security.framework verify. False for another length, or r or s zero,
// which no signer writes.
bool SignatureToDer(std::string_view p1363, std::string* der);
// The r‖s of such a DER signature, the form Windows' CNG verifies. False for
// any DER that SignatureToDer would not have written from it: a value longer
// than 32 bytes, zero, negative or with a needless leading zero, a long-form
// length, or bytes after the end.
bool SignatureFromDer(std::string_view der, std::string* p1363);

// "sha256:" and the digest in lower-case hexadecimal, as a key is named
// beside its fingerprint.
std::string FingerprintText(std::string_view sha256);

}  // namespace torvale
