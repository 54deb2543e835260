#include "platform/recording/Recording.h"

#include "platform/ClientApps.h"

namespace torvale {

using Kind = RecordedEvent::Kind;

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
    if (const auto it = overlay_.find(path); it != overlay_.end()) return it->second.has_value();
    if (assumeClients_) {
        for (const ClientApp* app :
             {&clients::kFileZilla, &clients::kSecureCRT, &clients::kMicrosoftRemoteDesktop,
              &clients::kRemoteDesktopConnection, &clients::kQuendalApp}) {
            if (path == app->bundlePath) return true;
        }
    }
    return lookThrough_ != nullptr && lookThrough_->Exists(path);
}

bool RecordingFileSystem::CreateDirectory(const std::string& path, unsigned mode) {
    recorder_.events.push_back({Kind::CreateDirectory, path, {}, mode});
    overlay_[path] = std::string();
    return true;
}

bool RecordingFileSystem::WriteFile(const std::string& path, std::string_view contents,
                                    unsigned mode) {
    recorder_.events.push_back({Kind::WriteFile, path, std::string(contents), mode});
    overlay_[path] = std::string(contents);
    return true;
}

bool RecordingFileSystem::Remove(const std::string& path) {
    const bool existed = Exists(path);
    recorder_.events.push_back({Kind::Remove, path, {}});
    overlay_[path] = std::nullopt;
    return existed;
}

bool RecordingFileSystem::Copy(const std::string& from, const std::string& to, unsigned mode) {
    if (Exists(to) || !Exists(from)) return false;
    recorder_.events.push_back({Kind::Copy, from, to, mode});
    const auto source = overlay_.find(from);
    overlay_[to] = source != overlay_.end() ? source->second : std::string();
    return true;
}

}  // namespace torvale
