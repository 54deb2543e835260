// Connection files under real faults: a full disk, a read-only file system
// and a file size limit. The previous file must stay intact byte for byte, no
// temporary file may be left, and the user must be told.

#include <filesystem>

#include <gtest/gtest.h>

#include "support/Namespace.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

const std::string kMstsc =
    "torvale://&action=StartMstsc&localhost=h:3389&username=u&target_ip=10.0.0.9&screen=";
const std::string kAutoRun = "torvale://&action=StartMstscAutoRun&path=C:%5Ca.exe&screen=";

struct Fault {
    const char* name;
    const char* inject;  // shell run between the two launches
    const char* launch;  // prefix of the second torvale run
};

class FaultInjection : public testing::TestWithParam<Fault> {
  protected:
    // Launches both actions once on a small tmpfs standing for the user's
    // disk, injects the fault, launches them again with other content, and
    // keeps a copy of the directory from before and after.
    ProcessResult Run() {
        const std::string script = R"(
set -e
mkdir -p "$HOME/Documents"
mount -t tmpfs -o size=256k tmpfs "$HOME/Documents"
"$TORVALE" "$1" "$2"
cp -a "$HOME/Documents/torvale" "$OUT/before"
)" + std::string(GetParam().inject) +
                                   R"(
)" + GetParam().launch + R"( "$TORVALE" "$3" "$4" 2>&1 >/dev/null | cat >"$OUT/alerts"
cp -a "$HOME/Documents/torvale" "$OUT/after"
)";
        return RunWithApplications(
            {"Microsoft Remote Desktop.app", "Remote Desktop Connection.app"}, script,
            {kMstsc + "1&", kAutoRun + "1&", kMstsc + "2&", kAutoRun + "2&"},
            {"HOME=" + home_.path(), "XDG_CONFIG_HOME=" + home_.path(), "OUT=" + out_.path(),
             "TORVALE=" TORVALE_PATH, "PATH=" + bin_ + ":/usr/bin:/bin:/usr/sbin:/sbin"});
    }

    TempDir home_;
    TempDir out_;
    std::string bin_ = [this] {
        // `open` answers and does nothing (FAKE_OPEN_LOG is unset).
        const std::string bin = out_ / "bin";
        fs::create_directory(bin);
        fs::create_symlink(FAKE_OPEN_PATH, bin + "/open");
        return bin;
    }();
};

TEST_P(FaultInjection, PreviousFilesSurviveAndTheUserIsTold) {
    if (!CanMountApplications()) GTEST_SKIP() << "needs root and mount namespaces";
    const ProcessResult r = Run();
    ASSERT_EQ(r.exitStatus, 0) << r.err;

    const std::string before = out_ / "before";
    const std::string after = out_ / "after";
    for (const char* name : {"activex.rdp", "activex_autorun.rdp"}) {
        EXPECT_EQ(ReadFile(after + "/" + name), ReadFile(before + "/" + name)) << name;
        EXPECT_FALSE(ReadFile(before + "/" + name).empty()) << name;
    }
    for (const auto& entry : fs::directory_iterator(after)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".torvale-"))
            << "temporary file left: " << entry.path();
    }
    // The user hears of both failed writes. The copy can fail too; on a full
    // disk it may succeed in the room the removal before it freed.
    const std::string dir = home_ / "Documents/torvale";
    const std::string first = "抱歉: 创建activex.rdp文件出错" + dir + "/activex.rdp\n";
    const std::string last = "抱歉: 创建activex.rdp文件出错\n";
    const std::string alerts = ReadFile(out_ / "alerts");
    ASSERT_TRUE(alerts.starts_with(first) && alerts.ends_with(last)) << alerts;
    const std::string between =
        alerts.substr(first.size(), alerts.size() - first.size() - last.size());
    EXPECT_TRUE(between.empty() || between == "抱歉: 复制文件出错" + dir + "/10,0,0,9.rdp\n")
        << alerts;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultInjection,
    testing::Values(Fault{"FullDisk",
                          "dd if=/dev/zero of=\"$HOME/Documents/fill\" bs=4k 2>/dev/null || true",
                          ""},
                    Fault{"ReadOnly", "mount -o remount,ro \"$HOME/Documents\"", ""},
                    Fault{"FileSizeLimit", "", "prlimit --fsize=100"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace torvale::test
