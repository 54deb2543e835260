// Connection files under real faults: a full disk, a read-only file system,
// a file size limit, a file system without hard links. What was there before
// stays byte for byte, no temporary file is left, and the user is told.

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

TEST(FaultInjection, PreviousFilesSurviveAndTheUserIsTold) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const struct {
        const char* name;
        const char* inject;  // shell run between the two launches
        const char* launch;  // what the second torvale runs under
        bool fails;
    } faults[] = {
        {"full disk", "dd if=/dev/zero of=\"$HOME/Documents/fill\" bs=4k 2>/dev/null || true", "",
         true},
        {"read-only", "mount -o remount,ro \"$HOME/Documents\"", "", true},
        {"size limit", "", "prlimit --fsize=100", true},
        // SMB homes and exFAT: link() fails there, and nothing may need it.
        {"no hard links", "",
         "strace -f -qq -o /dev/null -e trace=link,linkat -e inject=link,linkat:error=EPERM",
         false},
    };
    const std::string mstsc =
        "torvale://&action=StartMstsc&localhost=h:3389&target_ip=10.0.0.9&screen=";
    const std::string autorun = "torvale://&action=StartMstscAutoRun&path=C:%5Ca.exe&screen=";
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        TempDir home, out;
        fs::create_directories(out / "bin");
        fs::create_symlink(RECORD_ARGV_PATH, out / "bin/open");
        // Both actions once on a small tmpfs standing for the user's disk,
        // then the fault, then both again with other content.
        const std::string script =
            "set -e\nmkdir -p \"$HOME/Documents\" \"$OUT/apps/a.app\"\n"
            "mount -t tmpfs -o size=256k tmpfs \"$HOME/Documents\"\nmkdir "
            "\"$HOME/Documents/torvale\"\n"
            "printf '[clients]\\nMicrosoft Remote Desktop = %s\\nRemote Desktop Connection = "
            "%s\\n' "
            "\"$OUT/apps/a.app\" \"$OUT/apps/a.app\" "
            ">\"$HOME/Documents/torvale/configuration.ini\"\n"
            "\"$TORVALE\" \"$1\" \"$2\"\ncp -a \"$HOME/Documents/torvale\" \"$OUT/before\"\n" +
            std::string(fault.inject) + "\n" + fault.launch +
            " \"$TORVALE\" \"$3\" \"$4\" 2>&1 >/dev/null | cat >\"$OUT/alerts\"\n"
            "cp -a \"$HOME/Documents/torvale\" \"$OUT/after\"\n";
        const ProcessResult r = RunProcess(
            {"unshare", "-m", "--propagation", "private", "/bin/sh", "-c", script, "sh",
             mstsc + "1&", autorun + "1&", mstsc + "2&", autorun + "2&"},
            {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path(), "OUT=" + out.path(),
             "TORVALE=" TORVALE_PATH, "PATH=" + (out / "bin") + ":/usr/bin:/bin:/usr/sbin:/sbin"});
        ASSERT_EQ(r.exitStatus, 0) << r.err;

        for (const char* name : {"activex.rdp", "activex_autorun.rdp", "10,0,0,9.rdp"}) {
            const std::string before = ReadFile(out / ("before/" + std::string(name)));
            const std::string after = ReadFile(out / ("after/" + std::string(name)));
            EXPECT_TRUE(before.starts_with("screen mode id:i:1\ndesktopwidth:i:800\n")) << name;
            // Whole files only: the old one, or where writes work the new.
            EXPECT_EQ(after, fault.fails ? before : after) << name;
            EXPECT_TRUE(fault.fails ||
                        after.starts_with("screen mode id:i:1\ndesktopwidth:i:1024\n"))
                << name;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(out / "after"), fs::directory_iterator()),
                  4);
        const std::string dir = home / "Documents/torvale";
        EXPECT_EQ(ReadFile(out / "alerts"),
                  fault.fails ? "抱歉: 创建activex.rdp文件出错" + dir + "/activex.rdp\n" +
                                    "抱歉: 复制文件出错" + dir + "/10,0,0,9.rdp\n" +
                                    "抱歉: 创建activex.rdp文件出错\n"
                              : "");
    }
}

}  // namespace
}  // namespace torvale::test
