// The POSIX seams and the preferences file against the real system.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/headless/FilePreferences.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Waits up to ten seconds for a file to hold something.
std::string AwaitFile(const std::string& path) {
    for (int i = 0; i < 1000 && ReadFile(path).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReadFile(path);
}

TEST(PosixShell, RunsTheLineAsOneArgumentAndWaitsWhateverItsStatus) {
    TempDir dir;
    PosixShell shell;
    const std::string out = dir / "out";
    EXPECT_EQ(shell.Run("sleep 0.2; printf '%s|' \"$0\" \"$#\" > '" + out + "'; exit 3"), "");
    EXPECT_EQ(ReadFile(out), "/bin/sh|0|");
    EXPECT_EQ(shell.Run("no-such-command-here 2>/dev/null"), "");
    EXPECT_EQ(shell.Run("kill -9 $$"), "");
}

TEST(PosixShell, ChildGetsOnlyTheStandardDescriptorsAndDefaultSignals) {
    TempDir dir;
    // A descriptor left inheritable by mistake, a blocked and an ignored signal.
    const int opened = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(opened, 57), 57);
    ::close(opened);
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto oldHandler = ::signal(SIGUSR2, SIG_IGN);

    PosixShell shell;
    // exec: what grep and ls read is their own state, as the shell passed it
    // on (dash blocks every signal in itself around a fork).
    shell.Run("exec grep -E '^Sig(Blk|Ign)' /proc/self/status > '" + (dir / "status") + "'");
    shell.Run("exec ls /proc/self/fd > '" + (dir / "fds") + "'");

    ::signal(SIGUSR2, oldHandler);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(57);
    const std::string status = ReadFile(dir / "status");
    EXPECT_NE(status.find("SigBlk:\t0000000000000000"), std::string::npos) << status;
    const std::size_t at = status.find("SigIgn:\t");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ull << (SIGUSR2 - 1)), 0u);
    // 0 to 2, and the one ls opens to list the directory.
    EXPECT_EQ(ReadFile(dir / "fds"), "0\n1\n2\n3\n");
}

TEST(PosixShell, WaitsWhenTheSystemReapsChildren) {
    TempDir dir;
    const auto oldHandler = ::signal(SIGCHLD, SIG_IGN);
    const std::string failure = PosixShell().Run("sleep 0.1; echo ran > '" + (dir / "ran") + "'");
    ::signal(SIGCHLD, oldHandler);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadFile(dir / "ran"), "ran\n");
}

TEST(PosixShell, DetachedLinesRunInTheirOwnSessionWithoutOurTerminal) {
    TempDir dir;
    const std::string out = dir / "out";
    // The line waits for a go-ahead file: Run must return before it ends.
    const std::string line = "while [ ! -e '" + (dir / "go") + "' ]; do sleep 0.01; done; " +
                             "echo $(cut -d' ' -f6 /proc/$$/stat) $(readlink /proc/$$/fd/1) > '" +
                             out + "'";
    EXPECT_EQ(PosixShell(PosixShell::Mode::Detach).Run(line), "");
    EXPECT_EQ(ReadFile(out), "");
    WriteFile(dir / "go", "");
    const std::string seen = AwaitFile(out);
    EXPECT_NE(seen.substr(0, seen.find(' ')), std::to_string(::getsid(0)));
    EXPECT_TRUE(seen.ends_with(" /dev/null\n")) << seen;
}

TEST(PosixFileSystem, WritesWholeFilesWithTheirModeAndReadsOnlyRegularOnes) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "a.rdp";
    ASSERT_TRUE(files.WriteFile(path, "one", 0600));
    const std::string big(40000, 'x');  // more than one read
    ASSERT_TRUE(files.WriteFile(path, big, 0600));
    EXPECT_EQ(FileMode(path), 0600u);
    EXPECT_EQ(files.ReadFile(path, big.size()), big);
    EXPECT_EQ(files.ReadFile(path, big.size() - 1), std::nullopt);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.rdp"});

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(files.ReadFile(dir / "fifo", 100), std::nullopt);  // and does not wait
    EXPECT_EQ(files.ReadFile(dir.path(), 100), std::nullopt);
    EXPECT_EQ(files.ReadFile(dir / "missing", 100), "");
    EXPECT_EQ(files.ReadFile(path + "/below", 100), "");
    EXPECT_FALSE(files.WriteFile(dir.path(), "x", 0600));  // a directory stands there
    EXPECT_TRUE(files.CreateDirectory(dir / "p/q", 0700));
    EXPECT_FALSE(files.CreateDirectory(path + "/q", 0700));

    fs::create_symlink(path, dir / "link");
    fs::create_symlink(dir / "missing", dir / "dangling");
    EXPECT_TRUE(files.Exists(dir / "link"));
    EXPECT_FALSE(files.Exists(dir / "dangling"));
    // A path with a NUL would act on a shorter one.
    const std::string cut = path + std::string("\0.x", 3);
    EXPECT_FALSE(files.WriteFile(cut, "x", 0600) || files.Exists(cut) ||
                 files.CreateDirectory(cut, 0700) || files.ReadFile(cut, 10));
    EXPECT_EQ(ReadFile(path), big);
}

TEST(PosixFileSystem, FailuresLeaveTheOldFileAndNoTemporary) {
    // Root may write anywhere: act as nobody for the length of the test.
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "a.rdp";
    ASSERT_TRUE(files.WriteFile(path, "old", 0600));
    ::chmod(dir.path().c_str(), 0777);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ::chmod(dir.path().c_str(), 0555);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const bool wrote = files.WriteFile(path, "new", 0600);
    const bool made = files.CreateDirectory(dir / "sub", 0700);
    ::chmod(path.c_str(), 0);
    const auto read = files.ReadFile(path, 100);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_FALSE(wrote || made || read);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.rdp"});
}

TEST(FilePreferences, ReadsHandEditedFilesAndKeepsOtherKeys) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "conf/torvale.conf";
    FilePreferences preferences(files, path);
    for (const char* text : {"AlertSuppression=true\r\n", "  AlertSuppression = true \n",
                             "AlertSuppression=false\nAlertSuppression=true\n"}) {
        fs::create_directories(dir / "conf");
        WriteFile(path, text);
        EXPECT_TRUE(preferences.GetBool("AlertSuppression")) << text;
    }
    WriteFile(path, "Other=1\nAlertSuppression=yes\n");
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));
    preferences.SetBool("AlertSuppression", true);
    EXPECT_EQ(ReadFile(path), "Other=1\nAlertSuppression=true\n");
    preferences.Remove("AlertSuppression");
    EXPECT_EQ(ReadFile(path), "Other=1\n");
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(preferences.GetBool("AlertSuppression"));  // and does not wait for a writer
    EXPECT_EQ(FilePreferences::DefaultPath("relative", "/h"), "/h/.config/torvale/torvale.conf");
    EXPECT_EQ(FilePreferences::DefaultPath("/x", "/h"), "/x/torvale/torvale.conf");
}

}  // namespace
}  // namespace torvale::test
