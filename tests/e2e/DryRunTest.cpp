// `torvale --dry-run`, end to end: it does nothing, predicts the real run,
// and prints nothing that a value could forge.

#include <filesystem>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

class DryRun : public testing::Test {
  protected:
    DryRun() {
        fs::create_directories(bin_);
        fs::create_symlink(RECORD_ARGV_PATH, bin_ + "/open");
    }
    ProcessResult Torvale(std::vector<std::string> args, const std::string& home) {
        args.insert(args.begin(), TORVALE_PATH);
        return RunProcess(args, {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                 "PATH=" + bin_ + ":/usr/bin:/bin", "RECORD_ARGV_LOG=" + log_});
    }
    std::vector<std::string> With(std::vector<std::string> options,
                                  const std::vector<std::string>& urls) {
        options.insert(options.end(), urls.begin(), urls.end());
        return options;
    }

    TempDir home_;
    TempDir scratch_;
    std::string bin_ = scratch_ / "bin";
    std::string log_ = scratch_ / "argv.log";
};

// Each kind of line once: alerts and a command with its argv, files, a
// decoding failure.
const std::vector<std::string> kGolden = {
    "torvale://&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&crttab=1&"
    "target_username=root&target_ip=10.0.0.5&entrust_username=0&password=it's&proxy_addr=10.0.0.1&"
    "debug=1&",
    "torvale://&action=StartMstsc&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&"
    "entrust_password=1&password=s3cret&target_ip=10.1.2.3&rdparg=admin&",
    "torvale://&action=StartPutty&note=50%+off&",
};

TEST_F(DryRun, ReportsAgainstTheReviewedGoldenFile) {
    const std::string golden = std::string(SOURCE_DIR) + "/tests/e2e/golden/dry-run.txt";
    const std::string actual = Torvale(With({"--dry-run", "--assume-installed"}, kGolden), "/").out;
    if (const char* update = std::getenv("TORVALE_UPDATE_GOLDEN"); update && *update == '1')
        WriteFile(golden, actual);
    EXPECT_EQ(actual, ReadFile(golden));

    // The same as JSON, a document a line.
    const ProcessResult json = Torvale(With({"-n", "--assume-installed", "--json"}, kGolden), "/");
    std::vector<nlohmann::json> documents;
    std::istringstream lines(json.out);
    for (std::string line; std::getline(lines, line);)
        documents.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(documents.size(), 3u);
    EXPECT_EQ(documents[0]["events"][2]["argv"][13], "********");
    EXPECT_EQ(documents[1]["events"][0]["type"], "write");
    EXPECT_EQ(documents[1]["client"]["path"], "/Applications/Microsoft Remote Desktop.app");
    EXPECT_EQ(documents[1]["outcome"], "launched");
    EXPECT_EQ(documents[2]["decode_error"]["offset"], 36);
    EXPECT_EQ(documents[2]["parameters"]["action"], nullptr);
}

TEST_F(DryRun, DoesNothingAndPredictsTheRealRun) {
    // Every client where configuration.ini says; values that fail a write,
    // stop a command, or are refused.
    const std::string dir = home_ / "Documents/torvale";
    fs::create_directories(dir);
    fs::create_directories(scratch_ / "Apps/SecureCRT.app");
    fs::create_directories(scratch_ / "Apps/Remote.app");
    WriteFile(dir + "/configuration.ini",
              "[clients]\nSecureCRT = " + (scratch_ / "Apps/SecureCRT.app") +
                  "\nMicrosoft Remote Desktop = " + (scratch_ / "Apps/Remote.app") + "\n");
    const std::vector<std::string> urls = {
        "torvale://&action=StartMstsc&target_ip=a%00b&localhost=h&",
        "torvale://&action=StartSecureCRT&username=u%00&proxy_addr=gw&",
        "torvale://&action=StartSecureCRT&username=-u&proxy_addr=gw&",
        "torvale://&action=StartMstscAutoRun&",
        "torvale://&action=StartSecureCRT&username=u&proxy_addr=gw&debug=1&",
        "torvale://&action=StartMstsc&target_ip=t&localhost=h&",
    };
    const auto before = fs::last_write_time(dir + "/configuration.ini");
    const ProcessResult dry = Torvale(With({"--dry-run"}, urls), home_.path());
    EXPECT_EQ(dry.err, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(fs::last_write_time(dir + "/configuration.ini"), before);
    EXPECT_FALSE(fs::exists(log_));

    const ProcessResult real = Torvale(urls, home_.path());
    std::string predicted;
    std::istringstream lines(dry.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("alert    ") || line.starts_with("log      "))
            predicted += line.substr(9) + "\n";
    }
    EXPECT_EQ(predicted, real.err);
    std::size_t commands = 0;
    for (std::size_t at = dry.out.find("\ncommand  "); at != std::string::npos;
         at = dry.out.find("\ncommand  ", at + 1))
        ++commands;
    EXPECT_EQ(commands, ReadArgvLog(log_).size());
    EXPECT_EQ(commands, 2u);
}

TEST_F(DryRun, PrintsNoControlCharacterAValueCouldUse) {
    const std::string forged = "x%0D%0Acommand++open+evil%1B]52;c;aGk=%07%C2%9B31m%C2%85%7F";
    const ProcessResult r = Torvale(
        With({"--dry-run", "--assume-installed", "--show-secrets"},
             {"torvale://&action=StartMstsc&debug=1&disk=" + forged + "&target_ip=" + forged + "&",
              "torvale://&action=StartSecureCRT&password=" + forged +
                  "&entrust_password=1&proxy_addr=gw&username=u&",
              "torvale://&action=" + forged + "&"}),
        home_.path());
    for (std::size_t i = 0; i < r.out.size(); ++i) {
        const auto c = static_cast<unsigned char>(r.out[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < r.out.size() && static_cast<unsigned char>(r.out[i + 1]) < 0xA0;
        ASSERT_FALSE((c < 0x20 && c != '\n') || c == 0x7F || c1) << "byte " << i << " of\n"
                                                                 << r.out;
    }
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_FALSE(line.starts_with("command  open evil")) << line;
    EXPECT_NE(r.out.find("\\x1b]52;c;aGk=\\x07"), std::string::npos);
}

TEST_F(DryRun, MasksPasswordsUnlessAsked) {
    const std::string url = kGolden[1] + "&monitorpassword=hunter2&password=later&";
    const ProcessResult masked = Torvale({"-n", "--assume-installed", url}, "/");
    EXPECT_EQ(masked.out.find("s3cret"), std::string::npos);
    EXPECT_EQ(masked.out.find("hunter2"), std::string::npos);
    EXPECT_NE(masked.out.find("domain:s:********--$"), std::string::npos) << masked.out;
    const ProcessResult shown = Torvale({"-n", "--assume-installed", "--show-secrets", url}, "/");
    EXPECT_NE(shown.out.find("domain:s:s3cret--$"), std::string::npos) << shown.out;
}

}  // namespace
}  // namespace torvale::test
