// The verifier of signed links, the system's own (OpenSSL, Security.framework on a Mac,
// CNG on Windows), against published vectors.

#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/Base64.h"
#include "base/Es256.h"
#include "base/Text.h"
#include "platform/crypto/SystemVerifier.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace torvale::test {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1]));
    return bytes;
}

// Where Wine stands in for Windows, its bcrypt verifies with GnuTLS (nettle), which
// refuses tcId 204, a valid signature whose check adds a point to itself, and imports
// a key whose point is off the curve. Windows' CNG does neither. Wine's ntdll alone
// exports wine_get_version.
bool WineDeviates() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Project Wycheproof's ES256 vectors, each through the core's r‖s
// conversion (and back, for CNG) and the verifier: every valid signature verifies, and no
// invalid one (r or s zero or beyond the order, wrong lengths, altered
// bits, the point at infinity...) does.
TEST(Signing, WycheproofVectorsVerifyExactlyAsPublishedAndKeysOffTheCurveAreRefused) {
    std::ifstream file(SOURCE_DIR "/third_party/wycheproof/ecdsa_secp256r1_sha256_p1363_test.json");
    const nlohmann::json vectors = nlohmann::json::parse(file);
    std::map<std::string, int> counted;
    for (const auto& group : vectors.at("testGroups")) {
        const std::string key = FromHex(group.at("publicKeyDer"));
        ASSERT_TRUE(IsP256PublicKey(key));
        std::string unusable;
        EXPECT_TRUE(SystemVerifier().UsableEs256Key(key, &unusable)) << unusable;
        // The point Security.framework takes, as the vectors give it.
        EXPECT_EQ(P256PointOf(key), FromHex(group.at("publicKey").at("uncompressed")));
        for (const auto& vector : group.at("tests")) {
            const std::string sig = FromHex(vector.at("sig")), result = vector.at("result");
            ++counted[result];
            std::string der, why, back;
            const bool converted = SignatureToDer(sig, &der);
            EXPECT_TRUE(!converted || (SignatureFromDer(der, &back) && back == sig));
            if (WineDeviates() && vector.at("tcId") == 204) continue;
            const bool verified = converted && SystemVerifier().VerifyEs256(
                                                   key, FromHex(vector.at("msg")), der, &why);
            EXPECT_EQ(verified, result == "valid") << "tcId " << vector.at("tcId") << ": " << why;
        }
    }
    EXPECT_EQ(counted, (std::map<std::string, int>{{"invalid", 89}, {"valid", 173}}));
    // A key whose point is off the curve (a bit of Y flipped, or all zeros)
    // is refused as the configuration is read.
    std::string flipped = FromHex(vectors.at("testGroups").at(0).at("publicKeyDer")), zeros;
    zeros = flipped.substr(0, flipped.size() - 64) + std::string(64, '\0');
    flipped.back() = static_cast<char>(flipped.back() ^ 1);
    for (const std::string& broken : {flipped, zeros}) {
        if (WineDeviates() && broken == flipped) continue;
        std::string why;
        EXPECT_TRUE(IsP256PublicKey(broken) && !SystemVerifier().UsableEs256Key(broken, &why));
        EXPECT_NE(why, "");
    }
}

// CNG's r‖s is read back only from a DER signature exactly as SignatureToDer writes it.
TEST(Signing, DerSignaturesReadBackOnlyFromTheFormWritten) {
    using namespace std::string_literals;
    const std::string refused[] = {
        "\x30\x06\x02\x01\x01\x02\x01\x01\x00"s,
        "\x30\x06\x02\x01\x00\x02\x01\x01"s,
        "\x30\x06\x02\x01\x81\x02\x01\x01"s,
        "\x30\x07\x02\x02\x00\x01\x02\x01\x01"s,
        "\x30\x81\x06\x02\x01\x01\x02\x01\x01"s,
        "\x30\x06\x02\x01\x01\x02\x05\x01"s,
        "\x30\x26\x02\x21\x01"s + std::string(32, '\0') + "\x02\x01\x01",
    };
    std::string back;
    for (const std::string& der : refused)
        EXPECT_FALSE(SignatureFromDer(der, &back)) << der.size();
}

// A key's fingerprint is the SHA-256 of its DER form (FIPS 180-2's "abc").
TEST(Signing, FingerprintsAreSha256) {
    EXPECT_EQ(FingerprintText(SystemVerifier().Sha256("abc", nullptr).value()),
              "sha256:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// Keys and signatures arrive in base64: RFC 4648's vectors, in both alphabets
// (the URL one unpadded). A whole last group, as in "Zm9v", ends on a full byte.
TEST(Signing, Base64DecodesRfc4648sVectors) {
    const std::string plain = "foobar";
    const std::string encoded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (std::size_t n = 0; n <= plain.size(); ++n) {
        EXPECT_EQ(DecodeBase64(encoded[n]), plain.substr(0, n)) << encoded[n];
        EXPECT_EQ(DecodeBase64Url(encoded[n].substr(0, encoded[n].find('='))), plain.substr(0, n));
    }
}

}  // namespace
}  // namespace torvale::test
