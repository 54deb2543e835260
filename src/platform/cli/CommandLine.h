#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// What a front end's command line asks for.
struct CommandLine {
    std::vector<std::string> urls;
    // Set when there is nothing more to do: help or version printed (0), or
    // a usage error reported (2).
    std::optional<int> exitStatus;
};

// Reads the arguments of `program`: URLs, "--" before URLs that begin with
// "-", -h/--help (prints `help`), -V/--version, and whatever `option`
// accepts. Anything else is a usage error, reported on standard error.
CommandLine ReadCommandLine(std::string_view program, std::string_view help, int argc, char** argv,
                            const std::function<bool(std::string_view)>& option = {});

// Reports a usage error of `program` and answers its exit status, 2.
int UsageError(std::string_view program, std::string_view problem);

}  // namespace torvale
