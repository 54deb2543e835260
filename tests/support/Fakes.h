#pragma once

// Fakes of every seam, and a harness that wires them to an AppDelegate.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/AppDelegate.h"

namespace torvale::test {

struct AlertRecord {
    std::string title;
    std::string message;
    bool operator==(const AlertRecord&) const = default;
};

class FakeAlertPanel final : public AlertPanel {
  public:
    // Called while the alert is "open"; answers whether the box is ticked.
    std::function<bool(const AlertRecord&)> onRun;
    std::vector<AlertRecord> shown;

    bool Run(const std::string& title, const std::string& message) override {
        shown.push_back({title, message});
        return onRun ? onRun(shown.back()) : false;
    }
};

class FakePreferences final : public Preferences {
  public:
    std::map<std::string, bool> values;
    bool GetBool(const std::string& key) override {
        const auto it = values.find(key);
        return it != values.end() && it->second;
    }
    void SetBool(const std::string& key, bool value) override { values[key] = value; }
};

class FakeFileSystem final : public FileSystem {
  public:
    struct File {
        std::string contents;
        unsigned mode = 0;
    };
    std::set<std::string> directories;
    std::map<std::string, File> files;
    std::set<std::string> failingPaths;   // writes and copies to these fail
    std::vector<std::string> operations;  // "write PATH", "remove PATH", ...

    bool Exists(const std::string& path) override {
        return directories.count(path) != 0 || files.count(path) != 0;
    }
    bool CreateDirectory(const std::string& path, unsigned mode) override {
        operations.push_back("mkdir " + path + " " + std::to_string(mode));
        if (failingPaths.count(path) != 0) return false;
        directories.insert(path);
        return true;
    }
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode) override {
        operations.push_back("write " + path);
        if (failingPaths.count(path) != 0) return false;
        files[path] = {std::string(contents), mode};
        return true;
    }
    bool Remove(const std::string& path) override {
        operations.push_back("remove " + path);
        return files.erase(path) != 0;
    }
    bool Copy(const std::string& from, const std::string& to, unsigned mode) override {
        operations.push_back("copy " + from + " " + to);
        const auto source = files.find(from);
        if (source == files.end() || Exists(to) || failingPaths.count(to) != 0) return false;
        files[to] = {source->second.contents, mode};
        return true;
    }
};

class FakeShell final : public Shell {
  public:
    std::vector<std::string> lines;
    std::string failure;  // returned by every Run when set
    std::string Run(const std::string& commandLine) override {
        lines.push_back(commandLine);
        return failure;
    }
};

class FakeLog final : public Log {
  public:
    std::vector<std::string> lines;
    void Write(const std::string& line) override { lines.push_back(line); }
};

// An AppDelegate on fakes, started up with the given home directory.
struct Harness {
    FakeAlertPanel alerts;
    FakePreferences preferences;
    FakeFileSystem files;
    FakeShell shell;
    FakeLog log;
    AppDelegate delegate{{alerts, preferences, files, shell, log}};

    static constexpr const char* kHome = "/home/demo";
    static constexpr const char* kConfigDir = "/home/demo/Documents/torvale";

    explicit Harness(const std::string& home = kHome) {
        delegate.applicationWillFinishLaunching(home);
    }

    void Install(const ClientApp& app) { files.directories.insert(std::string(app.bundlePath)); }
    void InstallAll() {
        for (const ClientApp* app :
             {&clients::kFileZilla, &clients::kSecureCRT, &clients::kMicrosoftRemoteDesktop,
              &clients::kRemoteDesktopConnection, &clients::kQuendalApp}) {
            Install(*app);
        }
    }

    // Hands a launch URL to the delegate as the URL event would.
    void Open(const std::string& url) { delegate.handleURLEvent(url); }
    // The same with the head already in place: "torvale://" + fields.
    void OpenFields(const std::string& fields) { Open("torvale://" + fields); }
};

}  // namespace torvale::test
