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
// standard input and collecting both output streams.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& input = std::string());

}  // namespace torvale::test
