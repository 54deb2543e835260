#pragma once

#include <chrono>
#include <string>

#include "core/plan/Handover.h"

namespace torvale {

// What a pass leaves to a process of its own, which outlives it: each
// answers once it is under way, and false, with why in `err`, where it
// cannot be.
class BackgroundTasks {
  public:
    virtual ~BackgroundTasks() = default;
    // From now on, for the handover's lifetime, the first askpass request
    // of this user with one of its prompts gets the secret, and nothing else
    // gets anything. Where it cannot be served the client asks the user.
    virtual bool ServeHandover(const Handover& handover, std::string* err) = 0;
    // Removes a connection file once a client has opened and closed it, or
    // after `limit`, whichever comes first; a file replaced meanwhile is
    // left alone.
    virtual bool RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                                std::string* err) = 0;
};

}  // namespace torvale
