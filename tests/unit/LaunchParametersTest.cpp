#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

TEST(LaunchParameters, EveryKeyFillsItsOwnMember) {
    // Values that name their key catch a row wired to the wrong member.
    std::string fields;
    for (const auto& parameter : AppDelegate::kLaunchParameters) {
        fields += "&" + std::string(parameter.key) + "=v-" + std::string(parameter.key);
    }
    Harness h;
    h.OpenFields(fields + "&");
    for (const auto& parameter : AppDelegate::kLaunchParameters) {
        EXPECT_EQ(h.delegate.*parameter.member, "v-" + std::string(parameter.key)) << parameter.key;
    }
}

TEST(LaunchParameters, MissingFieldsAreEmptyButSshport) {
    Harness h;
    h.OpenFields("");
    for (const auto& parameter : AppDelegate::kLaunchParameters) {
        EXPECT_EQ(h.delegate.*parameter.member, parameter.key == "sshport" ? "22" : "")
            << parameter.key;
    }
}

TEST(LaunchParameters, FailedDecodingLeavesEveryParameterAbsent) {
    Harness h;
    h.OpenFields("&action=StartPutty&sshport=&%&");
    for (const auto& parameter : AppDelegate::kLaunchParameters) {
        EXPECT_FALSE(h.delegate.*parameter.member) << parameter.key;
    }
}

class SshPortTest : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(SshPortTest, DefaultsOnlyEmptyAndZero) {
    Harness h;
    h.OpenFields(GetParam().first);
    EXPECT_EQ(h.delegate.m_sshport, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SshPortTest,
    testing::Values(std::pair{"&sshport=0&", "22"}, std::pair{"&sshport=&", "22"},
                    std::pair{"&sshport=2222&", "2222"}, std::pair{"&sshport=00&", "00"},
                    std::pair{"&sshport=+0&", " 0"}, std::pair{"&sshport=0", "22"}));

TEST(LaunchParameters, NothingCarriesOverToTheNextUrl) {
    Harness h;
    h.OpenFields("&sid=7&debug=1&Username=x&");
    EXPECT_EQ(h.delegate.m_sid, "7");
    h.OpenFields("&action=none&");
    EXPECT_EQ(h.delegate.m_sid, "");
    EXPECT_EQ(h.delegate.m_debug, "");
    EXPECT_EQ(h.delegate.m_username, "");
}

}  // namespace
}  // namespace torvale::test
