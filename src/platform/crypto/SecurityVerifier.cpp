#include <CommonCrypto/CommonDigest.h>
#include <CoreFoundation/CoreFoundation.h>
#include <Security/Security.h>

#include "base/Es256.h"
#include "base/Fail.h"
#include "platform/crypto/SystemVerifier.h"

namespace torvale {
namespace {

// Releases a Core Foundation object it owns, when there is one.
template <typename T>
struct Owned {
    explicit Owned(T owned = nullptr) : ref(owned) {}
    T ref;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (ref != nullptr) CFRelease(ref);
    }
};

Owned<CFDataRef>* Fill(Owned<CFDataRef>& data, std::string_view bytes) {
    data.ref = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                            static_cast<CFIndex>(bytes.size()));
    return &data;
}

// What a CFError says, in English.
std::string Described(CFErrorRef error, std::string what) {
    if (error == nullptr) return what;
    Owned<CFStringRef> text{CFErrorCopyDescription(error)};
    char buffer[512] = "";
    if (text.ref != nullptr)
        CFStringGetCString(text.ref, buffer, sizeof buffer, kCFStringEncodingUTF8);
    return what + ": " + buffer;
}

// The key as Security.framework reads it, which the caller releases; null,
// saying why, where it cannot.
SecKeyRef CreateP256Key(std::string_view publicKey, std::string* err) {
    // SecKeyCreateWithData takes the bare point of an elliptic-curve key
    // (X9.63), not the SubjectPublicKeyInfo around it.
    const std::string_view point = P256PointOf(publicKey);
    if (point.empty()) {
        if (err != nullptr) *err = "the key is not a P-256 key";
        return nullptr;
    }
    const void* keys[] = {kSecAttrKeyType, kSecAttrKeyClass, kSecAttrKeySizeInBits};
    int bits = 256;
    Owned<CFNumberRef> size{CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &bits)};
    const void* values[] = {kSecAttrKeyTypeECSECPrimeRandom, kSecAttrKeyClassPublic, size.ref};
    Owned<CFDictionaryRef> attributes{CFDictionaryCreate(kCFAllocatorDefault, keys, values, 3,
                                                         &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks)};
    Owned<CFDataRef> pointData;
    Owned<CFErrorRef> error;
    SecKeyRef key = SecKeyCreateWithData(Fill(pointData, point)->ref, attributes.ref, &error.ref);
    if (key == nullptr && err != nullptr) *err = Described(error.ref, "the key cannot be read");
    return key;
}

// Signed links verified by Security.framework, as macOS has it.
class SecurityVerifier final : public SignatureVerifier {
  public:
    // Whatever Security.framework refuses to make a key of is refused; the
    // portable signing test gives it keys whose point is off the curve.
    bool UsableEs256Key(std::string_view publicKey, std::string* err) override {
        Owned<SecKeyRef> key{CreateP256Key(publicKey, err)};
        return key.ref != nullptr;
    }

    bool VerifyEs256(std::string_view publicKey, std::string_view message,
                     std::string_view signature, std::string* err) override {
        Owned<SecKeyRef> key{CreateP256Key(publicKey, err)};
        if (key.ref == nullptr) return false;
        Owned<CFDataRef> messageData, signatureData;
        Owned<CFErrorRef> error;
        // Verifies X9.62's DER signature of the message, hashing it with SHA-256.
        if (SecKeyVerifySignature(key.ref, kSecKeyAlgorithmECDSASignatureMessageX962SHA256,
                                  Fill(messageData, message)->ref,
                                  Fill(signatureData, signature)->ref, &error.ref))
            return true;
        return Fail(err, Described(error.ref, "the signature is not the key's"));
    }

    // CommonCrypto's digest cannot fail.
    std::optional<std::string> Sha256(std::string_view data, std::string*) override {
        unsigned char digest[CC_SHA256_DIGEST_LENGTH];
        CC_SHA256(data.data(), static_cast<CC_LONG>(data.size()), digest);
        return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
    }
};

}  // namespace

SignatureVerifier& SystemVerifier() {
    static SecurityVerifier verifier;
    return verifier;
}

}  // namespace torvale
