#pragma once

// What a pass leaves to this program, started again in a mode of its own
// and in a session of its own, so that it outlives the pass: serving an
// entrusted password to ssh, and removing a connection file once read.
//
// The password never stands in a command line, an environment or a file:
// the pass writes it down a pipe to the server (kServeOption), which binds a
// Unix socket in the 0700 user data directory, answers "ready", and then
// gives the password once, within the handover's lifetime, to a peer of this
// user that asks with one of the expected prompts. Then it removes the
// socket and exits. ssh runs the helper (this program again, with
// TORVALE_ASKPASS naming the socket) for every question; what the server
// does not answer, the helper asks the user on /dev/tty.
//
// The remover (kRemoveOption) watches a connection file from before its
// client starts: on Linux it removes the file once a client has opened and
// closed it (inotify), elsewhere, and where nobody opens it, when its time
// is up; a file replaced meanwhile is another pass's, and stays.

#include <optional>
#include <string>
#include <string_view>

#include "core/ports/BackgroundTasks.h"

namespace torvale {

inline constexpr std::string_view kServeOption = "--serve-askpass";
inline constexpr std::string_view kRemoveOption = "--remove-once-read";
// The environment variable that names the socket to the helper.
inline constexpr const char* kAskpassVariable = "TORVALE_ASKPASS";

class PosixBackgroundTasks final : public BackgroundTasks {
  public:
    // `program`: this program, which runs each task in its mode.
    explicit PosixBackgroundTasks(std::string program) : program_(std::move(program)) {}
    bool ServeHandover(const Handover& handover, std::string* err) override;
    bool RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                        std::string* err) override;

  private:
    // Starts this program in the mode `option` with `input`, and waits for
    // its "ready": false, with what it said instead.
    bool Start(std::string_view option, std::string input, std::string* err);

    std::string program_;
};

// The exit status of the mode that the command line and the environment ask
// for: serving (kServeOption alone), removing (kRemoveOption alone), or the
// askpass helper (one argument, the prompt, with kAskpassVariable set).
// Nothing: none of them, the front end runs as itself.
std::optional<int> RunBackgroundMode(int argc, char** argv);

}  // namespace torvale
