// The real shell runner against the real /bin/sh.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/PosixShell.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

TEST(PosixShell, RunsTheLineAsOneDashCArgument) {
    TempDir dir;
    PosixShell shell;
    const std::string out = dir / "out";
    EXPECT_EQ(shell.Run("printf '%s|' \"$0\" \"$#\" > '" + out + "'; printf done >> '" + out + "'"),
              "");
    EXPECT_EQ(ReadFile(out), "/bin/sh|0|done");
}

TEST(PosixShell, ExitStatusIsNotAFailure) {
    PosixShell shell;
    EXPECT_EQ(shell.Run("exit 3"), "");
    EXPECT_EQ(shell.Run("no-such-command-here 2>/dev/null"), "");
    EXPECT_EQ(shell.Run("kill -9 $$"), "");
}

TEST(PosixShell, WaitsForTheShellToExit) {
    TempDir dir;
    PosixShell shell;
    shell.Run("sleep 0.2; echo late > '" + (dir / "late") + "'");
    EXPECT_EQ(ReadFile(dir / "late"), "late\n");
}

TEST(PosixShell, ChildGetsOnlyTheStandardDescriptors) {
    TempDir dir;
    // A descriptor the process left inheritable by mistake, at a number that
    // nothing else here uses.
    const int opened = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(opened, 0);
    ASSERT_EQ(::dup2(opened, 57), 57);
    ::close(opened);
    PosixShell shell;
    const std::string out = dir / "fds";
    // Besides 0 to 2, ls and dash hold descriptors of their own here.
    shell.Run("ls /proc/$$/fd > '" + out + "'");
    ::close(57);
    std::string listed = ReadFile(out);
    EXPECT_EQ(("\n" + listed).find("\n57\n"), std::string::npos) << listed;
}

TEST(PosixShell, ChildStartsWithDefaultSignals) {
    TempDir dir;
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto oldHandler = ::signal(SIGUSR2, SIG_IGN);

    PosixShell shell;
    const std::string out = dir / "status";
    // exec: the status read is grep's own. dash forks a plain command and
    // blocks every signal in itself around the fork, so its status may show
    // a full mask at the moment a child reads it.
    shell.Run("exec grep -E '^Sig(Blk|Ign)' /proc/self/status > '" + out + "'");

    ::signal(SIGUSR2, oldHandler);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    const std::string status = ReadFile(out);
    EXPECT_NE(status.find("SigBlk:\t0000000000000000"), std::string::npos) << status;
    // SIGUSR2 is bit 12 of SigIgn; a default disposition leaves it clear.
    const std::size_t at = status.find("SigIgn:\t");
    ASSERT_NE(at, std::string::npos);
    const unsigned long long ignored = std::stoull(status.substr(at + 8, 16), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGUSR2 - 1)), 0u) << status;
}

}  // namespace
}  // namespace torvale::test
