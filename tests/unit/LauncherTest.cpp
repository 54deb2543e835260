// Every launcher on fakes: the exact command lines and connection files, the
// values refused, the gateways allowed, and the clients found.

#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

using Alerts = std::vector<AlertRecord>;

struct Case {
    std::string fields;
    std::string line;  // empty: nothing may run
    Alerts alerts = {};
};

// Runs each case with every client present and the given configuration.ini.
void ExpectLines(const std::vector<Case>& cases, const ClientTable& table = clients::kMacOS,
                 const std::string& configuration = "") {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        Harness h(table);
        h.InstallAll();
        h.files.files[std::string(Harness::kConfigDir) + "/configuration.ini"] = configuration;
        h.Open(c.fields);
        EXPECT_EQ(h.alerts.shown, c.alerts);
        EXPECT_EQ(h.shell.lines, c.line.empty() ? std::vector<std::string>{} : std::vector{c.line});
        if (c.line.empty()) {
            EXPECT_EQ(h.files.files.size(), 1u) << "only configuration.ini";
        }
    }
}

const std::string kCRT = "open /Applications/SecureCRT.app -n --args";
const std::string kDir = "/home/demo/Documents/torvale";

TEST(Launcher, WritesTheLinesOfEveryLauncher) {
    ExpectLines({
        // SecureCRT: the protocol picks switch and port; the login name is
        // cut after "--" and joined with the sid.
        {"&action=StartSecureCRT&protocol=ssh2&sshport=22&username=admin--web&sid=1024&crttab=1&"
         "target_username=root&target_ip=10.0.0.5&entrust_username=1&entrust_password=0&"
         "proxy_addr=10.0.0.1&",
         kCRT + " /T /N root@10.0.0.5 /ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1"},
        {"&action=StartSecureCRT&protocol=telnet&sshport=2222&username=a--b--c&sid=7&proxy_addr=gw&"
         "entrust_username=0&password=it's&crttab=true&",
         kCRT + " /telnet /l a--7 /password 'it'\"'\"'s' /P 23 gw"},
        {"&action=StartSecureCRT&protocol=SSH2&sshport=0&username=admin&sid=7&entrust_password=1&",
         kCRT + " /ssh1 /l admin7 /password '' /P 22 ''"},
        {"&action=StartSecureCRT&protocol=ssh&crttab=1&debug=1&",
         kCRT + " /T /N @ /ssh2 /AUTH password /l '' /P 22 ''",
         {{"调试", "&action=StartSecureCRT&protocol=ssh&crttab=1&debug=1&"},
          {"调试", kCRT + " /T /N @ /ssh2 /AUTH password /l '' /P 22 ''"}}},
        // Monitor and display: the host before the port, the password always.
        {"&action=StartSecureCRTDisplay&monitoruser=ops--a&sid=5&cid=9&monitorpassword=m+pw&"
         "host=10.0.0.1&monitorport=2222&protocol=telnet&",
         kCRT + " /ssh2 /AUTH password /l ops--a--5--9 /password 'm pw' 10.0.0.1 /P 2222"},
        {"&action=StartSecureCRTMonitor&monitoruser=audit&sid=1024&cid=&host=h&",
         kCRT + " /ssh2 /l audit2-1024- /password '' h /P ''"},
        // FileZilla: one server URL, its pieces quoted where they need it.
        {"&action=StartFileZilla&protocol=sftp&sshport=22&username=admin--web&sid=1024&"
         "entrust_password=0&password=x&proxy_addr=10.0.0.1&",
         "open /Applications/FileZilla.app --args sftp://admin--1024@10.0.0.1:22"},
        {"&action=StartFileZilla&protocol=ftp&sshport=2222&username=u&entrust_password=1&"
         "password=p+w@x&proxy_addr=gw&",
         "open /Applications/FileZilla.app --args ftp://'u:p w@x'@gw:21"},
        // Remote desktop: the target copy, rdparg before it.
        {"&action=StartMstsc&target_ip=10.1.2.3&",
         "open /Applications/\"Microsoft Remote Desktop.app\" " + kDir + "/10,1,2,3.rdp"},
        {"&action=StartMstsc&target_ip=srv01&rdparg=admin&",
         "open /Applications/\"Microsoft Remote Desktop.app\" /admin " + kDir + "/srv01.rdp"},
        {"&action=StartMstscAutoRun&target_ip=x&rdparg=admin&",
         "open /Applications/\"Remote Desktop Connection.app\" " + kDir + "/activex_autorun.rdp"},
        // QuendalApp: double-quoted places, no backslash anywhere.
        {"&action=StartMstscAutoRunReplay&host=10.0.0.1&port=3389&username=admin--web&sid=7&"
         "path=notepad.exe&param=report.txt&",
         "open /Applications/QuendalApp.app --args /v:\"10.0.0.1:3389\" /u:\"admin--web\" /p:\"\" "
         "/app-name:\"notepad.exe\" /app-cmd:'\"'\"report.txt\"'\"'"},
        {"&action=StartMstscAutoRunReplay&host=h&password=a%22b%5C%24%60c&param=&",
         "open /Applications/QuendalApp.app --args /v:\"h:\" /u:\"\" /p:\"a\"'\"'\"b\"'\\$`'\"c\" "
         "/app-name:\"\" /app-cmd:'\"\"'"},
    });
}

TEST(Launcher, WritesTheLinuxLines) {
    ExpectLines(
        {
            {"&action=StartSecureCRT&protocol=ssh2&username=u&proxy_addr=gw&",
             "/opt/bin/SecureCRT /ssh2 /AUTH password /l u /P 22 gw"},
            {"&action=StartFileZilla&protocol=sftp&username=u&proxy_addr=gw&",
             "/opt/bin/filezilla sftp://u@gw:22"},
            {"&action=StartMstsc&target_ip=t&rdparg=admin&",
             "/opt/bin/xfreerdp " + kDir + "/t.rdp /admin"},
            {"&action=StartMstscAutoRun&", "/opt/bin/xfreerdp " + kDir + "/activex_autorun.rdp"},
            {"&action=StartMstscAutoRunReplay&host=h&",
             "",
             {{"抱歉", "未检测到远程桌面连接程序\n请确保已安装\"QuendalApp\"程序"}}},
        },
        clients::kLinux);
}

TEST(Launcher, RefusesValuesThatWouldBecomeOptionsOrPaths) {
    const struct {
        std::string fields;
        std::string key;
    } refused[] = {
        {"&action=StartSecureCRT&username=-oProxyCommand=x&", "username"},
        {"&action=StartSecureCRT&sid=/x&", "sid"},
        {"&action=StartSecureCRT&sshport=-1&", "sshport"},
        {"&action=StartSecureCRT&proxy_addr=/etc&", "proxy_addr"},
        {"&action=StartSecureCRT&crttab=1&target_username=-x&", "target_username"},
        {"&action=StartSecureCRTDisplay&monitoruser=-x&", "monitoruser"},
        {"&action=StartSecureCRTMonitor&monitoruser=a&host=/h&", "host"},
        {"&action=StartSecureCRTMonitor&monitoruser=a&monitorport=-p&", "monitorport"},
        {"&action=StartFileZilla&protocol=&", "protocol"},
        {"&action=StartFileZilla&protocol=1ftp&", "protocol"},
        {"&action=StartFileZilla&protocol=-oftp&", "protocol"},
        {"&action=StartMstsc&rdparg=System/Applications/Calculator.app&", "rdparg"},
        {"&action=StartMstsc&rdparg=..&", "rdparg"},
        {"&action=StartMstsc&rdparg=.&", "rdparg"},
    };
    for (const auto& c : refused) {
        ExpectLines({{c.fields, "", {{"抱歉", "启动参数不安全：" + c.key}}}});
    }
    // Not refused: a password follows its switch; a tab name unused; "-" inside.
    ExpectLines({
        {"&action=StartSecureCRT&username=u&proxy_addr=gw&entrust_password=1&password=-p&target_"
         "username=-x&",
         kCRT + " /ssh1 /l u /password -p /P 22 gw"},
        {"&action=StartSecureCRTDisplay&monitoruser=a-b&monitorpassword=/p&host=h&monitorport=1&",
         kCRT + " /ssh2 /AUTH password /l a-b---- /password /p h /P 1"},
    });
    // On Linux "/" + rdparg is a FreeRDP option: only the harmless mstsc ones.
    ExpectLines(
        {{"&action=StartMstsc&rdparg=v:evil.example&", "", {{"抱歉", "启动参数不安全：rdparg"}}},
         {"&action=StartMstsc&rdparg=f&", "/opt/bin/xfreerdp " + kDir + "/.rdp /f"}},
        clients::kLinux);
}

TEST(Launcher, GoesOnlyToAllowedGateways) {
    const std::string allow = "[gateways]\nallow = 10.0.0.1, GW.example.com ,[2001:db8::1]\n";
    auto refused = [](const std::string& host) {
        return Alerts{{"抱歉", "网关不在信任列表中：" + host}};
    };
    ExpectLines(
        {
            {"&action=StartSecureCRT&username=u&proxy_addr=gw.EXAMPLE.com&",
             kCRT + " /ssh1 /l u /P 22 gw.EXAMPLE.com"},
            {"&action=StartSecureCRT&username=u&proxy_addr=10.0.0.2&", "", refused("10.0.0.2")},
            {"&action=StartFileZilla&protocol=ftp&proxy_addr=&", "", refused("")},
            {"&action=StartSecureCRTMonitor&monitoruser=a&host=gw.example.com.evil&", "",
             refused("gw.example.com.evil")},
            {"&action=StartMstsc&localhost=10.0.0.1:3389&target_ip=t&",
             "open /Applications/\"Microsoft Remote Desktop.app\" " + kDir + "/t.rdp"},
            {"&action=StartMstscAutoRun&localhost=[2001:db8::1]:3389&",
             "open /Applications/\"Remote Desktop Connection.app\" " + kDir +
                 "/activex_autorun.rdp"},
            {"&action=StartMstscAutoRun&localhost=2001:db8::2&", "", refused("2001:db8::2")},
            {"&action=StartMstscAutoRunReplay&host=10.0.0.10&port=1&", "", refused("10.0.0.10")},
            {"&action=StartPutty&", "", {{"抱歉", "putty还未实现"}}},
        },
        clients::kMacOS, allow);
    ExpectLines({{"&action=StartSecureCRT&username=u&proxy_addr=anywhere&",
                  kCRT + " /ssh1 /l u /P 22 anywhere"}},
                clients::kMacOS, "[gateways]\nallow =\n");
}

TEST(Launcher, ReportsABrokenConfigurationAndFailsClosedOnGateways) {
    const std::string file = kDir + "/configuration.ini";
    const struct {
        std::string configuration;
        int line;
        bool gatewaysBroken;
    } cases[] = {
        {"[clients]\nSecureCRT = relative/SecureCRT.app\n", 2, false},
        {"; comment\n[clients]\nPutty = /Applications/Putty.app\n", 3, false},
        {"[client]\nSecureCRT = /x\n", 2, false},
        {"[gateways]\nallow = 10.0.0.1\nnonsense\n", 3, true},
        {"[gateways]\ndeny = 10.0.0.1\n", 2, true},
        {"[clients]\nSecureCRT = /" + std::string(300, 'x') + "\n[gateways]\n", 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.configuration);
        Harness h;
        h.InstallAll();
        h.files.present.insert("/x");
        h.files.files[file] = c.configuration;
        h.Open("&action=StartSecureCRT&username=u&proxy_addr=10.0.0.1&");
        Alerts alerts{{"抱歉", "配置文件有误：" + file + ":" + std::to_string(c.line)}};
        if (c.gatewaysBroken) alerts.push_back({"抱歉", "网关不在信任列表中：10.0.0.1"});
        EXPECT_EQ(h.alerts.shown, alerts);
        // The built-in table, never a half-read one.
        EXPECT_EQ(h.shell.lines.size(), c.gatewaysBroken ? 0u : 1u);
        if (!c.gatewaysBroken) {
            EXPECT_TRUE(h.shell.lines[0].starts_with(kCRT));
        }
    }
    Harness h;
    h.files.failing.insert(file);  // there, but not a regular file we can read
    h.InstallAll();
    h.Open("&action=StartSecureCRT&username=u&proxy_addr=10.0.0.1&");
    EXPECT_EQ(h.alerts.shown, (Alerts{{"抱歉", "配置文件有误：" + file},
                                      {"抱歉", "网关不在信任列表中：10.0.0.1"}}));
}

TEST(Launcher, FindsConfiguredClientsAndSuccessors) {
    const std::string secureCRT = "&action=StartSecureCRT&username=u&proxy_addr=gw&";
    const struct {
        std::vector<std::string> installed;
        std::string configuration;
        std::string fields;
        std::string line;
        std::string reason;
    } cases[] = {
        {{"/Applications/Windows App.app"},
         "",
         "&action=StartMstsc&target_ip=t&",
         "open /Applications/\"Windows App.app\" " + kDir + "/t.rdp",
         "successor of Microsoft Remote Desktop"},
        {{"/Applications/Windows App.app", "/Applications/Microsoft Remote Desktop.app"},
         "",
         "&action=StartMstsc&target_ip=t&",
         "open /Applications/\"Microsoft Remote Desktop.app\" " + kDir + "/t.rdp",
         ""},
        {{"/Applications/Microsoft Remote Desktop.app"},
         "",
         "&action=StartMstscAutoRun&",
         "open /Applications/\"Microsoft Remote Desktop.app\" " + kDir + "/activex_autorun.rdp",
         "successor of Remote Desktop Connection"},
        {{"/home/demo/Applications/SecureCRT.app", "/Applications/SecureCRT.app"},
         "[clients]\n\nSecureCRT = ~/Applications/SecureCRT.app ; mine\n",
         secureCRT,
         "open /home/demo/Applications/SecureCRT.app -n --args /ssh1 /l u /P 22 gw",
         "configured in configuration.ini:3"},
        {{"/Users/J Doe/My Apps/Secure CRT.app"},
         "[clients]\nSecureCRT = /Users/J Doe/My Apps/Secure CRT.app\n",
         secureCRT,
         "open '/Users/J Doe/My Apps'/\"Secure CRT.app\" -n --args /ssh1 /l u /P 22 gw",
         "configured in configuration.ini:2"},
        {{"/Applications/SecureCRT.app"},
         "[clients]\nSecureCRT = /gone/SecureCRT.app\n",
         secureCRT,
         kCRT + " /ssh1 /l u /P 22 gw",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Harness h;
        h.files.present.insert(c.installed.begin(), c.installed.end());
        h.files.files[kDir + "/configuration.ini"] = c.configuration;
        h.Open(c.fields);
        EXPECT_EQ(h.shell.lines, std::vector{c.line});
        EXPECT_EQ(h.delegate.history.Entries().front().clientReason, c.reason);
        EXPECT_TRUE(h.alerts.shown.empty());
    }
    // Linux: FreeRDP before Remmina, and a configured Remmina keeps its form.
    Harness h(clients::kLinux);
    h.files.present.insert({"/opt/bin/remmina", "/usr/local/bin/remmina"});
    h.Open("&action=StartMstscAutoRun&");
    h.files.files[kDir + "/configuration.ini"] =
        "[clients]\nRemote Desktop Connection = /usr/local/bin/remmina\n";
    h.Open("&action=StartMstscAutoRun&");
    h.files.present.insert("/opt/bin/sdl-freerdp3");
    h.files.files[kDir + "/configuration.ini"] = "";
    h.Open("&action=StartMstscAutoRun&");
    EXPECT_EQ(h.shell.lines, (std::vector<std::string>{
                                 "/opt/bin/remmina -c " + kDir + "/activex_autorun.rdp",
                                 "/usr/local/bin/remmina -c " + kDir + "/activex_autorun.rdp",
                                 "/opt/bin/sdl-freerdp3 " + kDir + "/activex_autorun.rdp"}));
    // Missing: one alert, nothing written, nothing run.
    Harness none;
    none.Open("&action=StartMstsc&");
    EXPECT_EQ(none.alerts.shown,
              (Alerts{{"抱歉",
                       "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有"
                       "\"Microsoft Remote Desktop.app\"程序"}}));
    EXPECT_TRUE(none.shell.lines.empty());
}

TEST(Launcher, WritesTheConnectionFilesByteForByte) {
    Harness h;
    h.InstallAll();
    h.Open(
        "&action=StartMstsc&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&clipboard=1&"
        "disk=*&entrust_password=0&target_ip=10.1.2.3&");
    const std::string desktop =
        "screen mode id:i:1\ndesktopwidth:i:1024\ndesktopheight:i:768\nsession bpp:i:16 \n"
        "full address:s:192.0.2.7:3389\nusername:s:ops--57\npromptcredentialonce:i:1 \n"
        "alternate shell:s: \nshell working directory:s: \nredirectclipboard:i:1\n"
        "drivestoredirect:s:*\ndomain:s:-- \n\n";
    EXPECT_EQ(desktop.size(), 257u);
    EXPECT_EQ(h.files.files[kDir + "/activex.rdp"], desktop);
    EXPECT_EQ(h.files.files[kDir + "/10,1,2,3.rdp"], desktop);
    EXPECT_EQ(h.files.modes[kDir + "/10,1,2,3.rdp"], 0600u);

    h.Open(
        "&action=StartMstscAutoRun&localhost=192.0.2.7:3389&username=ops--&sid=57&"
        "path=C:%5CTools%5CViewer%5CViewer.exe+-r&clipboard=0&");
    const std::string autorun =
        "screen mode id:i:2\nsession bpp:i:16 \nfull address:s:192.0.2.7:3389\nusername:s:ops--57\n"
        "promptcredentialonce:i:1 \nalternate shell:s:C:\\Tools\\Viewer\\Viewer.exe -r \n"
        "shell working directory:s:C:\\Tools\\Viewer\nredirectclipboard:i:0\ndrivestoredirect:s:\n"
        "domain:s:\n\n";
    EXPECT_EQ(autorun.size(), 256u);
    EXPECT_EQ(h.files.files[kDir + "/activex_autorun.rdp"], autorun);

    // The empty desktop file, with the lines of the same settings replaced.
    auto emptyWith = [](std::vector<std::string> lines) {
        std::string text =
            "screen mode id:i:2\nsession bpp:i:16 \nfull address:s:\nusername:s:\n"
            "promptcredentialonce:i:1 \nalternate shell:s: \nshell working directory:s: \n"
            "redirectclipboard:i:\ndrivestoredirect:s:\ndomain:s:-- \n\n";
        for (const std::string& line : lines) {
            const std::size_t at = text.find(line.substr(0, line.find(':') + 3));
            text.replace(at, text.find('\n', at) + 1 - at, line);
        }
        return text;
    };
    const struct {
        std::string fields;
        std::string file;
    } cases[] = {
        {"&screen=1&entrust_password=1&password=pw&",
         emptyWith(
             {"screen mode id:i:1\ndesktopwidth:i:800\ndesktopheight:i:600\n", "domain:s:pw--\n"})},
        {"&screen=01&entrust_password=1&", emptyWith({"domain:s:--\n"})},
        // No value starts a line of its own, whatever line end it holds.
        {"&username=a%0D%0Aalternate+shell:s:calc&",
         emptyWith({"username:s:aalternate shell:s:calc\n"})},
        {"&disk=a%0B%0C%00%1B%C2%85%E2%80%A8%E2%80%A9%09b&",
         emptyWith({"drivestoredirect:s:a\tb\n"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        Harness rdp;
        rdp.InstallAll();
        rdp.Open("&action=StartMstsc&" + c.fields);
        EXPECT_EQ(rdp.files.files[kDir + "/.rdp"], c.file);
    }
}

TEST(Launcher, ReportsFailedWritesAndStillRuns) {
    const std::string desktop = kDir + "/activex.rdp";
    const std::string copy = kDir + "/t.rdp";
    const struct {
        std::string failing;
        std::string fields;
        Alerts alerts;
    } cases[] = {
        {desktop,
         "&action=StartMstsc&target_ip=t&",
         {{"抱歉", "创建activex.rdp文件出错" + desktop}}},
        {copy, "&action=StartMstsc&target_ip=t&", {{"抱歉", "复制文件出错" + copy}}},
        {kDir + "/activex_autorun.rdp",
         "&action=StartMstscAutoRun&",
         {{"抱歉", "创建activex.rdp文件出错"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        Harness h;
        h.InstallAll();
        h.files.failing.insert(c.failing);
        h.Open(c.fields);
        EXPECT_EQ(h.alerts.shown, c.alerts);
        EXPECT_EQ(h.shell.lines.size(), 1u);
        EXPECT_EQ(h.delegate.history.Entries().front().outcome, Outcome::WriteFailed);
    }
}

}  // namespace
}  // namespace torvale::test
