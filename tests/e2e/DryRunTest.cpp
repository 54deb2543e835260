// `torvale --dry-run`, end to end: nothing written, nothing run, and the
// report for one URL of every action against reviewed golden files.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/Process.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

// One launch URL for every action, and one that fails to decode.
const std::vector<std::string> kEveryAction = {
    "torvale://&action=StartPutty&",
    "torvale://&action=StartWinscp&",
    "torvale://"
    "&action=StartFileZilla&protocol=sftp&username=admin--web&sid=1024&entrust_password=1&"
    "password=p%40ss+word&proxy_addr=10.0.0.1&debug=1&",
    "torvale://&action=StartFlashXP&",
    "torvale://&action=StartSecureCRT&protocol=ssh2&sshport=22&username=admin--web&sid=1024&"
    "crttab=1&target_username=root&target_ip=10.0.0.5&entrust_username=0&password=it's&proxy_addr="
    "10.0.0.1&debug=1&",
    "torvale://"
    "&action=StartMstsc&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&clipboard=1&"
    "disk=*&entrust_password=1&password=s3cret&target_ip=10.1.2.3&rdparg=admin&",
    "torvale://&action=StartPuttyMonitor&",
    "torvale://&action=StartPuttyDisplay&",
    "torvale://&action=StartSecureCRTDisplay&monitoruser=audit&sid=1024&cid=3&monitorpassword=m+pw&"
    "host=10.0.0.1&monitorport=2222&debug=1&",
    "torvale://&action=StartSecureCRTMonitor&monitoruser=audit&sid=1024&cid=3&monitorpassword=mpw&"
    "host=10.0.0.1&monitorport=2222&",
    "torvale://&action=StartRdpReplay&",
    "torvale://&action=StartMstscMonitor&",
    "torvale://&action=StartMstscAutoRun&localhost=192.0.2.7:3389&username=ops--&sid=57&path=C:%5C"
    "Tools%5CViewer%5CViewer.exe+-r&clipboard=0&password=pw&",
    "torvale://"
    "&action=StartMstscAutoRunReplay&host=10.0.0.1&port=3389&username=admin&password=a%22b&"
    "path=notepad.exe&param=report.txt&debug=1&",
    "torvale://&action=StartPutty&note=50%+off&",
};

class DryRunCommand : public testing::Test {
  protected:
    DryRunCommand() {
        ::mkdir(bin_.c_str(), 0700);
        ::symlink(FAKE_OPEN_PATH, (bin_ + "/open").c_str());
    }

    ProcessResult Torvale(std::vector<std::string> args, const std::string& home) {
        args.insert(args.begin(), TORVALE_PATH);
        return RunProcess(args, {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                 "PATH=" + bin_ + ":/usr/bin:/bin", "FAKE_OPEN_LOG=" + log_});
    }

    // Compares with a golden file; TORVALE_UPDATE_GOLDEN=1 rewrites it.
    static void ExpectGolden(const std::string& actual, const std::string& name) {
        const std::string path = std::string(GOLDEN_DIR) + "/" + name;
        if (const char* update = std::getenv("TORVALE_UPDATE_GOLDEN"); update && *update == '1') {
            WriteFile(path, actual);
        }
        EXPECT_EQ(actual, ReadFile(path)) << "golden file " << path;
    }

    TempDir scratch_;
    std::string bin_ = scratch_ / "bin";
    std::string log_ = scratch_ / "open.log";
};

TEST_F(DryRunCommand, WritesNothingAndRunsNothing) {
    TempDir home;
    std::vector<std::string> args = {"--dry-run", "--assume-installed"};
    args.insert(args.end(), kEveryAction.begin(), kEveryAction.end());
    const ProcessResult r = Torvale(args, home.path());
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
    EXPECT_FALSE(std::filesystem::exists(log_));
}

TEST_F(DryRunCommand, TextReportOfEveryAction) {
    std::vector<std::string> args = {"--dry-run", "--assume-installed"};
    args.insert(args.end(), kEveryAction.begin(), kEveryAction.end());
    ExpectGolden(Torvale(args, "/nonexistent/golden-home").out, "dry-run.txt");
}

TEST_F(DryRunCommand, JsonReportOfEveryAction) {
    std::vector<std::string> args = {"-n", "--assume-installed", "--json"};
    args.insert(args.end(), kEveryAction.begin(), kEveryAction.end());
    ExpectGolden(Torvale(args, "/nonexistent/golden-home").out, "dry-run.jsonl");
}

TEST_F(DryRunCommand, SecretsMaskedUnlessAsked) {
    const std::string url = kEveryAction[5] + "&monitorpassword=hunter2&password=later&";
    const ProcessResult masked = Torvale({"-n", "--assume-installed", url}, "/nonexistent/h");
    EXPECT_EQ(masked.out.find("s3cret"), std::string::npos);
    EXPECT_EQ(masked.out.find("hunter2"), std::string::npos);
    EXPECT_NE(masked.out.find("domain:s:********--$"), std::string::npos) << masked.out;
    const ProcessResult shown =
        Torvale({"-n", "--assume-installed", "--show-secrets", url}, "/nonexistent/h");
    EXPECT_NE(shown.out.find("domain:s:s3cret--$"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("hunter2"), std::string::npos);
}

TEST_F(DryRunCommand, WithoutAssumingClientsTheRealCheckShows) {
    if (std::filesystem::exists("/Applications/SecureCRT.app")) GTEST_SKIP();
    const ProcessResult r = Torvale({"-n", kEveryAction[4]}, "/nonexistent/h");
    EXPECT_NE(r.out.find("alert    抱歉: 未检测到SecureCRT"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("command"), std::string::npos);
}

TEST_F(DryRunCommand, DecodingFailureNamesTheByte) {
    const ProcessResult r = Torvale({"-n", "torvale://&action=StartPutty&x=%E4%B8%&"}, "/h");
    EXPECT_NE(r.out.find("decoding failed at byte 31: not UTF-8\n"), std::string::npos) << r.out;
}

TEST_F(DryRunCommand, OptionsNeedDryRun) {
    EXPECT_EQ(Torvale({"--json", "torvale://&"}, "/nonexistent/h").exitStatus, 2);
}

}  // namespace
}  // namespace torvale::test
