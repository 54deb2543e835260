// The verifier of signed links, the system's own (OpenSSL, or Security.framework on a
// Mac), against published vectors.

#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/Base64.h"
#include "base/Es256.h"
#include "base/Text.h"
#include "platform/crypto/SystemVerifier.h"

namespace torvale::test {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1]));
    return bytes;
}

// Project Wycheproof's ES256 vectors, each through the core's r‖s
// conversion (that of macOS too) and the verifier: every valid signature verifies, and no
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
            std::string der, why;
            const bool verified =
                SignatureToDer(FromHex(vector.at("sig")), &der) &&
                SystemVerifier().VerifyEs256(key, FromHex(vector.at("msg")), der, &why);
            const std::string result = vector.at("result");
            EXPECT_EQ(verified, result == "valid") << "tcId " << vector.at("tcId") << ": " << why;
            ++counted[result];
        }
    }
    EXPECT_EQ(counted, (std::map<std::string, int>{{"invalid", 89}, {"valid", 173}}));
    // A key whose point is off the curve (a bit of Y flipped, or all zeros)
    // is refused as the configuration is read.
    std::string flipped = FromHex(vectors.at("testGroups").at(0).at("publicKeyDer")), zeros;
    zeros = flipped.substr(0, flipped.size() - 64) + std::string(64, '\0');
    flipped.back() = static_cast<char>(flipped.back() ^ 1);
    for (const std::string& broken : {flipped, zeros}) {
        std::string why;
        EXPECT_TRUE(IsP256PublicKey(broken) && !SystemVerifier().UsableEs256Key(broken, &why));
        EXPECT_NE(why, "");
    }
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
