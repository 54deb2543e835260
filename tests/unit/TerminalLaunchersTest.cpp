#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

const std::string kCrt = "open /Applications/SecureCRT.app -n --args";

struct LineCase {
    const char* name;
    std::string fields;
    std::string line;
};

std::string RunFor(const std::string& action, const std::string& fields, Harness& h) {
    h.InstallAll();
    h.OpenFields("&action=" + action + fields);
    EXPECT_EQ(h.shell.lines.size(), 1u);
    return h.shell.lines.empty() ? std::string() : h.shell.lines[0];
}

class SecureCRTLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(SecureCRTLineTest, BuildsTheLine) {
    Harness h;
    EXPECT_EQ(RunFor("StartSecureCRT", GetParam().fields, h), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecureCRTLineTest,
    testing::Values(
        LineCase{
            "WorkedExample",
            "&protocol=ssh2&sshport=22&username=admin--web&sid=1024&crttab=1&target_username="
            "root&target_ip=10.0.0.5&entrust_username=1&entrust_password=0&proxy_addr=10.0.0.1&",
            kCrt + " /T /N root@10.0.0.5 /ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1"},
        LineCase{"EntrustPassword",
                 "&protocol=ssh&username=admin--web&sid=1024&entrust_password=1&password=pw&proxy_"
                 "addr=10.0.0.1&",
                 kCrt + " /ssh2 /AUTH password /l admin--1024 /password pw /P 22 10.0.0.1"},
        LineCase{
            "EntrustUsernameZeroForcesPassword",
            "&protocol=ssh2&username=a&sid=7&entrust_username=0&entrust_password=0&password=pw&"
            "proxy_addr=gw&",
            kCrt + " /ssh2 /AUTH password /l a7 /password pw /P 22 gw"},
        LineCase{"TelnetIgnoresSshport",
                 "&protocol=telnet&sshport=2222&port=99&username=u&proxy_addr=gw&",
                 kCrt + " /telnet /l u /P 23 gw"},
        LineCase{"OtherProtocolIsSsh1", "&protocol=SSH2&sshport=2222&port=99&proxy_addr=gw&",
                 kCrt + " /ssh1 /l  /P 2222 gw"},
        LineCase{"EmptyProtocolIsSsh1", "&proxy_addr=gw&", kCrt + " /ssh1 /l  /P 22 gw"},
        LineCase{"TabWithEmptyNames", "&crttab=1&protocol=ssh2&username=u&proxy_addr=gw&",
                 kCrt + " /T /N @ /ssh2 /AUTH password /l u /P 22 gw"},
        LineCase{"CrttabTrueIsNoTab", "&crttab=true&protocol=telnet&username=u&proxy_addr=gw&",
                 kCrt + " /telnet /l u /P 23 gw"},
        LineCase{"EmptyProxyLeavesTrailingBlank", "&protocol=ssh2&username=u&",
                 kCrt + " /ssh2 /AUTH password /l u /P 22 "},
        LineCase{"LoginCutAfterFirstSeparator",
                 "&protocol=ssh2&username=a--b--c&sid=7&proxy_addr=g&",
                 kCrt + " /ssh2 /AUTH password /l a--7 /P 22 g"},
        LineCase{"ChineseValuesUnquoted",
                 "&protocol=ssh2&username=%E5%BC%A0%E4%B8%89--x&sid=1&proxy_addr=g&",
                 kCrt + " /ssh2 /AUTH password /l 张三--1 /P 22 g"},
        LineCase{
            "HostileValuesQuoted",
            "&protocol=ssh2&username=a+b&sid=%3Bid&entrust_password=1&password=it's&proxy_"
            "addr=%24(reboot)&",
            kCrt + " /ssh2 /AUTH password /l 'a b;id' /password 'it'\\''s' /P 22 '$(reboot)'"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StartSecureCRT, RewritesThreeParameters) {
    Harness h;
    RunFor("StartSecureCRT",
           "&protocol=telnet&username=admin--web&sid=7&entrust_username=0&port=99&", h);
    EXPECT_EQ(h.delegate.m_entrust_password, "1");
    EXPECT_EQ(h.delegate.m_port, "23");
    EXPECT_EQ(h.delegate.m_username, "admin--7");
}

TEST(StartSecureCRT, DebugAlertShowsTheLineThatRuns) {
    Harness h;
    const std::string line = RunFor("StartSecureCRT", "&debug=1&proxy_addr=a+b&", h);
    ASSERT_EQ(h.alerts.shown.size(), 2u);
    EXPECT_EQ(h.alerts.shown[1], (AlertRecord{"调试", line}));
}

class MonitorLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(MonitorLineTest, BuildsTheLine) {
    Harness h;
    const std::string action = std::string(GetParam().name).starts_with("Display")
                                   ? "StartSecureCRTDisplay"
                                   : "StartSecureCRTMonitor";
    EXPECT_EQ(RunFor(action, GetParam().fields, h), GetParam().line);
}

const std::string kMonitorFields =
    "&monitoruser=audit&sid=1024&cid=3&monitorpassword=pw&host=10.0.0.1&monitorport=2222&"
    "protocol=telnet&crttab=1&username=x&proxy_addr=y&sshport=1&";

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorLineTest,
    testing::Values(
        LineCase{"DisplayWorkedExample", kMonitorFields,
                 kCrt + " /ssh2 /AUTH password /l audit--1024--3 /password pw 10.0.0.1 /P 2222"},
        LineCase{"MonitorWorkedExample", kMonitorFields,
                 kCrt + " /ssh2 /l audit2-1024-3 /password pw 10.0.0.1 /P 2222"},
        LineCase{"DisplayKeepsSeparatorsInUser", "&monitoruser=ops--a&sid=5&cid=9&",
                 kCrt + " /ssh2 /AUTH password /l ops--a--5--9 /password   /P "},
        LineCase{"MonitorKeepsSeparatorsInUser", "&monitoruser=ops--a&sid=5&cid=9&",
                 kCrt + " /ssh2 /l ops--a2-5-9 /password   /P "},
        LineCase{"MonitorQuotesHostile", "&monitoruser=a&monitorpassword=%60id%60&host=-x+y&",
                 kCrt + " /ssh2 /l a2-- /password '`id`' '-x y' /P "}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StartSecureCRTMonitor, RewritesNothing) {
    Harness h;
    RunFor("StartSecureCRTMonitor", "&username=a--b&sid=1&port=9&", h);
    EXPECT_EQ(h.delegate.m_username, "a--b");
    EXPECT_EQ(h.delegate.m_port, "9");
}

const std::string kZilla = "open /Applications/FileZilla.app --args ";

class FileZillaLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(FileZillaLineTest, BuildsTheLine) {
    Harness h;
    EXPECT_EQ(RunFor("StartFileZilla", GetParam().fields, h), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileZillaLineTest,
    testing::Values(
        LineCase{"WorkedExample",
                 "&protocol=sftp&sshport=22&username=admin--web&sid=1024&entrust_password=0&proxy_"
                 "addr=10.0.0.1&",
                 kZilla + "sftp://admin--1024@10.0.0.1:22"},
        LineCase{"FtpIsPort21", "&protocol=ftp&sshport=2222&port=9&username=a&sid=7&proxy_addr=g&",
                 kZilla + "ftp://a7@g:21"},
        LineCase{"UpperFtpUsesSshport", "&protocol=FTP&sshport=2222&proxy_addr=g&",
                 kZilla + "FTP://@g:2222"},
        LineCase{"EntrustUsernameHasNoEffect", "&protocol=sftp&entrust_username=0&password=p&",
                 kZilla + "sftp://@:22"},
        LineCase{"PasswordInUserPart",
                 "&protocol=sftp&username=a--b&sid=7&entrust_password=1&password=p%40ss:%2F&proxy_"
                 "addr=g&",
                 kZilla + "sftp://a--7:p@ss:/@g:22"},
        LineCase{"EmptyPasswordLeavesColon", "&protocol=sftp&username=a&entrust_password=1&",
                 kZilla + "sftp://a:@:22"},
        LineCase{"HostilePiecesStayOneWord",
                 "&protocol=sftp&username=admin--x&sid=7&entrust_password=1&password=p+w&proxy_"
                 "addr=10.0.0.1&",
                 kZilla + "sftp://'admin--7:p w'@10.0.0.1:22"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StartFileZilla, UserPartIsKeptInUsername) {
    Harness h;
    RunFor("StartFileZilla", "&protocol=ftp&username=a--b&sid=7&entrust_password=1&password=p&", h);
    EXPECT_EQ(h.delegate.m_username, "a--7:p");
    EXPECT_EQ(h.delegate.m_port, "21");
}

}  // namespace
}  // namespace torvale::test
