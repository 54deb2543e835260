#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/LaunchHistory.h"
#include "core/clients/CertificatePrompt.h"
#include "platform/posix/HandoverWire.h"
#include "platform/posix/Process.h"

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// What is kept of a client's output: FreeRDP's question about a
// certificate fits, with its longest names. Of a client that failed, its
// last lines are shown, up to kShownOutput.
constexpr std::size_t kKeptOutput = 8192;
constexpr std::size_t kShownOutput = 2048;
constexpr std::size_t kKeptLines = 5;

// Reads what there is now; false once every writer has closed the pipe.
bool ReadSome(int fd, std::string& output) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return false;
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        output.append(buffer, static_cast<std::size_t>(n));
        if (output.size() > kKeptOutput) output.erase(0, output.size() - kKeptOutput);
    }
}

// The last few lines, without the closing line feed.
std::string LastLines(std::string output) {
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    std::size_t start = output.size();
    for (std::size_t lines = 0; lines < kKeptLines && start != std::string::npos; ++lines)
        start = start == 0 ? std::string::npos : output.rfind('\n', start - 1);
    if (start != std::string::npos) output.erase(0, start + 1);
    return output.size() > kShownOutput ? output.substr(output.size() - kShownOutput) : output;
}

// A client still running goes on writing to its standard error: someone
// must go on reading, or its next write would end it with SIGPIPE. A cat of
// its own does, until the client closes it.
void HandOver(int errors) {
    const int flags = ::fcntl(errors, F_GETFL);
    if (flags >= 0) ::fcntl(errors, F_SETFL, flags & ~O_NONBLOCK);
    SpawnSetup setup;
    char cat[] = "/bin/cat";
    char* argv[] = {cat, nullptr};
    pid_t pid = 0;
    if (setup.Prepare({errors, SpawnSetup::kNull, SpawnSetup::kNull}, true) == 0)
        setup.Spawn(pid, argv);
}

// A line started detached: the shell, and where its output is read.
struct Detached {
    pid_t pid = 0;
    int output = -1;
    bool terminal = false;  // `output` is our side of its terminal
    std::string notRun;     // why it could not be started
};

// "/bin/sh -c LINE", as every line runs.
struct ShellWords {
    explicit ShellWords(const std::string& commandLine) : line(commandLine) {}
    char* const* argv() { return words; }

  private:
    std::string line;
    char shell[8] = "/bin/sh";
    char dashC[3] = "-c";
    char* words[4] = {shell, dashC, line.data(), nullptr};
};

// A terminal for a client that asks on it: not its controlling one (no
// hangup ends the client once nobody holds the other side), with nothing
// echoed and lines as written. The client's side goes to `client`. The
// watcher is one thread: ptsname's buffer is its own.
int OpenTerminal(int& client) {
    const int ours = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (ours < 0) return -1;
    const char* name = ::grantpt(ours) == 0 && ::unlockpt(ours) == 0 ? ::ptsname(ours) : nullptr;
    client = name != nullptr ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    termios mode;
    if (client < 0 || ::tcgetattr(client, &mode) != 0) {
        ::close(ours);
        if (client >= 0) ::close(client);
        return -1;
    }
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    // Echoed, our answers would read as the client's output.
    if (::tcsetattr(client, TCSANOW, &mode) != 0) {
        ::close(ours);
        ::close(client);
        return -1;
    }
    return ours;
}

// Starts the line in a session of its own, standard input and output on
// /dev/null and standard error on a pipe; or, `onTerminal`, all three on a
// terminal of ours.
Detached StartDetached(const std::string& commandLine, bool onTerminal) {
    int ends[2] = {-1, -1};
    if (onTerminal) {
        ends[0] = OpenTerminal(ends[1]);
        if (ends[0] < 0) return {0, -1, true, std::string("terminal: ") + std::strerror(errno)};
    } else if (::pipe(ends) != 0) {
        return {0, -1, false, std::string("pipe: ") + std::strerror(errno)};
    }
    for (const int fd : ends)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    SpawnSetup setup;
    ShellWords words(commandLine);
    pid_t pid = 0;
    const int in = onTerminal ? ends[1] : SpawnSetup::kNull;
    int error = setup.Prepare({in, in, ends[1]}, true);
    if (error == 0) error = setup.Spawn(pid, words.argv());
    ::close(ends[1]);
    if (error != 0) {
        ::close(ends[0]);
        return {0, -1, onTerminal, std::string("/bin/sh: ") + std::strerror(error)};
    }
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    return {pid, ends[0], onTerminal, {}};
}

enum class Seen { Ended, Running, Prompted };

// Watches a detached line until `deadline`, keeping the end of what it
// writes: whether it ended by then, with its wait status, or, `prompts`,
// stopped to ask a question. One still running, or reaped by someone else
// (SIGCHLD ignored after all), has not ended.
Seen WatchUntil(const Detached& line, Clock::time_point deadline, bool prompts, bool& open,
                std::string& output, int& status) {
    const ChildEnd end(line.pid);
    for (;;) {
        const pid_t done = ::waitpid(line.pid, &status, WNOHANG);
        if (done == line.pid) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || (done < 0 && errno != EINTR)) return Seen::Running;
        end.Wait(open ? line.output : -1, left);
        if (!open) continue;
        open = ReadSome(line.output, output);
        if (prompts && EndsWithPrompt(output)) return Seen::Prompted;
    }
    // All there is now; a child the client left behind may still hold it.
    if (open) open = ReadSome(line.output, output);
    return Seen::Ended;
}

// Lets go of a line's output: someone goes on reading a pipe while a writer
// holds it. A terminal is closed: a question the client asks later, with
// nobody to answer it, gets an end of input at once, and what it writes
// fails, as a write to /dev/null would not, but ends nothing.
void LetGo(const Detached& line, bool open) {
    if (open && !line.terminal) HandOver(line.output);
    ::close(line.output);
}

bool Failed(int status) {
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

// How a watched client ended, as its pass line says.
std::string HowItEnded(int status, Clock::duration after) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(after).count();
    return (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                              : "ended by signal " + std::to_string(WTERMSIG(status))) +
           " after " + std::to_string(seconds) + " s";
}

// The watcher's first and only word to the front end.
constexpr std::string_view kRunning = "running\n";
constexpr std::string_view kEnded = "ended\n";
constexpr std::string_view kFailed = "failed\n";
constexpr std::string_view kNotRun = "not run: ";
constexpr std::size_t kLimit = 1 << 16;

}  // namespace

std::string PosixShell::VersionOf(const std::string& program) {
    // ssh -V writes on standard error, which CommandOutput drops.
    return CommandOutput({"/bin/sh", "-c", "exec \"$0\" -V 2>&1", program}, 4096, nullptr,
                         std::chrono::seconds(1))
        .value_or(std::string());
}

PosixShell::~PosixShell() {
    if (watcher_ >= 0) ::close(watcher_);
}

CommandResult PosixShell::Run(const std::string& commandLine, const std::string& certificateHost) {
    // A shell (or a watcher) not waited for to its end, now ended: reaped,
    // not left a zombie.
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    // Without this program's path there is no watcher: the line is watched
    // here, for `watch` alone, and nobody answers on a terminal.
    if (mode_ == Mode::Detach)
        return watcherProgram_.empty() ? Watch(commandLine) : Hand(commandLine, certificateHost);
    SpawnSetup setup;
    ShellWords words(commandLine);
    pid_t pid = 0;
    int error =
        setup.Prepare({SpawnSetup::kInherit, SpawnSetup::kInherit, SpawnSetup::kInherit}, false);
    if (error == 0) error = setup.Spawn(pid, words.argv());
    if (error != 0) return {std::string("/bin/sh: ") + std::strerror(error), false, {}};

    const ChildEnd end(pid);
    const auto deadline = Clock::now() + wait_;
    for (int status = 0;;) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        // With SIGCHLD ignored the system reaps the shell itself, and waitpid
        // answers ECHILD once it has exited.
        if (ended == pid || (ended < 0 && errno == ECHILD)) return {};
        if (ended < 0 && errno != EINTR)
            return {"waiting for /bin/sh: " + std::string(std::strerror(errno)), false, {}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {{}, false, {}, true};
        end.Wait(-1, left);
    }
}

CommandResult PosixShell::Watch(const std::string& commandLine) {
    const Detached line = StartDetached(commandLine, false);
    if (!line.notRun.empty()) return {line.notRun, false, {}};
    bool open = true;
    std::string output;
    int status = 0;
    const Seen seen = WatchUntil(line, Clock::now() + watch_, false, open, output, status);
    LetGo(line, open);
    if (seen != Seen::Ended || !Failed(status)) return {};
    return {{}, true, LastLines(output)};
}

CommandResult PosixShell::Hand(const std::string& commandLine, const std::string& certificateHost) {
    if (watcher_ >= 0) ::close(std::exchange(watcher_, -1));
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (::pipe(in) != 0 || ::pipe(out) != 0) {
        for (const int fd : {in[0], in[1], out[0], out[1]})
            if (fd >= 0) ::close(fd);
        return {std::string("pipe: ") + std::strerror(errno), false, {}};
    }
    for (const int fd : {in[0], in[1], out[0], out[1]})
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    SpawnSetup setup;
    std::string program = watcherProgram_, option(kWatchOption);
    std::string watch = std::to_string(watch_.count()), line = commandLine;
    std::string terminal(kOnTerminal), host = certificateHost;
    char* argv[] = {program.data(),
                    option.data(),
                    watch.data(),
                    line.data(),
                    host.empty() ? nullptr : terminal.data(),
                    host.data(),
                    nullptr};
    pid_t pid = 0;
    // A session of its own: it outlives this process, and no signal meant
    // for the front end's terminal ends it.
    int error = setup.Prepare({in[0], out[1], SpawnSetup::kNull}, true);
    if (error == 0) error = setup.Spawn(pid, argv);
    ::close(in[0]);
    ::close(out[1]);
    std::string said;
    if (error == 0) ReadAll(out[0], said, watch_ + std::chrono::seconds(5), kLimit);
    ::close(out[0]);
    if (error != 0) {
        ::close(in[1]);
        return {program + ": " + std::strerror(error), false, {}};
    }
    if (said == kRunning) {
        watcher_ = in[1];
        return {{}, false, {}, false, true};
    }
    ::close(in[1]);
    // It has said its word, and ends now.
    if (!said.empty()) ::waitpid(pid, nullptr, 0);
    if (said.starts_with(kNotRun)) return {said.substr(kNotRun.size()), false, {}};
    if (said.starts_with(kFailed)) return {{}, true, said.substr(kFailed.size())};
    if (said == kEnded) return {};
    // The watcher did not say: the line may run, unwatched.
    return {{}, false, {}, true};
}

bool PosixShell::TellWatcher(const WatchedPass& pass, std::string* err) {
    if (watcher_ < 0) {
        if (err != nullptr) *err = "no client is watched";
        return false;
    }
    const int watcher = std::exchange(watcher_, -1);
    const bool told = WriteAll(watcher, EncodeWatchedPass(pass));
    ::close(watcher);
    if (!told && err != nullptr) *err = std::string("write: ") + std::strerror(errno);
    return told;
}

std::optional<int> RunClientWatcher(int argc, char** argv, const LateReport& report,
                                    const CertificateAsker& ask) {
    if ((argc != 4 && argc != 6) || argv[1] != kWatchOption) return std::nullopt;
    const bool prompts = argc == 6 && argv[4] == kOnTerminal;
    const std::string host = prompts ? argv[5] : "";
    // A front end gone fails one write; the client is watched all the same.
    std::signal(SIGPIPE, SIG_IGN);
    const auto start = Clock::now();
    const Detached line = StartDetached(argv[3], prompts);
    bool frontEndTold = false;  // the front end has had our word
    auto say = [&frontEndTold](std::string_view word) {
        WriteAll(STDOUT_FILENO, word);
        // Closed, so that the front end reads to its end at once.
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
        frontEndTold = true;
    };
    if (!line.notRun.empty()) {
        say(std::string(kNotRun) + line.notRun);
        return 1;
    }
    bool open = true, refused = false;
    std::string output;
    int status = 0;
    auto deadline = start + std::chrono::milliseconds(std::atoll(argv[2]));
    Seen seen;
    for (;;) {
        seen = WatchUntil(line, deadline, prompts, open, output, status);
        if (seen == Seen::Ended && !frontEndTold) {
            LetGo(line, open);
            say(Failed(status) ? std::string(kFailed) + LastLines(output) : std::string(kEnded));
            return 0;
        }
        if (seen == Seen::Ended || (seen == Seen::Running && frontEndTold)) break;
        // The front end goes on with its pass while the client runs, or
        // waits for the user's answer.
        if (!frontEndTold) say(kRunning);
        deadline = start + kWatchedFor;
        if (const auto reply =
                seen == Seen::Prompted ? ReplyToPrompt(output, host, ask) : std::nullopt) {
            WriteAll(line.output, reply->typed);
            refused = refused || reply->refused;
            // Answered, the question is over; the watch runs on from here.
            output += '\n';
            deadline = Clock::now() + kWatchedFor;
        }
    }
    const auto endedAfter = Clock::now() - start;
    LetGo(line, open);
    // The pass, told the moment the front end has ended it; none where it
    // went away first.
    std::string told;
    const bool whole = ReadAll(STDIN_FILENO, told, kWatchedFor, kLimit);
    const auto pass = whole ? DecodeWatchedPass(told) : std::nullopt;
    if (!pass) return 1;
    if (seen != Seen::Ended || !Failed(status)) {
        report(*pass, Outcome::Launched, {}, {});
    } else if (refused) {
        report(*pass, Outcome::Cancelled, "the server's certificate not trusted", {});
    } else {
        report(*pass, Outcome::ClientFailed, HowItEnded(status, endedAfter), LastLines(output));
    }
    return 0;
}

}  // namespace torvale
