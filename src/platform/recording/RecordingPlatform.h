#pragma once

// The null platform: ports that record what the application would do and do
// none of it. Nothing is shown, written or run. The dry run, the unit tests,
// the fuzz targets and the benchmarks all stand the application on it.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/Fail.h"
#include "core/Application.h"
#include "core/config/IniTextReader.h"

namespace torvale {

struct RecordedEvent {
    enum class Kind {
        Alert,
        Question,
        Log,
        CreateDirectory,
        WriteFile,
        Removal,
        Handover,
        Command
    };
    Kind kind;
    // Alert or question title, log line, command line, or the path acted on
    // (a handover's socket, a file to be removed).
    std::string text;
    // Alert or question message, file content, the prompts a handover
    // answers (a line feed between them: they hold none), or the seconds
    // a file may be read in.
    std::string detail;
    unsigned mode = 0;
    Answer answer = Answer::Cancel;  // what the question was answered
};

// Everything the recording ports saw, in order.
struct Recorder {
    std::vector<RecordedEvent> events;

    // The texts of the events of one kind, in order.
    std::vector<std::string> Texts(RecordedEvent::Kind kind) const;
};

class RecordingAlertPanel final : public AlertPanel {
  public:
    explicit RecordingAlertPanel(Recorder& recorder) : recorder_(recorder) {}
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;

    // Whether "don't show again" is ticked on an alert of this title; asked
    // while the alert is open. Unset: never.
    std::function<bool(const std::string& title)> ticked;
    // What every question is answered.
    Answer answer = Answer::Cancel;

  private:
    Recorder& recorder_;
};

class RecordingLog final : public Log {
  public:
    explicit RecordingLog(Recorder& recorder) : recorder_(recorder) {}
    void Write(const std::string& line) override;
    // Kept apart from the events: every pass has one.
    void Pass(const std::string& line) override { passes.push_back(line); }
    std::vector<std::string> passes;

  private:
    Recorder& recorder_;
};

// Every command "runs": its "/bin/sh -c" line is recorded and reported started.
class RecordingShell final : public Shell {
  public:
    explicit RecordingShell(Recorder& recorder) : recorder_(recorder) {}
    // Nothing it runs is ever left watched.
    CommandResult Run(const Command& command, const ClientWatch& watch) override;
    std::optional<std::string> VersionOf(const std::string& program, std::string* err) override {
        if (versionOf) return versionOf(program);
        Fail(err, "no version is given");
        return std::nullopt;
    }

    // What a program says of its version; none: nothing.
    std::function<std::optional<std::string>(const std::string& program)> versionOf;

  private:
    Recorder& recorder_;
};

// Every task is recorded and reported under way, or failing where the test
// says so.
class RecordingBackgroundTasks final : public BackgroundTasks {
  public:
    explicit RecordingBackgroundTasks(Recorder& recorder) : recorder_(recorder) {}
    bool ServeHandover(const Handover& handover, std::string* err) override;
    bool RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                        std::string* err) override;
    // Why every task fails; unset: none fails.
    std::optional<std::string> failure;
    // The secret of each handover, in order, for a test to compare: the
    // events hold none.
    std::vector<std::string> secrets;

  private:
    bool UnderWay(std::string* err) const;
    Recorder& recorder_;
};

// Preferences read from another store, when one is given, and changed only
// in memory: a pass on these ports changes nothing that outlives it.
class RecordingPreferences final : public Preferences {
  public:
    explicit RecordingPreferences(Preferences* lookThrough = nullptr) : lookThrough_(lookThrough) {}
    bool GetBool(const std::string& key) override;
    bool SetBool(const std::string& key, bool value, std::string* err) override;
    std::vector<std::string> GetList(const std::string& key) override;
    bool UpdateList(const std::string& key, const ListChange& change, std::string* err) override;
    bool Remove(const std::string& key, std::string* err) override;

    // Why every change fails, where a test says so; unset: none fails.
    std::optional<std::string> failure;

  private:
    bool Failed(std::string* err) const;

    Preferences* lookThrough_;
    // Nothing: removed.
    std::map<std::string, std::optional<bool>> bools_;
    std::map<std::string, std::optional<std::vector<std::string>>> lists_;
};

// Writes land in memory, so a read later in the same pass finds them. Other
// reads look through to a real file system when one is given. So that a dry
// run predicts the real one, writes fail here where they surely would
// there: a path with a NUL byte, a name longer than a file system takes, or
// a directory that neither stands there nor was made.
class RecordingFileSystem final : public FileSystem {
  public:
    struct File {
        std::string contents;
        unsigned mode;
        bool rootOwned = false;
    };

    RecordingFileSystem(Recorder& recorder, FileSystem* lookThrough)
        : recorder_(recorder), lookThrough_(lookThrough) {}

    bool Exists(const std::string& path) override;
    bool CreateDirectory(const std::string& path, unsigned mode, std::string* err) override;
    // Changes nothing: what it made reads as private, and a dry run leaves
    // the real modes as they are.
    bool SetMode(const std::string& path, unsigned mode, std::string* err) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t limit,
                                        std::string* err) override;
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                   std::string* err) override;
    bool CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) override;
    bool RemoveLeftovers(const std::string&, std::span<const std::string_view>,
                         std::string*) override {
        return true;
    }
    // Reads look through; what was made or written here reads as a private
    // directory or file, as a user who is not root and in none of root's
    // groups sees it.
    std::optional<PathInfo> Inspect(const std::string& path) override;
    // Through what was seeded; a folder not seeded is root's, mode 0755. A
    // path in `failing` cannot be looked at.
    bool WayTo(const std::string& path, PathWay* way, std::string* err) override;
    std::string Resolved(const std::string& path) override {
        return lookThrough_ != nullptr ? lookThrough_->Resolved(path) : path;
    }
    std::optional<std::vector<std::string>> List(const std::string& directory,
                                                 std::string* err) override;

    // What also counts as present (installed clients), besides what was
    // written or made and what the real file system holds.
    std::function<bool(const std::string& path)> present;
    // Paths where making a directory or writing fails, and reading finds
    // something unreadable: "Permission denied".
    std::set<std::string> failing;
    // A file that stands there before any pass, with no event recorded.
    void Seed(const std::string& path, std::string contents, unsigned mode = 0644,
              bool rootOwned = false);
    // A folder with its mode and owner, which no pass made.
    void SeedFolder(const std::string& path, unsigned mode, bool rootOwned);

  private:
    Recorder& recorder_;
    FileSystem* lookThrough_;
    std::map<std::string, File> written_;
    std::map<std::string, File> folders_;  // seeded, with no contents
    std::set<std::string> directories_;    // made by CreateDirectory, parents included
};

// Verifies nothing: no key is usable, every signature fails, and nothing
// has a fingerprint.
class NoSignatureVerifier final : public SignatureVerifier {
  public:
    bool UsableEs256Key(std::string_view, std::string* err) override {
        return Fail(err, "no verifier is given");
    }
    bool VerifyEs256(std::string_view, std::string_view, std::string_view,
                     std::string* err) override {
        return Fail(err, "no verifier is given");
    }
    std::optional<std::string> Sha256(std::string_view, std::string* err) override {
        Fail(err, "no verifier is given");
        return std::nullopt;
    }
};

// The recorder and every port, and the application standing on them.
class RecordingPlatform {
  public:
    // Reads look through to a real file system and real preferences where
    // given; nothing is ever written to either.
    explicit RecordingPlatform(FileSystem* realFiles = nullptr,
                               Preferences* realPreferences = nullptr,
                               Preferences* realUsedLinks = nullptr)
        : preferences(realPreferences), files(recorder, realFiles), usedLinks(realUsedLinks) {}
    RecordingPlatform(const RecordingPlatform&) = delete;
    RecordingPlatform& operator=(const RecordingPlatform&) = delete;

    Recorder recorder;
    RecordingAlertPanel alerts{recorder};
    RecordingPreferences preferences;
    RecordingFileSystem files;
    RecordingShell shell{recorder};
    RecordingLog log{recorder};
    IniTextReader ini;
    RecordingBackgroundTasks background{recorder};
    NoSignatureVerifier noVerifier;
    SignatureVerifier* verifier = &noVerifier;  // where a test or the dry run gives a real one
    RecordingPreferences usedLinks;
    // The askpass helper the application names to ssh.
    std::string askpassHelper;
    // The user's own temporary directory the application is given; empty: none.
    std::string temporaryDir;
    // The administrator's configuration.ini the application is given; empty: none.
    std::string systemConfiguration;
    // The time the application is given; unset: the system's.
    std::function<std::int64_t()> now;
    // What else is set on the application before it starts up; unset: nothing.
    std::function<void(Application&)> prepare;

    Platform platform() {
        return {alerts, preferences, files, shell, log, ini, background, *verifier, usedLinks};
    }

    // The application on these ports, started up in `home`; start-up's
    // events stay in the recorder. Replaces any application started before.
    Application& Start(const ClientTable& clients, const std::string& home,
                       std::string_view searchPath = {});
    Application& app() { return *app_; }

  private:
    std::optional<Application> app_;
};

}  // namespace torvale
