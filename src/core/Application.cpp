#include "core/Application.h"

#include <algorithm>
#include <span>
#include <utility>

#include "base/Path.h"
#include "base/Text.h"
#include "core/Alerts.h"
#include "core/Executor.h"
#include "core/gateway/Gateway.h"
#include "core/launchers/Launchers.h"
#include "core/plan/AlertTitles.h"
#include "core/request/LinkWarnings.h"

namespace torvale {

void Application::applicationWillFinishLaunching(const std::string& homeDirectory,
                                                 std::string_view searchPath) {
    Exclusively([&] {
        Locate(homeDirectory, searchPath);

        // The directory will hold connection files with passwords in them.
        // Without it every .rdp launch fails later, so say so now.
        std::string why;
        if (!platform_.files.CreateDirectory(ConfigDir, 0700, &why)) {
            platform_.log.Write("Not made: " + ConfigDir + ": " + why);
            Alert(platform_, titles::kSorry, "无法创建用户数据目录：" + ConfigDir);
        } else if (const auto made = platform_.files.Inspect(ConfigDir);
                   made && made->mode != 0700) {
            // Made by an earlier version, by hand or under a looser umask:
            // others could list the connection files and sockets in it.
            if (platform_.files.SetMode(ConfigDir, 0700, &why))
                platform_.log.Write("Made private: " + ConfigDir + " had mode " +
                                    Octal(made->mode));
            else
                platform_.log.Write("Not made private: " + ConfigDir + ": " + why);
        }
        // A folder of our own in the temporary directory, which is every
        // program's: the sweep below must find only what we left.
        temporaryDir_ = OwnTemporaryDirectory();
        if (!temporaryDir_.empty() && !platform_.files.CreateDirectory(temporaryDir_, 0700, &why)) {
            platform_.log.Write("Not made: " + temporaryDir_ + ": " + why);
            temporaryDir_.clear();
        }
        // What a writer killed halfway left behind may hold a password, and
        // so do the connection files of earlier launches: their clients read
        // them at once, and a password must not stay in the user's
        // Documents (which iCloud may upload) for good.
        RemoveLeftovers();
        sweptAtStart_ = true;
        // Only where nothing is: an administrator or a deployment tool may
        // be writing an allow-list there at this very moment.
        if (!platform_.files.CreateEmptyFile(ConfigurationPath(), 0644, &why) &&
            !platform_.files.Exists(ConfigurationPath())) {
            platform_.log.Write("Not made: " + ConfigurationPath() + ": " + why);
        }
    });
}

std::string Application::OwnTemporaryDirectory() const {
    // Only a terminal that runs a script (Terminal.app) leaves anything
    // there, and on Windows the password files of PuTTY and WinSCP.
    const auto& terminals = clients_.terminal.programs;
    if (temporaryBase_.empty() ||
        (std::none_of(terminals.begin(), terminals.end(),
                      [](const ClientProgram& p) { return p.opensScript; }) &&
         !clients_.passwordsOffCommandLine))
        return {};
    return JoinPath(temporaryBase_, "torvale", clients_.separator);
}

void Application::RemoveLeftovers() {
    // The terminal scripts remove themselves as they start; one that did not
    // start is of no use a minute later. Each directory is read once.
    const std::pair<const std::string*, std::span<const std::string_view>> leftovers[] = {
        {&ConfigDir, kLeftoversInDataDir}, {&temporaryDir_, kLeftoversInTemporaryDir}};
    for (const auto& [directory, kinds] : leftovers) {
        std::string why;
        if (!directory->empty() && !platform_.files.RemoveLeftovers(*directory, kinds, &why))
            platform_.log.Write("Not all removed: what earlier launches left in " + *directory +
                                ": " + why);
    }
}

void Application::Locate(const std::string& homeDirectory, std::string_view searchPath) {
    home_ = homeDirectory;
    searchPath_ = searchPath;
    ConfigDir = !dataDir_.empty()
                    ? dataDir_
                    : JoinPath(JoinPath(homeDirectory, "Documents", clients_.separator), "torvale",
                               clients_.separator);
}

void Application::handleURLEvent(const Field& urlText) {
    Decoded decoded;
    if (urlText) {
        DecodeFailure failure{};
        decoded.fieldText = DecodeLaunchUrl(*urlText, &failure);
        if (!decoded.fieldText) decoded.failure = failure;
    }
    if (exclusive_) {
        if (pendingPasses_.size() < kPendingLimit) {
            pendingPasses_.push_back(std::move(decoded));
        } else if (!std::exchange(droppedSinceDrained_, true)) {
            platform_.log.Write("Launch URLs dropped: " + std::to_string(kPendingLimit) +
                                " already wait for the current one");
        }
        return;
    }
    Exclusively([&] { RunPass(decoded); });
}

void Application::Exclusively(const std::function<void()>& work) {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{exclusive_};
    exclusive_ = true;

    work();
    while (!pendingPasses_.empty()) {
        const Decoded next = std::move(pendingPasses_.front());
        pendingPasses_.pop_front();
        RunPass(next);
    }
    droppedSinceDrained_ = false;
}

void Application::RunPass(const Decoded& decoded) {
    // The macOS application is resident and starts rarely: every pass also
    // removes the connection files earlier ones left a minute ago or more
    // (the first pass after start-up, which has just done so, aside).
    if (!std::exchange(sweptAtStart_, false)) RemoveLeftovers();
    pass_ = PassRecord{};
    pass_.decodeFailure = decoded.failure;
    // Read afresh for every pass, so that an administrator's change counts
    // from the next launch URL on.
    const Configuration config = LoadConfiguration();
    pass_.request = ReadRequest(decoded.fieldText);
    // What the dry run warns of, the pass says too: a link (a signed one,
    // which verifies all the same) that misses its first field.
    const std::string unread = decoded.fieldText ? UnreadHeadWarning(*decoded.fieldText) : "";
    if (!unread.empty()) platform_.log.Write("Launch URL: " + unread);
    pass_.signature = CheckLinkSignature(pass_.request.url, config.signing, platform_.verifier,
                                         platform_.usedLinks, now_());
    pass_.unsignedLinks = config.signing.Required();

    const Routing routing = Resolve(FindRoute(pass_.request.action), pass_.request, config);
    const std::string passName = processName_ + "-" + std::to_string(++passes_);
    const ClientChoice& client = routing.client;
    // No program runs for a link whose signature fails, not even `ssh -V`.
    const std::string sshRelease = pass_.signature.verdict != LinkSignature::Invalid &&
                                           routing.terminal && client.app == &clients_.openSSH &&
                                           client.found
                                       ? SshRelease(client.found->path)
                                       : std::string();
    const LaunchContext context = {clients_,
                                   routing.client,
                                   ConfigDir,
                                   home_,
                                   routing.terminal ? &*routing.terminal : nullptr,
                                   routing.inTerminalBecause,
                                   askpassHelper_,
                                   passName,
                                   temporaryDir_.empty() ? ConfigDir : temporaryDir_,
                                   sshRelease};
    pass_.plan = PlanLaunch(routing.route, routing.launcher, pass_.request, context);
    pass_.record = Execute(pass_.plan, config, pass_.signature, platform_);
    // The alert of a link that does not decode (未知接口) says nothing of why.
    if (const auto& failure = pass_.decodeFailure; failure && pass_.record.detail.empty())
        pass_.record.detail = "not decoded: " + std::string(failure->reason) + " at byte " +
                              std::to_string(failure->offset);
    if (pass_.record.detail.empty()) pass_.record.detail = unread;
    pass_.record.alertsSilenced = torvale::AlertsSuppressed(platform_);

    // The history is shown to anyone at the screen. It holds no secret: its
    // host, detail and client are no place a secret stands.
    // A client still starting is watched on: its watcher writes the line
    // once it knows how the client ended.
    if (!pass_.record.watched) platform_.log.Pass(PassLine(pass_.record));
    history_.Add(pass_.record);
}

const std::string& Application::SshRelease(const std::string& ssh) {
    const auto known = sshReleases_.find(ssh);
    if (known != sshReleases_.end()) return known->second;
    return sshReleases_[ssh] = platform_.shell.VersionOf(ssh, nullptr).value_or(std::string());
}

Configuration Application::ReadSystemConfiguration(bool* present) {
    return torvale::ReadSystemConfiguration(platform_.files, platform_.ini, platform_.verifier,
                                            systemConfiguration_, clients_.Names(), home_, present);
}

Configuration Application::ReadConfiguration() {
    bool present = false;
    return Combined(ReadSystemConfiguration(&present),
                    torvale::ReadConfiguration(platform_.files, platform_.ini, platform_.verifier,
                                               ConfigurationPath(), clients_.Names(), home_));
}

Configuration Application::LoadConfiguration() {
    auto report = [this](const Configuration& config, const std::string& path) {
        // The alert says why on a line of its own, in the words --doctor
        // uses, and the command that mends an administrator's file.
        const std::string where =
            config.errorLine != 0 ? path + ":" + std::to_string(config.errorLine) : path;
        if (!config.unreadable && config.errorLine == 0) return;
        platform_.log.Write("Not read: " + where + ": " + config.error);
        Alert(platform_, titles::kSorry,
              "配置文件有误：" + where + "\n" + config.error +
                  (config.fix.empty() ? "" : "\n修复命令：" + config.fix));
    };
    bool present = false;
    const Configuration system = ReadSystemConfiguration(&present);
    report(system, systemConfiguration_);
    Configuration user =
        torvale::ReadConfiguration(platform_.files, platform_.ini, platform_.verifier,
                                   ConfigurationPath(), clients_.Names(), home_);
    report(user, ConfigurationPath());
    return Combined(system, std::move(user));
}

MachineFacts Application::Facts() {
    // A script that starts a terminal is short; what is not read whole in
    // 64 KiB is taken for the program itself.
    return {searchPath_,
            [this](const std::string& path) { return appInstalled(path); },
            [this](const std::string& path) { return platform_.files.Resolved(path); },
            [this](const std::string& path) {
                const auto text = platform_.files.ReadFile(path, 64 * 1024, nullptr);
                return text && text->starts_with("#!");
            },
            registered_,
            expanded_};
}

ClientChoice Application::Choose(const ClientApp& app, const Configuration& config) {
    return ChooseClient(app, clients_, config, Facts());
}

Routing Application::Resolve(const Route* route, const Request& request,
                             const Configuration& config) {
    return torvale::Resolve(route, request, config, clients_, Facts());
}

bool Application::appInstalled(std::string_view path) {
    return platform_.files.Exists(std::string(path));
}

bool Application::AlertsSuppressed() {
    return torvale::AlertsSuppressed(platform_);
}

bool Application::TurnAlertsBackOn() {
    std::string why;
    if (torvale::TurnAlertsBackOn(platform_, &why)) return true;
    platform_.log.Write("Alerts not turned back on: " + why);
    return false;
}

std::vector<std::string> Application::TrustedGateways() {
    return torvale::TrustedGateways(platform_.preferences);
}

bool Application::ForgetGateways() {
    std::string why;
    if (torvale::ForgetGateways(platform_.preferences, &why)) return true;
    platform_.log.Write("Trusted hosts not forgotten: " + why);
    return false;
}

}  // namespace torvale
