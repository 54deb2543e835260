#include "base/WindowsCommandLine.h"

#include <algorithm>
#include <cctype>

#include "base/Fail.h"
#include "base/Path.h"

namespace torvale {
namespace {

// A word either reader splits or reads a quote in unless it is quoted.
bool NeedsQuotes(std::string_view word) {
    return word.empty() || word.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

void AppendQuoted(std::string_view word, std::string& line) {
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // A run of backslashes is literal unless a quote follows it.
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        line += c;
        backslashes = 0;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

bool WindowsCommandLine(const std::vector<std::string>& argv, std::string* line, std::string* err) {
    if (argv.empty() || argv[0].empty()) return Fail(err, "no program to start");
    if (argv[0].find('"') != std::string::npos)
        return Fail(err, "the program's path holds a double quote");
    for (const std::string& word : argv)
        if (word.find('\0') != std::string::npos) return Fail(err, "an argument holds a NUL byte");
    std::string written = '"' + argv[0] + '"';
    for (std::size_t i = 1; i < argv.size(); ++i) {
        written += ' ';
        if (NeedsQuotes(argv[i]))
            AppendQuoted(argv[i], written);
        else
            written += argv[i];
    }
    *line = std::move(written);
    return true;
}

bool StartableOnWindows(std::string_view path, std::string* err) {
    if (!IsWindowsAbsolute(path)) return Fail(err, std::string(path) + " is not an absolute path");
    const bool drive = path[1] == ':';
    if (path.find(':', drive ? 2 : 0) != std::string_view::npos)
        return Fail(err, std::string(path) + " names a stream of a file, not a program");
    if (EndsWithNoCase(path, ".bat") || EndsWithNoCase(path, ".cmd"))
        return Fail(err, std::string(path) +
                             " is a batch file: cmd.exe would read its arguments as commands");
    if (!EndsWithNoCase(path, ".exe"))
        return Fail(err, std::string(path) + " is not an .exe program");
    return true;
}

}  // namespace torvale
