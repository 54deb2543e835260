#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

TEST(Startup, FirstStartCreatesPrivateDirectoryAndEmptyConfiguration) {
    Harness h;
    EXPECT_EQ(h.delegate.ConfigDir, "/home/demo/Documents/torvale");
    EXPECT_EQ(h.files.operations,
              (std::vector<std::string>{"mkdir /home/demo/Documents/torvale 448",
                                        "write /home/demo/Documents/torvale/configuration.ini"}));
    EXPECT_EQ(h.files.files.at("/home/demo/Documents/torvale/configuration.ini").contents, "");
}

TEST(Startup, ExistingEntriesAreLeftAlone) {
    Harness h;
    FakeFileSystem& files = h.files;
    files.operations.clear();
    files.files["/home/demo/Documents/torvale/configuration.ini"].contents = "kept";
    h.delegate.applicationWillFinishLaunching("/home/demo");
    EXPECT_TRUE(files.operations.empty());
    EXPECT_EQ(files.files["/home/demo/Documents/torvale/configuration.ini"].contents, "kept");
}

TEST(Startup, FailedDirectoryStillTriesTheFileAndKeepsThePath) {
    FakeAlertPanel alerts;
    FakePreferences preferences;
    FakeFileSystem files;
    FakeShell shell;
    FakeLog log;
    files.failingPaths = {"/h/Documents/torvale", "/h/Documents/torvale/configuration.ini"};
    AppDelegate delegate({alerts, preferences, files, shell, log});
    delegate.applicationWillFinishLaunching("/h");
    EXPECT_EQ(delegate.ConfigDir, "/h/Documents/torvale");
    EXPECT_EQ(files.operations.size(), 2u);
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace torvale::test
