#pragma once

// The start-up of the Windows programs, torvalew.exe and torvale.exe, and
// the ports they run on: the one place where the Windows ports are made.

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Application.h"
#include "core/config/IniTextReader.h"
#include "platform/crypto/SystemVerifier.h"
#include "platform/windows/KnownFolders.h"
#include "platform/windows/RegistryPreferences.h"
#include "platform/windows/WindowsBackgroundTasks.h"
#include "platform/windows/WindowsFileSystem.h"
#include "platform/windows/WindowsLog.h"
#include "platform/windows/WindowsShell.h"

namespace torvale {

// What the system says of this user and process. Paths are written with
// "\\", as the Windows client table joins them and the ports hand them back.
struct WindowsSession {
    std::string searchPath;   // PATH
    WindowsPlaces places;     // the known folders: home, data, pass log, configuration
    std::string program;      // this program's executable
    std::string processName;  // this process's id
};

// Nothing, with why in `err`, when a folder cannot be had.
std::optional<WindowsSession> StartWindowsSession(std::string* err);

// Where the application of this session finds this user's folders and the
// clients installed: the same for a pass and for a dry run of one.
void PlaceApplication(Application& app, const WindowsSession& session);

// The ports of the Windows programs. A client still running when its pass
// ends is watched by a thread of this process (WindowsShell), and a password
// file removed by another (WindowsBackgroundTasks) once that client has read
// it: the ports finish both, in that order, before they go, so that the
// process outlives them.
class WindowsPlatform {
  public:
    // `logStream`: where log lines go, null for the debugger (torvalew.exe).
    WindowsPlatform(const WindowsSession& session, AlertPanel& alerts, std::FILE* logStream)
        : log(session.places.PassLogPath(), logStream), alerts_(alerts), session_(session) {}
    ~WindowsPlatform() { Finish(); }
    WindowsPlatform(const WindowsPlatform&) = delete;
    WindowsPlatform& operator=(const WindowsPlatform&) = delete;

    WindowsFileSystem files;
    RegistryPreferences preferences{RegistryPreferences::kSettingsKey};
    RegistryPreferences usedLinks{RegistryPreferences::kUsedLinksKey, kUsedLinksLimit};
    WindowsLog log;
    IniTextReader ini;
    WindowsBackgroundTasks background;
    // Last of the ports: its watches report to the log and the alerts, and
    // it hands each client it starts to `background`, for the files its
    // pass wrote.
    WindowsShell shell{
        [this](const WatchedPass& pass, Outcome outcome, const std::string& detail,
               const std::string& alert) { ReportLateEnd(pass, outcome, detail, alert); },
        std::chrono::seconds(2),
        [this](HANDLE process, const std::vector<std::string>& argv) {
            std::string why;
            if (!background.ClientStarted(process, argv, &why))
                log.Write("Client not watched for reading its files: " + why);
        }};

    Platform platform() {
        return {alerts_,    preferences,      files,    shell, log, ini,
                background, SystemVerifier(), usedLinks};
    }
    // The application of the Windows programs on these ports.
    Application App();
    // Waits for the clients still watched, then removes their password files.
    void Finish() {
        shell.Finish();
        background.Finish();
    }

  private:
    // From a watch's thread: the pass line of a client that outlived its
    // pass, and the alert of one that failed.
    void ReportLateEnd(const WatchedPass& pass, Outcome outcome, const std::string& detail,
                       const std::string& alert);

    AlertPanel& alerts_;
    const WindowsSession& session_;
    std::mutex reportLock_;
};

// A pass line for a command line refused before any pass: no action, host
// or client, and the reason.
std::string RefusedCommandLine(const std::string& reason);

}  // namespace torvale
