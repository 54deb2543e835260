#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AlertPanel.h"
#include "platform/ClientApps.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"

namespace torvale {

// A launch parameter or the decoded field text: a string, possibly empty, or
// absent after a failed decoding. An absent value equals no string.
using Field = std::optional<std::string>;

// The seams through which the application reaches the operating system.
struct Platform {
    AlertPanel& alerts;
    Preferences& preferences;
    FileSystem& files;
    Shell& shell;
    Log& log;
};

// The application delegate: all request state and every operation. Its
// methods are spread over intake/ and launchers/ by subsystem.
class AppDelegate {
  public:
    explicit AppDelegate(const Platform& platform) : platform_(platform) {}

    // --- Start-up (intake/Startup.cpp)
    void applicationWillFinishLaunching(const std::string& homeDirectory);

    // --- Intake (intake/UrlIntake.cpp, intake/LaunchParameters.cpp)
    // Takes the whole launch URL text, absent when the event carried none.
    void handleURLEvent(const Field& urlText);
    static Field UrlDecode(const Field& text);
    static Field GetFromUrl(const Field& text, std::string_view name);
    // The first phase of Init: all 31 parameters from `url`, then the SSH port rule.
    void FillLaunchParameters();

    // --- Dispatch (intake/Dispatch.cpp)
    void Init();

    // --- Alerts and commands (intake/Commands.cpp)
    void Alert(const std::string& title, const std::string& message);
    bool appInstalled(std::string_view path);
    void runcmd(const std::string& line);

    // --- Placeholders (intake/Dispatch.cpp)
    void StartPutty();
    void StartWinscp();
    void StartFlashXP();
    void StartPuttyMonitor();
    void StartPuttyDisplay();
    void StartRdpReplay();
    void StartMstscMonitor();

    // --- Terminal launchers (launchers/terminal/)
    void StartSecureCRT();
    void StartSecureCRTDisplay();
    void StartSecureCRTMonitor();
    void StartFileZilla();

    // --- Remote desktop launchers (launchers/rdp/)
    std::string MstscFileText();
    std::string MstscAutoRunFileText();
    void StartMstsc();
    void StartMstscAutoRun();
    void StartMstscAutoRunReplay();

    // --- Request state
    Field url;

    Field action;
    Field m_username;
    Field m_entrust_password;
    Field m_proxy_addr;
    Field m_protocol;
    Field m_password;
    Field m_sid;
    Field m_target_username;
    Field m_target_ip;
    Field m_localhost;
    Field m_screen;
    Field m_host;
    Field m_monitorport;
    Field m_monitoruser;
    Field m_monitorpassword;
    Field m_cid;
    Field m_port;
    Field m_sshport;
    Field m_rdpport;
    Field m_window_size;
    Field m_cport;
    Field m_bpp;
    Field m_path;
    Field m_entrust_username;
    Field m_rdparg;
    Field m_clipboard;
    Field m_disk;
    Field m_stime;
    Field m_crttab;
    Field m_param;
    Field m_debug;

    std::string ConfigDir;

    // The 31 launch parameters in the order they are read: URL key and member.
    struct LaunchParameter {
        std::string_view key;
        Field AppDelegate::*member;
    };
    static const std::array<LaunchParameter, 31> kLaunchParameters;

  private:
    // Runs one request pass on the given launch URL text.
    void RunPass(const Field& urlText);

    // Every working launcher opens with this: false (after the client's
    // not-found alert) when the client application is missing.
    bool OpeningCheck(const ClientApp& app);

    // `m_username` cut just after its first "--", then `m_sid`.
    std::string LoginName() const;

    // The debug alert, shown only when the launch URL's "debug" is "1".
    void ShowDebug(const std::string& text);
    // Shows a finished command line in the debug alert when asked to, then runs it.
    void DebugAndRun(const std::string& line);

    Platform platform_;
    bool inPass_ = false;
    std::deque<Field> pendingEvents_;
};

// The value of a launch parameter, with absent read as empty. Launchers run
// only after a successful decoding, where no parameter is absent.
inline const std::string& Str(const Field& field) {
    static const std::string empty;
    return field ? *field : empty;
}

}  // namespace torvale
