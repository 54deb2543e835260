#include "platform/recording/Recording.h"

namespace torvale {
namespace {

using Kind = RecordedEvent::Kind;

bool IsUsable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

// NAME_MAX of Linux and of macOS's file systems.
constexpr std::size_t kLongestName = 255;

// The directory a path names its file in: "/" for the root, "." for none.
std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::size_t NameLength(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path.size() : path.size() - slash - 1;
}

}  // namespace

bool RecordingAlertPanel::Run(const std::string& title, const std::string& message) {
    recorder_.events.push_back({Kind::Alert, title, message});
    return false;
}

void RecordingLog::Write(const std::string& line) {
    recorder_.events.push_back({Kind::Log, line, {}});
}

std::string RecordingShell::Run(const std::string& commandLine) {
    recorder_.events.push_back({Kind::Command, commandLine, {}});
    return std::string();
}

bool RecordingFileSystem::Exists(const std::string& path) {
    if (!IsUsable(path)) return false;
    if (written_.count(path) != 0 || (present_ && present_(path))) return true;
    return lookThrough_ != nullptr && lookThrough_->Exists(path);
}

bool RecordingFileSystem::CreateDirectory(const std::string& path, unsigned mode) {
    if (!IsUsable(path)) return false;
    recorder_.events.push_back({Kind::CreateDirectory, path, {}, mode});
    for (std::string made = path; directories_.insert(made).second;)
        made = DirectoryOf(made);
    return true;
}

std::optional<std::string> RecordingFileSystem::ReadFile(const std::string& path,
                                                         std::size_t limit) {
    if (const auto it = written_.find(path); it != written_.end()) {
        if (it->second.size() > limit) return std::nullopt;
        return it->second;
    }
    return lookThrough_ != nullptr ? lookThrough_->ReadFile(path, limit) : std::string();
}

bool RecordingFileSystem::WriteFile(const std::string& path, std::string_view contents,
                                    unsigned mode) {
    if (!IsUsable(path)) return false;
    if (NameLength(path) > kLongestName) return false;
    const std::string directory = DirectoryOf(path);
    if (directories_.count(directory) == 0 &&
        (lookThrough_ == nullptr || !lookThrough_->Exists(directory))) {
        return false;
    }
    recorder_.events.push_back({Kind::WriteFile, path, std::string(contents), mode});
    written_[path] = std::string(contents);
    return true;
}

}  // namespace torvale
