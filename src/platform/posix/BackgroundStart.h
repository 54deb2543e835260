#pragma once

// How a front end starts this program again in one of its background modes
// (serving a password, removing a file once read, watching a client): the
// one way in is the mode's option alone on its command line and, on its
// standard input, everything it needs, in the framing of WireParts.h; the one
// way out, its answer on standard output. Nothing of a launch (a command
// line, a password) stands in the argv of a process of ours, where any
// user of the machine can read it.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

namespace torvale {

// The most a background mode says.
inline constexpr std::size_t kLongestAnswer = 1 << 16;

// What a background mode answered, and the process it runs in.
struct BackgroundAnswer {
    pid_t pid = 0;
    std::string said;  // all it wrote before closing its standard output
};

// Starts `program` with the one argument `mode` in a session of its own (it
// outlives this process, and no signal meant for our terminal ends it),
// standard error on /dev/null; writes `input` to its standard input and
// closes it, then reads what it says until it closes its standard output or
// `wait` has passed. `input` is wiped either way. False, with why, where it
// cannot be started or told.
bool StartInBackground(const std::string& program, std::string_view mode, std::string input,
                       std::chrono::milliseconds wait, BackgroundAnswer* answer, std::string* err);

// Overwrites a secret before it is freed: it lives no longer than it must.
void Wipe(std::string& secret);

}  // namespace torvale
