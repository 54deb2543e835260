// The request pass on fakes: decoding and lookup, dispatch, alerts, start-up,
// the order of passes, and the history they leave.

#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

using Alerts = std::vector<AlertRecord>;

TEST(RequestPass, DecodesTheTextAfterATenUnitHead) {
    const struct {
        std::string urlText;
        Field url;
    } cases[] = {
        {"torvale://&a=b+c%2B%E4%B8%AD&", "&a=b c+中&"},
        {"中中中中中中中中中中&a=1&", "&a=1&"},  // ten units of three bytes each
        {"😀😀😀😀😀&a=1&", "&a=1&"},                 // five surrogate pairs
        {"torvale:/😀&a=1&", std::nullopt},       // the head ends inside a pair
        {"short", ""},
        {"torvale://&a=100%&", std::nullopt},    // a stray "%" anywhere
        {"torvale://&a=%E4%B8&", std::nullopt},  // escaped bytes that are not UTF-8
        {"torvale://&a=\xC3&", std::nullopt},    // raw bytes that are not UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.urlText);
        Harness h;
        h.delegate.handleURLEvent(c.urlText);
        EXPECT_EQ(h.delegate.url, c.url);
    }
    Harness h;
    h.delegate.handleURLEvent(std::nullopt);  // an event without a direct object
    EXPECT_EQ(h.delegate.url, std::nullopt);
    EXPECT_EQ(h.alerts.shown, (Alerts{{"错误", "未知接口"}}));
}

TEST(RequestPass, LooksUpWholeKeysAndTheirFirstClosedValue) {
    const std::string text =
        "x&sshport=1&localhost=h&entrust_password=e&a=&dup=1&dup=2&Case=c&last=v";
    const struct {
        std::string_view key;
        std::string value;
    } cases[] = {
        {"port", ""}, {"host", ""}, {"password", ""}, {"sshport", "1"}, {"a", ""},
        {"dup", "1"}, {"case", ""}, {"last", ""},     {"x", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(AppDelegate::GetFromUrl(text, c.key), c.value);
    }
    EXPECT_EQ(AppDelegate::GetFromUrl(std::nullopt, "action"), std::nullopt);
}

TEST(RequestPass, FillsThe31ParametersAndTheSshPortRule) {
    std::string keys;
    for (const auto& parameter : AppDelegate::kLaunchParameters)
        keys += std::string(parameter.key) + " ";
    EXPECT_EQ(keys,
              "action username entrust_password proxy_addr protocol password sid target_username "
              "target_ip localhost screen host monitorport monitoruser monitorpassword cid port "
              "sshport rdpport window_size cport bpp path entrust_username rdparg clipboard disk "
              "stime crttab param debug ");

    for (const auto& [given, filled] :
         std::vector<std::pair<std::string, Field>>{{"", "22"},
                                                    {"&sshport=0&", "22"},
                                                    {"&sshport=&", "22"},
                                                    {"&sshport=00&", "00"},
                                                    {"&sshport=2222&", "2222"},
                                                    {"%", std::nullopt}}) {
        SCOPED_TRACE(given);
        Harness h;
        h.Open("&sid=7&" + given);
        EXPECT_EQ(h.delegate.m_sshport, filled);
        h.Open("&x=1&");  // every pass refills every parameter
        EXPECT_EQ(h.delegate.m_sid, "");
    }
}

TEST(RequestPass, DispatchesOnTheWholeActionName) {
    const struct {
        std::string fields;
        Alerts alerts;
    } cases[] = {
        {"&action=StartPutty&", {{"抱歉", "putty还未实现"}}},
        {"&action=StartWinscp&", {{"抱歉", "winscp还未实现"}}},
        {"&action=StartFlashXP&", {{"抱歉", "flashxp还未实现"}}},
        {"&action=StartPuttyMonitor&", {{"抱歉", "putty还未实现"}}},
        {"&action=StartPuttyDisplay&", {{"抱歉", "putty还未实现"}}},
        {"&action=StartRdpReplay&", {{"抱歉", "rdplayer还未实现"}}},
        {"&action=StartMstscMonitor&", {{"抱歉", "rdplayer还未实现"}}},
        {"&action=startputty&", {{"错误", "未知接口"}}},
        {"&action=StartPutty+&", {{"错误", "未知接口"}}},
        {"&action=&", {{"错误", "未知接口"}}},
        {"&debug=1&action=Nope&", {{"调试", "&debug=1&action=Nope&"}, {"错误", "未知接口"}}},
        {"&debug=true&action=StartPutty&", {{"抱歉", "putty还未实现"}}},
        {"&debug=01&debug=1&action=StartPutty&", {{"抱歉", "putty还未实现"}}},
        {"&debug=1&action=StartPutty&x=%zz&", {{"错误", "未知接口"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        Harness h;
        h.InstallAll();
        h.Open(c.fields);
        EXPECT_EQ(h.alerts.shown, c.alerts);
        EXPECT_TRUE(h.shell.lines.empty());
    }
}

TEST(RequestPass, DontShowAgainSilencesEveryLaterAlertUntilTurnedBackOn) {
    Harness h;
    h.alerts.onRun = [](const AlertRecord& alert) { return alert.title == "调试"; };
    h.Open("&action=StartPutty&");
    h.Open("&debug=1&action=StartPutty&");  // ticked on the debug alert: the next is silent
    h.Open("&action=Nope&");
    EXPECT_EQ(h.alerts.shown,
              (Alerts{{"抱歉", "putty还未实现"}, {"调试", "&debug=1&action=StartPutty&"}}));
    EXPECT_EQ(h.log.lines, (std::vector<std::string>{"Alert suppressed", "Alert suppressed"}));

    h.delegate.TurnAlertsBackOn();
    h.alerts.onRun = nullptr;
    h.Open("&action=Nope&");
    EXPECT_EQ(h.alerts.shown.back(), (AlertRecord{"错误", "未知接口"}));
    EXPECT_EQ(h.log.lines.size(), 2u);
}

TEST(RequestPass, AUrlArrivingDuringAnAlertWaitsItsTurn) {
    Harness h;
    h.InstallAll();
    int nested = 0;
    h.alerts.onRun = [&](const AlertRecord&) {
        if (nested++ == 0) {
            h.Open("&action=StartWinscp&");
            h.Open("&action=StartFlashXP&");
            EXPECT_EQ(h.delegate.action, "StartSecureCRT");  // not refilled under the launcher
        }
        return false;
    };
    h.Open("&action=StartSecureCRT&debug=1&proxy_addr=gw&");
    ASSERT_EQ(h.alerts.shown.size(), 4u);
    EXPECT_EQ(h.alerts.shown[2].message, "winscp还未实现");
    EXPECT_EQ(h.alerts.shown[3].message, "flashxp还未实现");
    EXPECT_EQ(h.shell.lines.size(), 1u);
}

TEST(RequestPass, StartUpMakesThePrivateDataDirectoryOrSaysItCannot) {
    Harness h;
    EXPECT_EQ(h.delegate.ConfigDir, "/home/demo/Documents/torvale");
    EXPECT_TRUE(h.files.present.count(Harness::kConfigDir));
    EXPECT_EQ(h.files.files.at("/home/demo/Documents/torvale/configuration.ini"), "");

    FakeAlertPanel alerts;
    MemoryPreferences preferences;
    FakeFileSystem files;
    files.failing.insert("/home/x/Documents/torvale");
    files.files["/home/x/Documents/torvale/configuration.ini"] = "[clients]\n";
    FakeShell shell;
    FakeLog log;
    InihParser ini;
    AppDelegate delegate({alerts, preferences, files, shell, log, ini});
    delegate.applicationWillFinishLaunching("/home/x");
    EXPECT_EQ(alerts.shown, (Alerts{{"抱歉", "无法创建用户数据目录：/home/x/Documents/torvale"}}));
    EXPECT_EQ(files.files.at("/home/x/Documents/torvale/configuration.ini"), "[clients]\n");
}

TEST(RequestPass, HistoryKeepsTheNewestPassesWithoutPasswords) {
    Harness h;
    h.InstallAll();
    h.Open("&action=StartSecureCRT&password=hunter2&proxy_addr=hunter2.example&");
    h.Open("&action=hunter2&password=hunter2&");
    h.Open("&action=StartPutty&");
    h.Open("&action=StartFileZilla&protocol=-x&");
    const auto& entries = h.delegate.history.Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].outcome, Outcome::Refused);
    EXPECT_EQ(entries[0].detail, "protocol");
    EXPECT_EQ(entries[1].outcome, Outcome::NotImplemented);
    EXPECT_EQ(entries[2].action, "");  // an unknown action is not recorded
    EXPECT_EQ(entries[2].outcome, Outcome::UnknownAction);
    EXPECT_EQ(entries[3].action, "StartSecureCRT");
    EXPECT_EQ(entries[3].client, "/Applications/SecureCRT.app");
    EXPECT_EQ(entries[3].gateway, "********.example: allowed, no allow-list");
    EXPECT_EQ(entries[3].outcome, Outcome::Launched);

    for (std::size_t i = 0; i < LaunchHistory::kCapacity; ++i)
        h.Open("&action=StartPutty&");
    EXPECT_EQ(entries.size(), LaunchHistory::kCapacity);
    EXPECT_EQ(entries.back().outcome, Outcome::NotImplemented);
}

}  // namespace
}  // namespace torvale::test
