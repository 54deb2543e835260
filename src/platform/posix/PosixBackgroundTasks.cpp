#include "platform/posix/PosixBackgroundTasks.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/inotify.h>
#include <sys/prctl.h>
#endif

#include "base/Printable.h"
#include "platform/posix/BackgroundStart.h"
#include "platform/posix/HandoverWire.h"
#include "platform/posix/Process.h"
#include "platform/posix/RemovalWire.h"

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// Large enough for any prompt ssh writes, and any password.
constexpr std::size_t kLimit = 1 << 16;
// How long one peer may take to say what it asks (the helper says it at
// once), and, longer, how long the helper waits for the answer: a peer that
// says nothing holds the server up for no longer.
constexpr std::chrono::milliseconds kPromptWait{1000};
constexpr std::chrono::milliseconds kPeerWait{5000};
// However long the user takes over the questions before the password's.
constexpr std::chrono::minutes kLongestHandover{5};

std::string Errno(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool SocketAddress(const std::string& path, sockaddr_un& address, std::string* err) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        if (err != nullptr)
            *err = "the socket's path is longer than " +
                   std::to_string(sizeof address.sun_path - 1) + " bytes: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Removes `path` while it is still the file `was` describes: another pass
// may have put a file of its own there since.
void RemoveIfStill(const std::string& path, const struct stat& was) {
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && now.st_ino == was.st_ino && now.st_dev == was.st_dev)
        ::unlink(path.c_str());
}

// The user id of the process at the other end of a connection, or -1.
long long PeerUser(int connection) {
#if defined(SO_PEERCRED)
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return -1;
    return peer.uid;
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(connection, &uid, &gid) != 0) return -1;
    return uid;
#endif
}

// The serving process: reads the handover from standard input, says "ready"
// or why not on standard output, then serves.
int Serve() {
    std::string input;
    const bool read = ReadAll(STDIN_FILENO, input, kPeerWait, kLimit);
    std::optional<Handover> handover = DecodeHandover(input);
    Wipe(input);
    auto fail = [](const std::string& why) {
        WriteAll(STDOUT_FILENO, why + "\n");
        return 1;
    };
    if (!read || !handover) return fail("the handover could not be read");
    // Nobody reads the password out of a core file, or (Linux) out of this
    // process with a debugger of the same user.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
#if defined(__linux__)
    ::prctl(PR_SET_DUMPABLE, 0);
#endif

    sockaddr_un address;
    std::string why;
    if (!SocketAddress(handover->socket, address, &why)) return fail(why);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (listener < 0) return fail(Errno("socket"));
    ::unlink(handover->socket.c_str());  // what a server ended by force left
    // Only this user may connect, on any system: the directory is 0700 too.
    const mode_t mask = ::umask(0077);
    const int bound = ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::umask(mask);
    if (bound != 0) return fail(Errno("bind " + handover->socket));
    // Removed at the end only while it is this one: a server of a later
    // pass may have taken the name by then.
    struct stat own {};
    ::lstat(handover->socket.c_str(), &own);
    ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
    if (::listen(listener, 8) != 0) {
        RemoveIfStill(handover->socket, own);
        return fail(Errno("listen"));
    }
    WriteAll(STDOUT_FILENO, "ready\n");
    ::close(STDOUT_FILENO);

    // A question the user is answering first (a host key to accept) gives
    // the password prompt its time again, up to a limit.
    const auto start = Clock::now();
    auto deadline = start + handover->lifetime;
    const long long self = ::geteuid();
    for (bool answered = false; !answered && Clock::now() < deadline;) {
        pollfd ready{listener, POLLIN, 0};
        if (::poll(&ready, 1, MillisecondsUntil(deadline)) <= 0) continue;
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        ::fcntl(connection, F_SETFL, ::fcntl(connection, F_GETFL) & ~O_NONBLOCK);
        std::string prompt;
        // Another user's request, a prompt it is not the answer to, or one
        // that does not end in time, gets nothing: the helper then asks the
        // user. A request of another user leaves the password to this one's.
        if (PeerUser(connection) == self && ReadAll(connection, prompt, kPromptWait, kLimit)) {
            if (Answers(*handover, prompt)) {
                answered = WriteAll(connection, handover->secret);
            } else {
                deadline = std::min(start + kLongestHandover,
                                    std::max(deadline, Clock::now() + handover->lifetime));
            }
        }
        ::close(connection);
    }
    RemoveIfStill(handover->socket, own);
    ::close(listener);
    Wipe(handover->secret);
    return 0;
}

// What the server at `socket` answers to the prompt: the password, or empty.
std::string AskServer(const char* socket, std::string_view prompt) {
    sockaddr_un address;
    if (!SocketAddress(socket, address, nullptr)) return {};
    const int connection = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (connection < 0) return {};
    std::string answer;
    // Only a server of this user: no other may stand in for it.
    if (::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        PeerUser(connection) == static_cast<long long>(::geteuid()) &&
        WriteAll(connection, prompt) && ::shutdown(connection, SHUT_WR) == 0 &&
        !ReadAll(connection, answer, kPeerWait, kLimit)) {
        Wipe(answer);
    }
    ::close(connection);
    return answer;
}

// The terminal's settings while echo is off, for a signal to put back.
int gQuietTerminal = -1;
termios gSavedSettings{};

void RestoreTerminal(int signal) {
    ::tcsetattr(gQuietTerminal, TCSAFLUSH, &gSavedSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The user's own answer, typed in the terminal ssh runs in. The prompt is
// shown as ssh would show it; the answer is echoed only for a question
// (accepting a host key), never for a password.
std::optional<std::string> AskUser(std::string_view prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return std::nullopt;
    // ssh's own questions, never a server's (ssh puts "(LOGIN@HOST) " first).
    const bool echo =
        !prompt.starts_with("(") && (prompt.find("(yes/no") != std::string_view::npos ||
                                     prompt.starts_with("Please type 'yes', 'no'"));
    termios saved{};
    const bool terminal = ::tcgetattr(tty, &saved) == 0;
    if (terminal && !echo) {
        // Ctrl-C (or a closed window) must not leave the terminal silent.
        gQuietTerminal = tty;
        gSavedSettings = saved;
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(signal, RestoreTerminal);
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    // The prompt may carry the server's text (a keyboard-interactive
    // question): nothing in it may act on the terminal.
    WriteAll(tty, ForDialog(prompt, kLimit));
    std::string line;
    for (char c = 0; line.size() < kLimit;) {
        const ssize_t n = ::read(tty, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        line += c;
    }
    if (terminal && !echo) ::tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    return line;
}

// ssh's askpass helper: prints the answer to `prompt` for ssh to read.
int Ask(const char* socket, std::string_view prompt) {
    std::string answer = AskServer(socket, prompt);
    if (answer.empty()) {
        auto typed = AskUser(prompt);
        if (!typed) return 1;
        answer = std::move(*typed);
    }
    const bool written = WriteAll(STDOUT_FILENO, answer + "\n");
    Wipe(answer);
    return written ? 0 : 1;
}

// The remover: reads the removal from standard input, says "ready" once
// it watches the file, then removes it when a client has read it or its
// time is up.
int RemoveOnceRead() {
    std::string input;
    ReadAll(STDIN_FILENO, input, kPeerWait, kLimit);
    const std::optional<Removal> removal = DecodeRemoval(input);
    if (!removal) {
        WriteAll(STDOUT_FILENO, "what to remove could not be read\n");
        return 1;
    }
    const std::string& path = removal->path;
    struct stat watched {};
    if (::lstat(path.c_str(), &watched) != 0) {
        WriteAll(STDOUT_FILENO, Errno("stat " + path) + "\n");
        return 1;
    }
    const auto deadline = Clock::now() + removal->limit;
    WriteAll(STDOUT_FILENO, "ready\n");
    ::close(STDOUT_FILENO);
    // Read: opened, then closed by everyone who opened it. Where nothing
    // tells who opens a file (no inotify, or no watch left to take), its
    // time alone decides.
    int events = -1;
#if defined(__linux__)
    events = ::inotify_init1(IN_CLOEXEC);
    if (events >= 0 &&
        ::inotify_add_watch(events, path.c_str(),
                            IN_OPEN | IN_CLOSE | IN_DELETE_SELF | IN_MOVE_SELF) < 0) {
        ::close(events);
        events = -1;
    }
    for (int open = 0, read = 0; events >= 0 && !read && Clock::now() < deadline;) {
        pollfd ready{events, POLLIN, 0};
        if (::poll(&ready, 1, MillisecondsUntil(deadline)) <= 0) continue;
        alignas(inotify_event) char buffer[4096];
        const ssize_t n = ::read(events, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            at += static_cast<ssize_t>(sizeof event + event.len);
            // Gone, or moved away: no longer a file of ours to remove.
            if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) return 0;
            if (event.mask & IN_OPEN) ++open;
            if ((event.mask & IN_CLOSE) && open > 0 && --open == 0) read = 1;
        }
    }
#endif
    while (events < 0 && Clock::now() < deadline)
        ::usleep(static_cast<useconds_t>(std::min(MillisecondsUntil(deadline), 1000)) * 1000);
    RemoveIfStill(path, watched);
    return 0;
}

}  // namespace

bool PosixBackgroundTasks::Start(std::string_view option, std::string input, std::string* err) {
    BackgroundAnswer answer;
    if (!StartInBackground(program_, option, std::move(input), kPeerWait, &answer, err))
        return false;
    std::string& said = answer.said;
    if (said == "ready\n") return true;
    while (!said.empty() && said.back() == '\n')
        said.pop_back();
    if (err != nullptr) *err = said.empty() ? std::string(option) + " did not answer" : said;
    return false;
}

bool PosixBackgroundTasks::ServeHandover(const Handover& handover, std::string* err) {
    return Start(kServeOption, EncodeHandover(handover), err);
}

bool PosixBackgroundTasks::RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                                          std::string* err) {
    return Start(kRemoveOption, EncodeRemoval({path, limit}), err);
}

std::optional<int> RunBackgroundMode(int argc, char** argv) {
    const char* socket = std::getenv(kAskpassVariable);
    const std::string_view mode = argc == 2 ? argv[1] : "";
    const bool serving = mode == kServeOption;
    const bool removing = mode == kRemoveOption;
    if (!serving && !removing && (socket == nullptr || argc != 2)) return std::nullopt;
    // A peer that went away fails one write: the server must go on (and
    // remove its socket), the helper ask the user instead.
    std::signal(SIGPIPE, SIG_IGN);
    if (removing) return RemoveOnceRead();
    return serving ? Serve() : Ask(socket, argv[1]);
}

}  // namespace torvale
