// The `torvale` binary, end to end, with a temporary HOME and XDG_CONFIG_HOME.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/Namespace.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

class TorvaleCommand : public testing::Test {
  protected:
    TorvaleCommand() {
        ::mkdir(bin_.c_str(), 0700);
        ::symlink(FAKE_OPEN_PATH, (bin_ + "/open").c_str());
    }

    std::vector<std::string> Env() const {
        return {"HOME=" + home_.path(), "XDG_CONFIG_HOME=" + config_.path(),
                "PATH=" + bin_ + ":/usr/bin:/bin", "FAKE_OPEN_LOG=" + log_, "LC_ALL=C.UTF-8"};
    }

    ProcessResult Torvale(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), TORVALE_PATH);
        return RunProcess(args, Env(), input);
    }

    // Runs torvale with the given bundles installed under /Applications.
    ProcessResult TorvaleWithClients(const std::vector<std::string>& bundles,
                                     const std::vector<std::string>& urls) {
        std::vector<std::string> arguments = {TORVALE_PATH};
        arguments.insert(arguments.end(), urls.begin(), urls.end());
        return RunWithApplications(bundles, "exec \"$@\"", arguments, Env());
    }

    TempDir home_;
    TempDir config_;
    TempDir scratch_;
    std::string bin_ = scratch_ / "bin";
    std::string log_ = scratch_ / "open.log";
};

TEST_F(TorvaleCommand, PlaceholderAlertAndExitZero) {
    const ProcessResult r = Torvale({"torvale://&action=StartPutty&"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "抱歉: putty还未实现\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(TorvaleCommand, StrayPercentIsAnUnknownAction) {
    const ProcessResult r = Torvale({"torvale://&action=StartPutty&debug=1&note=100%&"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "错误: 未知接口\n");
}

TEST_F(TorvaleCommand, DebugShowsTheDecodedUrlFirst) {
    const ProcessResult r = Torvale({"torvale://&action=Nope&debug=1&x=a%5Cb%0Ac+d&"});
    EXPECT_EQ(r.err, "调试: &action=Nope&debug=1&x=a\\\\b\\nc d&\n错误: 未知接口\n");
}

TEST_F(TorvaleCommand, MissingClientShowsItsNotFoundText) {
    const std::string url = "torvale://&action=StartSecureCRT&";
    const bool isolated = CanMountApplications();
    if (!isolated && ::access("/Applications/SecureCRT.app", F_OK) == 0) GTEST_SKIP();
    const ProcessResult r = isolated ? TorvaleWithClients({}, {url}) : Torvale({url});
    EXPECT_EQ(r.err,
              "抱歉: 未检测到SecureCRT\\n请确保在\"应用程序(/Applications)\"目录有"
              "\"SecureCRT.app\"程序\n");
}

TEST_F(TorvaleCommand, SuppressionFromThePreferencesFile) {
    ::mkdir((config_ / "torvale").c_str(), 0700);
    WriteFile(config_ / "torvale/torvale.conf", "AlertSuppression=true\n");
    const ProcessResult r = Torvale({"torvale://&action=StartPutty&debug=1&"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "Alert suppressed\nAlert suppressed\n");
}

TEST_F(TorvaleCommand, StartUpMakesTheUserDataDirectory) {
    Torvale({"torvale://&"});
    EXPECT_EQ(FileMode(home_ / "Documents/torvale"), 0700u);
    EXPECT_EQ(ReadFile(home_ / "Documents/torvale/configuration.ini"), "");
}

TEST_F(TorvaleCommand, ReadsUrlsFromStandardInputInOrder) {
    const ProcessResult r = Torvale(
        {}, "torvale://&action=StartPutty&\r\n\ntorvale://&action=StartWinscp&\ntorvale://&");
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "抱歉: putty还未实现\n抱歉: winscp还未实现\n错误: 未知接口\n");
}

TEST_F(TorvaleCommand, ArgumentsInOrderAndDoubleDash) {
    const ProcessResult r =
        Torvale({"--", "torvale://&action=StartRdpReplay&", "-torvale:/&action=StartPutty&"});
    EXPECT_EQ(r.err, "抱歉: rdplayer还未实现\n抱歉: putty还未实现\n");
}

TEST_F(TorvaleCommand, HelpVersionAndUsageErrors) {
    const ProcessResult help = Torvale({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("Usage: torvale"), std::string::npos);
    const ProcessResult version = Torvale({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_TRUE(version.out.starts_with("torvale ")) << version.out;
    const ProcessResult bad = Torvale({"--frobnicate", "torvale://&action=StartPutty&"});
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_EQ(bad.err,
              "torvale: unknown option '--frobnicate'\nTry 'torvale --help' for more information.\n");
}

TEST_F(TorvaleCommand, SecureCRTWorkedExampleReachesOpen) {
    if (!CanMountApplications()) GTEST_SKIP() << "needs root and mount namespaces";
    const ProcessResult r = TorvaleWithClients(
        {"SecureCRT.app"},
        {"torvale://&action=StartSecureCRT&protocol=ssh2&sshport=22&username=admin--web&sid=1024&"
         "crttab=1&target_username=root&target_ip=10.0.0.5&entrust_username=1&entrust_password=0&"
         "proxy_addr=10.0.0.1&debug=1&"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_NE(r.err.find("调试: open /Applications/SecureCRT.app -n --args /T /N root@10.0.0.5 "
                         "/ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadOpenLog(log_),
              (std::vector<std::vector<std::string>>{
                  {"/Applications/SecureCRT.app", "-n", "--args", "/T", "/N", "root@10.0.0.5",
                   "/ssh2", "/AUTH", "password", "/l", "admin--1024", "/P", "22", "10.0.0.1"}}));
}

TEST_F(TorvaleCommand, RemoteDesktopWritesItsFilesUnderHome) {
    if (!CanMountApplications()) GTEST_SKIP() << "needs root and mount namespaces";
    const ProcessResult r = TorvaleWithClients(
        {"Microsoft Remote Desktop.app", "Remote Desktop Connection.app"},
        {"torvale://&action=StartMstsc&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&"
         "clipboard=1&disk=*&entrust_password=0&target_ip=10.1.2.3&",
         "torvale://&action=StartMstscAutoRun&localhost=192.0.2.7:3389&username=ops--&sid=57&"
         "path=C:%5CTools%5CViewer%5CViewer.exe+-r&clipboard=0&"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string dir = home_ / "Documents/torvale";
    EXPECT_EQ(ReadFile(dir + "/activex.rdp").size(), 257u);
    EXPECT_EQ(ReadFile(dir + "/10,1,2,3.rdp"), ReadFile(dir + "/activex.rdp"));
    EXPECT_EQ(ReadFile(dir + "/activex_autorun.rdp").size(), 256u);
    EXPECT_EQ(ReadOpenLog(log_),
              (std::vector<std::vector<std::string>>{
                  {"/Applications/Microsoft Remote Desktop.app", dir + "/10,1,2,3.rdp"},
                  {"/Applications/Remote Desktop Connection.app", dir + "/activex_autorun.rdp"}}));
}

}  // namespace
}  // namespace torvale::test
