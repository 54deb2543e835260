#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

TEST(Alert, ShownWhileTheKeyIsMissing) {
    Harness h;
    h.delegate.Alert("t", "m");
    EXPECT_EQ(h.alerts.shown, (std::vector<AlertRecord>{{"t", "m"}}));
    EXPECT_TRUE(h.log.lines.empty());
    EXPECT_TRUE(h.preferences.values.empty());
}

TEST(Alert, TickSuppressesTheVeryNextAlertOfAnyKind) {
    Harness h;
    h.alerts.onRun = [](const AlertRecord& alert) { return alert.title == "调试"; };
    // The debug alert is ticked; the unrecognised-action alert of the same
    // pass is already suppressed.
    h.OpenFields("&action=nope&debug=1&");
    EXPECT_EQ(h.alerts.shown.size(), 1u);
    EXPECT_EQ(h.log.lines, std::vector<std::string>{"Alert suppressed"});
    EXPECT_TRUE(h.preferences.values.at("AlertSuppression"));

    // And so is everything after, one log line each.
    h.OpenFields("&action=StartPutty&debug=1&");
    EXPECT_EQ(h.alerts.shown.size(), 1u);
    EXPECT_EQ(h.log.lines.size(), 3u);
}

TEST(Alert, ClosingWithoutTheTickChangesNothing) {
    Harness h;
    h.OpenFields("&action=nope&debug=1&");
    h.OpenFields("&action=nope&");
    EXPECT_EQ(h.alerts.shown.size(), 3u);
    EXPECT_TRUE(h.preferences.values.empty());
}

TEST(Alert, SuppressedAlertsLeaveTheLaunchUnchanged) {
    Harness h;
    h.preferences.values["AlertSuppression"] = true;
    h.Install(clients::kSecureCRT);
    h.OpenFields("&action=StartSecureCRT&debug=1&proxy_addr=gw&");
    EXPECT_TRUE(h.alerts.shown.empty());
    EXPECT_EQ(h.log.lines, (std::vector<std::string>{"Alert suppressed", "Alert suppressed"}));
    EXPECT_EQ(h.shell.lines.size(), 1u);
}

TEST(ReEntrancy, UrlArrivingDuringAnAlertWaitsForThePass) {
    Harness h;
    h.Install(clients::kSecureCRT);
    std::vector<std::string> usernamesDuringAlerts;
    h.alerts.onRun = [&](const AlertRecord&) {
        usernamesDuringAlerts.push_back(Str(h.delegate.m_username));
        // The platform delivers two more URL events while this alert is open.
        if (usernamesDuringAlerts.size() == 1) {
            h.OpenFields("&action=StartSecureCRT&username=second&proxy_addr=b&debug=1&");
            h.OpenFields("&action=StartSecureCRT&username=third&proxy_addr=c&");
        }
        return false;
    };
    h.OpenFields("&action=StartSecureCRT&username=first&proxy_addr=a&debug=1&");

    // The first pass ran to its command before the second began, and so on.
    ASSERT_EQ(h.shell.lines.size(), 3u);
    EXPECT_NE(h.shell.lines[0].find("/l first /P 22 a"), std::string::npos);
    EXPECT_NE(h.shell.lines[1].find("/l second /P 22 b"), std::string::npos);
    EXPECT_NE(h.shell.lines[2].find("/l third /P 22 c"), std::string::npos);
    // The first pass's launcher saw its own parameters while the alert was open.
    EXPECT_EQ(usernamesDuringAlerts,
              (std::vector<std::string>{"first", "first", "second", "second"}));
}

TEST(ReEntrancy, LaterEventsStillRunAfterTheQueueDrains) {
    Harness h;
    h.OpenFields("&action=StartPutty&");
    h.OpenFields("&action=StartWinscp&");
    EXPECT_EQ(h.alerts.shown.size(), 2u);
}

TEST(Runcmd, RefusesNulAndLogsOnce) {
    Harness h;
    h.delegate.runcmd(std::string("open x\0; rm -rf ~", 17));
    EXPECT_TRUE(h.shell.lines.empty());
    EXPECT_EQ(h.log.lines.size(), 1u);
}

TEST(Runcmd, ShellThatCannotStartIsLoggedNotThrown) {
    Harness h;
    h.shell.failure = "/bin/sh: No such file or directory";
    h.delegate.runcmd("open x");
    EXPECT_EQ(h.shell.lines, std::vector<std::string>{"open x"});
    EXPECT_EQ(h.log.lines,
              std::vector<std::string>{"Command not run: /bin/sh: No such file or directory"});
    EXPECT_TRUE(h.alerts.shown.empty());
}

TEST(Runcmd, NulFromTheUrlNeverReachesTheShell) {
    Harness h;
    h.Install(clients::kSecureCRT);
    h.OpenFields("&action=StartSecureCRT&proxy_addr=gw%00;reboot&");
    EXPECT_TRUE(h.shell.lines.empty());
    EXPECT_EQ(h.log.lines.size(), 1u);
}

}  // namespace
}  // namespace torvale::test
