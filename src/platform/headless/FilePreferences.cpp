#include "platform/headless/FilePreferences.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace torvale {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool IsKeyLine(const std::string& line, const std::string& key) {
    return line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
           line[key.size()] == '=';
}

}  // namespace

std::string FilePreferences::DefaultPath(const char* xdgConfigHome, const std::string& home) {
    const std::string base = xdgConfigHome != nullptr && *xdgConfigHome != '\0'
                                 ? std::string(xdgConfigHome)
                                 : home + "/.config";
    return base + "/torvale/torvale.conf";
}

bool FilePreferences::GetBool(const std::string& key) {
    bool value = false;
    for (const std::string& line : ReadLines(path_)) {
        if (IsKeyLine(line, key))
            value = line.compare(key.size() + 1, std::string::npos, "true") == 0;
    }
    return value;
}

void FilePreferences::SetBool(const std::string& key, bool value) {
    const std::string setting = key + "=" + (value ? "true" : "false");
    std::ostringstream text;
    bool written = false;
    for (const std::string& line : ReadLines(path_)) {
        if (!IsKeyLine(line, key)) {
            text << line << '\n';
        } else if (!written) {
            text << setting << '\n';
            written = true;
        }
    }
    if (!written) text << setting << '\n';

    const std::size_t slash = path_.rfind('/');
    if (slash != std::string::npos && slash > 0)
        files_.CreateDirectory(path_.substr(0, slash), 0700);
    files_.WriteFile(path_, text.str(), 0644);
}

}  // namespace torvale
