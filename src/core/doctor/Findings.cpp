// The checks of `--doctor` and of the macOS window: how Torvale is set up
// here, judged from what the ports can see.

#include "core/doctor/Findings.h"

#include <algorithm>
#include <utility>

#include "base/Es256.h"
#include "base/Printable.h"
#include "base/ShellQuote.h"
#include "base/Text.h"
#include "core/Application.h"
#include "core/launchers/Launchers.h"
#include "core/signing/LinkSignature.h"

namespace torvale {
namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// Where a client missing was looked for, in words: a name in PATH is said
// so, never with the whole PATH.
std::string LookedFor(const ClientApp& client, const Configuration& config) {
    const std::vector<std::string> places =
        PlacesToLook(client, config, " (configuration.ini)",
                     [](std::string_view name) { return std::string(name) + " in PATH"; });
    return places.empty() ? "no place is known for it" : "looked for " + Joined(places);
}

// How a pass ended, as the pass log says it (its fifth field): a launch, a
// cancel or a refusal is what it should be; anything else failed.
Finding::Level PassLevel(std::string_view pass) {
    std::size_t at = 0;
    for (int field = 0; field < 4 && at != pass.npos; ++field)
        at = pass.find(" | ", at == 0 ? 0 : at + 3);
    const std::string_view outcome = at == pass.npos ? pass : pass.substr(at + 3);
    for (const std::string_view fine : {"launched", "cancelled", "still starting"})
        if (outcome.starts_with(fine)) return Finding::Ok;
    return outcome.starts_with("refused") ? Finding::Warn : Finding::Fail;
}

}  // namespace

std::string FindingLine(const Finding& finding) {
    static constexpr const char* kLevels[] = {"ok  ", "warn", "fail"};
    std::string line = std::string(kLevels[finding.level]) + "  " + Printable(finding.check) +
                       ": " + Printable(finding.detail);
    if (finding.level != Finding::Ok) line += "; fix: " + Printable(finding.fix);
    return line;
}

bool AnyFails(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.level == Finding::Fail; });
}

std::vector<Finding> Diagnose(Application& app, SystemFacts& facts) {
    const std::string& ConfigDir = app.ConfigDir;
    FileSystem& files = app.platform().files;
    std::vector<Finding> found;
    auto add = [&](Finding::Level level, std::string check, std::string detail,
                   std::string fix = {}) {
        found.push_back({level, std::move(check), std::move(detail), std::move(fix)});
    };

    const HandlerFacts handler = facts.Handler();
    const std::string expected = facts.ExpectedHandler();
    if (!handler.unknown.empty()) {
        add(Finding::Warn, "handler", "cannot tell what opens torvale:// links: " + handler.unknown,
            "check that xdg-utils is installed and answers: xdg-mime query default "
            "x-scheme-handler/torvale");
    } else if (handler.entry.empty() && !handler.howToRestore.empty()) {
        add(Finding::Fail, "handler",
            "nothing opens torvale:// links, and torvale.desktop is installed nowhere",
            handler.howToRestore);
    } else if (handler.entry.empty()) {
        add(Finding::Fail, "handler", "nothing opens torvale:// links", handler.howToRegister);
    } else if (handler.program.empty()) {
        add(Finding::Fail, "handler", handler.entry + " names no program", handler.howToRegister);
    } else if (!app.appInstalled(handler.program)) {
        add(Finding::Fail, "handler",
            handler.entry + " runs " + handler.program + ", which is not there",
            "reinstall torvale, or " + handler.howToRegister);
    } else if (!expected.empty() && handler.program != expected) {
        add(Finding::Warn, "handler",
            handler.entry + " runs " + handler.program + ", not " + expected,
            handler.howToRegister);
    } else {
        add(Finding::Ok, "handler", handler.entry + " runs " + handler.program);
    }

    const auto directory = files.Inspect(ConfigDir);
    if (!directory && !files.Exists(ConfigDir)) {
        // The state of every user before the first click.
        add(Finding::Ok, "data directory",
            ConfigDir + " is not made yet: the first launch makes it (mode 0700)");
    } else if (!directory || !directory->directory) {
        add(Finding::Fail, "data directory", ConfigDir + " is not a directory",
            "mv " + ShellQuote(ConfigDir) + " " + ShellQuote(ConfigDir + ".old") +
                ", then start torvale once");
    } else if (!directory->writable) {
        add(Finding::Fail, "data directory", ConfigDir + " cannot be written",
            "chmod u+w " + ShellQuote(ConfigDir));
    } else if ((directory->mode & 0777) != 0700) {
        add(Finding::Warn, "data directory",
            ConfigDir + " has mode " + Octal(directory->mode & 0777) +
                ": others may see its connection files",
            "chmod 700 " + ShellQuote(ConfigDir));
    } else {
        add(Finding::Ok, "data directory", ConfigDir + " (0700, writable)");
    }
    // One that cannot be read is said above.
    const auto names = files.List(ConfigDir, nullptr).value_or(std::vector<std::string>{});
    const auto leftovers = std::count_if(names.begin(), names.end(), [](const std::string& name) {
        return name.starts_with(".torvale-");
    });
    // A launch removes its .rdp files once they are read, or a minute on; a
    // pass that ended before (killed, or a machine switched off) leaves them
    // to the next launch or start.
    const auto connectionFiles =
        std::count_if(names.begin(), names.end(), [](const std::string& name) {
            return name.ends_with(".rdp") || name.ends_with(".command");
        });
    if (connectionFiles > 0) {
        add(Finding::Warn, "connection files",
            std::to_string(connectionFiles) +
                " there; they may hold passwords until the next launch or start removes them "
                "(those a minute old)",
            "start torvale once, or: rm -f " + ShellQuote(ConfigDir) + "/*.rdp " +
                ShellQuote(ConfigDir) + "/*.command");
    } else {
        add(Finding::Ok, "connection files",
            "none left: each is removed once its client has read it");
    }
    if (leftovers > 0) {
        add(Finding::Warn, "temporaries",
            std::to_string(leftovers) +
                " left behind by writers that ended halfway; they may hold passwords",
            "start torvale once (start-up removes them), or: rm " + ShellQuote(ConfigDir) +
                "/.torvale-*");
    } else {
        add(Finding::Ok, "temporaries", "none left behind");
    }

    const Configuration config = app.ReadConfiguration();
    const std::string configuration = ConfigDir + "/configuration.ini";
    const std::string refusing =
        config.gatewaysInError ? "; every launch that connects is refused meanwhile" : "";
    if (config.unreadable) {
        add(Finding::Fail, "configuration.ini",
            configuration + " cannot be read (" + config.error + ")" + refusing,
            "make it a readable file, or delete it");
    } else if (config.errorLine != 0) {
        add(Finding::Fail, "configuration.ini",
            configuration + ":" + std::to_string(config.errorLine) + " cannot be read (" +
                config.error + ")" + refusing,
            "mend that line: [clients] or [gateways], \"key = value\", absolute paths, under 200 "
            "bytes");
    } else if (!config.allow.empty()) {
        add(Finding::Ok, "configuration.ini",
            "allow-list: " + Joined(config.allow) + "; nothing is asked");
    } else {
        const auto trusted = app.TrustedGateways();
        add(Finding::Ok, "configuration.ini",
            "no allow-list: a host not trusted yet is asked about; trusted: " +
                (trusted.empty() ? std::string("none") : Joined(trusted)));
    }

    // The administrator's file, and the signing keys and policy of both.
    const std::string& systemPath = app.SystemConfigurationPath();
    bool systemPresent = false;
    const Configuration system = app.ReadSystemConfiguration(&systemPresent);
    if (system.unreadable || system.errorLine != 0) {
        add(Finding::Fail, "system configuration",
            systemPath + (system.errorLine != 0 ? ":" + std::to_string(system.errorLine) : "") +
                " cannot be used (" + system.error +
                "); every launch that connects is refused until it is mended",
            system.fix);
    } else if (systemPresent) {
        add(Finding::Ok, "system configuration", systemPath + " holds over the user's");
    }
    const SigningPolicy& signing = config.signing;
    for (const SigningKey& key : signing.keys) {
        const std::string digest = app.platform().verifier.Sha256(key.der);
        if (digest.empty()) {
            add(Finding::Warn, "signing key " + key.name,
                "no fingerprint: the system's SHA-256 failed (" + key.from + ")",
                "check the system's OpenSSL");
        } else {
            add(Finding::Ok, "signing key " + key.name,
                FingerprintText(digest) + " (" + key.from + ")");
        }
    }
    const std::string from =
        signing.requireFrom.empty() ? std::string("the default") : signing.requireFrom;
    const std::string policy = "unsigned links: " + std::string(RequireName(signing.Required())) +
                               " (" + from + "); signed links live " +
                               std::to_string(signing.MaxAge()) + " s at most";
    if (signing.keys.empty() && signing.Required() == Unsigned::Refuse) {
        add(Finding::Fail, "signing", policy + ", and no key is known: every link is refused",
            "add the gateway's key.NAME under [signing]");
    } else {
        add(Finding::Ok, "signing", policy);
    }

    // Past the limit a check no longer sees the links used; marking one used
    // still does, and drops those expired.
    if (const std::string used = facts.UsedLinksPlace(); !used.empty()) {
        std::string why;
        if (!files.ReadFile(used, kUsedLinksLimit, &why))
            add(Finding::Warn, "used links",
                used + " cannot be read whole (" + why +
                    "): the next signed link drops from it those expired",
                "if this stays: lower max_age under [signing] in configuration.ini; or rm " +
                    ShellQuote(used) + ", which lets the links used lately be used again");
    }

    bool certificatesTold = false;
    for (const ClientApp* client : app.Clients().All()) {
        const ClientChoice choice = app.Choose(*client, config);
        const auto configured = config.clients.find(std::string(client->name));
        if (const auto& where = choice.found;
            where && configured != config.clients.end() && where->path != configured->second.path) {
            // A path given and not found is no silent fallback.
            add(Finding::Warn, "client " + std::string(client->name),
                configured->second.path +
                    " (configuration.ini:" + std::to_string(configured->second.line) +
                    ") is not there; " + where->path + " is used instead",
                "mend the path under [clients] in configuration.ini, or remove the line");
        } else if (where) {
            add(Finding::Ok, "client " + std::string(client->name),
                where->path + " (" + (where->reason.empty() ? "its usual place" : where->reason) +
                    ")");
        } else if (client == &app.Clients().secureCRT && app.Clients().sshWithoutSecureCRT) {
            add(Finding::Ok, "client SecureCRT",
                "not installed: SSH and Telnet links open in a terminal instead");
        } else if (client->programs.empty() || client->programs.front().path.empty()) {
            add(Finding::Ok, "client " + std::string(client->name),
                "none is known for this system: its links say so, unless its path is given "
                "under [clients] in configuration.ini");
        } else {
            add(Finding::Warn, "client " + std::string(client->name),
                "not found (" + LookedFor(*client, config) + "): its links cannot open",
                "install it, or give its path under [clients] in configuration.ini");
        }
        // FreeRDP's question about a certificate, and where "always" keeps it.
        if (choice.found && choice.found->form->asksOnTerminal &&
            !std::exchange(certificatesTold, true))
            add(Finding::Ok, "certificates",
                "FreeRDP asks in the dialog 确认证书 about a server's certificate it cannot "
                "verify; one trusted with 始终信任 stays in FreeRDP's own store: delete its "
                "host's line from ~/.config/freerdp/known_hosts2 (FreeRDP 2), or its file in "
                "~/.config/freerdp/server/ (FreeRDP 3), to be asked again");
    }

    // Where a click on the most common link goes.
    const Routing ssh = app.Resolve(FindRoute("StartSecureCRT"), Request{}, config);
    const std::string why(ssh.inTerminalBecause);
    if (!ssh.terminal) {
        add(ssh.client.found ? Finding::Ok : Finding::Fail, "ssh links",
            ssh.client.found ? "open in SecureCRT" : "SecureCRT not found: they cannot open",
            "install SecureCRT, or set \"SSH = openssh\" under [clients] in configuration.ini");
    } else {
        const ClientChoice& terminal = *ssh.terminal;
        const std::string_view old =
            ssh.client.found ? SshWithoutForcedAskpass(app.SshRelease(ssh.client.found->path))
                             : std::string_view();
        if (ssh.client.found && terminal.found) {
            const std::string opens =
                "open " + ssh.client.found->path + " in " + terminal.found->path + " (" + why + ")";
            if (old.empty()) {
                add(Finding::Ok, "ssh links", opens);
            } else {
                add(Finding::Warn, "ssh links",
                    opens + ", but " + std::string(old) +
                        " takes no password from Torvale (OpenSSH 8.4 and later do): a password "
                        "a link entrusts is to be typed",
                    "install OpenSSH 8.4 or later, and give its path (\"OpenSSH = "
                    "/usr/local/bin/ssh\") under [clients] in configuration.ini");
            }
        } else {
            add(Finding::Fail, "ssh links",
                why + ", and " + (ssh.client.found ? "no terminal" : "no ssh") +
                    " found: they cannot open",
                app.Clients().sshWithoutSecureCRT ? "apt-get install openssh-client xterm"
                : ssh.client.found
                    ? "give the terminal's path (\"SSH = /Applications/iTerm.app\") "
                      "under [clients] in configuration.ini"
                    : "give ssh's path (\"OpenSSH = /usr/local/bin/ssh\") under [clients] "
                      "in configuration.ini");
        }
    }

    std::string fontUnknown;
    if (const auto font = facts.ChineseFont(&fontUnknown); !fontUnknown.empty()) {
        add(Finding::Warn, "font", "cannot tell whether a font has Chinese glyphs: " + fontUnknown,
            "check that fontconfig answers: fc-list :lang=zh family");
    } else if (font && !*font) {
        add(Finding::Warn, "font", "no font with Chinese glyphs: the dialogs would show boxes",
            "apt-get install fonts-wqy-microhei");
    } else if (font) {
        add(Finding::Ok, "font", "a font with Chinese glyphs is installed");
    }
    if (const auto display = facts.Display(); display && !*display) {
        add(Finding::Warn, "display",
            "none: torvale-desktop would write its alerts on standard error and answer the trust "
            "question no",
            "run it from a desktop session");
    } else if (display) {
        add(Finding::Ok, "display", "dialogs can be shown");
    }
    // Where to look when a click did nothing: the last passes.
    const std::string log = facts.PassLogPlace();
    const std::vector<std::string> passes =
        log.empty() ? std::vector<std::string>() : facts.LastPasses(3);
    if (!log.empty()) {
        add(Finding::Ok, "log",
            log + (passes.empty() ? ": no pass logged yet" : ": the last passes follow"));
        for (const std::string& pass : passes)
            add(PassLevel(pass), "pass", pass,
                "mend what its outcome says; the next click tries anew");
    }
    // Silenced alerts fail a launch in silence: that is a failure once one has.
    const bool unseen = std::any_of(passes.begin(), passes.end(), [](std::string_view pass) {
        return pass.ends_with(kAlertsSilenced) && PassLevel(pass) != Finding::Ok;
    });
    if (app.AlertsSuppressed()) {
        add(unseen ? Finding::Fail : Finding::Warn, "alerts",
            "silenced by \"don't show again\" (" + facts.PreferencesPlace() + ")" +
                (unseen ? ", and a pass since ended without launching, its alert unseen" : ""),
            facts.HowToShowAlerts());
    } else {
        add(Finding::Ok, "alerts", "shown (" + facts.PreferencesPlace() + ")");
    }
    return found;
}

}  // namespace torvale
