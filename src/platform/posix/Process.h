#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// Makes the process safe to run launch URLs in, whatever started it: the
// three standard descriptors open (a closed one would be handed to the next
// file opened, and alerts would land in a connection file), and SIGPIPE and
// SIGXFSZ ignored (an alert to a pipe nobody reads, or a file size limit,
// must fail one write, not end the request halfway), and SIGCHLD back at
// its default, so that a client's exit can be waited for. Children get
// default signal handling back from PosixShell.
void PrepareProcess();

// posix_spawn as every program we start needs it, whoever started us:
// default signal dispositions, nothing blocked, and only the three standard
// descriptors, each inherited, on /dev/null, or the descriptor given.
class SpawnSetup {
  public:
    static constexpr int kInherit = -1;
    static constexpr int kNull = -2;

    SpawnSetup();
    ~SpawnSetup();
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // False, saying why in the system's words, where the set-up cannot be
    // made. `ownSession`: a session of its own, away from our terminal.
    bool Prepare(const std::array<int, 3>& stdio, bool ownSession, std::string* err);
    // Starts `argv` (argv[0] a path) with `envp`, or our environment where
    // null, its process id in `pid`; false, saying why in the system's
    // words, where it cannot start.
    bool Spawn(pid_t& pid, char* const argv[], char* const envp[], std::string* err);

  private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// Wakes a wait for a child the moment it ends: a pidfd on Linux, a kqueue
// on macOS. Where neither can be had, a wait lasts a couple of milliseconds
// at most, for the caller to look again.
class ChildEnd {
  public:
    explicit ChildEnd(pid_t pid);
    ~ChildEnd();
    ChildEnd(const ChildEnd&) = delete;
    ChildEnd& operator=(const ChildEnd&) = delete;

    // Waits until the child has ended, `fd` has something to read (-1: not
    // watched) or `timeout` has passed, whichever comes first; an
    // interruption ends it early. It reaps nothing: the caller's waitpid
    // says whether the child ended.
    void Wait(int fd, std::chrono::milliseconds timeout) const;

  private:
    int fd_ = -1;
};

// Where a program of that name is found in the absolute directories of PATH
// (a name with a "/" names its own path), or nothing.
std::optional<std::string> FindProgram(std::string_view name);

// What a program writes on its standard output (at most `limit` bytes), when
// it runs and exits with status 0 within `timeout`; else nothing, and `err`
// says why ("xdg-mime did not answer in 2 s"). Once the program has exited,
// what it wrote is taken and the pipe closed, even while a child it left
// behind still holds it; one that does not end in time is killed, with its
// process group. `argv[0]` is looked for as FindProgram looks. Its standard
// input and error are /dev/null.
std::optional<std::string> CommandOutput(
    const std::vector<std::string>& argv, std::size_t limit = 1 << 16, std::string* err = nullptr,
    std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

// Closes every descriptor from `first` on.
void CloseFrom(int first);

// Writes all of `data`, going on after interruptions: false once a write fails.
bool WriteAll(int fd, std::string_view data);

// Everything the peer writes until it closes, within `wait` and `limit`
// bytes; false when it does not close in time or writes more.
bool ReadAll(int fd, std::string& out, std::chrono::milliseconds wait, std::size_t limit);

// The milliseconds from now to `deadline`, none once it has passed: a
// timeout for poll.
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline);

// The absolute path of this program's executable, or empty.
std::string ThisProgram();

// The user's own temporary directory, with no "/" at its end: on macOS the
// per-user one (what NSTemporaryDirectory gives); elsewhere XDG_RUNTIME_DIR
// or TMPDIR, where it is a directory of this user that no other can list or
// enter. Empty where there is none.
std::string PrivateTemporaryDirectory();

// The home directory from HOME: an absolute path to an existing directory.
// Nothing when HOME is anything else, saying what is wrong.
std::optional<std::string> HomeDirectory(std::string* err);

}  // namespace torvale
