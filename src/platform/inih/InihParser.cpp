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
    int sectionLine = 0;        // the newest "[section]" line
    int badLine = 0;            // a line inih would cut or misread
    bool keyInSection = false;  // a key line since the newest "[section]"
    const std::function<std::string(const IniEntry&)>* onEntry;
    std::string why;  // what is wrong with the first line found at fault
    int whyLine = 0;
};

// Whether `onEntry` takes the entry; the first reason it refuses one is kept.
bool Taken(Input& input, const IniEntry& entry) {
    std::string refused = (*input.onEntry)(entry);
    if (refused.empty()) return true;
    if (input.why.empty()) {
        input.why = std::move(refused);
        input.whyLine = input.line;
    }
    return false;
}

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
    const std::size_t start = line.find_first_not_of(" \t\r\n");
    const char first = start == line.npos ? ';' : line[start];
    const bool comment = first == ';' || first == '#';
    // Built with multi-line entries (as Debian's is), inih reads an indented
    // line below a key as more of its value: "require = yes" and "  no" would
    // be "yes\nno". Whatever the build, no line continues another.
    if (!comment && start != 0 && input.keyInSection) {
        input.badLine = input.line;
        if (input.why.empty()) {
            input.whyLine = input.line;
            input.why =
                "it is indented, as if it went on with the line above; [section] and "
                "key = value begin their line";
        }
        return nullptr;
    }
    input.keyInSection = input.keyInSection || (!comment && first != '[');
    if (first == '[') {
        input.sectionLine = input.line;
        input.keyInSection = false;
        // A section is told even with no key under it: a misnamed one would
        // otherwise pass unseen.
        const std::string_view rest = line.substr(start + 1);
        const std::string_view name = rest.substr(0, rest.find(']'));
        if (name.size() != rest.size() && !Taken(input, {name, {}, {}, input.line, input.line})) {
            input.badLine = input.line;
            return nullptr;
        }
    }
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\0';
    return buffer;
}

int OnEntry(void* user, const char* section, const char* key, const char* value) {
    auto& input = *static_cast<Input*>(user);
    // A build that calls on every new section: ReadLine has told it.
    if (key == nullptr) return 1;
    return Taken(input, IniEntry{section, key, value, input.line, input.sectionLine}) ? 1 : 0;
}

}  // namespace

bool InihParser::Parse(std::string_view text,
                       const std::function<std::string(const IniEntry&)>& onEntry, IniError* err) {
    Input input{text, 0, 0, 0, false, &onEntry, {}};
    int error = ini_parse_stream(ReadLine, &input, OnEntry, &input);
    if (input.badLine != 0 && (error <= 0 || error > input.badLine)) error = input.badLine;
    // inih reports the first line at fault but says nothing of why: the
    // reason kept here belongs to that line only when it was that line's
    // (a malformed line inih finds itself leaves no reason).
    if (error != 0 && err != nullptr)
        *err = {error, input.why.empty() || input.whyLine != error
                           ? "it is not [section] or key = value"
                           : input.why};
    return error == 0;
}

}  // namespace torvale
