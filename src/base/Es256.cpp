#include "base/Es256.h"

#include <algorithm>

namespace torvale {
namespace {

// SEQUENCE { SEQUENCE { id-ecPublicKey, prime256v1 }, BIT STRING (66 bytes,
// no unused bits) }, then the point.
constexpr std::string_view kP256KeyHead(
    "\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01\x06\x08\x2a\x86\x48\xce\x3d\x03\x01"
    "\x07\x03\x42\x00",
    26);
constexpr std::size_t kPointSize = 65;

// A non-negative DER INTEGER of the big-endian bytes: no leading zero
// bytes, and one zero byte where the first bit would read as a sign.
std::string DerInteger(std::string_view bytes) {
    bytes.remove_prefix(std::min(bytes.find_first_not_of('\0'), bytes.size()));
    std::string value(bytes);
    if (!value.empty() && (static_cast<unsigned char>(value[0]) & 0x80) != 0)
        value.insert(value.begin(), '\0');
    return std::string{'\x02', static_cast<char>(value.size())} + value;
}

}  // namespace

bool IsP256PublicKey(std::string_view der) {
    return der.size() == kP256KeyHead.size() + kPointSize && der.starts_with(kP256KeyHead) &&
           der[kP256KeyHead.size()] == '\x04';
}

std::string_view P256PointOf(std::string_view der) {
    return IsP256PublicKey(der) ? der.substr(kP256KeyHead.size()) : std::string_view();
}

bool SignatureToDer(std::string_view p1363, std::string* der) {
    if (p1363.size() != kEs256SignatureSize) return false;
    const std::string_view r = p1363.substr(0, kEs256SignatureSize / 2);
    const std::string_view s = p1363.substr(kEs256SignatureSize / 2);
    if (r.find_first_not_of('\0') == r.npos || s.find_first_not_of('\0') == s.npos) return false;
    // At most 2 × 35 bytes: the short form of a length.
    const std::string body = DerInteger(r) + DerInteger(s);
    *der = std::string{'\x30', static_cast<char>(body.size())} + body;
    return true;
}

bool SignatureFromDer(std::string_view der, std::string* p1363) {
    constexpr std::size_t kHalf = kEs256SignatureSize / 2;
    if (der.size() < 2 || der[0] != '\x30') return false;
    std::string_view rest = der.substr(2);
    std::string rs;
    for (int i = 0; i < 2; ++i) {
        if (rest.size() < 2 || rest[0] != '\x02') return false;
        const auto size = static_cast<unsigned char>(rest[1]);
        if (size > rest.size() - 2) return false;
        std::string_view value = rest.substr(2, size);
        rest.remove_prefix(2 + std::size_t{size});
        value.remove_prefix(std::min(value.find_first_not_of('\0'), value.size()));
        if (value.size() > kHalf) return false;
        rs += std::string(kHalf - value.size(), '\0');
        rs += value;
    }
    // Every other rule of the form, written once: the bytes must be exactly
    // those SignatureToDer writes for the r and s read.
    std::string written;
    if (!SignatureToDer(rs, &written) || written != der) return false;
    *p1363 = std::move(rs);
    return true;
}

std::string FingerprintText(std::string_view sha256) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string text = "sha256:";
    for (const char byte : sha256) {
        const auto b = static_cast<unsigned char>(byte);
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

}  // namespace torvale
