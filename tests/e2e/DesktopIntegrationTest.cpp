// A Linux desktop hands torvale:// URLs to the installed desktop entry:
// xdg-open, with the entry made the default handler, reaches `torvale`.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/Process.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

bool OnPath(const std::string& program) {
    return RunProcess({"/bin/sh", "-c", "command -v " + program}, {"PATH=/usr/bin:/bin"})
               .exitStatus == 0;
}

TEST(DesktopIntegration, XdgOpenReachesTorvale) {
    if (!OnPath("xdg-open") || !OnPath("xdg-mime")) GTEST_SKIP() << "xdg-utils not installed";
    TempDir root;
    for (const char* dir : {"data", "data/applications", "config", "bin", "home"}) {
        ::mkdir((root / dir).c_str(), 0700);
    }
    WriteFile(root / "data/applications/torvale.desktop", ReadFile(DESKTOP_FILE));
    ASSERT_EQ(::symlink(TORVALE_PATH, (root / "bin/torvale").c_str()), 0);

    // xdg-open consults desktop entries only when it sees a display; on this
    // generic path it never connects to one.
    const std::vector<std::string> env = {"HOME=" + (root / "home"),
                                          "XDG_DATA_HOME=" + (root / "data"),
                                          "XDG_CONFIG_HOME=" + (root / "config"),
                                          "XDG_DATA_DIRS=" + (root / "none"),
                                          "PATH=" + (root / "bin") + ":/usr/bin:/bin",
                                          "DISPLAY=:99"};
    ASSERT_EQ(
        RunProcess({"xdg-mime", "default", "torvale.desktop", "x-scheme-handler/torvale"}, env)
            .exitStatus,
        0);
    const ProcessResult r = RunProcess({"xdg-open", "torvale://&action=StartPutty&"}, env);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "抱歉: putty还未实现\n");
}

}  // namespace
}  // namespace torvale::test
