#include "platform/inih/InihParser.h"

#include <ini.h>

#include <cstring>

namespace torvale {
namespace {

// inih reads line by line through this reader, so it can count lines for
// the entries, which the packaged library does not report itself.
struct Input {
    std::string_view rest;
    int line = 0;
    int badLine = 0;  // a line inih would cut or misread
    const std::function<bool(const IniEntry&)>* onEntry;
};

char* ReadLine(char* buffer, int size, void* stream) {
    auto& input = *static_cast<Input*>(stream);
    if (input.rest.empty() || input.badLine != 0) return nullptr;
    const std::size_t end = input.rest.find('\n');
    const std::string_view line =
        input.rest.substr(0, end == std::string_view::npos ? end : end + 1);
    input.rest.remove_prefix(line.size());
    ++input.line;
    // inih would take the rest of a long line as a line of its own, and a C
    // string ends at a NUL: both are errors of that line, not guesses.
    if (line.size() >= static_cast<std::size_t>(size) ||
        line.find('\0') != std::string_view::npos) {
        input.badLine = input.line;
        return nullptr;
    }
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\0';
    return buffer;
}

int OnEntry(void* user, const char* section, const char* key, const char* value) {
    const auto& input = *static_cast<Input*>(user);
    return (*input.onEntry)(IniEntry{section, key, value, input.line}) ? 1 : 0;
}

}  // namespace

int InihParser::Parse(std::string_view text, const std::function<bool(const IniEntry&)>& onEntry) {
    Input input{text, 0, 0, &onEntry};
    const int error = ini_parse_stream(ReadLine, &input, OnEntry, &input);
    if (input.badLine != 0 && (error <= 0 || error > input.badLine)) return input.badLine;
    return error;
}

}  // namespace torvale
