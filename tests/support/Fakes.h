#pragma once

// Fakes of the alert panel and the file system, and a harness that wires
// them, the recording shell and log and the real INI parser to an AppDelegate.

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/inih/InihParser.h"
#include "platform/recording/Recording.h"

namespace torvale::test {

class FakeAlertPanel final : public AlertPanel {
  public:
    std::vector<std::string> shown;                  // "title: message"
    std::function<bool(const std::string&)> ticked;  // by title; called while the alert is open
    bool Run(const std::string& title, const std::string& message) override {
        shown.push_back(title + ": " + message);
        return ticked && ticked(title);
    }
};

class FakeFileSystem final : public FileSystem {
  public:
    std::set<std::string> present;  // directories and clients
    std::map<std::string, std::string> files;
    std::map<std::string, unsigned> modes;
    std::set<std::string> failing;  // writes here fail; reads find it unreadable

    bool Exists(const std::string& path) override {
        return present.count(path) + files.count(path) != 0;
    }
    bool CreateDirectory(const std::string& path, unsigned) override {
        if (failing.count(path) != 0) return false;
        present.insert(path);
        return true;
    }
    std::optional<std::string> ReadFile(const std::string& path, std::size_t) override {
        if (failing.count(path) != 0) return std::nullopt;
        return files.count(path) != 0 ? files[path] : std::string();
    }
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode) override {
        if (failing.count(path) != 0) return false;
        files[path] = std::string(contents);
        modes[path] = mode;
        return true;
    }
};

// An AppDelegate on fakes, started up in kHome with kBin as the search path.
struct Harness {
    static constexpr const char* kHome = "/home/demo";
    static constexpr const char* kConfigDir = "/home/demo/Documents/torvale";

    FakeAlertPanel alerts;
    MemoryPreferences preferences;
    FakeFileSystem files;
    Recorder recorder;  // of the shell and the log
    RecordingShell shell{recorder};
    RecordingLog log{recorder};
    InihParser ini;
    AppDelegate delegate;
    const ClientTable& table;
    const std::string bin;

    explicit Harness(const ClientTable& clients = clients::kMacOS, const std::string& home = kHome,
                     std::string searchPath = "/opt/bin",
                     const std::vector<std::string>& failing = {})
        : delegate({alerts, preferences, files, shell, log, ini}, clients),
          table(clients),
          bin(std::move(searchPath)) {
        files.failing.insert(failing.begin(), failing.end());
        delegate.applicationWillFinishLaunching(home, bin);
    }

    // Every client present: the macOS bundles, or the Linux programs in the
    // search path (there is no QuendalApp for Linux).
    void InstallAll() {
        if (table.name == "linux") {
            for (const char* name : {"SecureCRT", "filezilla", "xfreerdp"})
                files.present.insert(bin + "/" + name);
            return;
        }
        for (const ClientApp* app : table.All())
            files.present.insert(std::string(app->programs.front().path));
    }

    // Hands a launch URL to the delegate as the URL event would.
    void Open(const std::string& fields) { delegate.handleURLEvent("torvale://" + fields); }

    // The command lines run, or the log lines written.
    std::vector<std::string> Recorded(RecordedEvent::Kind kind) const {
        std::vector<std::string> lines;
        for (const RecordedEvent& event : recorder.events) {
            if (event.kind == kind) lines.push_back(event.text);
        }
        return lines;
    }
};

}  // namespace torvale::test
