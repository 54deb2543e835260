#include <gtest/gtest.h>

#include "app/intake/UrlDecoding.h"
#include "support/Fakes.h"

namespace torvale::test {
namespace {

const Field kAbsent = std::nullopt;

struct DecodeCase {
    const char* name;
    std::string input;
    Field expected;
};

class UrlDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecodeTest, Decodes) {
    EXPECT_EQ(AppDelegate::UrlDecode(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlDecodeTest,
    testing::Values(DecodeCase{"Empty", "", ""}, DecodeCase{"PlusIsSpace", "a+b++", "a b  "},
                    DecodeCase{"EscapedPlusStaysPlus", "%2B%2b", "++"},
                    DecodeCase{"EscapedPercentDecodedOnce", "%2525", "%25"},
                    DecodeCase{"EitherCaseHex", "%3d%3D", "=="},
                    DecodeCase{"EscapedAmpersand", "a%26b", "a&b"},
                    DecodeCase{"ChineseEscaped", "%E4%B8%AD%E6%96%87", "中文"},
                    DecodeCase{"ChineseRaw", "中文", "中文"},
                    DecodeCase{"FourByteEscaped", "%F0%9F%98%80", "😀"},
                    DecodeCase{"NulByte", "a%00b", std::string("a\0b", 3)},
                    DecodeCase{"LoneSign", "%", kAbsent}, DecodeCase{"OneDigit", "ab%4", kAbsent},
                    DecodeCase{"NotHex", "%zz", kAbsent}, DecodeCase{"HalfHex", "%4g", kAbsent},
                    DecodeCase{"PlusAfterSign", "%+20", kAbsent},
                    DecodeCase{"TruncatedSequence", "%E4%B8", kAbsent},
                    DecodeCase{"StrayContinuation", "%80", kAbsent},
                    DecodeCase{"Overlong", "%C0%AF", kAbsent},
                    DecodeCase{"OverlongThreeBytes", "%E0%80%AF", kAbsent},
                    DecodeCase{"Surrogate", "%ED%A0%80", kAbsent},
                    DecodeCase{"AboveUnicode", "%F4%90%80%80", kAbsent},
                    DecodeCase{"EscapeThenRaw", "%E4中", kAbsent},
                    DecodeCase{"OtherEncoding", "%D6%D0%CE%C4", kAbsent},
                    DecodeCase{"RawInvalid", "\xff", kAbsent}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(UrlDecode, AbsentStaysAbsent) {
    EXPECT_EQ(AppDelegate::UrlDecode(kAbsent), kAbsent);
}

struct LookupCase {
    const char* name;
    std::string text;
    std::string key;
    std::string expected;
};

class GetFromUrlTest : public testing::TestWithParam<LookupCase> {};

TEST_P(GetFromUrlTest, Finds) {
    EXPECT_EQ(AppDelegate::GetFromUrl(GetParam().text, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetFromUrlTest,
    testing::Values(
        LookupCase{"Plain", "&a=1&b=2&", "b", "2"},
        LookupCase{"LastWithoutAmpersand", "&a=1&b=2", "b", ""},
        LookupCase{"Empty", "&a=&b=2&", "a", ""}, LookupCase{"Missing", "&a=1&", "b", ""},
        LookupCase{"FirstOfTwo", "&a=1&a=2&", "a", "1"},
        LookupCase{"OtherCase", "&Username=x&", "username", ""},
        LookupCase{"ValueHoldsEquals", "&a=x=y&", "a", "x=y"},
        LookupCase{"TextBeforeFirstAmpersand", "a=1&b=2&", "a", ""},
        LookupCase{"PortNotSshport", "&sshport=2222&rdpport=1&cport=2&monitorport=3&", "port", ""},
        LookupCase{"HostNotLocalhost", "&localhost=h&", "host", ""},
        LookupCase{"PasswordNotOthers", "&entrust_password=1&monitorpassword=m&", "password", ""},
        LookupCase{"UsernameNotOthers", "&target_username=t&entrust_username=0&", "username", ""},
        LookupCase{"KeyPrefixOfAnother", "&portx=1&port=2&", "port", "2"},
        LookupCase{"EscapedAmpersandCuts", "&username=a&password=p&password=real&", "password",
                   "p"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(GetFromUrl, AbsentTextGivesAbsent) {
    EXPECT_EQ(AppDelegate::GetFromUrl(kAbsent, "action"), kAbsent);
}

// The head is 10 UTF-16 code units, whatever the scheme says.
struct HeadCase {
    const char* name;
    std::string url;
    std::vector<AlertRecord> alerts;
};

const AlertRecord kPutty{"抱歉", "putty还未实现"};
const AlertRecord kUnknown{"错误", "未知接口"};

class HeadTest : public testing::TestWithParam<HeadCase> {};

TEST_P(HeadTest, DropsTenUnits) {
    Harness h;
    h.Open(GetParam().url);
    EXPECT_EQ(h.alerts.shown, GetParam().alerts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeadTest,
    testing::Values(
        HeadCase{"Scheme", "torvale://&action=StartPutty&", {kPutty}},
        HeadCase{"AnyTenCharacters", "0123456789&action=StartPutty&", {kPutty}},
        HeadCase{"HeadIsNotDecoded", "%%%%%%%%%%&action=StartPutty&", {kPutty}},
        HeadCase{"NinthCharacterCut", "012345678&action=StartPutty&", {kUnknown}},
        HeadCase{"ChineseCountsOne", "中中中中中中中中中中&action=StartPutty&", {kPutty}},
        HeadCase{"EmojiCountsTwo", "😀😀😀😀😀&action=StartPutty&", {kPutty}},
        HeadCase{"HeadEndsInsideEmoji", "a😀😀😀😀😀&action=StartPutty&", {kUnknown}},
        HeadCase{"ExactlyTen", "torvale://", {kUnknown}},
        HeadCase{"ShorterThanHead", "tor", {kUnknown}},
        HeadCase{"NotUtf8", "torvale://&action=StartPutty&x=\xff&", {kUnknown}},
        HeadCase{"StrayPercentAnywhere", "torvale://&action=StartPutty&x=%&", {kUnknown}},
        HeadCase{"EscapedAction", "torvale://&action=Start%50utty&", {kPutty}},
        HeadCase{"DebugInsideFailedDecoding",
                 "torvale://&action=StartPutty&debug=1&x=%zz&",
                 {kUnknown}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(HandleURLEvent, MissingDirectObjectIsAFailedDecoding) {
    Harness h;
    h.delegate.handleURLEvent(std::nullopt);
    EXPECT_EQ(h.delegate.url, kAbsent);
    EXPECT_EQ(h.alerts.shown, std::vector<AlertRecord>{kUnknown});
}

TEST(HandleURLEvent, StoresDecodedFieldText) {
    Harness h;
    h.Open("torvale://&action=x&username=%E5%BC%A0+san&");
    EXPECT_EQ(h.delegate.url, "&action=x&username=张 san&");
    EXPECT_EQ(h.delegate.m_username, "张 san");
}

}  // namespace
}  // namespace torvale::test

namespace torvale::test {
namespace {

// Where a launch URL fails to decode, as a byte offset into the whole URL.
class DecodeFailureTest : public testing::TestWithParam<std::pair<std::string, std::size_t>> {};

TEST_P(DecodeFailureTest, NamesTheOffset) {
    const auto result = DecodeLaunchUrl(GetParam().first);
    ASSERT_TRUE(std::holds_alternative<DecodeFailure>(result));
    EXPECT_EQ(std::get<DecodeFailure>(result).offset, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeFailureTest,
                         testing::Values(std::pair{"torvale://&a=%zz&", 13u},
                                         std::pair{"torvale://&a=%E4%B8&b=%&", 13u},
                                         std::pair{"torvale://&a=x%80&", 14u},
                                         std::pair{"torvale://&a=中%4", 16u},
                                         std::pair{"torvale://&a=\xff&", 13u},
                                         std::pair{"a😀😀😀😀😀&", 0u}));

}  // namespace
}  // namespace torvale::test
