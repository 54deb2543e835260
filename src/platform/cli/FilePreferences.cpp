#include "platform/cli/FilePreferences.h"

#include <vector>

#include "app/text/Path.h"
#include "app/text/Text.h"

namespace torvale {
namespace {

constexpr std::size_t kLimit = 1 << 16;

std::vector<std::string> ReadLines(FileSystem& files, const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = files.ReadFile(path, kLimit).value_or(std::string());
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The value on a line of `key`, or nothing for a line of another key.
std::optional<std::string_view> ValueOf(std::string_view line, const std::string& key) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != key)
        return std::nullopt;
    return Trim(line.substr(equals + 1));
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

void FilePreferences::SetBool(const std::string& key, bool value) {
    Rewrite(key, key + "=" + (value ? "true" : "false"));
}

void FilePreferences::Remove(const std::string& key) {
    Rewrite(key, std::string());
}

void FilePreferences::Rewrite(const std::string& key, const std::string& setting) {
    std::string text;
    for (const std::string& line : ReadLines(files_, path_)) {
        if (!ValueOf(line, key)) text += line + "\n";
    }
    if (!setting.empty()) text += setting + "\n";

    files_.CreateDirectory(std::string(DirectoryOf(path_)), 0700);
    files_.WriteFile(path_, text, 0644);
}

}  // namespace torvale
