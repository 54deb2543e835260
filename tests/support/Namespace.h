#pragma once

#include <string>
#include <vector>

#include "support/Process.h"

namespace torvale::test {

// Whether this process may run commands in a private mount namespace with a
// tmpfs over /Applications (root, and unshare allowed). Creates an empty
// /Applications first when there is none; never puts anything into it.
bool CanMountApplications();

// Runs `script` with /bin/sh in a private mount namespace where
// /Applications is a fresh tmpfs holding the named (empty) bundles.
// Arguments after the script are its $1, $2, ...
ProcessResult RunWithApplications(const std::vector<std::string>& bundles,
                                  const std::string& script,
                                  const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& env,
                                  const std::string& input = std::string());

}  // namespace torvale::test
