#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports/AlertPanel.h"

namespace torvale {

// What a front end's command line asks for.
struct CommandLine {
    std::vector<std::string> urls;
    // Set when there is nothing more to do: help or version printed (0), or
    // a usage error reported (2).
    std::optional<int> exitStatus;
};

// Reads one option of a front end's own: nothing when it is none of its
// options, the empty string when it took it, else what is wrong with it.
using OptionReader = std::function<std::optional<std::string>(std::string_view argument)>;

// Reads the arguments of `program`: URLs, "--" before URLs that begin with
// "-", -h/--help (prints `help`), -V/--version, and whatever `option`
// takes. Anything else is a usage error, reported on standard error. Each
// URL taken is cleared from `argv`, where other users could read it.
CommandLine ReadCommandLine(std::string_view program, std::string_view help, int argc, char** argv,
                            const OptionReader& option = {});

// For "NAME=VALUE", where VALUE must be one of `values`: its index. Nothing
// for another argument, or, with `err` saying what is wrong, for a bad or
// missing value: "invalid value 'x' for --name: expected a, b or c".
std::optional<std::size_t> OptionValue(std::string_view argument, std::string_view name,
                                       std::initializer_list<std::string_view> values,
                                       std::string* err);

// "--confirm=no|yes|always": how the trust question is answered. Nothing for
// another argument, or, with `err` saying why, for a bad value.
std::optional<Answer> ConfirmOption(std::string_view argument, std::string* err);

// Writes `text` to a stdio stream. The front ends print with stdio alone:
// with GCC 12's libstdc++, a program that includes <iostream> builds every
// locale facet as it starts, which each launch would pay for.
void Print(std::FILE* stream, std::string_view text);
// Reads the next line of `stream` into `line`, without its newline: false
// at the end of input, or where it cannot be read.
bool ReadLine(std::FILE* stream, std::string& line);

// Hands each launch URL to `handle` with its number, from 1: the arguments'
// URLs, or, where there are none, the lines of standard input (a closing
// carriage return dropped, lines of blanks alone skipped), standard output
// flushed before each is read.
void ForEachUrl(const std::vector<std::string>& urls,
                const std::function<void(const std::string& url, std::size_t number)>& handle);

// Reports a usage error of `program` and answers its exit status, 2.
int UsageError(std::string_view program, std::string_view problem);

}  // namespace torvale
