// The `torvale` binary, end to end, with a temporary HOME: its command line,
// real launches through /bin/sh, and the surroundings it must survive.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

class Torvale : public testing::Test {
  protected:
    Torvale() {
        fs::create_directories(bin_);
        fs::create_symlink(RECORD_ARGV_PATH, bin_ + "/open");
    }

    std::vector<std::string> Env(const std::string& home) const {
        return {"HOME=" + home, "XDG_CONFIG_HOME=" + (scratch_ / "config"),
                "PATH=" + bin_ + ":/usr/bin:/bin", "RECORD_ARGV_LOG=" + log_, "LC_ALL=C.UTF-8"};
    }
    ProcessResult Run(std::vector<std::string> args, const std::string& input = "",
                      int errorFd = -1) {
        args.insert(args.begin(), TORVALE_PATH);
        return RunProcess(args, Env(home_.path()), input, errorFd);
    }
    // Runs torvale through `sh -c` with the given set-up in front of it.
    ProcessResult RunAfter(const std::string& setup, const std::vector<std::string>& urls) {
        std::vector<std::string> argv = {"/bin/sh", "-c", setup + "; exec \"$0\" \"$@\"",
                                         TORVALE_PATH};
        argv.insert(argv.end(), urls.begin(), urls.end());
        return RunProcess(argv, Env(home_.path()));
    }

    // Client bundles in a directory of the test, named in configuration.ini.
    void Install(const std::vector<std::string>& clients) {
        std::string configuration = "[clients]\n";
        for (const std::string& client : clients) {
            fs::create_directories(scratch_ / ("apps/" + client + ".app"));
            configuration += client + " = " + (scratch_ / ("apps/" + client + ".app")) + "\n";
        }
        fs::create_directories(dir_);
        WriteFile(dir_ + "/configuration.ini", configuration);
    }
    std::string App(const std::string& client) const {
        return scratch_ / ("apps/" + client + ".app");
    }

    TempDir home_;
    TempDir scratch_;
    std::string dir_ = home_ / "Documents/torvale";
    std::string bin_ = scratch_ / "bin";
    std::string log_ = scratch_ / "argv.log";
};

TEST_F(Torvale, HandlesUrlsFromArgumentsOrStandardInputInOrder) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string err;
    } cases[] = {
        {{"torvale://&action=StartPutty&"}, "", 0, "抱歉: putty还未实现\n"},
        {{"torvale://&action=Nope&debug=1&x=a%5Cb%0Ac+d%1B&"},
         "",
         0,
         "调试: &action=Nope&debug=1&x=a\\\\b\\nc d\\x1b&\n错误: 未知接口\n"},
        {{},
         "torvale://&action=StartPutty&\r\n \t\r\n\ntorvale://&action=StartWinscp&\ntorvale://&",
         0,
         "抱歉: putty还未实现\n抱歉: winscp还未实现\n错误: 未知接口\n"},
        {{"--", "torvale://&action=StartRdpReplay&", "-torvale:/&action=StartPutty&"},
         "",
         0,
         "抱歉: rdplayer还未实现\n抱歉: putty还未实现\n"},
        {{"--frobnicate", "torvale://&action=StartPutty&"},
         "",
         2,
         "torvale: unknown option '--frobnicate'\nTry 'torvale --help' for more information.\n"},
        {{"--json", "torvale://&"},
         "",
         2,
         "torvale: --assume-installed, --show-secrets, --json and --clients go with --dry-run\n"
         "Try 'torvale --help' for more information.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const ProcessResult r = Run(c.args, c.input);
        EXPECT_EQ(r.exitStatus, c.status);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_TRUE(Run({"--help"}).out.starts_with("Usage: torvale [OPTION]... [URL]...\n"));
    EXPECT_EQ(Run({"--version"}).out, "torvale 0.1.0\n");
    EXPECT_EQ(FileMode(dir_), 0700u);
    EXPECT_EQ(ReadFile(dir_ + "/configuration.ini"), "");
}

TEST_F(Torvale, RefusesAHomeThatIsNotAnAbsoluteDirectory) {
    for (const std::string& home : {std::string(), std::string("-n"), home_ / "missing"}) {
        SCOPED_TRACE(home);
        const ProcessResult r = RunProcess({TORVALE_PATH, "torvale://&"}, Env(home));
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_TRUE(r.err.starts_with("torvale: HOME is not")) << r.err;
    }
    EXPECT_FALSE(fs::exists(home_ / "missing"));
}

TEST_F(Torvale, SurvivesItsSurroundings) {
    Install({"SecureCRT"});
    const std::string crt = "torvale://&action=StartSecureCRT&username=u&proxy_addr=gw&debug=1&";
    // Standard error a pipe that nobody reads: the alert must not end us.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);
    EXPECT_EQ(Run({crt}, "", pipeFds[1]).exitStatus, 0);
    ::close(pipeFds[1]);
    // SIGCHLD ignored: the system reaps the shell, and that is no failure.
    const ProcessResult ignored = RunAfter("trap '' CHLD", {crt});
    EXPECT_EQ(ignored.err,
              "调试: &action=StartSecureCRT&username=u&proxy_addr=gw&debug=1&\n调试: open " +
                  App("SecureCRT") + " -n --args /ssh1 /l u /P 22 gw\n");
    // Standard error closed.
    EXPECT_EQ(RunAfter("exec 2>&-", {crt}).exitStatus, 0);
    EXPECT_EQ(ReadArgvLog(log_).size(), 3u);
}

TEST_F(Torvale, ParallelPassesEachHandTheirOwnFile) {
    // One process per click, as the Linux desktop runs it; targets that name
    // the shared file itself among them.
    Install({"Microsoft Remote Desktop"});
    std::string script = "for i in $(seq 100); do";
    for (const char* target : {"t$i", "activex", "/activex"}) {
        script += " \"$0\" \"torvale://&action=StartMstsc&localhost=h$i&target_ip=" +
                  std::string(target) + "&\" &";
    }
    script += " done; wait";
    const ProcessResult r = RunProcess({"/bin/sh", "-c", script, TORVALE_PATH}, Env(home_.path()));
    ASSERT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "");
    for (int i = 1; i <= 100; ++i) {
        const std::string copy = ReadFile(dir_ + "/t" + std::to_string(i) + ".rdp");
        EXPECT_NE(copy.find("full address:s:h" + std::to_string(i) + "\n"), std::string::npos) << i;
    }
    EXPECT_NE(ReadFile(dir_ + "/activex.rdp").find("full address:s:h"), std::string::npos);
    EXPECT_EQ(ReadArgvLog(log_).size(), 300u);
    for (const auto& entry : fs::directory_iterator(dir_)) {
        const std::string name = entry.path().filename();  // no temporary file left
        EXPECT_EQ(FileMode(entry.path()), name == "configuration.ini" ? 0644u : 0600u) << name;
    }
    EXPECT_EQ(ReadArgvLog(log_)[0][1], App("Microsoft Remote Desktop"));
}

}  // namespace
}  // namespace torvale::test
