#include <gtest/gtest.h>

#include "platform/recording/ShellWords.h"

namespace torvale::test {
namespace {

using Words = std::optional<std::vector<std::string>>;

struct WordsCase {
    std::string line;
    Words words;
};

class ShellWordsTest : public testing::TestWithParam<WordsCase> {};

TEST_P(ShellWordsTest, SplitsLikeTheShell) {
    EXPECT_EQ(ShellWords(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShellWordsTest,
    testing::Values(WordsCase{"open a  b\tc ", Words({{"open", "a", "b", "c"}})},
                    WordsCase{"open /Applications/\"Remote Desktop.app\" x",
                              Words({{"open", "/Applications/Remote Desktop.app", "x"}})},
                    WordsCase{"a 'it'\\''s' ''", Words({{"a", "it's", ""}})},
                    WordsCase{"a /app-cmd:\"\\\"x\\\"\" \"\\\\\\$\\`\\!\"",
                              Words({{"a", "/app-cmd:\"x\"", "\\$`\\!"}})},
                    WordsCase{"a 'x\ny'", Words({{"a", "x\ny"}})},
                    WordsCase{"a $HOME", std::nullopt}, WordsCase{"a \"$x\"", std::nullopt},
                    WordsCase{"a;b", std::nullopt}, WordsCase{"a *", std::nullopt},
                    WordsCase{"a ~", std::nullopt}, WordsCase{"a #c", std::nullopt},
                    WordsCase{"a\nb", std::nullopt}, WordsCase{"a 'open", std::nullopt}));

}  // namespace
}  // namespace torvale::test
