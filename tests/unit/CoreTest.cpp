// What the case table cannot say: the queue's bound, and the text that leaves
// the process.

#include <gtest/gtest.h>

#include "base/Printable.h"
#include "base/WindowsCommandLine.h"
#include "core/Executor.h"
#include "core/HandlerArguments.h"
#include "core/LaunchHistory.h"
#include "core/address/Address.h"
#include "core/clients/CertificatePrompt.h"
#include "core/clients/Resolution.h"
#include "core/config/Configuration.h"
#include "core/doctor/Findings.h"
#include "core/doctor/Overview.h"
#include "core/gateway/Gateway.h"
#include "platform/recording/RecordingPlatform.h"

namespace torvale::test {
namespace {

// A P-256 key whose point is off the curve: the last bit of Y flipped.
const std::string kOffCurve =
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEjclANyqkcgnWzwFZ2gABMaSnyG3HZCSKYNqTeLhcopi+"
    "giMmA2o3CHrBd775CWZ/NCMIWENiIKY5sWGYPdcjJg==";

// What Windows makes of `"torvalew.exe" --url "%1"` when a page's link holds
// quotes: taken only as "--url" and one torvale: URL.
TEST(Core, HandlerTakesOnlyUrlAndOneLinkAndSaysWhyNotNamingIt) {
    using Kind = HandlerArguments::Kind;
    const std::string split =
        "4 arguments, not --url and one URL: a quote in the link may have "
        "split it";
    const std::string notUrl = "the argument after --url is not a torvale: URL";
    const std::string noUrl = "the command line does not begin with --url";
    const std::tuple<std::vector<std::string>, Kind, std::string> cases[] = {
        {{"--url", "torvale://&action=x&"}, Kind::Url, "torvale://&action=x&"},
        {{"--url", "TorVale:x"}, Kind::Url, "TorVale:x"},
        {{"--show-alerts"}, Kind::ShowAlerts, ""},
        {{"--url", "torvale://x", "--evil", "y"}, Kind::Refused, split},
        {{"--url", "torvale://x", "--url", "torvale://y"}, Kind::Refused, split},
        {{"--url", "torvale://x", ""}, Kind::Refused, "3" + split.substr(1)},
        {{"--url"}, Kind::Refused, "no URL after --url"},
        {{"--url", ""}, Kind::Refused, notUrl},
        {{"--url", "torvale"}, Kind::Refused, notUrl},
        {{"--url", "--show-alerts"}, Kind::Refused, notUrl},
        {{"--url", "https://torvale:x"}, Kind::Refused, notUrl},
        {{}, Kind::Refused, noUrl},
        {{"torvale://x"}, Kind::Refused, noUrl},
        {{"--URL", "torvale://x"}, Kind::Refused, noUrl},
        {{"--show-alerts", "--url", "torvale://x"}, Kind::Refused, noUrl},
        {{"--url=torvale://x"}, Kind::Refused, noUrl},
    };
    for (const auto& [arguments, kind, said] : cases) {
        const HandlerArguments read = ReadHandlerArguments(arguments);
        EXPECT_EQ(read.kind, kind) << arguments.size();
        EXPECT_EQ(kind == Kind::Url ? read.url : read.reason, said);
        EXPECT_EQ(kind == Kind::Url ? read.reason : read.url, "");
    }
}

TEST(Core, PrintableShowsEveryControlAndNothingActsOnTheTerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\\b\nc\td\re", "a\\\\b\\nc\\td\\re"},
        {std::string("\0\x1b]52;c;x\x07\x7f", 11), "\\x00\\x1b]52;c;x\\x07\\x7f"},
        {"\xC2\x85\xC2\x9B\xC2\xA0", "\\xc2\\x85\\xc2\\x9b\xC2\xA0"},  // NEL, CSI; NBSP stays
        {"\xFF\xE4\xB8", "\\xff\\xe4\\xb8"},                           // not UTF-8
        // Characters that hide or reorder text, at the ends of their ranges,
        // and their neighbours, which show as they are.
        {"\u00AD\u061C\u115F\u180F\u200B\u2028\u202E\u206F\uFE00\uFEFF\uFFFB",
         "\\u00ad\\u061c\\u115f\\u180f\\u200b\\u2028\\u202e\\u206f\\ufe00\\ufeff\\ufffb"},
        {"\U000E0000\U000E0FFF\U0001D17A", "\\U000e0000\\U000e0fff\\U0001d17a"},
        {"\u00AC\u180A\u2027\u2070\uFE10\uFFFC\U000E1000",
         "\u00AC\u180A\u2027\u2070\uFE10\uFFFC\U000E1000"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(Printable(text), shown) << shown;
}

// The Windows line of an argv (both its readers' reading of it is proven under
// Wine, tests/windows); "!" and the reason: refused.
TEST(Core, WindowsLinesQuoteOnlyWhereNeededAndRefuseWhatNoReaderTakes) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"C:\\a b\\", "", "%^&!中", "a\"b\\", "a\\\\b\\\\", "x y\\", "\t\v\n"},
         "\"C:\\a b\\\" \"\" %^&!中 \"a\\\"b\\\\\" a\\\\b\\\\ \"x y\\\\\" \"\t\v\n\""},
        {{}, "!no program to start"},
        {{"C:\\a\"b.exe"}, "!the program's path holds a double quote"},
        {{"p", std::string("a\0b", 3)}, "!an argument holds a NUL byte"},
    };
    for (const auto& [argv, expected] : cases) {
        std::string line, why;
        EXPECT_EQ(WindowsCommandLine(argv, &line, &why) ? line : "!" + why, expected);
    }
    for (const char* path : {"C:\\a\\b.EXE", "\\\\server\\share\\b.exe"})
        EXPECT_TRUE(StartableOnWindows(path, nullptr)) << path;
    for (const char* path : {"b.exe", "C:\\a\\b.bat.", "C:\\a\\b.bat:x.exe", "C:\\a\\b.Cmd"})
        EXPECT_FALSE(StartableOnWindows(path, nullptr)) << path;
    std::string why;
    EXPECT_FALSE(StartableOnWindows("C:\\a\\b.Bat", &why));
    EXPECT_EQ(why, "C:\\a\\b.Bat is a batch file: cmd.exe would read its arguments as commands");
}

TEST(Core, DialogTextKeepsLinesAndIsBoundedOnACharacterBoundary) {
    EXPECT_EQ(ForDialog("a\\b\n\tc\x1b\u202E"), "a\\b\n\tc\\x1b\\u202e");
    EXPECT_EQ(ForDialog("中中中中", 4), "中中中中");
    EXPECT_EQ(ForDialog("中中中中x", 4), "中中中中…（另有 1 个字符未显示）");
    EXPECT_EQ(ForDialog(std::string(120000, 'x')).size(),
              2000 + std::string("…（另有 118000 个字符未显示）").size());
    // Each value of the trust question is cut alone, so the lines after it
    // stay in view; never the host (253 bytes at most), whose end names its domain.
    const std::string longer(300, 'h'), shown = std::string(200, 'h') + "…\n";
    Shares shares;
    shares.paths = {longer};
    const Question question = TrustQuestion({longer, longer, "c", longer, shares});
    for (const char* label : {"登录名：", "共享的驱动器："})
        EXPECT_NE(question.message.find(label + shown), std::string::npos) << label;
    EXPECT_NE(question.message.find("主机：" + longer + "\n"), std::string::npos);
}

// configuration.ini as read up to the first line at fault, and why; after it
// no client path stands, and an allow-list the file may hold closes.
TEST(Core, ConfigurationNamesItsFirstFaultAndClosesAnAllowListItMayHold) {
    const std::string longLine = "SecureCRT = /" + std::string(186, 'a');  // 199 bytes
    const std::tuple<std::string, int, std::string, bool> cases[] = {
        {"[clients]\nSecureCRT = S.app\n", 2, "the path of SecureCRT is not absolute", false},
        // A slip of up to a third of the name: the bundle's name for the client's.
        {";\n[clients]\nSecureCRT = /x\nQuendalApp.app = /x\n", 4,
         "no client is named 'QuendalApp.app'; did you mean 'QuendalApp'?", false},
        {"[clients]\n" + longLine, 2, "it is longer than 198 bytes", false},
        // A line of 198 bytes is read; the names known are the table's.
        {"[clients]\n" + longLine.substr(0, 198) + "\nPutty = /x\n[gateways]\nallow = 1\n", 3,
         "no client is named 'Putty'; known: …", true},
        {"[clients]\nSSH = yes", 2, "SSH is \"openssh\" or the absolute path of a terminal", false},
        // Two letters wrong count as two slips, not four.
        {"[Gatewies]\nallow = 10.0.0.1\n", 1,
         "no section is named [Gatewies]; did you mean [gateways]?", true},
        // Three slips in eight letters are more than a third: no guess.
        {"[gateways]\nallowxyz = gw", 2, "[gateways] has no key 'allowxyz'; known: 'allow'", true},
        {std::string("\xFF\xFE[\0g\0a\0t\0e\0w\0a\0y\0s\0]\0", 20), 1, "it holds a NUL byte", true},
        // Never "yes\nno", as inih (the reader before) took it.
        {"[signing]\nrequire = yes\n  no\n", 3,
         "it is indented, as if it went on with the line above; [section] and key = value begin "
         "their line",
         false},
        {"[signing]\nkey.g.w = es256:AA\n", 2,
         "a key's name is letters, digits, '-' and '_', at most 64 of them", false},
        // A misnamed section with no key under it, behind a BOM.
        {"\xEF\xBB\xBF[clientz]\n\t; none yet\n[gateways]\n", 1,
         "no section is named [clientz]; did you mean [clients]?", true},
        {"[gateways] allow = 10.0.0.1\n", 1, "it is not [section] or key = value", true},
        {"SSH = openssh\n[Gateways]\n", 1, "no section is named []; known: …", true},
        // A link may live a second; never none.
        {"[signing]\nmax_age : 1 ; a second\nmax_age = 0\n", 3,
         "max_age is a number of seconds from 1 to 86400", false},
    };
    for (const auto& [text, line, why, closed] : cases) {
        IniTextReader parser;
        NoSignatureVerifier verifier;
        const Configuration config =
            ParseConfiguration(text, parser, verifier, clients::kMacOS.Names(), "/h");
        EXPECT_EQ(config.errorLine, line) << text;
        const std::size_t told = why.ends_with("…") ? why.size() - 3 : std::string::npos;
        EXPECT_EQ(config.error.substr(0, told), why.substr(0, told)) << text;
        EXPECT_EQ(config.gatewaysInError, closed) << text;
        EXPECT_TRUE(config.clients.empty()) << text;
    }
}

// The facts of a machine where every check but the configuration's passes.
class QuietFacts final : public SystemFacts {
  public:
    HandlerFacts Handler() override { return {"torvale.desktop", "/b/torvale", "", "", "", ""}; }
    std::string ExpectedHandler() override { return {}; }
    std::optional<bool> ChineseFont(std::string*) override { return std::nullopt; }
    std::optional<bool> Display() override { return std::nullopt; }
    std::string PreferencesPlace() override { return "p"; }
    std::string HowToShowAlerts() override { return "s"; }
    std::string PassLogPlace() override { return log; }
    std::vector<std::string> LastPasses(std::size_t) override { return passes; }
    std::string UsedLinksPlace() override { return {}; }
    std::string log = "/s/torvale.log";
    std::vector<std::string> passes;
};

// The Torvale window of torvale-desktop: the lines --doctor prints, the last
// passes escaped, and a button that shows alerts again or says why it cannot.
TEST(Core, TheWindowSaysWhatTheDoctorFindsAndItsButtonShowsAlertsAgain) {
    RecordingPlatform platform;
    Application& app = platform.Start(clients::kLinux, "/h");
    QuietFacts facts;
    facts.passes = {"t | Nope | refused", "t | \x1b[2J | alerts silenced"};
    ASSERT_TRUE(platform.preferences.SetBool("AlertSuppression", true, nullptr));
    platform.preferences.failure = "read-only";
    const Overview kept = ShowAlertsFromOverview(app, facts);
    EXPECT_TRUE(kept.silenced);
    EXPECT_EQ(kept.alerts, "无法重新显示提醒：read-only");
    platform.preferences.failure.reset();
    const auto checks = [&] {
        std::string lines = "检查（torvale-desktop --doctor）：\n";
        for (const Finding& finding : Diagnose(app, facts))
            lines += FindingLine(finding) + "\n";
        return lines + "\n最近的启动（/s/torvale.log）：\n";
    };
    const Overview shown = ShowAlertsFromOverview(app, facts);
    EXPECT_FALSE(shown.silenced);
    EXPECT_EQ(shown.alerts, "提醒已开启。");
    EXPECT_EQ(shown.report, checks() + "t | Nope | refused\nt | \\x1b[2J | alerts silenced\n");
    facts.passes.clear();
    EXPECT_EQ(ReadOverview(app, facts).report, checks() + "还没有记录。\n");
}

// What the doctor says becomes of an unsigned link, and why; a file in error
// is blamed, with the command that mends it: an administrator's pasted as
// it is (the folder at fault named; macOS's has a blank in its name).
TEST(Core, TheDoctorSaysWhatBecomesOfAnUnsignedLinkAndBlamesAFileInError) {
    const std::string folder = "/Library/Application Support/Torvale";
    const std::string system = folder + "/configuration.ini", sudo = "fix: sudo -e '" + system;
    const std::string user = "/h/Documents/torvale/configuration.ini", yse = "require = yse\n";
    const std::string bad = " (require is \"no\", \"ask\" or \"yes\"); ";
    const std::string mend =
        "fix: mend that line: [clients], [gateways] or [signing], \"key = "
        "value\", absolute paths, at most 198 bytes";
    const std::string refused = "fail  signing: unsigned links: refused (while ";
    const std::string why =
        ":2 is in error, as it may require them); signed links live 600 s "
        "at most; ";
    struct Case {
        std::string system, user;
        unsigned folderMode;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"",
         "require = ask\n",
         0755,
         {"ok    signing: unsigned links: asked (require = ask, " + user +
          ":2); signed links live 600 s at most"}},
        {"require = no\n",
         "",
         0755,
         {"ok    system configuration: " + system + " holds over the user's",
          "ok    signing: unsigned links: accepted (require = no, " + system +
              ":2); signed links live 600 s at most"}},
        {yse,
         "",
         0755,
         {"fail  system configuration: " + system + ":2 cannot be used" + bad + sudo + "'",
          refused + system + why + sudo + "'"}},
        {"",
         yse,
         0755,
         {"fail  configuration.ini: " + user + ":2 cannot be read" + bad + mend,
          refused + user + why + mend}},
        {"require = yes\n",
         "key.gw = es256:" + kOffCurve,
         0775,
         {"fail  configuration.ini: " + user +
              ":2 cannot be read (key.gw is not a usable P-256 key: no verifier is given); every "
              "launch that connects is refused meanwhile; " +
              mend,
          "fail  system configuration: " + system + " cannot be used (its folder " + folder +
              " is mode 0775: only folders of root's that no one else may write count); every "
              "launch that connects is refused until it is mended; fix: sudo chmod go-w '" +
              folder + "'",
          refused + user + why + mend}},
    };
    for (const auto& [systemText, userText, folderMode, said] : cases) {
        RecordingPlatform platform;
        if (!systemText.empty())
            platform.files.Seed(system, "[signing]\n" + systemText, 0644, true);
        platform.files.SeedFolder(folder, folderMode, true);
        platform.systemConfiguration = system;
        Application& app = platform.Start(clients::kMacOS, "/h");
        platform.files.WriteFile(user, "[signing]\n" + userText, 0644, nullptr);
        QuietFacts facts;
        std::vector<std::string> lines;
        for (const Finding& finding : Diagnose(app, facts))
            if (finding.check == "signing" || finding.check.ends_with("configuration") ||
                (finding.check.ends_with(".ini") && finding.level != Finding::Ok))
                lines.push_back(FindingLine(finding));
        EXPECT_EQ(lines, said) << userText << systemText;
    }
}

// A pass line reads back as the record it was written from, though its
// client's path and its detail hold " | " and an outcome's name; "-" is
// none. Other lines read as none.
TEST(Core, PassLinesReadBackAsTheirRecords) {
    const std::string lines[] = {
        "2026-12-09 05:00:20 UTC | StartMstsc | gw: allowed, listed | /a | launched/x | "
        "launched, a file not written: t.rdp | launched | alerts silenced",
        "2026-12-09 05:00:20 UTC |  | - | - | unknown action"};
    for (const std::string& line : lines) {
        const auto read = ReadPassLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(PassLine(*read), line);
        EXPECT_EQ(read->client, line == lines[0] ? "/a | launched/x" : "");
    }
    for (const char* line : {"", "2026-12-09 05:00:20 UTC | StartPutty | - | - | done",
                             "2026-13-09 05:00:20 UTC | StartPutty | - | - | launched"})
        EXPECT_FALSE(ReadPassLine(line)) << line;
}

// Which program a launch finds, and why: the path configured, if it is there,
// then the table's programs in order, each name in PATH.
TEST(Core, ClientsAreFoundInTheirOrder) {
    using T = ClientTable;
    const T *mac = &clients::kMacOS, *lin = &clients::kLinux, *wnd = &clients::kWindows;
    const std::string pf86 = "%ProgramFiles(x86)%\\", mstsc = "%SystemRoot%\\System32\\mstsc.exe",
                      lad = "%LOCALAPPDATA%\\Programs\\PuTTY\\putty.exe";
    const std::string mrd = "/Applications/Microsoft Remote Desktop.app",
                      win = "/Applications/Windows App.app", crt = "/Applications/SecureCRT.app";
    struct Case {
        const T* table;
        ClientApp T::*app;
        std::vector<std::string> installed;
        std::string line, path, reason;
    };
    const std::string rdc = "successor of Remote Desktop Connection", rem = "/b/remmina",
                      configured = "configured in configuration.ini:2";
    const Case cases[] = {
        {mac, &T::microsoftRemoteDesktop, {win, mrd}, "", mrd, ""},
        {mac, &T::remoteDesktopConnection, {mrd}, "", mrd, rdc},
        {mac, &T::secureCRT, {"/h/S.app", crt}, "SecureCRT = ~/S.app\r", "/h/S.app", configured},
        {mac, &T::secureCRT, {crt}, "SecureCRT = /gone/S.app", crt, ""},
        // FreeRDP before Remmina.
        {lin, &T::remoteDesktopConnection, {rem, "/c/xfreerdp"}, "", rem, "FreeRDP not found"},
        {lin, &T::secureCRT, {"/a/SecureCRT", "/usr/bin/SecureCRT"}, "", "/usr/bin/SecureCRT", ""},
        // Windows: the install folders in order, a path from a variable as written.
        {wnd, &T::putty, {pf86 + "PuTTY\\putty.exe", lad}, "", pf86 + "PuTTY\\putty.exe", ""},
        {wnd, &T::remoteDesktopConnection, {mstsc}, "", mstsc, ""}};
    for (const auto& [table, app, installed, line, path, reason] : cases) {
        IniTextReader parser;
        NoSignatureVerifier verifier;
        const Configuration config =
            ParseConfiguration("[clients]\n" + line + "\n", parser, verifier, table->Names(), "/h");
        const ClientChoice choice = ChooseClient(
            table->*app, *table, config, {"relative:/a:/b", [&](const std::string& p) {
                                              return std::find(installed.begin(), installed.end(),
                                                               p) != installed.end();
                                          }});
        EXPECT_EQ(choice.found ? choice.found->path : "", path) << path;
        EXPECT_EQ(choice.found ? choice.found->reason : "", reason) << path;
    }
}

// Addresses split as clients split them, and only where every client reads
// them alike: the host and port the question shows are where it connects.
TEST(Core, AddressesAreTakenOnlyInTheFormEveryClientReadsAlike) {
    const std::string label(63, 'a'),
        name = label + "." + label + "." + label + "." + label.substr(2);
    const std::tuple<std::string, std::string, std::string> taken[] = {
        {"", "", ""},
        {"gw.example:3389", "gw.example", "3389"},
        {"GW.example.:1", "GW.example.", "1"},
        {"10.0.0.255:65535", "10.0.0.255", "65535"},
        {"0.0.0.0", "0.0.0.0", ""},
        {"[2001:DB8::F]:3389", "2001:DB8::F", "3389"},
        {"[::ffff:127.0.0.1]", "::ffff:127.0.0.1", ""},
        {"fe80::1%gz-lan_GZ.0", "fe80::1%gz-lan_GZ.0", ""},
        {"xn--fiq228c.example", "xn--fiq228c.example", ""},
        {"a_b-c.1x", "a_b-c.1x", ""},
        {"a.0xg", "a.0xg", ""},
        {name + ":22", name, "22"}};
    std::vector<std::string> refused = {
        // Ports: leading zeros, out of range, signs, more than one.
        "127.0.0.1:03389", "h:0", "h:65536", "h:", "h:1 x", "h:+1", "h:1:2", "h:01",
        // Brackets around no IPv6 address, or left open.
        "[::1]x", "[::1]:", "[1.2.3.4]:1", "[gw]", "[::1",
        // IPv4 in the forms inet_aton alone reads.
        "0177.0.0.1", "2130706433", "127.1", "0x7f.0.0.1", "0X7f.0.0.1", "1.2.3.0x4",
        "010.000.000.001", "10.0.0.256", "1.2.3.4.5",
        // A closing dot makes a dotted quad a name to glibc, which /etc/hosts or DNS answers.
        "10.0.0.1.", "10.0.0.1.:22", "[::ffff:10.0.0.1.]",
        // Names no client reads alike.
        "x.123", "a..b", ".a", "a.b..", "-x.example", "a b", "gw@evil.com", "gw/x", "h%41", "::1%",
        // Any character but ASCII: other scripts (a Cyrillic "а"), fullwidth
        // dots, blanks, combining marks, and what hides or reorders text.
        "\u4E2D\u6587.example", "gw.ex\u0430mple.com", "gw\uFF0Ecorp", "gw.example.com\u3000.x.net",
        "\u2800.gw", "gw.co\u0338m", "\u202Emoc.elpmaxe", "a\xFF"};
    // A label of 64 bytes, a name of 254, brackets around more than an address.
    refused.insert(refused.end(),
                   {label + "a.example", "h." + name, "[" + std::string(260, ':') + "]"});
    for (const auto& [address, host, port] : taken) {
        const auto split = SplitAddress(address);
        ASSERT_TRUE(split.has_value()) << address;
        EXPECT_EQ(split->host, host) << address;
        EXPECT_EQ(split->port, port) << address;
    }
    for (const std::string& address : refused)
        EXPECT_FALSE(SplitAddress(address).has_value()) << address;
    EXPECT_FALSE(IsHost("[gw]"));  // a host of its own, as proxy_addr and host give one
}

// A plan that writes or runs but names no destination would skip the gateway
// decision: the executor carries out nothing of it.
TEST(Core, APlanWithoutADestinationWritesAndRunsNothing) {
    RecordingPlatform platform;
    Application& app = platform.Start(clients::kMacOS, "/home/demo");
    platform.recorder.events.clear();
    Plan runs, writes;
    runs.command = Command{};
    runs.command->Literal("open x");
    writes.files.push_back({"/home/demo/x.rdp", "text", "text", 0600, "", true});
    for (const Plan* plan : {&runs, &writes})
        EXPECT_EQ(Execute(*plan, {}, {}, app.platform()).outcome, Outcome::NotRun);
    EXPECT_EQ(platform.recorder.Texts(RecordedEvent::Kind::Log),
              std::vector<std::string>(2, "Not run: the plan names no destination"));
    EXPECT_EQ(platform.recorder.events.size(), 2u);  // the log lines alone
}

// Launch URLs that arrive during an alert (its modal loop delivers them)
// wait for the pass to end, 32 at most.
TEST(Core, LaunchURLsArrivingDuringAnAlertWaitForThePassAndAreBounded) {
    RecordingPlatform platform;
    platform.files.present = [](const std::string&) { return true; };
    platform.alerts.answer = Answer::Connect;
    Application& app = platform.Start(clients::kMacOS, "/home/demo");
    platform.alerts.ticked = [&](const std::string&) {
        for (int i = 0; i < 40 && app.History().Entries().empty(); ++i)
            app.handleURLEvent("torvale://&action=StartWinscp&");
        return false;
    };
    app.handleURLEvent("torvale://&action=StartSecureCRT&debug=1&username=u&proxy_addr=gw&");
    EXPECT_EQ(app.History().Entries().size(), 1u + 32u);
    const auto& events = platform.recorder.events;
    const auto run = std::find_if(events.begin(), events.end(), [](const RecordedEvent& e) {
        return e.kind == RecordedEvent::Kind::Command;
    });
    const auto winscp = [](const RecordedEvent& e) { return e.detail == "winscp还未实现"; };
    EXPECT_EQ(std::count_if(run, events.end(), winscp), 32);
    EXPECT_EQ(platform.recorder.Texts(RecordedEvent::Kind::Log),
              std::vector<std::string>{"Launch URLs dropped: 32 already wait for the current one"});
}

// What FreeRDP 2.11 writes, in its own words, when it asks about a
// certificate it cannot verify, and about one that replaces the one it knew.
const std::string kPrint =
    "28:18:c6:cb:65:f2:17:52:c6:aa:14:d6:b1:99:c2:99:96:d5:60:f4:1c:86:16"
    ":5b:ee:d0:69:06:0d:05:79:1e";
const std::string kHeading = "Certificate details for 127.0.0.1:33899 (RDP-Server):\n";
std::string Asked(const std::string& commonName, const std::string& print = kPrint) {
    return kHeading + "\tCommon Name: " + commonName +
           "\n\tSubject:     CN = vm\n\tIssuer:      CN = ca\n\tThumbprint:  " + print +
           "\nThe above X.509 certificate could not be verified, possibly because you do not have"
           "\nthe CA certificate in your certificate store, or the certificate has expired."
           "\nPlease look at the OpenSSL documentation on how to add a private CA to the store."
           "\nDo you trust the above certificate? (Y/T/N) ";
}
const std::string kChangedAsked =
    "!!!Certificate for gw:3389 (RDP-Server) has changed!!!\n\nNew Certificate details:\n"
    "\tCommon Name: vm\n\tSubject:     CN = new\n\tIssuer:      CN = vm\n\tThumbprint:  " +
    kPrint +
    "\n\nOld Certificate details:\n\tSubject:     CN = old\n\tIssuer:      CN = vm\n"
    "\tThumbprint:  e2:83" +
    kPrint.substr(5) +
    "\nThe above X.509 certificate does not match the "
    "certificate used for previous connections.\nThis may indicate that the certificate has been "
    "tampered with.\nPlease contact the administrator of the RDP server and clarify.\n"
    "Do you trust the above certificate? (Y/T/N) ";

TEST(Core, FreeRdpsCertificateQuestionIsPutToTheUserAndAnythingElseAnsweredNo) {
    std::vector<Question> asked;
    auto reply = [&](const std::string& output, Answer answer) {
        const auto r = ReplyToPrompt(output, "gw:3389", [&](const Question& q) {
            asked.push_back(q);
            return answer;
        });
        return r ? r->typed + (r->refused ? " refused" : "") + (r->forged ? " forged" : "")
                 : "none";
    };
    EXPECT_EQ(reply(Asked("vm"), Answer::Connect), "T\n");
    EXPECT_EQ(reply(kChangedAsked, Answer::ConnectAlways), "Y\n");
    // FreeRDP 3 leaves a blank line after the certificate it knew, and may
    // say a certificate's validity above its fingerprint.
    std::string three = kChangedAsked, valid = Asked("vm");
    EXPECT_EQ(reply(three.insert(three.find("The above"), "\n"), Answer::Connect), "T\n");
    valid.insert(valid.find("\tThumbprint"), "\tValid from:  today\n\tValid to:    later\n");
    EXPECT_EQ(reply(valid, Answer::Connect), "T\n");
    // The common name is written unescaped: a certificate's details in it,
    // or a whole question, stand there twice with FreeRDP's own, and are
    // refused unasked. Cut where the terminal's buffer ends, the question
    // it holds reads as FreeRDP's: only the watcher's wait for the rest tells.
    const std::string fake = Asked(
        "x\nCertificate details for bank:3389 (RDP-Server):\n\t"
        "Subject:  CN=bank\n\tIssuer:  CN=CA\n\tThumbprint:  " +
        std::string(95, '1'));
    EXPECT_EQ(reply(fake, Answer::Cancel), "N\n forged");
    const std::string fakePrint = "66" + kPrint.substr(2);
    const std::string block = Asked("vm", fakePrint).substr(kHeading.size());
    EXPECT_EQ(reply(Asked(block.substr(0, block.find("\n")) + "\n" + block), Answer::Connect),
              "N\n forged");
    EXPECT_EQ(reply(kHeading + block, Answer::ConnectAlways), "Y\n");
    EXPECT_EQ(reply(kChangedAsked.substr(0, kChangedAsked.find("\n\nOld")) + kChangedAsked,
                    Answer::Connect),
              "N\n forged");
    // A fingerprint cut short (the known one's too), a prompt not last: no.
    EXPECT_EQ(reply(Asked("vm", kPrint.substr(3)), Answer::Connect), "N\n");
    std::string oldCut = kChangedAsked;
    EXPECT_EQ(reply(oldCut.erase(oldCut.find("e2:83"), 3), Answer::Connect), "N\n");
    EXPECT_EQ(reply(Asked("vm") + "Y\n", Answer::Connect), "none");
    EXPECT_EQ(reply("connecting\nDomain:   ", Answer::Connect), "\x04");
    EXPECT_EQ(reply("I understand and agree to the terms of this policy (Y/N) \n", Answer::Connect),
              "N\n");
    ASSERT_EQ(asked.size(), 5u);
    // Each fingerprint as openssl writes one, on lines no dialog wraps.
    const std::string details =
        "\n主机：gw:3389\n以下是服务器出示的证书，"
        "其中的名称由服务器自己选定：\n主体：CN = ";
    const std::string print =
        "28:18:C6:CB:65:F2:17:52:C6:AA:14:D6:B1:99:C2:99:\n"
        "96:D5:60:F4:1C:86:16:5B:EE:D0:69:06:0D:05:79:1E\n";
    const std::string trust = "只有在指纹与网关管理员给您的相符时才信任它。";
    const std::string unverified = "FreeRDP 无法验证此主机出示的证书。";
    const std::string issuer = "\n颁发者：CN = ";
    EXPECT_EQ(asked[0].message,
              unverified + details + "vm" + issuer + "ca\nSHA-256 指纹：\n" + print + trust);
    // Of a changed certificate, the one trusted before beside it.
    const std::string changed = "此主机的证书与上次不同，可能有人在冒充它。";
    const std::string now = "SHA-256 指纹（这次出示的）：\n";
    const std::string before = "SHA-256 指纹（上次信任的）：\nE2:83";
    EXPECT_EQ(asked[1].message, changed + details + "new" + issuer + "vm\n" + now + print + before +
                                    print.substr(5) + trust);
    EXPECT_NE(asked[4].message.find("指纹：\n66:18:C6:CB:"), std::string::npos);
    const Question& q = asked[0];
    EXPECT_EQ(q.title + "|" + q.connect + "|" + q.cancel + "|" + q.always,
              "确认证书|连接|取消|始终信任此证书");
}

// The Windows administrator's file: what its owner and list allow, read by
// the Win32 front end, judged here.
TEST(Core, OnlyAnAdministratorsFileNoOneElseMayChangeCounts) {
    const std::string admins = "S-1-5-32-544", users = "S-1-5-32-545", user = "S-1-5-21-7-100";
    const std::string ti = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    const AccessList safe{admins,
                          false,
                          false,
                          false,
                          {{admins, 0x1f01ff, true, false},
                           {"S-1-5-18", 0x1f01ff, true, false},
                           {users, 0x1200a9, true, false},
                           {ti, 0x1f01ff, true, false},
                           {"S-1-3-0", 0x10000000, true, true},
                           {users, 0x2, false, false}}};
    const std::string path = "C:/ProgramData/Torvale/configuration.ini";
    FileFault fault;
    AccessList list = safe;
    EXPECT_TRUE(TrustAccessList(list, path, &fault));
    list.entries[2].rights =
        0x1200a9 | 0x40;  // FILE_EXECUTE on a file, FILE_DELETE_CHILD on a folder
    EXPECT_TRUE(TrustAccessList(list, path, &fault));
    list.directory = true;
    ASSERT_FALSE(TrustAccessList(list, "C:/ProgramData/Torvale", &fault));
    EXPECT_EQ(fault.why,
              "its folder C:/ProgramData/Torvale is changeable by Users (S-1-5-32-545): "
              "only a folder of the administrators' that no one else may change counts");
    const std::string folder = "icacls \"C:\\ProgramData\\Torvale\"";
    EXPECT_EQ(fault.fix, folder + " /inheritance:r && " + folder +
                             " /remove:g *S-1-5-32-545 *S-1-3-0"
                             " && " +
                             folder +
                             " /grant:r *S-1-5-32-544:(OI)(CI)F"
                             " *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX");
    list = safe;
    list.entries.push_back({user + "1", 0x40000, true, false});  // WRITE_DAC
    list.entries.push_back({user, 0x4, true, false});            // FILE_APPEND_DATA
    list.entries.push_back({user, 0x4, true, false});
    ASSERT_FALSE(TrustAccessList(list, path, &fault));
    EXPECT_NE(fault.why.find(" is changeable by S-1-5-21-7-1001, S-1-5-21-7-100: "),
              std::string::npos);
    list = {user, false, false, true, {}};
    ASSERT_FALSE(TrustAccessList(list, path, &fault));
    const std::string file = "icacls \"C:\\ProgramData\\Torvale\\configuration.ini\"";
    EXPECT_EQ(fault.why, path +
                             " is owned by S-1-5-21-7-100, without an access-control list: anyone "
                             "may change it: only a file of the administrators' that no one else "
                             "may change counts");
    EXPECT_EQ(fault.fix, file + " /setowner *S-1-5-32-544 && " + file + " /inheritance:r && " +
                             file + " /grant:r *S-1-5-32-544:F *S-1-5-18:F *S-1-5-32-545:RX");
    list = safe;
    list.link = true;
    ASSERT_FALSE(TrustAccessList(list, path, &fault));
    EXPECT_EQ(fault.fix, "del " + file.substr(7));
}

}  // namespace
}  // namespace torvale::test
