#pragma once

// Seams that record what the application would do, and do none of it:
// nothing is shown, written or run. They serve the dry run, the fuzz targets
// and the benchmarks.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/AlertPanel.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"

namespace torvale {

struct RecordedEvent {
    enum class Kind { Alert, Log, CreateDirectory, WriteFile, Command };
    Kind kind;
    std::string text;    // alert title, log line, command line, or the path acted on
    std::string detail;  // alert message, or file content
    unsigned mode = 0;
};

// Everything the recording seams saw, in order.
struct Recorder {
    std::vector<RecordedEvent> events;
};

class RecordingAlertPanel final : public AlertPanel {
  public:
    explicit RecordingAlertPanel(Recorder& recorder) : recorder_(recorder) {}
    bool Run(const std::string& title, const std::string& message) override;

  private:
    Recorder& recorder_;
};

class RecordingLog final : public Log {
  public:
    explicit RecordingLog(Recorder& recorder) : recorder_(recorder) {}
    void Write(const std::string& line) override;

  private:
    Recorder& recorder_;
};

class RecordingShell final : public Shell {
  public:
    explicit RecordingShell(Recorder& recorder) : recorder_(recorder) {}
    std::string Run(const std::string& commandLine) override;

  private:
    Recorder& recorder_;
};

// Preferences kept in memory for one run, all false at first.
class MemoryPreferences final : public Preferences {
  public:
    bool GetBool(const std::string& key) override { return values_[key]; }
    void SetBool(const std::string& key, bool value) override { values_[key] = value; }
    void Remove(const std::string& key) override { values_.erase(key); }

  private:
    std::map<std::string, bool> values_;
};

// Writes land in memory, so a read later in the same pass finds them. Other
// reads look through to a real file system when one is given; presence
// checks ask `present` too (a dry run counts every client as installed).
// So that a dry run predicts the real one, writes fail here where they
// surely would there: a path with a NUL byte, a name longer than a file
// system takes, or a directory that neither stands there nor was made.
class RecordingFileSystem final : public FileSystem {
  public:
    using Presence = std::function<bool(const std::string& path)>;

    RecordingFileSystem(Recorder& recorder, FileSystem* lookThrough, Presence present = {})
        : recorder_(recorder), lookThrough_(lookThrough), present_(std::move(present)) {}

    bool Exists(const std::string& path) override;
    bool CreateDirectory(const std::string& path, unsigned mode) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t limit) override;
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode) override;

  private:
    Recorder& recorder_;
    FileSystem* lookThrough_;
    Presence present_;
    std::map<std::string, std::string> written_;
    std::set<std::string> directories_;  // made by CreateDirectory, parents included
};

}  // namespace torvale
