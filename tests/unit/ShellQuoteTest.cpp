#include <gtest/gtest.h>

#include "app/ShellQuote.h"

namespace torvale::test {
namespace {

struct QuoteCase {
    std::string value;
    std::string quoted;
};

class ShellQuoteTest : public testing::TestWithParam<QuoteCase> {};

TEST_P(ShellQuoteTest, Quotes) {
    EXPECT_EQ(ShellQuote(GetParam().value), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShellQuoteTest,
    testing::Values(
        // Unchanged: the safe set, UTF-8 text and the empty string.
        QuoteCase{"", ""}, QuoteCase{"admin--1024", "admin--1024"},
        QuoteCase{"10.0.0.1", "10.0.0.1"},
        QuoteCase{"a_b@c%d+e=f:g,h.i/j-k", "a_b@c%d+e=f:g,h.i/j-k"}, QuoteCase{"张三", "张三"},
        QuoteCase{"/Users/demo/x.rdp", "/Users/demo/x.rdp"}, QuoteCase{"-n", "-n"},
        // Quoted: anything else, and "=" in front (zsh expands =cmd).
        QuoteCase{"=ls", "'=ls'"}, QuoteCase{"a b", "'a b'"}, QuoteCase{"~", "'~'"},
        QuoteCase{"$(id)", "'$(id)'"}, QuoteCase{"`id`", "'`id`'"}, QuoteCase{"a;b", "'a;b'"},
        QuoteCase{"*", "'*'"}, QuoteCase{"{a,b}", "'{a,b}'"}, QuoteCase{"!", "'!'"},
        QuoteCase{"a\nb", "'a\nb'"}, QuoteCase{"\\", "'\\'"}, QuoteCase{"\"", "'\"'"},
        QuoteCase{"it's", "'it'\\''s'"}, QuoteCase{"'", "''\\'''"},
        QuoteCase{"''", "''\\'''\\'''"}));

TEST(DoubleQuoteEscape, EscapesOnlyTheFourSpecials) {
    EXPECT_EQ(DoubleQuoteEscape("a\\b\"c$d`e"), "a\\\\b\\\"c\\$d\\`e");
    EXPECT_EQ(DoubleQuoteEscape("!\n'~*"), "!\n'~*");
    EXPECT_EQ(DoubleQuoteEscape(""), "");
}

}  // namespace
}  // namespace torvale::test
