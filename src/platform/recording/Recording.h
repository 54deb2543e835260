#pragma once

// Seams that record what the application would do, and do none of it:
// nothing is shown, written or run. They serve the dry run, the fuzz targets
// and the benchmarks.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/AlertPanel.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"

namespace torvale {

struct RecordedEvent {
    enum class Kind { Alert, Log, CreateDirectory, WriteFile, Remove, Copy, Command };
    Kind kind;
    std::string text;    // alert title, log line, command line, or the path acted on
    std::string detail;  // alert message, file content, or the copy's target
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

  private:
    std::map<std::string, bool> values_;
};

// Writes land in memory, so a copy made later in the same pass finds them.
// Presence checks look through to a real file system when one is given, and
// can treat every client application as installed.
class RecordingFileSystem final : public FileSystem {
  public:
    RecordingFileSystem(Recorder& recorder, FileSystem* lookThrough, bool assumeClientsInstalled)
        : recorder_(recorder), lookThrough_(lookThrough), assumeClients_(assumeClientsInstalled) {}

    bool Exists(const std::string& path) override;
    bool CreateDirectory(const std::string& path, unsigned mode) override;
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode) override;
    bool Remove(const std::string& path) override;
    bool Copy(const std::string& from, const std::string& to, unsigned mode) override;

  private:
    Recorder& recorder_;
    FileSystem* lookThrough_;
    bool assumeClients_;
    // Path to content; nothing stands for a path removed in this run.
    std::map<std::string, std::optional<std::string>> overlay_;
};

}  // namespace torvale
