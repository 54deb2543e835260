#include "platform/cli/CommandLine.h"

#include <iostream>

namespace torvale {

CommandLine ReadCommandLine(std::string_view program, std::string_view help, int argc, char** argv,
                            const std::function<bool(std::string_view)>& option) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc && !line.exitStatus; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.empty() || argument.front() != '-') {
            line.urls.emplace_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            std::cout << help;
            line.exitStatus = 0;
        } else if (argument == "-V" || argument == "--version") {
            std::cout << program << " " << TORVALE_VERSION << "\n";
            line.exitStatus = 0;
        } else if (!option || !option(argument)) {
            line.exitStatus = UsageError(program, "unknown option '" + std::string(argument) + "'");
        }
    }
    return line;
}

int UsageError(std::string_view program, std::string_view problem) {
    std::cerr << program << ": " << problem << "\nTry '" << program
              << " --help' for more information.\n";
    return 2;
}

}  // namespace torvale
