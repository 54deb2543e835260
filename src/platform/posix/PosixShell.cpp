#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <poll.h>
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
#include <vector>

#include "core/Alerts.h"
#include "core/LaunchHistory.h"
#include "core/clients/CertificatePrompt.h"
#include "platform/posix/BackgroundStart.h"
#include "platform/posix/ClientWatchWire.h"
#include "platform/posix/Process.h"

extern char** environ;

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// What is kept of a client's output: FreeRDP's question about a
// certificate, with everything it wrote before it, fits, even with the
// longest names a certificate holds. Of a client that failed, its last
// lines are shown, up to kShownOutput.
constexpr std::size_t kKeptOutput = 64 * 1024;
constexpr std::size_t kShownOutput = 2048;
constexpr std::size_t kKeptLines = 5;

// FreeRDP writes its question about a certificate in one go, one printf
// after another with nothing to wait for between them, then waits for the
// answer. A name of the server's in it is written in parts as long as the
// terminal's buffer, so what was read so far may end with a question the
// name holds; only a scheduler can pause FreeRDP there, on a busy machine
// for tens of milliseconds. So a question is taken as asked once nothing
// more has come for ten times that; a user does not notice it before a
// dialog that follows a TLS handshake.
constexpr std::chrono::milliseconds kQuiet{400};

// What a watched line wrote, counted from its first byte: the end of it,
// and how much of its beginning was let go.
struct Output {
    std::string text;
    std::size_t dropped = 0;
    bool open = true;  // whether it may still write

    std::size_t End() const { return dropped + text.size(); }
    // What it wrote from `from` on; where the beginning of that was let go,
    // what is left.
    std::string_view From(std::size_t from) const {
        return std::string_view(text).substr(from > dropped ? from - dropped : 0);
    }
};

// Reads what there is now; false once every writer has closed the pipe.
bool ReadSome(int fd, Output& output) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return false;
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        output.text.append(buffer, static_cast<std::size_t>(n));
        if (output.text.size() > kKeptOutput) {
            const std::size_t over = output.text.size() - kKeptOutput;
            output.text.erase(0, over);
            output.dropped += over;
        }
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
    if (setup.Prepare({errors, SpawnSetup::kNull, SpawnSetup::kNull}, true, nullptr))
        setup.Spawn(pid, argv, nullptr, nullptr);
}

// A line started detached: the shell, and where its output is read.
struct Detached {
    pid_t pid = 0;
    int output = -1;
    bool terminal = false;  // `output` is our side of its terminal
    std::string notRun;     // why it could not be started
};

// Every line runs through /bin/sh, which reads it from its environment, not
// from its command line: what stands in a process's argv any user of the
// machine may read (ps, /proc/PID/cmdline), and a line may hold a password
// its client takes on its own command line; a shell that forks for the
// line's command would hold it there for as long as the client runs. The
// shell parses the line as "sh -c LINE" would, and hands none of it on to
// the client's environment.
struct ShellWords {
    explicit ShellWords(const std::string& commandLine) : variable("TORVALE_LINE=" + commandLine) {
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (!std::string_view(*entry).starts_with("TORVALE_LINE=") &&
                !std::string_view(*entry).starts_with("torvale_line="))
                environment.push_back(*entry);
        environment.push_back(variable.data());
        environment.push_back(nullptr);
    }
    char* const* argv() { return words; }
    char* const* envp() { return environment.data(); }

  private:
    std::string variable;
    std::vector<char*> environment;
    std::string shell = "/bin/sh", dashC = "-c",
                script = "torvale_line=$TORVALE_LINE; unset TORVALE_LINE; eval \"$torvale_line\"";
    char* words[4] = {shell.data(), dashC.data(), script.data(), nullptr};
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
    std::string why;
    const bool started = setup.Prepare({in, in, ends[1]}, true, &why) &&
                         setup.Spawn(pid, words.argv(), words.envp(), &why);
    ::close(ends[1]);
    if (!started) {
        ::close(ends[0]);
        return {0, -1, onTerminal, "/bin/sh: " + why};
    }
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    return {pid, ends[0], onTerminal, {}};
}

enum class Seen { Ended, Running, Prompted };

// Whether what the line wrote from `from` on ends with a question.
bool Asking(const Output& output, std::size_t from) {
    return EndsWithPrompt(output.From(from));
}

// Watches a detached line until `deadline`, keeping the end of what it
// writes: whether it ended by then, with its wait status, or, `prompts`,
// stopped to ask a question: what it wrote from `from` on ends with one, and
// nothing more came for kQuiet. One still running, or reaped by someone else
// (SIGCHLD ignored after all), has not ended.
Seen WatchUntil(const Detached& line, Clock::time_point deadline, bool prompts, std::size_t from,
                Output& output, int& status) {
    const ChildEnd end(line.pid);
    using std::chrono::milliseconds;
    std::optional<Clock::time_point> quietAt;
    if (prompts && Asking(output, from)) quietAt = Clock::now() + kQuiet;
    for (;;) {
        const pid_t done = ::waitpid(line.pid, &status, WNOHANG);
        if (done == line.pid) break;
        const auto now = Clock::now();
        if (quietAt && now >= *quietAt) return Seen::Prompted;
        if (now >= deadline || (done < 0 && errno != EINTR)) return Seen::Running;
        const auto until = quietAt ? std::min(deadline, *quietAt) : deadline;
        end.Wait(output.open ? line.output : -1,
                 std::chrono::duration_cast<milliseconds>(until - now) + milliseconds(1));
        if (!output.open) continue;
        const std::size_t before = output.End();
        output.open = ReadSome(line.output, output);
        if (prompts && output.End() != before)
            quietAt = Asking(output, from) ? std::optional(Clock::now() + kQuiet) : std::nullopt;
    }
    // All there is now; a child the client left behind may still hold it.
    if (output.open) output.open = ReadSome(line.output, output);
    return Seen::Ended;
}

// Lets go of a line's output: someone goes on reading a pipe while a writer
// holds it. A terminal is closed: a question the client asks later, with
// nobody to answer it, gets an end of input at once, and what it writes
// fails, as a write to /dev/null would not, but ends nothing.
void LetGo(const Detached& line, const Output& output) {
    if (output.open && !line.terminal) HandOver(line.output);
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

// The watcher's one word to the front end.
constexpr std::string_view kRunning = "running\n";
constexpr std::string_view kEnded = "ended\n";
constexpr std::string_view kFailed = "failed\n";
constexpr std::string_view kNotRun = "not run: ";

}  // namespace

std::optional<std::string> PosixShell::VersionOf(const std::string& program, std::string* err) {
    // ssh -V writes on standard error, which CommandOutput drops.
    return CommandOutput({"/bin/sh", "-c", "exec \"$0\" -V 2>&1", program}, 4096, err,
                         std::chrono::seconds(1));
}

CommandResult PosixShell::Run(const std::string& commandLine, const ClientWatch& watch) {
    // A shell (or a watcher) not waited for to its end, now ended: reaped,
    // not left a zombie.
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    // Without this program's path or a fork, there is no watcher: the line is watched
    // here, for `watch` alone, and nobody answers on a terminal.
    if (mode_ == Mode::Detach)
        return watcherProgram_.empty() && !forked_.mayFork ? Watch(commandLine)
                                                           : Hand(commandLine, watch);
    SpawnSetup setup;
    ShellWords words(commandLine);
    pid_t pid = 0;
    std::string why;
    if (!setup.Prepare({SpawnSetup::kInherit, SpawnSetup::kInherit, SpawnSetup::kInherit}, false,
                       &why) ||
        !setup.Spawn(pid, words.argv(), words.envp(), &why))
        return {"/bin/sh: " + why, false, {}};

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
    Output output;
    int status = 0;
    const Seen seen = WatchUntil(line, Clock::now() + watch_, false, 0, output, status);
    LetGo(line, output);
    if (seen != Seen::Ended || !Failed(status)) return {};
    return {{}, true, LastLines(output.text)};
}

namespace {

// How the certificate questions of a watched client were answered.
struct Replies {
    bool cancelled = false;  // the user refused a certificate
    bool other = false;      // something else was typed too
    bool forged = false;     // a question held a certificate of the server's making
};

// Answers the question the line stopped at, which it wrote from `from` on,
// and types the answer. Where the client wrote more while the user was
// asked, the question shown was not its last: its answer goes nowhere, and
// the certificate is refused.
void AnswerPrompt(const Detached& line, Output& output, std::size_t from, const std::string& host,
                  const CertificateAsker& ask, Replies& answers) {
    // Where its beginning was let go, what is left is read: a certificate's
    // heading let go fails the reading.
    auto reply = ReplyToPrompt(output.From(from), host, ask);
    if (!reply) return;
    const std::size_t shown = output.End();
    const bool trusted = reply->typed == "T\n" || reply->typed == "Y\n";
    // Before an answer that trusts is typed, FreeRDP must stay silent a while
    // more: one stalled longer than kQuiet in the middle of its question
    // writes the rest now, and its real question would read our answer.
    if (trusted && output.open) {
        pollfd more{line.output, POLLIN, 0};
        ::poll(&more, 1, static_cast<int>(kQuiet.count()));
    }
    if (output.open) output.open = ReadSome(line.output, output);
    if ((trusted || reply->refused) && output.End() != shown) *reply = {"N\n", false, true};
    WriteAll(line.output, reply->typed);
    answers.forged = answers.forged || reply->forged;
    (reply->refused ? answers.cancelled : answers.other) = true;
}

// Our one word to the front end; then its end is closed, so that it reads to
// its end at once. `heard`: whether the word reached it.
void Say(std::string_view word, bool& told, bool& heard) {
    heard = WriteAll(STDOUT_FILENO, word);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    told = true;
}

// The watcher, its word to the front end on standard output: starts the
// order's line and watches it, as PosixShell::Mode::Detach says.
int WatchClient(const WatchOrder* order, const ClientWatcher& watcher) {
    // A front end gone fails one write; the client is watched all the same.
    std::signal(SIGPIPE, SIG_IGN);
    const auto start = Clock::now();
    bool frontEndTold = false;  // we have said our word
    // A front end that no longer waited for it has written the pass line
    // itself ("still starting"): the watcher then writes none.
    bool heard = false;
    if (order == nullptr) {
        Say(std::string(kNotRun) + "the watcher could not read what to watch", frontEndTold, heard);
        return 1;
    }
    const std::string& host = order->client.certificateHost;
    const WatchedPass& pass = order->client.pass;
    const bool prompts = !host.empty();
    const Detached line = StartDetached(order->commandLine, prompts);
    if (!line.notRun.empty()) {
        Say(std::string(kNotRun) + line.notRun, frontEndTold, heard);
        return 1;
    }
    Output output;
    Replies answers;
    std::size_t from = 0;  // where the question not answered yet begins
    int status = 0;
    auto deadline = start + order->watch;
    Seen seen;
    for (;;) {
        seen = WatchUntil(line, deadline, prompts, from, output, status);
        if (seen == Seen::Ended && !frontEndTold) {
            LetGo(line, output);
            Say(Failed(status) ? std::string(kFailed) + LastLines(output.text)
                               : std::string(kEnded),
                frontEndTold, heard);
            return 0;
        }
        if (seen == Seen::Ended || (seen == Seen::Running && frontEndTold)) break;
        // The front end goes on with its pass while the client runs, or
        // waits for the user's answer.
        if (!frontEndTold) Say(kRunning, frontEndTold, heard);
        deadline = start + kWatchedFor;
        if (seen == Seen::Prompted) {
            AnswerPrompt(line, output, from, host, watcher.ask, answers);
            // Answered, the question is over; the watch runs on from here.
            from = output.End();
            deadline = Clock::now() + kWatchedFor;
        }
    }
    const auto endedAfter = Clock::now() - start;
    LetGo(line, output);
    // Of a front end that wrote the pass line itself, only a forged
    // question is said once more: the user must hear why nothing connected.
    if (!heard && !answers.forged) return 0;
    if (answers.forged) {
        watcher.report(pass, Outcome::Refused, "a forged certificate question answered no",
                       ForgedCertificateMessage(host));
    } else if (seen != Seen::Ended || !Failed(status)) {
        watcher.report(pass, Outcome::Launched, {}, {});
    } else if (answers.cancelled && !answers.other) {
        watcher.report(pass, Outcome::Cancelled, "the server's certificate not trusted", {});
    } else {
        watcher.report(pass, Outcome::ClientFailed, HowItEnded(status, endedAfter),
                       ClientFailedMessage(pass.client, LastLines(output.text), host));
    }
    return 0;
}

// The watcher as a fork of this process: a click does not pay for starting
// this program again, most of what it costs beyond the shell where every
// process start is dear. Its word is read as StartInBackground reads it.
bool ForkWatcher(const WatchOrder& order, const ClientWatcher& watcher,
                 std::chrono::milliseconds wait, BackgroundAnswer* answer, std::string* err) {
    int out[2] = {-1, -1};
    if (::pipe(out) != 0) {
        if (err != nullptr) *err = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    ::fcntl(out[0], F_SETFD, FD_CLOEXEC);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        if (err != nullptr) *err = std::string("fork: ") + std::strerror(errno);
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    if (pid == 0) {
        // As the started watcher: a session of its own (it outlives the
        // front end, and no signal meant for the front end's terminal ends
        // it), its word on standard output, nothing else of ours open.
        ::setsid();
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0) ::_exit(1);
        ::dup2(null, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        CloseFrom(3);
        // Nothing of the front end's is flushed or torn down twice.
        ::_exit(WatchClient(&order, watcher));
    }
    ::close(out[1]);
    std::string said;
    ReadAll(out[0], said, wait, kLongestAnswer);
    ::close(out[0]);
    if (answer != nullptr) *answer = {pid, std::move(said)};
    return true;
}

}  // namespace

CommandResult PosixShell::Hand(const std::string& commandLine, const ClientWatch& watch) {
    const WatchOrder order{watch_, commandLine, watch};
    const auto wait = watch_ + std::chrono::seconds(5);
    BackgroundAnswer answer;
    std::string why;
    std::string encoded = EncodeWatchOrder(order);
    // What the started watcher would refuse to read, a forked one does not
    // take either.
    if (encoded.size() > kLongestWatchOrder)
        return {"the command line is longer than a watcher takes", false, {}};
    // Where a fork fails, the watcher started anew says why it cannot start.
    const bool forked = forked_.mayFork && forked_.mayFork() &&
                        ForkWatcher(order, forked_.watcher, wait, &answer, nullptr);
    if (!forked &&
        !StartInBackground(watcherProgram_, kWatchOption, std::move(encoded), wait, &answer, &why))
        return {why, false, {}};
    const std::string& said = answer.said;
    if (said == kRunning) return {{}, false, {}, false, true};
    // It has said its word, and ends now.
    if (!said.empty()) ::waitpid(answer.pid, nullptr, 0);
    if (said.starts_with(kNotRun)) return {said.substr(kNotRun.size()), false, {}};
    if (said.starts_with(kFailed)) return {{}, true, said.substr(kFailed.size())};
    if (said == kEnded) return {};
    // The watcher did not say: the line may run, unwatched.
    return {{}, false, {}, true};
}

std::optional<int> RunClientWatcher(int argc, char** argv, const ClientWatcher& watcher) {
    if (argc != 2 || argv[1] != kWatchOption) return std::nullopt;
    std::string input;
    const bool whole = ReadAll(STDIN_FILENO, input, std::chrono::seconds(5), kLongestWatchOrder);
    const std::optional<WatchOrder> order = whole ? DecodeWatchOrder(input) : std::nullopt;
    Wipe(input);
    return WatchClient(order ? &*order : nullptr, watcher);
}

}  // namespace torvale
