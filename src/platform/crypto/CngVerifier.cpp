// windows.h first, leaving the status codes to ntstatus.h.
#define WIN32_NO_STATUS
#include <windows.h>
#undef WIN32_NO_STATUS

#include <bcrypt.h>
#include <ntstatus.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "base/Es256.h"
#include "base/Fail.h"
#include "platform/crypto/SystemVerifier.h"

namespace torvale {
namespace {

struct CloseAlgorithm {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const {
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};
struct DestroyKey {
    void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};
struct DestroyHash {
    void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};
using Algorithm = std::unique_ptr<void, CloseAlgorithm>;
using Key = std::unique_ptr<void, DestroyKey>;
using Hash = std::unique_ptr<void, DestroyHash>;

constexpr ULONG kCoordinateSize = 32;
constexpr ULONG kDigestSize = 32;

// `what`, then the call that failed and its NTSTATUS, as Windows' headers
// write the code.
bool FailStatus(std::string* err, std::string_view what, const char* call, NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    return Fail(err, std::string(what) + ": " + call + " returned " + code);
}

// CNG declares the buffers it only reads without const.
PUCHAR In(std::string_view bytes) {
    return reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
}

bool Open(LPCWSTR algorithmId, Algorithm* algorithm, std::string_view what, std::string* err) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    const NTSTATUS status = BCryptOpenAlgorithmProvider(&handle, algorithmId, nullptr, 0);
    if (!BCRYPT_SUCCESS(status))
        return FailStatus(err, what, "BCryptOpenAlgorithmProvider", status);
    algorithm->reset(handle);
    return true;
}

// The SHA-256 digest of `data` into `digest`, kDigestSize bytes.
bool Digest(std::string_view data, UCHAR* digest, std::string* err) {
    constexpr std::string_view kWhat = "SHA-256 failed";
    if (data.size() > std::numeric_limits<ULONG>::max())
        return Fail(err, "SHA-256 failed: more than 4 GiB");
    Algorithm sha256;
    if (!Open(BCRYPT_SHA256_ALGORITHM, &sha256, kWhat, err)) return false;
    BCRYPT_HASH_HANDLE handle = nullptr;
    // No object buffer: CNG allocates the hash's own memory.
    NTSTATUS status = BCryptCreateHash(sha256.get(), &handle, nullptr, 0, nullptr, 0, 0);
    if (!BCRYPT_SUCCESS(status)) return FailStatus(err, kWhat, "BCryptCreateHash", status);
    const Hash hash(handle);
    status = BCryptHashData(hash.get(), In(data), static_cast<ULONG>(data.size()), 0);
    if (!BCRYPT_SUCCESS(status)) return FailStatus(err, kWhat, "BCryptHashData", status);
    status = BCryptFinishHash(hash.get(), digest, kDigestSize, 0);
    if (!BCRYPT_SUCCESS(status)) return FailStatus(err, kWhat, "BCryptFinishHash", status);
    return true;
}

// The key as CNG holds it, where CNG imports it as a P-256 ECDSA key.
bool ImportP256Key(std::string_view publicKey, Algorithm* ecdsa, Key* key, std::string* err) {
    // An ECC public blob is the header, then X and Y, each big-endian: the
    // point without its leading 0x04.
    const std::string_view point = P256PointOf(publicKey);
    if (point.empty()) return Fail(err, "the key is not a P-256 key");
    BCRYPT_ECCKEY_BLOB header;
    header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header.cbKey = kCoordinateSize;
    std::string blob(sizeof header, '\0');
    std::memcpy(blob.data(), &header, sizeof header);
    blob += point.substr(1);

    constexpr std::string_view kWhat = "the key cannot be read";
    if (!Open(BCRYPT_ECDSA_P256_ALGORITHM, ecdsa, kWhat, err)) return false;
    BCRYPT_KEY_HANDLE handle = nullptr;
    const NTSTATUS status =
        BCryptImportKeyPair(ecdsa->get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, In(blob),
                            static_cast<ULONG>(blob.size()), 0);
    if (!BCRYPT_SUCCESS(status)) return FailStatus(err, kWhat, "BCryptImportKeyPair", status);
    key->reset(handle);
    return true;
}

// Signed links verified by CNG (bcrypt.dll), as Windows has it.
class CngVerifier final : public SignatureVerifier {
  public:
    bool UsableEs256Key(std::string_view publicKey, std::string* err) override {
        Algorithm ecdsa;
        Key key;
        return ImportP256Key(publicKey, &ecdsa, &key, err);
    }

    bool VerifyEs256(std::string_view publicKey, std::string_view message,
                     std::string_view signature, std::string* err) override {
        Algorithm ecdsa;
        Key key;
        if (!ImportP256Key(publicKey, &ecdsa, &key, err)) return false;
        // CNG verifies the r‖s form, not X9.62's DER.
        std::string rs;
        if (!SignatureFromDer(signature, &rs)) return Fail(err, "the signature is not the key's");
        UCHAR digest[kDigestSize];
        if (!Digest(message, digest, err)) return false;
        const NTSTATUS status = BCryptVerifySignature(key.get(), nullptr, digest, kDigestSize,
                                                      In(rs), static_cast<ULONG>(rs.size()), 0);
        if (status == STATUS_SUCCESS) return true;
        if (status == STATUS_INVALID_SIGNATURE) return Fail(err, "the signature is not the key's");
        return FailStatus(err, "the signature cannot be verified", "BCryptVerifySignature", status);
    }

    std::optional<std::string> Sha256(std::string_view data, std::string* err) override {
        UCHAR digest[kDigestSize];
        if (!Digest(data, digest, err)) return std::nullopt;
        return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
    }
};

}  // namespace

SignatureVerifier& SystemVerifier() {
    static CngVerifier verifier;
    return verifier;
}

}  // namespace torvale
