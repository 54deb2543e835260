#pragma once

// Torvale as OpenSSH's askpass helper, and the short-lived process that
// holds an entrusted password for it.
//
// The password never stands in a command line, an environment or a file:
// the pass writes it down a pipe to a server it starts (this program again,
// with kServeOption), which binds a Unix socket in the 0700 user data
// directory, answers "ready", and then gives the password once, within the
// handover's lifetime, to a peer of this user that asks with one of the
// expected prompts. Then it removes the socket and exits. ssh runs the
// helper (this program again, with TORVALE_ASKPASS naming the socket) for
// every question; what the server does not answer, the helper asks the
// user on /dev/tty.

#include <optional>
#include <string>
#include <string_view>

#include "core/ports/AskpassServer.h"

namespace torvale {

inline constexpr std::string_view kServeOption = "--serve-askpass";
// The environment variable that names the socket to the helper.
inline constexpr const char* kAskpassVariable = "TORVALE_ASKPASS";

class PosixAskpassServer final : public AskpassServer {
  public:
    // `program`: this program, which serves when started with kServeOption.
    explicit PosixAskpassServer(std::string program) : program_(std::move(program)) {}
    bool Serve(const Handover& handover, std::string* err) override;

  private:
    std::string program_;
};

// The exit status of the askpass mode that the command line and the
// environment ask for: serving (kServeOption alone), or the helper (one
// argument, the prompt, with kAskpassVariable set). Nothing: neither, the
// front end runs as itself.
std::optional<int> RunAskpassMode(int argc, char** argv);

// The absolute path of this program's executable, or empty.
std::string ThisProgram();

}  // namespace torvale
