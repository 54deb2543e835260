// What the case table cannot say: the history's bound, and the text that
// leaves the process.

#include <gtest/gtest.h>

#include "app/text/Masking.h"
#include "app/text/Printable.h"
#include "platform/recording/RecordingPlatform.h"

namespace torvale::test {
namespace {

TEST(Core, HistoryKeepsTheNewestPasses) {
    RecordingPlatform platform;
    AppDelegate& app = platform.Start(clients::kMacOS, "/home/demo");
    app.handleURLEvent("torvale://&action=StartWinscp&");
    for (std::size_t i = 0; i < LaunchHistory::kCapacity; ++i)
        app.handleURLEvent("torvale://&action=StartPutty&");
    const auto& entries = app.history.Entries();
    EXPECT_EQ(entries.size(), LaunchHistory::kCapacity);
    EXPECT_EQ(entries.back().action, "StartPutty");
}

TEST(Core, PrintableShowsEveryControlAndNothingActsOnTheTerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"中文 plain", "中文 plain"},
        {"a\\b\nc\td\re", "a\\\\b\\nc\\td\\re"},
        {std::string("\0\x1b]52;c;x\x07\x7f", 11), "\\x00\\x1b]52;c;x\\x07\\x7f"},
        {"\xC2\x85\xC2\x9B\xC2\xA0", "\\xc2\\x85\\xc2\\x9b\xC2\xA0"},  // NEL, CSI; NBSP stays
        {"\xFF\xE4\xB8", "\\xff\\xe4\\xb8"},                           // not UTF-8
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(Printable(text), shown) << shown;
}

TEST(Core, MaskedHidesEveryOccurrenceOfEverySecret) {
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"a pw b pw", {"pw"}, "a ******** b ********"},
        {"aaab", {"aab"}, "a********"},          // found behind a false start
        {"xabcy", {"abc", "bcy"}, "x********"},  // overlapping places: masked once
        {"abab-ab", {"abab", "ab"}, "********-********"},
        {"text", {""}, "text"},
    };
    for (const auto& [text, secrets, masked] : cases)
        EXPECT_EQ(Masked(text, secrets), masked) << text;
}

}  // namespace
}  // namespace torvale::test
