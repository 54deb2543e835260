#pragma once

#include <string>

namespace torvale {

// How a launch URL ended.
enum class Outcome {
    Launched,             // the command line went to the shell
    LaunchedWithoutFile,  // it did, though a file it does not open could not be written
    ClientMissing,        // the client's not-found alert
    Refused,              // an unsafe value or a gateway not allowed
    Cancelled,            // the user did not trust the host
    WriteFailed,          // a file the command opens could not be written: nothing ran
    NotRun,               // the command line could not be run
    ClientFailed,         // the client ended at once with a failure
    StillStarting,        // the shell had not returned when we stopped waiting
    NotImplemented,       // a placeholder action
    UnknownAction,
};

// What the watcher of a client needs of its pass to tell how it ended: the
// pass line around its outcome, and the client the alert names.
struct WatchedPass {
    std::string head;      // the pass line up to its outcome
    std::string launched;  // the outcome, where the client does not fail
    std::string tail;      // the pass line after its outcome
    std::string client;
};

}  // namespace torvale
