#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

const AlertRecord kUnknown{"错误", "未知接口"};

struct PlaceholderCase {
    std::string action;
    std::string message;
};

class PlaceholderTest : public testing::TestWithParam<PlaceholderCase> {};

TEST_P(PlaceholderTest, ShowsOneAlertAndNothingElse) {
    Harness h;
    h.InstallAll();
    h.files.operations.clear();
    h.OpenFields("&action=" + GetParam().action + "&protocol=ssh2&debug=0&");
    EXPECT_EQ(h.alerts.shown, (std::vector<AlertRecord>{{"抱歉", GetParam().message}}));
    EXPECT_TRUE(h.shell.lines.empty());
    EXPECT_TRUE(h.files.operations.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceholderTest,
                         testing::Values(PlaceholderCase{"StartPutty", "putty还未实现"},
                                         PlaceholderCase{"StartWinscp", "winscp还未实现"},
                                         PlaceholderCase{"StartFlashXP", "flashxp还未实现"},
                                         PlaceholderCase{"StartPuttyMonitor", "putty还未实现"},
                                         PlaceholderCase{"StartPuttyDisplay", "putty还未实现"},
                                         PlaceholderCase{"StartRdpReplay", "rdplayer还未实现"},
                                         PlaceholderCase{"StartMstscMonitor", "rdplayer还未实现"}),
                         [](const auto& test) { return test.param.action; });

// With no client installed, each working action shows the not-found text of
// its own client: that proves the route and the opening check together.
struct RouteCase {
    std::string action;
    const ClientApp* client;
};

class WorkingRouteTest : public testing::TestWithParam<RouteCase> {};

TEST_P(WorkingRouteTest, OpensWithItsClientsCheck) {
    Harness h;
    h.OpenFields("&action=" + GetParam().action + "&username=a--b&sid=1&target_ip=1.2&");
    EXPECT_EQ(h.alerts.shown,
              (std::vector<AlertRecord>{{"抱歉", std::string(GetParam().client->notFoundText)}}));
    EXPECT_TRUE(h.shell.lines.empty());
    // A missing client stops the launcher before it rewrites anything.
    EXPECT_EQ(h.delegate.m_username, "a--b");
    EXPECT_EQ(h.delegate.m_target_ip, "1.2");
    EXPECT_EQ(h.delegate.m_port, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkingRouteTest,
    testing::Values(RouteCase{"StartFileZilla", &clients::kFileZilla},
                    RouteCase{"StartSecureCRT", &clients::kSecureCRT},
                    RouteCase{"StartSecureCRTDisplay", &clients::kSecureCRT},
                    RouteCase{"StartSecureCRTMonitor", &clients::kSecureCRT},
                    RouteCase{"StartMstsc", &clients::kMicrosoftRemoteDesktop},
                    RouteCase{"StartMstscAutoRun", &clients::kRemoteDesktopConnection},
                    RouteCase{"StartMstscAutoRunReplay", &clients::kQuendalApp}),
    [](const auto& test) { return test.param.action; });

class UnknownActionTest : public testing::TestWithParam<std::string> {};

TEST_P(UnknownActionTest, ShowsTheErrorAlert) {
    Harness h;
    h.InstallAll();
    h.OpenFields(GetParam());
    EXPECT_EQ(h.alerts.shown, std::vector<AlertRecord>{kUnknown});
    EXPECT_TRUE(h.shell.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, UnknownActionTest,
                         testing::Values("", "&action=&", "&action=startputty&",
                                         "&action=STARTPUTTY&", "&action=StartPutty+&",
                                         "&action=StartMstscAutoRunReplayX&", "&action=Init&",
                                         "&action=StartPutty"));

TEST(Dispatch, AutoRunAndReplayAreDifferentRoutes) {
    Harness h;
    h.OpenFields("&action=StartMstscAutoRun&");
    h.OpenFields("&action=StartMstscAutoRunReplay&");
    ASSERT_EQ(h.alerts.shown.size(), 2u);
    EXPECT_EQ(h.alerts.shown[0].message, clients::kRemoteDesktopConnection.notFoundText);
    EXPECT_EQ(h.alerts.shown[1].message, clients::kQuendalApp.notFoundText);
}

TEST(Dispatch, DebugAlertShowsDecodedUrlFirst) {
    Harness h;
    h.OpenFields("&action=nope&debug=1&x=%E4%B8%AD+1&");
    EXPECT_EQ(h.alerts.shown,
              (std::vector<AlertRecord>{{"调试", "&action=nope&debug=1&x=中 1&"}, kUnknown}));
}

TEST(Dispatch, DebugAlertThenLauncherDebugThenCommand) {
    Harness h;
    h.Install(clients::kSecureCRT);
    h.alerts.onRun = [&](const AlertRecord&) {
        EXPECT_TRUE(h.shell.lines.empty()) << "command ran before an alert closed";
        return false;
    };
    h.OpenFields("&action=StartSecureCRT&debug=1&proxy_addr=gw&");
    ASSERT_EQ(h.alerts.shown.size(), 2u);
    EXPECT_EQ(h.alerts.shown[0].message, "&action=StartSecureCRT&debug=1&proxy_addr=gw&");
    ASSERT_EQ(h.shell.lines.size(), 1u);
    EXPECT_EQ(h.alerts.shown[1], (AlertRecord{"调试", h.shell.lines[0]}));
}

class DebugFlagTest : public testing::TestWithParam<std::string> {};

TEST_P(DebugFlagTest, OnlyExactlyOneShowsTheDebugAlert) {
    Harness h;
    h.OpenFields("&action=StartPutty&debug=" + GetParam() + "&");
    EXPECT_EQ(h.alerts.shown.size(), GetParam() == "1" ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DebugFlagTest, testing::Values("1", "true", "01", "+1", "", "0"));

TEST(Dispatch, DebugDoesNotCarryOver) {
    Harness h;
    h.OpenFields("&action=StartPutty&debug=1&");
    h.OpenFields("&action=StartPutty&");
    EXPECT_EQ(h.alerts.shown.size(), 3u);
}

}  // namespace
}  // namespace torvale::test
