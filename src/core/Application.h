#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/LaunchHistory.h"
#include "core/Platform.h"
#include "core/clients/ClientTable.h"
#include "core/clients/Resolution.h"
#include "core/config/Configuration.h"
#include "core/launchers/Routing.h"
#include "core/plan/Plan.h"
#include "core/request/Request.h"
#include "core/request/UrlDecoding.h"
#include "core/signing/LinkSignature.h"

namespace torvale {

// What one request pass saw, planned and did: what the dry run prints. Unlike
// the history it holds the secrets, as the request does.
struct PassRecord {
    // Where and why the launch URL could not be decoded.
    std::optional<DecodeFailure> decodeFailure;
    Request request;
    LinkSignature signature;
    Unsigned unsignedLinks = Unsigned::Launch;  // what the signing policy does with none
    Plan plan;
    LaunchRecord record;
};

// What launches leave behind that start-up removes: the endings of the
// connection files in the data directory and of the scripts and password
// files in our own temporary folder.
inline constexpr std::string_view kLeftoversInDataDir[] = {".rdp", ".command"};
inline constexpr std::string_view kLeftoversInTemporaryDir[] = {".command", ".pw"};

// The resident application: start-up, then one request pass per launch URL.
// A pass runs one way: the URL decoded, the request read, the launcher and
// its programs resolved (with configuration.ini, read afresh), the plan made,
// the executor carrying it out, the record kept in the history and the log.
//
// applicationWillFinishLaunching, handleURLEvent, appInstalled and ConfigDir
// keep the names they have always had in this application, on purpose.
class Application {
  public:
    explicit Application(const Platform& platform, const ClientTable& clients = clients::kMacOS)
        : platform_(platform), clients_(clients) {}

    // Start-up: the user data directory, what crashed writers left in it,
    // an empty configuration.ini. `searchPath` is where a client given by
    // name is looked for (PATH).
    void applicationWillFinishLaunching(const std::string& homeDirectory,
                                        std::string_view searchPath = {});
    // Where the user's data is and where clients are looked for, and nothing
    // more: what start-up begins with, and all the checks need.
    void Locate(const std::string& homeDirectory, std::string_view searchPath = {});

    // Takes the whole launch URL text, absent when the event carried none.
    void handleURLEvent(const Field& urlText);

    // configuration.ini as it stands now, the administrator's over the
    // user's, with no alert; and the administrator's alone, in error where
    // it cannot be trusted, and whether anything is there.
    Configuration ReadConfiguration();
    Configuration ReadSystemConfiguration(bool* present);
    // The client a launch of `app` would start, with this configuration.
    ClientChoice Choose(const ClientApp& app, const Configuration& config);
    // The launcher and programs a request on `route` would have.
    Routing Resolve(const Route* route, const Request& request, const Configuration& config);
    bool appInstalled(std::string_view path);

    // "Don't show again", and the hosts trusted always. A change that cannot
    // be kept is logged and answers false.
    bool AlertsSuppressed();
    bool TurnAlertsBackOn();
    std::vector<std::string> TrustedGateways();
    bool ForgetGateways();

    Platform& platform() { return platform_; }
    const ClientTable& Clients() const { return clients_; }
    const std::string& SearchPath() const { return searchPath_; }

    // The user data directory: $HOME/Documents/torvale, or the one set.
    std::string ConfigDir;
    // Where the system says the user's documents are, where that is not
    // always $HOME/Documents (Windows' FOLDERID_Documents may be moved): the
    // data directory Locate takes instead.
    void SetDataDirectory(std::string directory) { dataDir_ = std::move(directory); }
    std::string ConfigurationPath() const {
        return ConfigDir + clients_.separator + "configuration.ini";
    }
    // An administrator's configuration.ini, which holds over the user's
    // (/etc/torvale/configuration.ini); empty: none.
    void SetSystemConfiguration(std::string path) { systemConfiguration_ = std::move(path); }
    const std::string& SystemConfigurationPath() const { return systemConfiguration_; }
    // What the time is, in seconds since 1970: when signed links expire.
    void SetClock(std::function<std::int64_t()> now) { now_ = std::move(now); }
    // The program ssh runs as its askpass helper: this one, in its askpass
    // mode (empty: none, and the user types an entrusted password); and a
    // name of this process, which no other running one has (its id), which
    // the files of its passes carry.
    void SetProcess(std::string askpassHelper, std::string processName = "0") {
        askpassHelper_ = std::move(askpassHelper);
        processName_ = std::move(processName);
    }
    // The user's own temporary directory, which no other user can list
    // (macOS: the per-user one). A launch in Terminal.app leaves its script
    // and askpass socket in a folder "torvale" there, made at start-up, out
    // of ~/Documents, which Terminal needs the user's consent to read and
    // iCloud may sync; on Windows PuTTY's and WinSCP's password files. Empty,
    // where the client table has neither, or where the folder cannot be
    // made: the data directory.
    void SetTemporaryDirectory(std::string directory) {
        temporaryDir_ = std::move(directory);
        temporaryBase_ = temporaryDir_;
    }
    // That folder "torvale", whether made yet or not; empty where the client
    // table leaves nothing there or no temporary directory was given.
    std::string OwnTemporaryDirectory() const;
    // Windows: where App Paths registers a program, and a path's "%NAME%"
    // variables expanded (MachineFacts says how they are used).
    void SetProgramLookup(std::function<std::string(std::string_view)> registered,
                          std::function<std::string(std::string_view)> expanded) {
        registered_ = std::move(registered);
        expanded_ = std::move(expanded);
    }
    // What the ssh at that path says of its release (`ssh -V`), asked once
    // in this run; empty where it cannot say.
    const std::string& SshRelease(const std::string& ssh);
    // The launch URLs handled in this run.
    const LaunchHistory& History() const { return history_; }
    // The newest request pass.
    const PassRecord& LastPass() const { return pass_; }

  private:
    // A launch URL as it waits for its pass: the field text, or why there is none.
    struct Decoded {
        Field fieldText;
        std::optional<DecodeFailure> failure;
    };

    // Runs `work` as one pass; a URL event that arrives meanwhile (a modal
    // alert runs the event loop) waits its turn instead of starting a pass
    // inside it.
    void Exclusively(const std::function<void()>& work);
    void RunPass(const Decoded& decoded);
    // configuration.ini for a pass: an error is an alert, and its reason a
    // log line.
    Configuration LoadConfiguration();
    // What earlier launches left a minute ago or more in the user data
    // directory and our own temporary one.
    void RemoveLeftovers();
    MachineFacts Facts();

    Platform platform_;
    std::string askpassHelper_;
    std::string processName_ = "0";
    std::string temporaryDir_;   // our own folder once made, else the data directory's stand-in
    std::string temporaryBase_;  // as given
    std::string dataDir_;
    std::function<std::string(std::string_view)> registered_, expanded_;
    std::string systemConfiguration_;
    std::function<std::int64_t()> now_ = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    std::map<std::string, std::string> sshReleases_;
    LaunchHistory history_;
    const ClientTable& clients_;
    std::string home_;
    std::string searchPath_;
    PassRecord pass_;
    std::size_t passes_ = 0;
    bool exclusive_ = false;
    bool sweptAtStart_ = false;
    // URL events that came during a pass; beyond kPendingLimit they are
    // dropped, so that a page cannot queue passes without end behind an alert.
    static constexpr std::size_t kPendingLimit = 32;
    std::deque<Decoded> pendingPasses_;
    bool droppedSinceDrained_ = false;
};

}  // namespace torvale
