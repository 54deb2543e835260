#include "platform/inih/InihParser.h"

#include <ini.h>

#include <cstring>
#include <string>

namespace torvale {
namespace {

// inih reads line by line through this reader, so it can count lines for
// the entries, which the packaged library does not report itself.
struct Input {
    std::string_view rest;
    int line = 0;
    int sectionLine = 0;  // the newest "[section]" line
    int badLine = 0;      // a line inih would cut or misread
    const std::function<std::string(const IniEntry&)>* onEntry;
    std::string why;  // what is wrong with the first line found at fault
    int whyLine = 0;
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
        if (input.why.empty()) {
            input.whyLine = input.line;
            input.why = line.find('\0') != std::string_view::npos
                            ? "it holds a NUL byte"
                            : "it is longer than " + std::to_string(size - 2) + " bytes";
        }
        return nullptr;
    }
    if (const std::size_t start = line.find_first_not_of(" \t");
        start != line.npos && line[start] == '[')
        input.sectionLine = input.line;
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\0';
    return buffer;
}

int OnEntry(void* user, const char* section, const char* key, const char* value) {
    auto& input = *static_cast<Input*>(user);
    std::string refused =
        (*input.onEntry)(IniEntry{section, key, value, input.line, input.sectionLine});
    if (refused.empty()) return 1;
    if (input.why.empty()) {
        input.why = std::move(refused);
        input.whyLine = input.line;
    }
    return 0;
}

}  // namespace

bool InihParser::Parse(std::string_view text,
                       const std::function<std::string(const IniEntry&)>& onEntry, int* errorLine,
                       std::string* err) {
    Input input{text, 0, 0, 0, &onEntry, {}};
    int error = ini_parse_stream(ReadLine, &input, OnEntry, &input);
    if (input.badLine != 0 && (error <= 0 || error > input.badLine)) error = input.badLine;
    // inih reports the first line at fault but says nothing of why: the
    // reason kept here belongs to that line only when it was that line's
    // (a malformed line inih finds itself leaves no reason).
    if (error != 0 && err != nullptr)
        *err = input.why.empty() || input.whyLine != error ? "it is not [section] or key = value"
                                                           : input.why;
    if (error != 0 && errorLine != nullptr) *errorLine = error;
    return error == 0;
}

}  // namespace torvale
