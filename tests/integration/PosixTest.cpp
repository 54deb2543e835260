// The POSIX ports and the preferences file against the real system.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "core/config/Configuration.h"
#include "core/signing/LinkSignature.h"
#include "platform/cli/FilePreferences.h"
#include "platform/cli/PassLog.h"
#include "platform/posix/ClientWatchWire.h"
#include "platform/posix/HandoverWire.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/Process.h"
#include "platform/posix/RemovalWire.h"
#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

TEST(PosixShell, RunsTheLineAloneWithDefaultSignalsAndWaitsWhateverItsStatus) {
    TempDir dir;
    EXPECT_EQ(PosixShell()
                  .Run("sleep 0.2; printf '%s|' \"$0\" \"$#\" > '" + (dir / "out") + "'; exit 3")
                  .notRun,
              "");
    EXPECT_EQ(ReadFile(dir / "out"), "/bin/sh|0|");
    // The line reaches the shell in its environment, and nothing of it the
    // client's, whatever the caller's environment held.
    ::setenv("torvale_line", "caller's", 1);
    PosixShell().Run("exec env > '" + (dir / "env") + "'");
    ::unsetenv("torvale_line");
    EXPECT_EQ(ReadFile(dir / "env").find("_line="), std::string::npos);
    // A signal that interrupts the wait (no SA_RESTART): the wait goes on.
    struct sigaction wake = {}, before = {};
    wake.sa_handler = [](int) {};
    ::sigaction(SIGALRM, &wake, &before);
    const itimerval soon = {{0, 0}, {0, 100000}};
    ::setitimer(ITIMER_REAL, &soon, nullptr);
    EXPECT_EQ(PosixShell().Run("sleep 0.5; : > '" + (dir / "woke") + "'").notRun, "");
    ::sigaction(SIGALRM, &before, nullptr);
    EXPECT_TRUE(fs::exists(dir / "woke"));
    // A descriptor left inheritable by mistake, a blocked and an ignored signal.
    const int null = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(null, 57), 57);
    ::close(null);
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto oldHandler = ::signal(SIGUSR2, SIG_IGN);
    // exec: grep and ls read their own state as the shell passed it on (dash
    // blocks every signal in itself around a fork).
    PosixShell().Run("exec grep -E '^Sig(Blk|Ign)' /proc/self/status > '" + (dir / "status") + "'");
    PosixShell().Run("exec ls /proc/self/fd > '" + (dir / "fds") + "'");
    ::signal(SIGUSR2, oldHandler);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(57);

    const std::string status = ReadFile(dir / "status");
    EXPECT_NE(status.find("SigBlk:\t0000000000000000"), std::string::npos) << status;
    const std::size_t at = status.find("SigIgn:\t");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ull << (SIGUSR2 - 1)), 0u);
    EXPECT_EQ(ReadFile(dir / "fds"), "0\n1\n2\n3\n");  // 3: the one ls lists with
}

TEST(PosixShell, AWaitThatLastsTooLongIsGivenUpAndTheShellReapedLater) {
    // The first line cannot end before the wait is given up: it waits for
    // a file made only then. The wait is long for `exit 0` on a busy machine.
    TempDir dir;
    PosixShell shell(PosixShell::Mode::Wait, std::chrono::seconds(2), std::chrono::seconds(3));
    const CommandResult slow =
        shell.Run("while [ ! -e '" + (dir / "go") + "' ]; do sleep 0.01; done");
    EXPECT_TRUE(slow.stillStarting);
    EXPECT_EQ(slow.notRun, "");
    WriteFile(dir / "go", "");
    // Once the shell has ended (waitable, left so by WNOWAIT), the next run reaps it.
    siginfo_t ended = {};
    for (int i = 0; i < 1000 && ended.si_pid == 0; ++i) {
        ::waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(ended.si_pid, 0);
    EXPECT_FALSE(shell.Run("exit 0").stillStarting);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no zombie left: the first was reaped
}

TEST(PosixShell, DetachedLinesRunInTheirOwnSessionWithoutOurTerminal) {
    TempDir dir;
    // The line waits for a go-ahead: Run must return before it ends. Its
    // standard error, still read after the watch, must not end it later.
    const CommandResult started =
        PosixShell(PosixShell::Mode::Detach, std::chrono::milliseconds(100))
            .Run("while [ ! -e '" + (dir / "go") + "' ]; do sleep 0.01; done; echo late >&2; " +
                 "echo $(cut -d' ' -f6 /proc/$$/stat) $(readlink /proc/$$/fd/1) > '" +
                 (dir / "out") + "'; exec ls /proc/self/fd > '" + (dir / "fds") + "'");
    EXPECT_FALSE(started.failedAtOnce);
    EXPECT_FALSE(fs::exists(dir / "out"));
    WriteFile(dir / "go", "");
    // ls writes last, and in one go: once it has, everything is there.
    for (int i = 0; i < 1000 && ReadFile(dir / "fds").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFile(dir / "fds"), "0\n1\n2\n3\n");  // 3: the one ls lists with
    const std::string seen = ReadFile(dir / "out");
    const std::string session = seen.substr(0, seen.find(' '));
    EXPECT_NE(session, std::to_string(::getsid(0)));
    EXPECT_EQ(seen, session + " /dev/null\n");
}

TEST(PosixShell, ADetachedLineThatFailsAtOnceIsReportedWithTheEndOfItsErrors) {
    PosixShell shell(PosixShell::Mode::Detach);
    const CommandResult failed =
        shell.Run("for i in 1 2 3 4 5 6 7; do echo \"line $i\" | sed s/line.5// >&2; done; exit 3");
    EXPECT_EQ(failed.errorOutput, "line 3\nline 4\n\nline 6\nline 7");
    // Of one line without end, the last 2 KiB.
    EXPECT_EQ(shell.Run("printf %05000d 0 >&2; exit 1").errorOutput, std::string(2048, '0'));
    EXPECT_TRUE(shell.Run("kill -9 $$").failedAtOnce);
    EXPECT_FALSE(shell.Run("echo fine >&2; echo out").failedAtOnce);  // to /dev/null, writable
}

// A watcher forked as torvale-desktop forks it: FreeRDP's question whose
// common name holds another is answered N unasked, and the user told why.
TEST(PosixShell, AForkedWatcherRefusesAForgedCertificateQuestionAndSaysWhy) {
    TempDir dir;
    const std::string told = dir / "told";
    PosixShell shell(PosixShell::Mode::Detach);
    shell.WatchInFork({[&](const WatchedPass& pass, Outcome, const std::string& detail,
                           const std::string& alert) {
                           std::ofstream(told + ".new") << pass.head << detail << "\n" << alert;
                           ::rename((told + ".new").c_str(), told.c_str());
                       },
                       [](const Question&) { return Answer::ConnectAlways; }},
                      [] { return true; });
    EXPECT_TRUE(shell
                    .Run("HOME='" + (dir / "") + "' " SOURCE_DIR "/tests/support/forged_freerdp.py",
                         {"gw:3389", {"when | ", "launched", "", "FreeRDP"}})
                    .watched);
    for (int i = 0; i < 300 && !fs::exists(told); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ReadFile(dir / "typed"), "N\n");
    EXPECT_EQ(ReadFile(told),
              "when | a forged certificate question answered no\n"
              "此主机出示的证书中，由服务器选定的名称里"
              "夹带了另一份证书的内容，无法确定哪个指纹是真的。"
              "已拒绝此证书，没有连接。\n主机：gw:3389\n"
              "请将此事告知网关管理员：他们的服务器"
              "或通往它的网络可能已被人冒充。");
}

// What a background task is handed on its standard input reads back as it
// was written, and nothing else reads at all: not a part cut short, not a
// byte too many, not a number where none may stand.
TEST(Wire, ATaskTakesOnlyWhatWasHandedToItWhole) {
    const WatchOrder order{std::chrono::milliseconds(2000),
                           "exec 'x'\n'y' 2>&1",
                           {"gw:3389", {"2026-12-10 | a | ", "launched", " | end", "/bin/x"}}};
    const std::string watch = EncodeWatchOrder(order);
    const auto back = DecodeWatchOrder(watch);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(EncodeWatchOrder(*back), watch);
    const std::string removal = EncodeRemoval({"/d/t.rdp", std::chrono::seconds(60)});
    EXPECT_EQ(removal, "2\n608\n/d/t.rdp");
    EXPECT_EQ(DecodeRemoval(removal)->path, "/d/t.rdp");
    const std::string handover = EncodeHandover({"/d/a.sock", "pw", {"u@gw's password: "}});
    EXPECT_EQ(DecodeHandover(handover)->secret, "pw");
    const std::function<bool(const std::string&)> reads[] = {
        [](const std::string& text) { return DecodeWatchOrder(text).has_value(); },
        [](const std::string& text) { return DecodeRemoval(text).has_value(); },
        [](const std::string& text) { return DecodeHandover(text).has_value(); }};
    const std::string* wholes[] = {&watch, &removal, &handover};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t cut = 0; cut < wholes[i]->size(); ++cut)
            EXPECT_FALSE(reads[i](wholes[i]->substr(0, cut))) << cut << " bytes of " << *wholes[i];
        EXPECT_FALSE(reads[i](*wholes[i] + "0\n")) << *wholes[i];
    }
    const auto none = [&](const std::string& text) {
        return !reads[0](text) && !reads[1](text) && !reads[2](text);
    };
    const std::string line(kLongestWatchOrder, 'x');
    for (const std::string& bad : std::vector<std::string>{
             "5\n60001" + watch.substr(6), "x\n", "-1\n1\n", "1\n9\n0\n", "1\n0\n8\n/d/t.rdp",
             "2\n60\n0\n", "3\n1e3" + watch.substr(6),
             EncodeWatchOrder({std::chrono::milliseconds(1), "", {}}),
             EncodeWatchOrder({std::chrono::milliseconds(1), line, {}}), "99999999999999999999\nx"})
        EXPECT_TRUE(none(bad)) << bad;
    EXPECT_TRUE(DecodeWatchOrder("5\n60000" + watch.substr(6)).has_value());
}

TEST(CommandOutput, TakesWhatAProgramWroteOnceItEndsAndBoundsOneThatHangs) {
    std::string why;
    // A child left behind still holds the pipe: the answer does not wait for it.
    const auto left = CommandOutput({"sh", "-c", "sleep 300 & echo $!"}, 100, &why);
    ASSERT_TRUE(left.has_value()) << why;
    ::kill(std::stoi(*left), SIGKILL);
    EXPECT_FALSE(CommandOutput({"sh", "-c", "echo out; exit 3"}, 100, &why));
    EXPECT_TRUE(why.ends_with("/sh exited with status 3")) << why;
    EXPECT_FALSE(CommandOutput({"sh", "-c", "kill -9 $$"}, 100, &why));
    EXPECT_TRUE(why.ends_with("/sh was ended by signal 9")) << why;
    EXPECT_EQ(CommandOutput({"sh", "-c", "seq 3"}, 4, &why), "1\n2\n");
}

TEST(PassLog, KeepsItsLinesPrivateAndMovesAFullLogAside) {
    TempDir dir;
    const std::string path = PassLogPath(dir.path().c_str(), "/nowhere"), line(1000, 'x');
    for (int i = 0; i < 70; ++i)
        ASSERT_TRUE(AppendPassLine(path, line + std::to_string(10 + i), nullptr));
    EXPECT_EQ(FileMode(path), 0600u);
    EXPECT_EQ(FileMode(dir / "torvale"), 0700u);
    EXPECT_EQ(ReadFile(path + ".1").size(), 65 * 1003u);  // full: the 66th went to a new one
    EXPECT_EQ(LastPassLines(path, 2), (std::vector<std::string>{line + "78", line + "79"}));
    std::string why;
    EXPECT_FALSE(AppendPassLine(path + ".1/below", "x", &why));
    EXPECT_EQ(why, path + ".1 cannot be made: Not a directory");
}

// A failed write keeps the old file, and a failed read says why in the
// system's words: fault_injection.sh.
TEST(PosixFileSystem, WritesWholeFilesWithTheirModeAndReadsOnlyRegularOnes) {
    TempDir dir;
    // The temporary file goes beside the file, never where we stand.
    const fs::path cwd = fs::current_path();
    fs::current_path("/proc");
    PosixFileSystem files;
    const std::string path = dir / "a.rdp", big(40000, 'x');  // more than one read
    const bool wrote =
        files.WriteFile(path, "one", 0600, nullptr) && files.WriteFile(path, big, 0600, nullptr);
    fs::current_path(cwd);
    ASSERT_TRUE(wrote);
    EXPECT_EQ(files.ReadFile(path, big.size(), nullptr), big);
    EXPECT_EQ(files.ReadFile(path, big.size() - 1, nullptr), std::nullopt);

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(files.ReadFile(dir / "fifo", 100, nullptr), std::nullopt);  // and does not wait
    EXPECT_EQ(files.ReadFile(dir.path(), 100, nullptr), std::nullopt);
    EXPECT_EQ(files.ReadFile(dir / "missing", 100, nullptr), "");
    EXPECT_FALSE(files.WriteFile(dir.path(), "x", 0600, nullptr));  // a directory stands there
    EXPECT_FALSE(files.CreateEmptyFile(path, 0600, nullptr));       // and never replaces a file
    const mode_t umask = ::umask(077);  // the mode asked for, whatever the umask
    EXPECT_TRUE(files.CreateEmptyFile(dir / "c.ini", 0644, nullptr));
    ::umask(umask);
    EXPECT_EQ(fs::status(dir / "c.ini").permissions(), fs::perms(0644));
    // A path with a NUL would act on a shorter one.
    const std::string cut = path + std::string("\0.x", 3);
    EXPECT_FALSE(files.WriteFile(cut, "x", 0600, nullptr) || files.Exists(cut) ||
                 files.CreateDirectory(cut, 0700, nullptr) || files.ReadFile(cut, 10, nullptr));
    EXPECT_EQ(ReadFile(path), big);
}

// The way to a file as the kernel walks it: a link followed where it stands,
// ".." after it taken from where it led; a missing step ends the way short.
TEST(PosixFileSystem, WalksTheWayThroughTheFoldersALinkLeadsTo) {
    TempDir dir;
    fs::create_directories(dir / "real/inner");
    WriteFile(dir / "real/inner/conf", "x");
    fs::create_directory_symlink("real/inner", dir / "link");
    fs::create_symlink("loop", dir / "loop");
    PosixFileSystem files;
    PathWay way;
    std::string why;
    ASSERT_TRUE(files.WayTo(dir / "link/../inner/./conf", &way, &why)) << why;
    std::vector<std::string> steps;
    for (const PathWay::Step& step : way.steps)
        steps.push_back(step.path);
    EXPECT_EQ(steps, (std::vector<std::string>{"/", "/tmp", dir.path(), dir / "real",
                                               dir / "real/inner", dir / "real/inner/conf"}));
    EXPECT_TRUE(way.reached && !way.steps.back().info.directory);

    ASSERT_TRUE(files.WayTo(dir / "link/none/conf", &way, &why));
    EXPECT_FALSE(way.reached);
    EXPECT_EQ(way.steps.back().path, dir / "real/inner");
    EXPECT_FALSE(files.WayTo(dir / "loop/conf", &way, &why));
    EXPECT_EQ(why, dir / "loop: Too many levels of symbolic links");

    // /tmp, which everyone may write, may not lead to an administrator's file.
    bool present = false;
    FileFault fault;
    EXPECT_FALSE(TrustSystemFile(files, dir / "link/conf", &present, &fault));
    EXPECT_EQ(fault.why,
              "its folder /tmp is mode 1777: only folders of root's that no one "
              "else may write count");
    EXPECT_EQ(fault.fix, "sudo chmod go-w /tmp");
    EXPECT_TRUE(TrustSystemFile(files, dir / "none", &present, &fault));
    EXPECT_FALSE(present);
}

TEST(FilePreferences, ReadsHandEditedFilesAndKeepsOtherKeys) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "conf/torvale.conf";
    FilePreferences preferences(files, path);
    fs::create_directories(dir / "conf");
    for (const char* text : {"AlertSuppression=true\r\n", "  AlertSuppression = true \n",
                             "AlertSuppression=false\nAlertSuppression=true\n"}) {
        WriteFile(path, text);
        EXPECT_TRUE(preferences.GetBool("AlertSuppression")) << text;
    }
    WriteFile(path, "Other=1\nAlertSuppression=yes\n");
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));
    preferences.SetBool("AlertSuppression", true, nullptr);
    EXPECT_EQ(ReadFile(path), "Other=1\nAlertSuppression=true\n");
    preferences.Remove("AlertSuppression", nullptr);
    EXPECT_EQ(ReadFile(path), "Other=1\n");
    // Hosts come from launch URLs: none may forge a line or hide in blanks.
    const std::vector<std::string> hosts = {"gw", "a b\nAlertSuppression=true", "50%", " x ", "中",
                                            "ｆ"};
    preferences.UpdateList(
        "TrustedGateways", [&](auto) { return hosts; }, nullptr);
    EXPECT_EQ(preferences.GetList("TrustedGateways"), hosts);
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));
    EXPECT_EQ(ReadFile(path),
              "Other=1\nTrustedGateways=gw\nTrustedGateways=a%20b%0AAlertSuppression=true\n"
              "TrustedGateways=50%25\nTrustedGateways=%20x%20\nTrustedGateways=%E4%B8%AD\n"
              "TrustedGateways=%EF%BD%86\n");
    WriteFile(path, "TrustedGateways=%e4%b8%ad%4G\n");  // by hand, in lower case, and no escape
    EXPECT_EQ(preferences.GetList("TrustedGateways"), std::vector<std::string>{"中%4G"});
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));  // and does not wait for a writer
    // A file past the limit reads as empty, and a change reads it whole: no line is lost.
    fs::remove(path);
    const std::string large = "Other=1\n" + std::string(1 << 16, '#');
    WriteFile(path, large);
    EXPECT_FALSE(preferences.GetBool("Other"));
    EXPECT_TRUE(preferences.SetBool("AlertSuppression", true, nullptr));
    EXPECT_EQ(ReadFile(path), large + "\nAlertSuppression=true\n");
    // Used links past the limit: marking one used drops those expired, and
    // a check sees the rest again.
    FilePreferences used(files, dir / "conf/used-links", 44);
    WriteFile(dir / "conf/used-links",
              "UsedLinks=old 99\nUsedLinks=older 98\nUsedLinks=live 200\n");
    EXPECT_EQ(used.GetList(kUsedLinks), std::vector<std::string>{});
    LinkSignature link;
    link.nonce = "new";
    link.exp = 300;
    link.checkedAt = 100;
    EXPECT_EQ(ClaimLink(used, link, nullptr), true);
    EXPECT_EQ(used.GetList(kUsedLinks), (std::vector<std::string>{"live 200", "new 300"}));
    EXPECT_EQ(FilePreferences::DefaultPath("relative", "/h"), "/h/.config/torvale/torvale.conf");
}

}  // namespace
}  // namespace torvale::test
