#pragma once

// The start-up of the Windows programs, torvalew.exe and torvale.exe, and
// the ports they run on: the one place where the Windows ports are made.

#include <cstdio>
#include <optional>
#include <string>

#include "core/Application.h"
#include "core/config/IniTextReader.h"
#include "platform/crypto/SystemVerifier.h"
#include "platform/recording/RecordingPlatform.h"
#include "platform/windows/WindowsLog.h"

namespace torvale {

// What the system says of this user and process. Paths are written with
// "/", as the core joins them; Windows takes either.
struct WindowsSession {
    std::string home;         // the profile folder (FOLDERID_Profile)
    std::string searchPath;   // PATH
    std::string passLogPath;  // %LOCALAPPDATA%/Torvale/torvale.log
    std::string program;      // this program's executable
    std::string processName;  // this process's id
};

// Nothing, with why in `err`, when a folder cannot be had.
std::optional<WindowsSession> StartWindowsSession(std::string* err);

// The ports of the Windows programs. STAND-IN marks each port whose Windows
// port is not built yet: it is a recording port, which shows nothing of the
// system and changes nothing in it, so that until then a launch asks its
// question and logs its pass but starts no client and keeps no trust.
class WindowsPlatform {
  public:
    // `logStream`: where log lines go, null for the debugger (torvalew.exe).
    WindowsPlatform(const WindowsSession& session, AlertPanel& alerts, std::FILE* logStream)
        : log(session.passLogPath, logStream), alerts_(alerts), session_(session) {
        // STAND-IN: every client counts as installed.
        files.present = [](const std::string&) { return true; };
    }

    Recorder recorder;                             // what the stand-ins were asked
    RecordingFileSystem files{recorder, nullptr};  // STAND-IN for the Windows file system
    RecordingPreferences preferences;              // STAND-IN for the registry preferences
    RecordingPreferences usedLinks;                // STAND-IN, beside them
    RecordingShell shell{recorder};                // STAND-IN for WindowsShell
    WindowsLog log;
    IniTextReader ini;
    RecordingBackgroundTasks background{recorder};  // STAND-IN

    Platform platform() {
        return {alerts_,    preferences,      files,    shell, log, ini,
                background, SystemVerifier(), usedLinks};
    }
    // The application of the Windows programs on these ports.
    Application App() {
        Application app(platform(), clients::kWindows);
        app.SetProcess(session_.program, session_.processName);
        return app;
    }

  private:
    AlertPanel& alerts_;
    const WindowsSession& session_;
};

// A pass line for a command line refused before any pass: no action, host
// or client, and the reason.
std::string RefusedCommandLine(const std::string& reason);

}  // namespace torvale
