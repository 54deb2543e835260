#pragma once

#include "core/Application.h"
#include "core/ports/SystemFacts.h"

namespace torvale {

// `--doctor`: the checks of the set-up, from the application located as a
// launch would locate it and the facts of this system, one line each on
// standard output. Answers the exit status: 1 when any check fails.
int Doctor(Application& app, SystemFacts& facts);

}  // namespace torvale
