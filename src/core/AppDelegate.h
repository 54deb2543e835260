#pragma once

#include <array>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/LaunchHistory.h"
#include "core/clients/ClientTable.h"
#include "core/clients/Resolution.h"
#include "core/config/Configuration.h"
#include "core/config/Trust.h"
#include "core/doctor/Doctor.h"
#include "core/intake/UrlDecoding.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/FileSystem.h"
#include "core/ports/IniParser.h"
#include "core/ports/Log.h"
#include "core/ports/Preferences.h"
#include "core/ports/Shell.h"
#include "core/ports/SystemFacts.h"

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
    IniParser& ini;
};

inline constexpr std::size_t kLaunchParameterCount = 31;

// What one request pass saw and did: what the dry run prints. Unlike the
// history it holds the passwords, as the launch parameters do.
struct PassRecord {
    // Where and why the launch URL could not be decoded.
    std::optional<DecodeFailure> decodeFailure;
    // The launch parameters as filled, before any launcher rewrote one, in
    // the order of AppDelegate::kLaunchParameters.
    std::array<Field, kLaunchParameterCount> parameters;
    LaunchRecord record;
};

// The application delegate: all request state and every operation. Its
// methods are spread over intake/, clients/, launchers/ and doctor/ by
// subsystem; config/ holds what they read and ask.
//
// handleURLEvent, runcmd, appInstalled, Init, GetFromUrl, UrlDecode,
// ConfigDir, the Start... launchers, MstscFileText and the m_ parameters keep
// the names they have always had in this application, spelling included, on
// purpose.
class AppDelegate {
  public:
    explicit AppDelegate(const Platform& platform, const ClientTable& clients = clients::kMacOS)
        : platform_(platform), clients_(clients) {}

    // --- Start-up (intake/Startup.cpp)
    // `searchPath` is where a client given by name is looked for (PATH).
    void applicationWillFinishLaunching(const std::string& homeDirectory,
                                        std::string_view searchPath = {});
    // Where the user's data is and where clients are looked for, and nothing
    // more: what start-up begins with, and all the checks need.
    void Locate(const std::string& homeDirectory, std::string_view searchPath = {});

    // --- Alerts (intake/Alerts.cpp)
    void Alert(const std::string& title, const std::string& message);
    // Whether "don't show again" was ticked, and showing alerts again after it.
    bool AlertsSuppressed();
    void TurnAlertsBackOn();

    // --- Trust (launchers/Checks.cpp)
    // The hosts the user chose to trust always, in the order trusted.
    std::vector<std::string> TrustedGateways();
    void ForgetGateways();

    // --- Checks of the set-up (doctor/Doctor.cpp), once located; they change nothing
    std::vector<Finding> Diagnose(SystemFacts& facts);

    // --- Intake (intake/UrlIntake.cpp, intake/LaunchParameters.cpp)
    // Takes the whole launch URL text, absent when the event carried none.
    void handleURLEvent(const Field& urlText);
    static Field UrlDecode(const Field& text);
    static Field GetFromUrl(const Field& text, std::string_view name);

    // --- Dispatch (intake/Dispatch.cpp)
    void Init();

    // --- Clients and commands (clients/Resolution.cpp, intake/CommandRunner.cpp)
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

    // The launch URLs handled in this run.
    LaunchHistory history;
    // The newest request pass.
    const PassRecord& LastPass() const { return pass_; }

    // The launch parameters in the order they are read: URL key and member.
    struct LaunchParameter {
        std::string_view key;
        Field AppDelegate::*member;
    };
    static const std::array<LaunchParameter, kLaunchParameterCount> kLaunchParameters;

  private:
    // A launch URL as it waits for its pass: the field text, or why there is none.
    struct Decoded {
        Field fieldText;
        std::optional<DecodeFailure> failure;
    };

    // A launch URL key and whether its value is unsafe where it stands.
    struct Check {
        std::string_view key;
        bool unsafe;
    };

    // Runs `work` as one pass; a URL event that arrives meanwhile (a modal
    // alert runs the event loop) waits its turn instead of refilling the
    // launch parameters under it.
    void Exclusively(const std::function<void()>& work);
    // Runs one request pass on a decoded launch URL.
    void RunPass(const Decoded& decoded);
    // The first phase of Init: all 31 parameters from `url`, then the SSH port rule.
    void FillLaunchParameters();
    // configuration.ini, read afresh for every pass; an error is an alert
    // when `alert` says so.
    void LoadConfiguration(bool alert = true);

    // Every working launcher opens with this: the client found, or nothing
    // (after the client's not-found alert) when it is missing.
    std::optional<ResolvedClient> OpeningCheck(const ClientApp& app);
    // The command line up to the launcher's own arguments.
    std::string CommandPrefix(const ResolvedClient& client) const;
    // Whether the launch may go on: no check finds its value unsafe (else one
    // alert), and the host is allowed (else one alert) or, when nothing
    // decides for it, the user answers the trust question with connect.
    // Nothing is written or run before it answers true.
    bool Permitted(const Destination& destination, std::initializer_list<Check> checks);

    // `m_username` cut just after its first "--", then `m_sid`.
    std::string LoginName() const;
    // The key whose value begins the login name.
    std::string_view LoginKey() const;
    // The monitor and display lines differ only in the login name's
    // separators and in the switches ahead of it.
    void StartSecureCRTMonitoring(std::string_view switches, std::string_view afterUser,
                                  std::string_view afterSid);
    // Where an .rdp launch connects, and what it shares there.
    Destination RemoteDesktop(const ClientApp& app);
    // Writes a connection file, or says that it could not and answers false.
    bool WriteConnectionFile(const std::string& path, const std::string& text,
                             const std::string& failure);

    // A placeholder action's alert.
    void Placeholder(const std::string& message);
    // The debug alert, shown only when the launch URL's "debug" is "1".
    void ShowDebug(const std::string& text);
    // Shows a finished command line in the debug alert when asked to, then runs it.
    void DebugAndRun(const std::string& line);

    Platform platform_;
    const ClientTable& clients_;
    std::string home_;
    std::string searchPath_;
    Configuration config_;
    PassRecord pass_;
    bool exclusive_ = false;
    // URL events that came during a pass; beyond kPendingLimit they are
    // dropped, so that a page cannot queue passes without end behind an alert.
    static constexpr std::size_t kPendingLimit = 32;
    std::deque<Decoded> pendingPasses_;
    bool droppedSinceDrained_ = false;
};

// The value of a launch parameter, with absent read as empty. Launchers run
// only after a successful decoding, where no parameter is absent.
inline const std::string& Str(const Field& field) {
    static const std::string empty;
    return field ? *field : empty;
}

}  // namespace torvale
