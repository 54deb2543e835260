#include "platform/recording/RecordingPlatform.h"

#include "base/Fail.h"
#include "base/Path.h"

namespace torvale {
namespace {

using Kind = RecordedEvent::Kind;

bool IsUsable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

// NAME_MAX of Linux and of macOS's file systems.
constexpr std::size_t kLongestName = 255;

constexpr const char* kUnusable = "the path is empty or holds a NUL byte";
constexpr const char* kDenied = "Permission denied";

}  // namespace

std::vector<std::string> Recorder::Texts(Kind kind) const {
    std::vector<std::string> texts;
    for (const RecordedEvent& event : events) {
        if (event.kind == kind) texts.push_back(event.text);
    }
    return texts;
}

bool RecordingAlertPanel::Run(const std::string& title, const std::string& message) {
    recorder_.events.push_back({Kind::Alert, title, message});
    return ticked && ticked(title);
}

Answer RecordingAlertPanel::Ask(const Question& question) {
    recorder_.events.push_back({Kind::Question, question.title, question.message, 0, answer});
    return answer;
}

void RecordingLog::Write(const std::string& line) {
    recorder_.events.push_back({Kind::Log, line, {}});
}

CommandResult RecordingShell::Run(const Command& command, const ClientWatch&) {
    recorder_.events.push_back({Kind::Command, LineOf(command), {}});
    return {};
}

bool RecordingBackgroundTasks::RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                                              std::string* err) {
    recorder_.events.push_back({Kind::Removal, path, std::to_string(limit.count())});
    return UnderWay(err);
}

bool RecordingBackgroundTasks::UnderWay(std::string* err) const {
    if (!failure) return true;
    if (err != nullptr) *err = *failure;
    return false;
}

bool RecordingBackgroundTasks::ServeHandover(const Handover& handover, std::string* err) {
    std::string detail;
    for (const std::string& prompt : handover.prompts)
        detail += (detail.empty() ? "" : "\n") + prompt;
    recorder_.events.push_back({Kind::Handover, handover.socket, std::move(detail)});
    secrets.push_back(handover.secret);
    return UnderWay(err);
}

bool RecordingPreferences::GetBool(const std::string& key) {
    if (const auto it = bools_.find(key); it != bools_.end()) return it->second.value_or(false);
    return lookThrough_ != nullptr && lookThrough_->GetBool(key);
}

bool RecordingPreferences::Failed(std::string* err) const {
    if (!failure) return false;
    if (err != nullptr) *err = *failure;
    return true;
}

bool RecordingPreferences::SetBool(const std::string& key, bool value, std::string* err) {
    if (Failed(err)) return false;
    bools_[key] = value;
    return true;
}

std::vector<std::string> RecordingPreferences::GetList(const std::string& key) {
    if (const auto it = lists_.find(key); it != lists_.end())
        return it->second.value_or(std::vector<std::string>{});
    return lookThrough_ != nullptr ? lookThrough_->GetList(key) : std::vector<std::string>{};
}

bool RecordingPreferences::UpdateList(const std::string& key, const ListChange& change,
                                      std::string* err) {
    if (Failed(err)) return false;
    lists_[key] = change(GetList(key));
    return true;
}

bool RecordingPreferences::Remove(const std::string& key, std::string* err) {
    if (Failed(err)) return false;
    bools_[key] = std::nullopt;
    lists_[key] = std::nullopt;
    return true;
}

bool RecordingFileSystem::Exists(const std::string& path) {
    if (!IsUsable(path)) return false;
    if (written_.count(path) != 0 || directories_.count(path) != 0 || (present && present(path)))
        return true;
    return lookThrough_ != nullptr && lookThrough_->Exists(path);
}

bool RecordingFileSystem::CreateDirectory(const std::string& path, unsigned mode,
                                          std::string* err) {
    if (!IsUsable(path)) return Fail(err, kUnusable);
    if (failing.count(path) != 0) return Fail(err, kDenied);
    recorder_.events.push_back({Kind::CreateDirectory, path, {}, mode});
    for (std::string made = path; directories_.insert(made).second;)
        made = std::string(DirectoryOf(made));
    return true;
}

bool RecordingFileSystem::SetMode(const std::string& path, unsigned, std::string* err) {
    return failing.count(path) == 0 || Fail(err, kDenied);
}

std::optional<std::string> RecordingFileSystem::ReadFile(const std::string& path, std::size_t limit,
                                                         std::string* err) {
    if (failing.count(path) != 0) {
        Fail(err, kDenied);
        return std::nullopt;
    }
    if (const auto it = written_.find(path); it != written_.end()) {
        if (it->second.contents.size() <= limit) return it->second.contents;
        Fail(err, "too large");
        return std::nullopt;
    }
    return lookThrough_ != nullptr ? lookThrough_->ReadFile(path, limit, err) : std::string();
}

bool RecordingFileSystem::WriteFile(const std::string& path, std::string_view contents,
                                    unsigned mode, std::string* err) {
    if (!IsUsable(path)) return Fail(err, kUnusable);
    if (failing.count(path) != 0) return Fail(err, kDenied);
    if (BaseName(path).size() > kLongestName) return Fail(err, "File name too long");
    const std::string directory(DirectoryOf(path));
    if (directories_.count(directory) == 0 &&
        (lookThrough_ == nullptr || !lookThrough_->Exists(directory))) {
        return Fail(err, "No such file or directory");
    }
    recorder_.events.push_back({Kind::WriteFile, path, std::string(contents), mode});
    written_[path] = {std::string(contents), mode};
    return true;
}

bool RecordingFileSystem::CreateEmptyFile(const std::string& path, unsigned mode,
                                          std::string* err) {
    return Exists(path) ? Fail(err, "File exists") : WriteFile(path, "", mode, err);
}

std::optional<PathInfo> RecordingFileSystem::Inspect(const std::string& path) {
    if (const auto it = folders_.find(path); it != folders_.end())
        return PathInfo{true, it->second.mode, !it->second.rootOwned, it->second.rootOwned, true};
    if (directories_.count(path) != 0) return PathInfo{true, 0700, true, false, true};
    if (const auto it = written_.find(path); it != written_.end())
        return PathInfo{
            false, it->second.mode, !it->second.rootOwned, it->second.rootOwned,
            failing.count(path) == 0 && (!it->second.rootOwned || (it->second.mode & 04) != 0)};
    return lookThrough_ != nullptr ? lookThrough_->Inspect(path) : std::nullopt;
}

bool RecordingFileSystem::WayTo(const std::string& path, PathWay* way, std::string* err) {
    *way = PathWay{};
    if (lookThrough_ != nullptr && written_.count(path) == 0)
        return lookThrough_->WayTo(path, way, err);
    if (!IsUsable(path) || !path.starts_with('/'))
        return Fail(err, path + ": not an absolute path");
    std::vector<std::string> prefixes = {path};
    while (prefixes.back() != "/")
        prefixes.emplace_back(DirectoryOf(prefixes.back()));
    for (auto step = prefixes.rbegin(); step != prefixes.rend(); ++step) {
        if (failing.count(*step) != 0) return Fail(err, *step + ": " + kDenied);
        const bool last = step + 1 == prefixes.rend();
        if (last && written_.count(*step) == 0 && folders_.count(*step) == 0) return true;
        // A folder not seeded stands as a system's do, root's, mode 0755,
        // whatever a pass made below it.
        const auto written = written_.find(*step);
        way->steps.push_back({*step, folders_.count(*step) != 0 || written != written_.end()
                                         ? *Inspect(*step)
                                         : PathInfo{true, 0755, false, true, true}});
    }
    way->reached = true;
    return true;
}

std::optional<std::vector<std::string>> RecordingFileSystem::List(const std::string& directory,
                                                                  std::string* err) {
    std::set<std::string> names;
    if (lookThrough_ != nullptr) {
        for (std::string& name :
             lookThrough_->List(directory, err).value_or(std::vector<std::string>{}))
            names.insert(std::move(name));
    }
    for (const auto& [path, file] : written_) {
        if (DirectoryOf(path) == directory) names.insert(std::string(BaseName(path)));
    }
    return std::vector<std::string>(names.begin(), names.end());
}

void RecordingFileSystem::Seed(const std::string& path, std::string contents, unsigned mode,
                               bool rootOwned) {
    written_[path] = {std::move(contents), mode, rootOwned};
}

void RecordingFileSystem::SeedFolder(const std::string& path, unsigned mode, bool rootOwned) {
    folders_[path] = {{}, mode, rootOwned};
}

Application& RecordingPlatform::Start(const ClientTable& clients, const std::string& home,
                                      std::string_view searchPath) {
    app_.emplace(platform(), clients);
    app_->SetProcess(askpassHelper);
    app_->SetTemporaryDirectory(temporaryDir);
    app_->SetSystemConfiguration(systemConfiguration);
    if (now) app_->SetClock(now);
    if (prepare) prepare(*app_);
    app_->applicationWillFinishLaunching(home, searchPath);
    return *app_;
}

}  // namespace torvale
