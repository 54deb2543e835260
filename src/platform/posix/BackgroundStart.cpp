#include "platform/posix/BackgroundStart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/Process.h"

namespace torvale {
void Wipe(std::string& secret) {
    volatile char* bytes = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i)
        bytes[i] = 0;
    secret.clear();
}

bool StartInBackground(const std::string& program, std::string_view mode, std::string input,
                       std::chrono::milliseconds wait, BackgroundAnswer* answer, std::string* err) {
    auto failed = [&](std::string why) {
        Wipe(input);
        if (err != nullptr) *err = std::move(why);
        return false;
    };
    if (program.empty()) return failed("this program's path is not known");
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (::pipe(in) != 0 || ::pipe(out) != 0) {
        const std::string why = std::string("pipe: ") + std::strerror(errno);
        for (const int fd : {in[0], in[1], out[0], out[1]})
            if (fd >= 0) ::close(fd);
        return failed(why);
    }
    for (const int fd : {in[0], in[1], out[0], out[1]})
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    SpawnSetup setup;
    std::string path = program;
    std::string option(mode);
    char* argv[] = {path.data(), option.data(), nullptr};
    pid_t pid = 0;
    std::string why;
    const bool started = setup.Prepare({in[0], out[1], SpawnSetup::kNull}, true, &why) &&
                         setup.Spawn(pid, argv, nullptr, &why);
    ::close(in[0]);
    ::close(out[1]);
    const bool sent = started && WriteAll(in[1], input);
    Wipe(input);
    ::close(in[1]);
    std::string said;
    if (started) ReadAll(out[0], said, wait, kLongestAnswer);
    ::close(out[0]);
    if (!started) return failed(program + ": " + why);
    if (!sent) return failed("what to do could not be written to " + option);
    if (answer != nullptr) *answer = {pid, std::move(said)};
    return true;
}

}  // namespace torvale
