#pragma once

#include <string>

#include "core/plan/Handover.h"

namespace torvale {

// Serves a handover: from now on, for its lifetime, the first askpass
// request of this user with one of its prompts gets the secret, and nothing
// else gets anything. Answers once the secret can be asked for; false, with
// why in `err`, when it cannot be served (the client then asks the user).
class AskpassServer {
  public:
    virtual ~AskpassServer() = default;
    virtual bool Serve(const Handover& handover, std::string* err) = 0;
};

}  // namespace torvale
