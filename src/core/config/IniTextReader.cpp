#include "core/config/IniTextReader.h"

#include <string>

namespace torvale {
namespace {

// The longest line inih, the reader before this one, read whole (a 200-byte
// buffer held it with its "\n" and a NUL): files written for it still read.
constexpr std::size_t kLongestLine = 198;

constexpr std::string_view kBlanks = " \t\r\v\f";

constexpr const char* kMalformed = "it is not [section] or key = value";

std::string_view Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(kBlanks) + 1 - start);
}

// The text before a ";" that follows a blank, trimmed.
std::string_view WithoutComment(std::string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ';' && kBlanks.find(text[i - 1]) != std::string_view::npos)
            return Trimmed(text.substr(0, i));
    }
    return text;
}

}  // namespace

bool IniTextReader::Parse(std::string_view text,
                          const std::function<std::string(const IniEntry&)>& onEntry,
                          IniError* err) {
    int line = 0;
    auto fail = [&](std::string why) {
        if (err != nullptr) *err = {line, std::move(why)};
        return false;
    };
    std::string_view section;
    int sectionLine = 0;
    bool keyAbove = false;  // a key line since the newest [section]
    // Reading stops at the first fault: the lines after it may belong to a
    // section that line failed to open.
    // Notepad saves UTF-8 with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line;
        if (raw.find('\0') != std::string_view::npos) return fail("it holds a NUL byte");
        if (raw.size() > kLongestLine)
            return fail("it is longer than " + std::to_string(kLongestLine) + " bytes");
        const std::string_view trimmed = Trimmed(raw);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
        // inih read an indented line below a key as more of its value:
        // "require = yes" and "  no" were "yes\nno". No line goes on with
        // another here.
        if (keyAbove && trimmed.data() != raw.data())
            return fail(
                "it is indented, as if it went on with the line above; [section] and key = value "
                "begin their line");
        const std::string_view body = WithoutComment(trimmed);
        if (body[0] == '[') {
            const std::size_t close = body.find(']');
            // "[gateways] allow = gw" must not lose its key unseen.
            if (close == std::string_view::npos || close + 1 != body.size())
                return fail(kMalformed);
            section = body.substr(1, close - 1);
            sectionLine = line;
            keyAbove = false;
            // A section is told even with no key under it: a misnamed one
            // would otherwise pass unseen.
            if (std::string why = onEntry({section, {}, {}, line, line}); !why.empty())
                return fail(std::move(why));
            continue;
        }
        // ":" as well, as inih split: a file written for it keeps its meaning.
        const std::size_t split = body.find_first_of("=:");
        const std::string_view key = Trimmed(body.substr(0, split));
        // An empty key would read as a [section] line.
        if (split == std::string_view::npos || key.empty()) return fail(kMalformed);
        keyAbove = true;
        if (std::string why =
                onEntry({section, key, Trimmed(body.substr(split + 1)), line, sectionLine});
            !why.empty())
            return fail(std::move(why));
    }
    return true;
}

}  // namespace torvale
