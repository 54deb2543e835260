#include <gtest/gtest.h>

#include "platform/headless/FilePreferences.h"
#include "platform/headless/StderrAlertPanel.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

TEST(AlertLine, EscapesBackslashLineFeedAndTabOnly) {
    EXPECT_EQ(AlertLine("抱歉", "未检测到SecureCRT\n请确保"), "抱歉: 未检测到SecureCRT\\n请确保");
    EXPECT_EQ(AlertLine("调试", "a\\n\tb\"c'"), "调试: a\\\\n\\tb\"c'");
    EXPECT_EQ(AlertLine("t", ""), "t: ");
}

TEST(FilePreferences, DefaultPathFollowsXdg) {
    EXPECT_EQ(FilePreferences::DefaultPath(nullptr, "/h"), "/h/.config/torvale/torvale.conf");
    EXPECT_EQ(FilePreferences::DefaultPath("", "/h"), "/h/.config/torvale/torvale.conf");
    EXPECT_EQ(FilePreferences::DefaultPath("/x", "/h"), "/x/torvale/torvale.conf");
}

TEST(FilePreferences, MissingFileReadsFalseAndWritingCreatesIt) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "config/torvale/torvale.conf";
    FilePreferences preferences(files, path);
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));
    preferences.SetBool("AlertSuppression", true);
    EXPECT_EQ(ReadFile(path), "AlertSuppression=true\n");
    EXPECT_TRUE(FilePreferences(files, path).GetBool("AlertSuppression"));
}

TEST(FilePreferences, WritingKeepsOtherLinesAndReplacesTheKey) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "torvale.conf";
    WriteFile(path,
              "# mine\nAlertSuppressionX=true\nAlertSuppression=false\nAlertSuppression=no\n");
    FilePreferences preferences(files, path);
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));
    preferences.SetBool("AlertSuppression", true);
    EXPECT_EQ(ReadFile(path), "# mine\nAlertSuppressionX=true\nAlertSuppression=true\n");
}

}  // namespace
}  // namespace torvale::test
