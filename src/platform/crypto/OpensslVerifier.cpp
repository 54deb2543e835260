#include "platform/crypto/SystemVerifier.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

#include "base/Fail.h"

namespace torvale {
namespace {

struct FreeKey {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct FreeKeyContext {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct FreeContext {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

// OpenSSL's words for the newest error on this thread's queue, which it
// then empties.
std::string OpensslError(std::string_view what) {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0) return std::string(what);
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return std::string(what) + ": " + text;
}

// Signed links verified by OpenSSL's libcrypto, as Linux has it.
class OpensslVerifier final : public SignatureVerifier {
  public:
    bool UsableEs256Key(std::string_view publicKey, std::string* err) override;
    bool VerifyEs256(std::string_view publicKey, std::string_view message,
                     std::string_view signature, std::string* err) override;
    std::optional<std::string> Sha256(std::string_view data, std::string* err) override;
};

// The key, where OpenSSL reads it whole as a P-256 key whose point passes
// its public-key check (on the curve, and not the point at infinity).
std::unique_ptr<EVP_PKEY, FreeKey> P256Key(std::string_view publicKey, std::string* err) {
    auto fail = [err](std::string why) {
        if (err != nullptr) *err = std::move(why);
        return nullptr;
    };
    const unsigned char* der = Bytes(publicKey);
    std::unique_ptr<EVP_PKEY, FreeKey> key(
        d2i_PUBKEY(nullptr, &der, static_cast<long>(publicKey.size())));
    if (!key || der != Bytes(publicKey) + publicKey.size())
        return fail(OpensslError("the key cannot be read"));
    // A key of another curve or kind would verify another algorithm.
    char curve[64] = "";
    if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_EC ||
        EVP_PKEY_get_group_name(key.get(), curve, sizeof curve, nullptr) != 1 ||
        std::string_view(curve) != "prime256v1") {
        ERR_clear_error();
        return fail("the key is not a P-256 key");
    }
    const std::unique_ptr<EVP_PKEY_CTX, FreeKeyContext> check(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!check || EVP_PKEY_public_check(check.get()) != 1)
        return fail(OpensslError("the key's point is not on the curve"));
    return key;
}

bool OpensslVerifier::UsableEs256Key(std::string_view publicKey, std::string* err) {
    return P256Key(publicKey, err) != nullptr;
}

bool OpensslVerifier::VerifyEs256(std::string_view publicKey, std::string_view message,
                                  std::string_view signature, std::string* err) {
    const std::unique_ptr<EVP_PKEY, FreeKey> key = P256Key(publicKey, err);
    if (!key) return false;
    const std::unique_ptr<EVP_MD_CTX, FreeContext> context(EVP_MD_CTX_new());
    if (!context ||
        EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) {
        return Fail(err, OpensslError("the verifier cannot start"));
    }
    const int verified = EVP_DigestVerify(context.get(), Bytes(signature), signature.size(),
                                          Bytes(message), message.size());
    if (verified == 1) return true;
    return Fail(err, OpensslError("the signature is not the key's"));
}

std::optional<std::string> OpensslVerifier::Sha256(std::string_view data, std::string* err) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(data.data(), data.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
        Fail(err, OpensslError("SHA-256 failed"));
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(digest), size);
}

}  // namespace

SignatureVerifier& SystemVerifier() {
    static OpensslVerifier verifier;
    return verifier;
}

}  // namespace torvale
