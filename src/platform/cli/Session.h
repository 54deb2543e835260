#pragma once

// The start-up that both command-line front ends, torvale and
// torvale-desktop, make before their first pass, and the ports they run on.

#include <optional>
#include <string>
#include <string_view>

#include "core/Application.h"
#include "core/config/IniTextReader.h"
#include "platform/cli/FilePreferences.h"
#include "platform/cli/StderrPorts.h"
#include "platform/crypto/SystemVerifier.h"
#include "platform/posix/PosixBackgroundTasks.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"

namespace torvale {

// An administrator's configuration.ini, which holds over the user's.
inline constexpr const char* kSystemConfiguration = "/etc/torvale/configuration.ini";

// What the environment says, checked.
struct Session {
    std::string home;             // HOME: an absolute path to an existing directory
    std::string searchPath;       // PATH, where clients given by name are looked for
    std::string preferencesPath;  // ${XDG_CONFIG_HOME:-$HOME/.config}/torvale/torvale.conf
    std::string passLogPath;      // ${XDG_STATE_HOME:-$HOME/.local/state}/torvale/torvale.log
    std::string usedLinksPath;    // the signed links used already, beside the pass log
    std::string program;          // this program's executable: ssh's askpass helper
    std::string processName;      // this process's id
    std::string temporaryDir;     // the user's own temporary directory, or empty
};

// Makes the process safe to run launch URLs in, whatever started it, then
// reads its environment. Nothing, after a line on standard error that names
// `program` and the problem, when HOME is unusable.
std::optional<Session> StartSession(std::string_view program);

// The real ports of a command-line front end; only the alert panel and how
// the shell runs a line differ between the two.
class CommandLinePlatform {
  public:
    CommandLinePlatform(const Session& session, AlertPanel& alerts, PosixShell::Mode mode)
        : preferences(files, session.preferencesPath),
          usedLinks(files, session.usedLinksPath, kUsedLinksLimit),
          shell(mode, std::chrono::seconds(2), std::chrono::seconds(20), session.program),
          log(session.passLogPath),
          background(session.program),
          alerts_(alerts),
          session_(session) {}

    PosixFileSystem files;
    FilePreferences preferences;
    FilePreferences usedLinks;
    PosixShell shell;
    StderrLog log;
    IniTextReader ini;
    PosixBackgroundTasks background;

    Platform platform() {
        return {alerts_,    preferences,      files,    shell, log, ini,
                background, SystemVerifier(), usedLinks};
    }
    // The application of a front end on these ports.
    Application App(const ClientTable& clients) {
        Application app(platform(), clients);
        app.SetSystemConfiguration(kSystemConfiguration);
        app.SetProcess(session_.program, session_.processName);
        app.SetTemporaryDirectory(session_.temporaryDir);
        return app;
    }

  private:
    AlertPanel& alerts_;
    const Session& session_;
};

}  // namespace torvale
