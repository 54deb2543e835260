#pragma once

#include <string>
#include <vector>

namespace torvale::test {

struct ProcessResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with exactly the given environment, feeding `input` to its
// standard input and collecting both output streams; standard error goes to
// `errorFd` instead when one is given.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& input = std::string(), int errorFd = -1);

}  // namespace torvale::test
