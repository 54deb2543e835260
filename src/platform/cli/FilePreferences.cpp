#include "platform/cli/FilePreferences.h"

#include <vector>

#include "base/Path.h"
#include "base/Text.h"

namespace torvale {
namespace {

constexpr std::size_t kLimit = 1 << 16;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A file that cannot be read reads as one without settings.
std::vector<std::string> ReadLines(FileSystem& files, const std::string& path) {
    return Lines(files.ReadFile(path, kLimit, nullptr).value_or(std::string()));
}

// The value on a line of `key`, or nothing for a line of another key.
std::optional<std::string_view> ValueOf(std::string_view line, const std::string& key) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != key)
        return std::nullopt;
    return Trim(line.substr(equals + 1));
}

// A list entry comes from a launch URL: every byte that could end the line,
// hide in the blanks around "=" or not be text is written "%XX".
std::string Encoded(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '%') {
            out += {'%', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            out += c;
        }
    }
    return out;
}

std::string Decoded(std::string_view text) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hex(text[i + 1]) : -1;
        const int low = high >= 0 ? hex(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
        } else {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return out;
}

}  // namespace

std::string FilePreferences::DefaultPath(const char* xdgConfigHome, const std::string& home) {
    const std::string base = xdgConfigHome != nullptr && *xdgConfigHome == '/'
                                 ? std::string(xdgConfigHome)
                                 : home + "/.config";
    return base + "/torvale/torvale.conf";
}

bool FilePreferences::GetBool(const std::string& key) {
    bool value = false;
    for (const std::string& line : ReadLines(files_, path_)) {
        if (const auto text = ValueOf(line, key)) value = *text == "true";
    }
    return value;
}

bool FilePreferences::SetBool(const std::string& key, bool value, std::string* err) {
    return Rewrite(key, {key + "=" + (value ? "true" : "false")}, err);
}

std::vector<std::string> FilePreferences::GetList(const std::string& key) {
    std::vector<std::string> values;
    for (const std::string& line : ReadLines(files_, path_)) {
        if (const auto text = ValueOf(line, key)) values.push_back(Decoded(*text));
    }
    return values;
}

bool FilePreferences::SetList(const std::string& key, const std::vector<std::string>& values,
                              std::string* err) {
    std::vector<std::string> settings;
    for (const std::string& value : values)
        settings.push_back(key + "=" + Encoded(value));
    return Rewrite(key, settings, err);
}

bool FilePreferences::Remove(const std::string& key, std::string* err) {
    return Rewrite(key, {}, err);
}

bool FilePreferences::Rewrite(const std::string& key, const std::vector<std::string>& settings,
                              std::string* err) {
    // A file too large or unreadable stays as it is: rewriting it from what
    // could be read would lose every other line in it.
    std::string why;
    const auto old = files_.ReadFile(path_, kLimit, &why);
    if (!old) {
        if (err != nullptr) *err = path_ + " cannot be read: " + why;
        return false;
    }
    std::string text;
    for (const std::string& line : Lines(*old)) {
        if (!ValueOf(line, key)) text += line + "\n";
    }
    for (const std::string& setting : settings)
        text += setting + "\n";
    const std::string directory(DirectoryOf(path_));
    if (!files_.CreateDirectory(directory, 0700, &why)) {
        if (err != nullptr) *err = directory + " cannot be made: " + why;
        return false;
    }
    if (!files_.WriteFile(path_, text, 0644, &why)) {
        if (err != nullptr) *err = path_ + " cannot be written: " + why;
        return false;
    }
    return true;
}

}  // namespace torvale
