// 10,000 launch URLs of every action through one torvale process on
// standard input: every one handled, in order. Under the asan-ubsan preset
// the same run is checked for leaks by LeakSanitizer at exit.

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/Namespace.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

constexpr int kUrls = 10000;

// The URL for number i, and the argv marker the fake `open` must receive for
// it (empty for actions that run no command).
struct Request {
    std::string url;
    std::string marker;
    std::string alert;
};

Request RequestFor(int i, const std::string& configDir) {
    const std::string n = "n" + std::to_string(i);
    switch (i % 14) {
        case 0:
            return {"&action=StartSecureCRT&protocol=ssh2&proxy_addr=" + n, n, ""};
        case 1:
            return {"&action=StartSecureCRTDisplay&host=" + n, n, ""};
        case 2:
            return {"&action=StartSecureCRTMonitor&host=" + n, n, ""};
        case 3:
            return {"&action=StartFileZilla&protocol=sftp&proxy_addr=" + n, "sftp://@" + n + ":22",
                    ""};
        case 4:
            return {"&action=StartMstsc&target_ip=" + n, configDir + "/" + n + ".rdp", ""};
        case 5:
            return {"&action=StartMstscAutoRun&path=" + n, configDir + "/activex_autorun.rdp", ""};
        case 6:
            return {"&action=StartMstscAutoRunReplay&host=" + n, "/v:" + n + ":", ""};
        case 7:
            return {"&action=StartPutty&x=" + n, "", "抱歉: putty还未实现"};
        case 8:
            return {"&action=StartWinscp&x=" + n, "", "抱歉: winscp还未实现"};
        case 9:
            return {"&action=StartFlashXP&x=" + n, "", "抱歉: flashxp还未实现"};
        case 10:
            return {"&action=StartPuttyMonitor&x=" + n, "", "抱歉: putty还未实现"};
        case 11:
            return {"&action=StartRdpReplay&x=" + n, "", "抱歉: rdplayer还未实现"};
        case 12:
            return {"&action=StartMstscMonitor&x=" + n, "", "抱歉: rdplayer还未实现"};
        default:
            return {"&action=Unknown" + n, "", "错误: 未知接口"};
    }
}

TEST(Soak, TenThousandUrlsInOrderThroughOneProcess) {
    if (!CanMountApplications()) GTEST_SKIP() << "needs root and mount namespaces";
    TempDir home;
    TempDir scratch;
    const std::string bin = scratch / "bin";
    std::filesystem::create_directory(bin);
    std::filesystem::create_symlink(FAKE_OPEN_PATH, bin + "/open");
    const std::string configDir = home / "Documents/torvale";

    std::string input;
    std::vector<std::string> markers;
    std::string alerts;
    for (int i = 0; i < kUrls; ++i) {
        const Request request = RequestFor(i, configDir);
        input += "torvale://" + request.url + "&\n";
        if (!request.marker.empty()) markers.push_back(request.marker);
        if (!request.alert.empty()) alerts += request.alert + "\n";
    }

    const ProcessResult r = RunWithApplications(
        {"SecureCRT.app", "FileZilla.app", "Microsoft Remote Desktop.app",
         "Remote Desktop Connection.app", "QuendalApp.app"},
        "exec \"$@\"", {TORVALE_PATH},
        {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path(), "PATH=" + bin + ":/usr/bin:/bin",
         "FAKE_OPEN_LOG=" + (scratch / "open.log")},
        input);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, alerts);  // also no sanitizer or leak report

    const auto calls = ReadOpenLog(scratch / "open.log");
    ASSERT_EQ(calls.size(), markers.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        ASSERT_NE(std::find(calls[i].begin(), calls[i].end(), markers[i]), calls[i].end())
            << "call " << i << " should carry " << markers[i];
    }
}

}  // namespace
}  // namespace torvale::test
