#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

const std::string kDir = Harness::kConfigDir;
const std::string kMrd = "open /Applications/\"Microsoft Remote Desktop.app\" ";
const std::string kRdc = "open /Applications/\"Remote Desktop Connection.app\" ";

struct MstscCase {
    const char* name;
    std::string fields;
    std::string targetCopy;
    std::string line;
};

class StartMstscTest : public testing::TestWithParam<MstscCase> {};

TEST_P(StartMstscTest, WritesCopiesAndOpensTheCopy) {
    Harness h;
    h.InstallAll();
    h.files.operations.clear();
    h.OpenFields("&action=StartMstsc&username=ops--x&sid=57" + GetParam().fields);

    const std::string desktop = kDir + "/activex.rdp";
    const std::string copy = kDir + "/" + GetParam().targetCopy;
    EXPECT_EQ(h.files.operations, (std::vector<std::string>{"write " + desktop, "remove " + copy,
                                                            "copy " + desktop + " " + copy}));
    EXPECT_EQ(h.files.files.at(desktop).mode, 0600u);
    EXPECT_EQ(h.files.files.at(copy).contents, h.files.files.at(desktop).contents);
    EXPECT_EQ(h.files.files.at(copy).mode, 0600u);
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{GetParam().line});
    EXPECT_TRUE(h.alerts.shown.empty());
    EXPECT_EQ(h.delegate.m_username, "ops--57");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartMstscTest,
    testing::Values(
        MstscCase{"Example", "&target_ip=10.1.2.3&", "10,1,2,3.rdp", kMrd + kDir + "/10,1,2,3.rdp"},
        MstscCase{"WithRdparg", "&target_ip=10.1.2.3&rdparg=admin&", "10,1,2,3.rdp",
                  kMrd + "/admin " + kDir + "/10,1,2,3.rdp"},
        MstscCase{"HostName", "&target_ip=srv01&", "srv01.rdp", kMrd + kDir + "/srv01.rdp"},
        MstscCase{"EmptyTarget", "&", ".rdp", kMrd + kDir + "/.rdp"},
        MstscCase{"HostileTargetAndRdparg", "&target_ip=a+b;c&rdparg=x+$(id)&", "a b;c.rdp",
                  kMrd + "/'x $(id)' '" + kDir + "/a b;c.rdp'"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StartMstsc, TargetNameIsStoredBack) {
    Harness h;
    h.InstallAll();
    h.OpenFields("&action=StartMstsc&target_ip=10.1.2.3&");
    EXPECT_EQ(h.delegate.m_target_ip, "10,1,2,3");
}

TEST(StartMstsc, FailedWriteIsReportedAndTheLaunchGoesOn) {
    Harness h;
    h.InstallAll();
    h.files.failingPaths = {kDir + "/activex.rdp", kDir + "/t.rdp"};
    h.OpenFields("&action=StartMstsc&target_ip=t&");
    EXPECT_EQ(h.alerts.shown,
              (std::vector<AlertRecord>{{"抱歉", "创建activex.rdp文件出错" + kDir + "/activex.rdp"},
                                        {"抱歉", "复制文件出错" + kDir + "/t.rdp"}}));
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{kMrd + kDir + "/t.rdp"});
}

TEST(StartMstsc, SecondLaunchReplacesTheTargetCopyOnly) {
    Harness h;
    h.InstallAll();
    h.OpenFields("&action=StartMstsc&target_ip=a&screen=1&");
    h.OpenFields("&action=StartMstsc&target_ip=b&screen=2&");
    h.OpenFields("&action=StartMstsc&target_ip=a&screen=2&");
    EXPECT_EQ(h.files.files.at(kDir + "/a.rdp").contents,
              h.files.files.at(kDir + "/b.rdp").contents);
    EXPECT_TRUE(h.alerts.shown.empty());
}

TEST(StartMstsc, TargetNamedLikeTheDesktopFileKeepsIt) {
    Harness h;
    h.InstallAll();
    h.OpenFields("&action=StartMstsc&target_ip=activex&");
    ASSERT_EQ(h.files.files.count(kDir + "/activex.rdp"), 1u);
    EXPECT_TRUE(h.alerts.shown.empty());
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{kMrd + kDir + "/activex.rdp"});
}

TEST(StartMstscAutoRun, WritesItsFileAndOpensIt) {
    Harness h;
    h.InstallAll();
    h.files.operations.clear();
    h.OpenFields("&action=StartMstscAutoRun&username=a--b&sid=1&target_ip=1.2&rdparg=x&");
    const std::string file = kDir + "/activex_autorun.rdp";
    EXPECT_EQ(h.files.operations, std::vector<std::string>{"write " + file});
    EXPECT_EQ(h.files.files.at(file).mode, 0600u);
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{kRdc + file});
    EXPECT_EQ(h.delegate.m_username, "a--1");
    EXPECT_EQ(h.delegate.m_target_ip, "1.2");
}

TEST(StartMstscAutoRun, FailedWriteAlertHasNoPath) {
    Harness h;
    h.InstallAll();
    h.files.failingPaths = {kDir + "/activex_autorun.rdp"};
    h.OpenFields("&action=StartMstscAutoRun&debug=0&");
    EXPECT_EQ(h.alerts.shown, (std::vector<AlertRecord>{{"抱歉", "创建activex.rdp文件出错"}}));
    EXPECT_EQ(h.shell.lines.size(), 1u);
}

TEST(RdpLaunchers, HomeWithSpacesIsQuoted) {
    Harness h("/Users/Jane Doe");
    h.InstallAll();
    h.OpenFields("&action=StartMstscAutoRun&");
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{
                                 kRdc + "'/Users/Jane Doe/Documents/torvale/activex_autorun.rdp'"});
}

const std::string kQuendal = "open /Applications/QuendalApp.app --args ";

struct ReplayCase {
    const char* name;
    std::string fields;
    std::string line;
};

class ReplayLineTest : public testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayLineTest, BuildsTheLine) {
    Harness h;
    h.InstallAll();
    h.OpenFields("&action=StartMstscAutoRunReplay" + GetParam().fields);
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayLineTest,
    testing::Values(
        ReplayCase{"WorkedExample",
                   "&host=10.0.0.1&port=3389&username=admin&path=notepad.exe&param=report.txt&",
                   kQuendal + "/v:\"10.0.0.1:3389\" /u:\"admin\" /p:\"\" /app-name:\"notepad.exe\" "
                              "/app-cmd:\"\\\"report.txt\\\"\""},
        ReplayCase{"UsernameUncutPortFromUrl",
                   "&username=admin--web&sid=7&port=9&sshport=22&protocol=ftp&",
                   kQuendal + "/v:\":9\" /u:\"admin--web\" /p:\"\" /app-name:\"\" "
                              "/app-cmd:\"\\\"\\\"\""},
        ReplayCase{"SpecialsEscaped", "&password=a%22b%5Cc%24d%60e!f&",
                   kQuendal + "/v:\":\" /u:\"\" /p:\"a\\\"b\\\\c\\$d\\`e!f\" /app-name:\"\" "
                              "/app-cmd:\"\\\"\\\"\""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StartMstscAutoRunReplay, DebugAlertShowsTheLineAndNothingIsWritten) {
    Harness h;
    h.InstallAll();
    h.files.operations.clear();
    h.OpenFields("&action=StartMstscAutoRunReplay&debug=1&host=h&");
    ASSERT_EQ(h.alerts.shown.size(), 2u);
    ASSERT_EQ(h.shell.lines.size(), 1u);
    EXPECT_EQ(h.alerts.shown[1], (AlertRecord{"调试", h.shell.lines[0]}));
    EXPECT_TRUE(h.files.operations.empty());
}

}  // namespace
}  // namespace torvale::test
