#include "platform/cli/CommandLine.h"

#include <cstring>

#include "base/Fail.h"
#include "base/Printable.h"

namespace torvale {

CommandLine ReadCommandLine(std::string_view program, std::string_view help, int argc, char** argv,
                            const OptionReader& option) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc && !line.exitStatus; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.empty() || argument.front() != '-') {
            line.urls.emplace_back(argument);
            // A launch URL may carry a password, and our command line stands
            // in /proc/PID/cmdline for any user of the machine to read while a
            // dialog waits: once taken, it is cleared there.
            std::memset(argv[i], 0, argument.size());
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            Print(stdout, help);
            line.exitStatus = 0;
        } else if (argument == "-V" || argument == "--version") {
            Print(stdout, std::string(program) + " " + TORVALE_VERSION + "\n");
            line.exitStatus = 0;
        } else {
            const auto problem = option ? option(argument) : std::nullopt;
            if (!problem) {
                line.exitStatus =
                    UsageError(program, "unknown option '" + Printable(argument) + "'");
            } else if (!problem->empty()) {
                line.exitStatus = UsageError(program, *problem);
            }
        }
    }
    return line;
}

std::optional<std::size_t> OptionValue(std::string_view argument, std::string_view name,
                                       std::initializer_list<std::string_view> values,
                                       std::string* err) {
    const std::string prefix = std::string(name) + "=";
    if (argument != name && !argument.starts_with(prefix)) return std::nullopt;
    const std::string_view value = argument.substr(std::min(prefix.size(), argument.size()));
    std::string expected;
    std::size_t index = 0;
    for (const std::string_view choice : values) {
        if (argument.starts_with(prefix) && value == choice) return index;
        expected += (index == 0 ? "" : index + 1 == values.size() ? " or " : ", ");
        expected += choice;
        ++index;
    }
    Fail(err, argument == name ? std::string(name) + " needs a value: expected " + expected
                               : "invalid value '" + Printable(value) + "' for " +
                                     std::string(name) + ": expected " + expected);
    return std::nullopt;
}

std::optional<Answer> ConfirmOption(std::string_view argument, std::string* err) {
    constexpr Answer kAnswers[] = {Answer::Cancel, Answer::Connect, Answer::ConnectAlways};
    const auto index = OptionValue(argument, "--confirm", {"no", "yes", "always"}, err);
    if (!index) return std::nullopt;
    return kAnswers[*index];
}

void Print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

bool ReadLine(std::FILE* stream, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(stream)) != EOF && c != '\n')
        line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

void ForEachUrl(const std::vector<std::string>& urls,
                const std::function<void(const std::string& url, std::size_t number)>& handle) {
    std::size_t number = 0;
    for (const std::string& url : urls)
        handle(url, ++number);
    if (!urls.empty()) return;
    // The resident loop of the headless commands: one launch URL a line. A
    // line may come from a file saved on Windows, so a closing carriage
    // return is dropped. What a URL printed is out before the next is read: a
    // program that feeds URLs through a pipe one at a time waits for each
    // answer.
    for (std::string line; std::fflush(stdout) == 0 && ReadLine(stdin, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) handle(line, ++number);
    }
}

int UsageError(std::string_view program, std::string_view problem) {
    const std::string name(program);
    Print(stderr, name + ": " + std::string(problem) + "\nTry '" + name +
                      " --help' for more information.\n");
    return 2;
}

}  // namespace torvale
