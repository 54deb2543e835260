// The checks of `--doctor` and of the macOS window: how Torvale is set up
// here, judged from what the ports can see, one function a check.

#include "core/doctor/Findings.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

#include "base/Es256.h"
#include "base/Path.h"
#include "base/Printable.h"
#include "base/ShellQuote.h"
#include "base/Text.h"
#include "core/Application.h"
#include "core/LaunchHistory.h"
#include "core/launchers/Launchers.h"
#include "core/signing/LinkSignature.h"

namespace torvale {
namespace {

using Findings = std::vector<Finding>;

// More lines than the pass log holds (64 KiB): every pass it keeps.
constexpr std::size_t kPassesRead = 2000;

// The fix of a line of the user's configuration.ini that cannot be read.
constexpr char kMendLine[] =
    "mend that line: [clients], [gateways] or [signing], \"key = value\", absolute paths, at most "
    "198 bytes";

// How a fix is typed, and who may use a folder said, in the terms of the
// system whose client table the application has: cmd.exe and access lists
// on Windows, a POSIX shell and permission bits elsewhere.
struct Mending {
    bool windows;

    explicit Mending(const Application& app) : windows(app.Clients().ForWindows()) {}

    // A Windows path holds no double quote, so quotes keep it one word for
    // cmd.exe; a "%NAME%" in it would still be expanded there.
    std::string Quoted(const std::string& path) const {
        return windows ? "\"" + path + "\"" : ShellQuote(path);
    }
    // Files in `folder` matching `pattern`, as the shell's removal takes them.
    std::string In(const std::string& folder, std::string_view pattern) const {
        return windows ? Quoted(folder + "\\" + std::string(pattern))
                       : Quoted(folder) + "/" + std::string(pattern);
    }
    std::string Private() const { return windows ? "for you alone" : "mode 0700"; }
    std::string MoveAside(const std::string& path) const {
        return (windows ? "move " : "mv ") + Quoted(path) + " " + Quoted(path + ".old");
    }
    // The files in `folder` whose names end in one of `endings`, or, with
    // `prefix`, begin with it.
    std::string Remove(const std::string& folder, std::span<const std::string_view> endings,
                       std::string_view prefix = {}) const {
        std::string command = windows ? "del" : "rm -f";
        for (const std::string_view ending : endings)
            command += " " + In(folder, "*" + std::string(ending));
        if (!prefix.empty()) command += " " + In(folder, std::string(prefix) + "*");
        return command;
    }
    std::string MakeWritable(const std::string& folder) const {
        return windows ? "icacls " + Quoted(folder) + " /grant \"%USERNAME%\":(OI)(CI)F"
                       : "chmod u+w " + Quoted(folder);
    }
    std::string MakePrivate(const std::string& folder) const {
        if (!windows) return "chmod 700 " + Quoted(folder);
        return "icacls " + Quoted(folder) +
               " /inheritance:r /grant:r \"%USERNAME%\":(OI)(CI)F, then remove each other "
               "account icacls " +
               Quoted(folder) + " lists with: icacls " + Quoted(folder) + " /remove ACCOUNT";
    }
    std::string AskHandler() const {
        return windows ? "check that the registry answers: reg query "
                         "HKCU\\Software\\Classes\\torvale\\shell\\open\\command"
                       : "check that xdg-utils is installed and answers: xdg-mime query default "
                         "x-scheme-handler/torvale";
    }
};

// A pass as the log keeps it: the line, as the user knows it, and what it says.
struct LoggedPass {
    std::string line;
    LaunchRecord record;
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// Where a client missing was looked for, in words: a name in PATH is said
// so, never with the whole PATH.
std::string LookedFor(const ClientApp& client, const ClientTable& table,
                      const Configuration& config) {
    const std::string_view in = table.installFolders.empty() ? " in PATH" : " in App Paths";
    const std::vector<std::string> places =
        PlacesToLook(client, table, config, " (configuration.ini)",
                     [&](std::string_view name) { return std::string(name) + std::string(in); });
    return places.empty() ? "no place is known for it" : "looked for " + Joined(places);
}

Finding Handler(Application& app, SystemFacts& facts) {
    const HandlerFacts handler = facts.Handler();
    const std::string expected = facts.ExpectedHandler();
    if (!handler.unknown.empty())
        return {Finding::Warn, "handler",
                "cannot tell what opens torvale:// links: " + handler.unknown,
                Mending(app).AskHandler()};
    if (handler.entry.empty() && !handler.howToRestore.empty())
        return {Finding::Fail, "handler",
                "nothing opens torvale:// links, and torvale.desktop is installed nowhere",
                handler.howToRestore};
    if (handler.entry.empty())
        return {Finding::Fail, "handler", "nothing opens torvale:// links", handler.howToRegister};
    if (handler.program.empty())
        return {Finding::Fail, "handler", handler.entry + " names no program",
                handler.howToRegister};
    if (!app.appInstalled(handler.program))
        return {Finding::Fail, "handler",
                handler.entry + " runs " + handler.program + ", which is not there",
                "reinstall torvale, or " + handler.howToRegister};
    if (!handler.misuse.empty())
        return {Finding::Fail, "handler",
                handler.entry + " runs " + handler.program + ", but " + handler.misuse,
                handler.howToRegister};
    if (!expected.empty() && handler.program != expected)
        return {Finding::Warn, "handler",
                handler.entry + " runs " + handler.program + ", not " + expected,
                handler.howToRegister};
    return {Finding::Ok, "handler", handler.entry + " runs " + handler.program, {}};
}

Finding DataDirectory(Application& app) {
    const std::string& folder = app.ConfigDir;
    FileSystem& files = app.platform().files;
    const Mending mend(app);
    const auto directory = files.Inspect(folder);
    // The state of every user before the first click.
    if (!directory && !files.Exists(folder))
        return {Finding::Ok,
                "data directory",
                folder + " is not made yet: the first launch makes it (" + mend.Private() + ")",
                {}};
    if (!directory || !directory->directory)
        return {Finding::Fail, "data directory", folder + " is not a directory",
                mend.MoveAside(folder) + ", then start torvale once"};
    if (!directory->writable)
        return {Finding::Fail, "data directory", folder + " cannot be written",
                mend.MakeWritable(folder)};
    // On Windows the bits are those its access list grants others.
    if ((directory->mode & 0777) != 0700)
        return {
            Finding::Warn, "data directory",
            folder +
                (mend.windows ? " lets others in" : " has mode " + Octal(directory->mode & 0777)) +
                ": others may see its connection files",
            mend.MakePrivate(folder)};
    return {Finding::Ok,
            "data directory",
            folder + (mend.windows ? " (yours alone, writable)" : " (0700, writable)"),
            {}};
}

// How many of `names` end in one of `kinds`.
std::ptrdiff_t CountOf(const std::vector<std::string>& names,
                       std::span<const std::string_view> kinds) {
    return std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return std::any_of(kinds.begin(), kinds.end(),
                           [&](std::string_view kind) { return name.ends_with(kind); });
    });
}

// What launches left in our folder of the temporary directory: the
// password files of the Windows clients, the scripts of Terminal.app.
void TemporaryLeftovers(Application& app, Findings& found) {
    const std::string folder = app.OwnTemporaryDirectory();
    if (folder.empty()) return;
    const auto names =
        app.platform().files.List(folder, nullptr).value_or(std::vector<std::string>{});
    const auto left = CountOf(names, kLeftoversInTemporaryDir);
    if (left == 0) {
        found.push_back({Finding::Ok, "temporary folder", folder + ": nothing left there", {}});
        return;
    }
    found.push_back(
        {Finding::Warn, "temporary folder",
         std::to_string(left) + " left in " + folder +
             "; a password file holds its password until the next launch or start "
             "removes it",
         "start torvale once, or: " + Mending(app).Remove(folder, kLeftoversInTemporaryDir)});
}

// What launches left in the data directory: connection files and the
// temporaries of writers that ended halfway.
void Leftovers(Application& app, Findings& found) {
    const std::string& folder = app.ConfigDir;
    // One that cannot be read is said by the data directory's check.
    const auto names =
        app.platform().files.List(folder, nullptr).value_or(std::vector<std::string>{});
    // A launch removes its .rdp files once they are read, or a minute on; a
    // pass that ended before (killed, or a machine switched off) leaves them
    // to the next launch or start.
    const auto connectionFiles = CountOf(names, kLeftoversInDataDir);
    if (connectionFiles > 0) {
        found.push_back(
            {Finding::Warn, "connection files",
             std::to_string(connectionFiles) +
                 " there; they may hold passwords until the next launch or start "
                 "removes them (those a minute old)",
             "start torvale once, or: " + Mending(app).Remove(folder, kLeftoversInDataDir)});
    } else {
        found.push_back({Finding::Ok,
                         "connection files",
                         "none left: each is removed once its client has read it",
                         {}});
    }
    const auto temporaries = std::count_if(names.begin(), names.end(), [](const std::string& name) {
        return name.starts_with(".torvale-");
    });
    if (temporaries > 0) {
        found.push_back({Finding::Warn, "temporaries",
                         std::to_string(temporaries) +
                             " left behind by writers that ended halfway; they may hold passwords",
                         "start torvale once (start-up removes them), or: " +
                             Mending(app).Remove(folder, {}, ".torvale-")});
    } else {
        found.push_back({Finding::Ok, "temporaries", "none left behind", {}});
    }
}

// The user's configuration.ini, as `config` (the administrator's over it)
// says of it.
Finding UserConfiguration(Application& app, const Configuration& config) {
    const std::string path = app.ConfigurationPath();
    const std::string refusing =
        config.gatewaysInError ? "; every launch that connects is refused meanwhile" : "";
    if (config.unreadable)
        return {Finding::Fail, "configuration.ini",
                path + " cannot be read (" + config.error + ")" + refusing,
                "make it a readable file, or delete it"};
    if (config.errorLine != 0)
        return {Finding::Fail, "configuration.ini",
                path + ":" + std::to_string(config.errorLine) + " cannot be read (" + config.error +
                    ")" + refusing,
                kMendLine};
    if (!config.allow.empty())
        return {Finding::Ok,
                "configuration.ini",
                "allow-list: " + Joined(config.allow) + "; nothing is asked",
                {}};
    const auto trusted = app.TrustedGateways();
    return {Finding::Ok,
            "configuration.ini",
            "no allow-list: a host not trusted yet is asked about; trusted: " +
                (trusted.empty() ? std::string("none") : Joined(trusted)),
            {}};
}

// The administrator's file, where there is one.
std::optional<Finding> SystemConfiguration(Application& app, const Configuration& system,
                                           bool present) {
    const std::string& path = app.SystemConfigurationPath();
    if (system.unreadable || system.errorLine != 0)
        return Finding{Finding::Fail, "system configuration",
                       path +
                           (system.errorLine != 0 ? ":" + std::to_string(system.errorLine) : "") +
                           " cannot be used (" + system.error + ")" +
                           (system.gatewaysInError
                                ? "; every launch that connects is refused until it is mended"
                                : ""),
                       system.fix};
    if (!present) return std::nullopt;
    return Finding{Finding::Ok, "system configuration", path + " holds over the user's", {}};
}

// The keys links may be signed with, what becomes of a link without a
// signature and why, and the links used already.
void Signing(Application& app, SystemFacts& facts, const Configuration& config,
             const Configuration& system, Findings& found) {
    const SigningPolicy& signing = config.signing;
    for (const SigningKey& key : signing.keys) {
        const std::optional<std::string> digest = app.platform().verifier.Sha256(key.der, nullptr);
        if (!digest) {
            found.push_back({Finding::Warn, "signing key " + key.name,
                             "no fingerprint: the system's SHA-256 failed (" + key.from + ")",
                             "check the system's OpenSSL"});
        } else {
            found.push_back({Finding::Ok,
                             "signing key " + key.name,
                             FingerprintText(*digest) + " (" + key.from + ")",
                             {}});
        }
    }
    const Unsigned required = signing.Required();
    std::string why;
    std::string fix;
    if (!signing.requireFrom.empty()) {
        why = "require = " + std::string(RequireName(required)) + ", " + signing.requireFrom;
    } else if (required != Unsigned::Refuse) {
        why = signing.keys.empty() ? "the default while no key is known"
                                   : "the default once a key is known";
    } else {
        // No default refuses: a file in error that may have required
        // signatures does, until it is mended.
        const bool administrator = system.signing.require == Unsigned::Refuse;
        const Configuration& file = administrator ? system : config;
        why = "while " + (administrator ? app.SystemConfigurationPath() : app.ConfigurationPath()) +
              ":" + std::to_string(file.errorLine) + " is in error, as it may require them";
        fix = administrator ? system.fix : std::string(kMendLine);
    }
    const std::string policy = "unsigned links: " + std::string(UnsignedLinkFate(required)) + " (" +
                               why + "); signed links live " + std::to_string(signing.MaxAge()) +
                               " s at most";
    if (!fix.empty()) {
        found.push_back({Finding::Fail, "signing", policy, fix});
    } else if (signing.keys.empty() && required == Unsigned::Refuse) {
        found.push_back({Finding::Fail, "signing",
                         policy + "; no key is known: every link is refused",
                         "add the gateway's key.NAME under [signing]"});
    } else {
        found.push_back({Finding::Ok, "signing", policy, {}});
    }

    // Past the limit a check no longer sees the links used; marking one used
    // still does, and drops those expired.
    if (const std::string used = facts.UsedLinksPlace(); !used.empty()) {
        std::string err;
        if (!app.platform().files.ReadFile(used, kUsedLinksLimit, &err))
            found.push_back(
                {Finding::Warn, "used links",
                 used + " cannot be read whole (" + err +
                     "): the next signed link drops from it those expired",
                 "if this stays: lower max_age under [signing] in configuration.ini; or rm " +
                     ShellQuote(used) + ", which lets the links used lately be used again"});
    }
}

// Whether a logged pass needed the client: it names the client where the
// client was missing, and the path it started otherwise.
bool Needed(const ClientApp& client, const LaunchRecord& pass) {
    return pass.client == client.name ||
           std::any_of(
               client.programs.begin(), client.programs.end(), [&](const ClientProgram& program) {
                   return !program.path.empty() && BaseName(program.path) == BaseName(pass.client);
               });
}

// A client as a launch would find it now. One not found is a warning where
// it is needed: its path is configured, or a pass logged needed it; where
// no log is read, nobody can tell that it is not.
Finding Client(Application& app, const Configuration& config, const ClientApp& client,
               const ClientChoice& choice, const std::optional<std::vector<LoggedPass>>& passes) {
    const std::string check = "client " + std::string(client.name);
    const auto configured = config.clients.find(std::string(client.name));
    const bool isConfigured = configured != config.clients.end();
    const auto& where = choice.found;
    // A path given and not found is no silent fallback.
    if (where && isConfigured && where->path != configured->second.path)
        return {Finding::Warn, check,
                configured->second.path +
                    " (configuration.ini:" + std::to_string(configured->second.line) +
                    ") is not there; " + where->path + " is used instead",
                "mend the path under [clients] in configuration.ini, or remove the line"};
    if (where)
        return {
            Finding::Ok,
            check,
            where->path + " (" + (where->reason.empty() ? "its usual place" : where->reason) + ")",
            {}};
    // Windows: a client that stands in for the missing one.
    const ClientTable& table = app.Clients();
    for (const auto& [missing, standIn] :
         {std::pair{&table.secureCRT, &table.putty}, std::pair{&table.fileZilla, &table.winscp}}) {
        if (&client == missing && !standIn->name.empty())
            return {Finding::Ok,
                    check,
                    "not installed: its links open in " + std::string(standIn->name) + " instead",
                    {}};
    }
    if (&client == &app.Clients().secureCRT && app.Clients().sshWithoutSecureCRT)
        return {Finding::Ok,
                check,
                "not installed: SSH and Telnet links open in a terminal instead",
                {}};
    if (client.programs.empty() || client.programs.front().path.empty())
        return {Finding::Ok,
                check,
                "none is known for this system: its links say so, unless its path is given "
                "under [clients] in configuration.ini",
                {}};
    const bool needed = isConfigured || !passes ||
                        std::any_of(passes->begin(), passes->end(), [&](const LoggedPass& pass) {
                            return Needed(client, pass.record);
                        });
    if (!needed)
        return {Finding::Ok,
                check,
                "not found (" + LookedFor(client, app.Clients(), config) +
                    "); no link in the pass log has needed it",
                {}};
    return {Finding::Warn, check,
            "not found (" + LookedFor(client, app.Clients(), config) + "): its links cannot open",
            "install it, or give its path under [clients] in configuration.ini"};
}

// Each client, and FreeRDP's question about a certificate, where "always"
// keeps it.
void Clients(Application& app, const Configuration& config,
             const std::optional<std::vector<LoggedPass>>& passes, Findings& found) {
    bool certificatesTold = false;
    for (const ClientApp* client : app.Clients().All()) {
        const ClientChoice choice = app.Choose(*client, config);
        found.push_back(Client(app, config, *client, choice, passes));
        if (choice.found && choice.found->form->asksOnTerminal &&
            !std::exchange(certificatesTold, true))
            found.push_back(
                {Finding::Ok,
                 "certificates",
                 "FreeRDP asks in the dialog 确认证书 about a server's certificate it cannot "
                 "verify; one trusted with 始终信任此证书 stays in FreeRDP's own store: delete its "
                 "host's line from ~/.config/freerdp/known_hosts2 (FreeRDP 2), or its file in "
                 "~/.config/freerdp/server/ (FreeRDP 3), to be asked again",
                 {}});
    }
}

// Where a click on the most common link goes.
Finding SshLinks(Application& app, const Configuration& config) {
    const Routing ssh = app.Resolve(FindRoute("StartSecureCRT"), Request{}, config);
    const std::string why(ssh.inTerminalBecause);
    const bool putty = !app.Clients().putty.name.empty();
    if (!ssh.terminal)
        return {ssh.client.found ? Finding::Ok : Finding::Fail, "ssh links",
                ssh.client.found ? "open in " + std::string(ssh.client.app->name)
                : putty          ? "neither SecureCRT nor PuTTY found: they cannot open"
                                 : "SecureCRT not found: they cannot open",
                putty ? "install SecureCRT or PuTTY, or give its path under [clients] in "
                        "configuration.ini"
                      : "install SecureCRT, or set \"SSH = openssh\" under [clients] in "
                        "configuration.ini"};
    const ClientChoice& terminal = *ssh.terminal;
    if (!ssh.client.found || !terminal.found)
        return {Finding::Fail, "ssh links",
                why + ", and " + (ssh.client.found ? "no terminal" : "no ssh") +
                    " found: they cannot open",
                app.Clients().sshWithoutSecureCRT ? "apt-get install openssh-client xterm"
                : ssh.client.found
                    ? "give the terminal's path (\"SSH = /Applications/iTerm.app\") "
                      "under [clients] in configuration.ini"
                    : "give ssh's path (\"OpenSSH = /usr/local/bin/ssh\") under [clients] "
                      "in configuration.ini"};
    const std::string opens =
        "open " + ssh.client.found->path + " in " + terminal.found->path + " (" + why + ")";
    const std::string_view old = SshWithoutForcedAskpass(app.SshRelease(ssh.client.found->path));
    if (old.empty()) return {Finding::Ok, "ssh links", opens, {}};
    return {Finding::Warn, "ssh links",
            opens + ", but " + std::string(old) +
                " takes no password from Torvale (OpenSSH 8.4 and later do): a password "
                "a link entrusts is to be typed",
            "install OpenSSH 8.4 or later, and give its path (\"OpenSSH = "
            "/usr/local/bin/ssh\") under [clients] in configuration.ini"};
}

// Whether the dialogs can be read, and shown at all.
void FontAndDisplay(const Mending& mend, SystemFacts& facts, Findings& found) {
    std::string fontUnknown;
    if (const auto font = facts.ChineseFont(&fontUnknown); !fontUnknown.empty()) {
        found.push_back({Finding::Warn, "font",
                         "cannot tell whether a font has Chinese glyphs: " + fontUnknown,
                         mend.windows ? "run torvale.exe --doctor from a desktop session"
                                      : "check that fontconfig answers: fc-list :lang=zh family"});
    } else if (font && !*font) {
        found.push_back({Finding::Warn, "font",
                         "no font with Chinese glyphs: the dialogs would show boxes",
                         mend.windows ? "add the optional feature Chinese (Simplified) "
                                        "Supplemental Fonts in Settings"
                                      : "apt-get install fonts-wqy-microhei"});
    } else if (font) {
        found.push_back({Finding::Ok, "font", "a font with Chinese glyphs is installed", {}});
    }
    if (const auto display = facts.Display(); display && !*display) {
        found.push_back({Finding::Warn, "display",
                         "none: torvale-desktop would write its alerts on standard error and "
                         "answer the trust question no",
                         "run it from a desktop session"});
    } else if (display) {
        found.push_back({Finding::Ok, "display", "dialogs can be shown", {}});
    }
}

// The passes the log keeps, oldest first; nothing where no log is read.
std::optional<std::vector<LoggedPass>> Logged(SystemFacts& facts) {
    if (facts.PassLogPlace().empty()) return std::nullopt;
    std::vector<LoggedPass> passes;
    for (std::string& line : facts.LastPasses(kPassesRead)) {
        if (auto record = ReadPassLine(line))
            passes.push_back({std::move(line), std::move(*record)});
    }
    return passes;
}

// The latest pass of each action (those of no action as one), oldest first:
// a later click of the same link is news, an earlier one is not.
std::vector<LoggedPass> LatestOfEach(const std::vector<LoggedPass>& passes) {
    std::vector<LoggedPass> latest;
    for (auto pass = passes.rbegin(); pass != passes.rend(); ++pass) {
        if (std::none_of(latest.begin(), latest.end(), [&](const LoggedPass& later) {
                return later.record.action == pass->record.action;
            }))
            latest.push_back(*pass);
    }
    std::reverse(latest.begin(), latest.end());
    return latest;
}

// A logged pass judged against the set-up as it stands: a client missing
// then may be found now. A placeholder action or a link with no action is
// the portal's to mend, not this machine's.
Finding JudgedPass(Application& app, const Configuration& config, const LoggedPass& pass) {
    const LaunchRecord& record = pass.record;
    Finding judged{Finding::Fail, "pass", pass.line,
                   "mend what its outcome says; the next click tries anew"};
    switch (record.outcome) {
        case Outcome::Launched:
        case Outcome::Cancelled:
        case Outcome::StillStarting:
            judged.level = Finding::Ok;
            break;
        case Outcome::Refused:
            judged.level = Finding::Warn;
            break;
        case Outcome::NotImplemented:
            judged.level = Finding::Warn;
            judged.fix = "nothing to mend on this machine: " + record.action +
                         " is a placeholder action Torvale does not implement; the portal's "
                         "administrator may hide its links";
            break;
        case Outcome::UnknownAction:
            judged.level = Finding::Warn;
            judged.fix =
                "nothing to mend on this machine: the portal's link names no action Torvale "
                "knows; torvale -n LINK shows what it holds";
            break;
        case Outcome::ClientMissing: {
            const auto all = app.Clients().All();
            const auto client = std::find_if(all.begin(), all.end(), [&](const ClientApp* c) {
                return c->name == record.client;
            });
            if (client == all.end()) break;
            if (const auto& now = app.Choose(**client, config).found) {
                judged.level = Finding::Ok;
                judged.detail += " (" + record.client + " is found now: " + now->path + ")";
            } else {
                judged.fix = "install " + record.client +
                             ", or give its path under [clients] in configuration.ini";
            }
            break;
        }
        case Outcome::LaunchedWithoutFile:
        case Outcome::WriteFailed:
        case Outcome::NotRun:
        case Outcome::ClientFailed:
            break;
    }
    return judged;
}

// Where to look when a click did nothing: the log, and the latest pass of
// each action in it.
void PastPasses(Application& app, const Configuration& config, const std::string& log,
                const std::vector<LoggedPass>& latest, Findings& found) {
    found.push_back({Finding::Ok,
                     "log",
                     log + (latest.empty() ? ": no pass logged yet"
                                           : ": the latest pass of each action follows"),
                     {}});
    for (const LoggedPass& pass : latest)
        found.push_back(JudgedPass(app, config, pass));
}

// Silenced alerts fail a launch in silence: that is a failure once a pass
// that still counts had one.
Finding Alerts(Application& app, SystemFacts& facts, const Configuration& config,
               const std::vector<LoggedPass>& latest) {
    const std::string place = facts.PreferencesPlace();
    if (!app.AlertsSuppressed()) return {Finding::Ok, "alerts", "shown (" + place + ")", {}};
    const bool unseen = std::any_of(latest.begin(), latest.end(), [&](const LoggedPass& pass) {
        return pass.record.alertsSilenced && JudgedPass(app, config, pass).level != Finding::Ok;
    });
    return {unseen ? Finding::Fail : Finding::Warn, "alerts",
            "silenced by \"don't show again\" (" + place + ")" +
                (unseen ? ", and a pass since ended without launching, its alert unseen" : ""),
            facts.HowToShowAlerts()};
}

}  // namespace

std::string FindingLine(const Finding& finding, bool windows) {
    static constexpr const char* kLevels[] = {"ok  ", "warn", "fail"};
    std::string line = std::string(kLevels[finding.level]) + "  " + Printable(finding.check) +
                       ": " + Printable(finding.detail);
    if (finding.level != Finding::Ok) line += "; fix: " + Printable(finding.fix);
    if (!windows) return line;
    // Printable writes "\\" for a backslash alone; every other escape it
    // writes is a backslash and a letter.
    std::string kept;
    for (std::size_t i = 0; i < line.size(); ++i) {
        kept += line[i];
        if (line[i] == '\\' && i + 1 < line.size()) {
            if (line[i + 1] != '\\') kept += line[i + 1];
            ++i;
        }
    }
    return kept;
}

bool AnyFails(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.level == Finding::Fail; });
}

std::vector<Finding> Diagnose(Application& app, SystemFacts& facts) {
    Findings found = {Handler(app, facts), DataDirectory(app)};
    Leftovers(app, found);
    TemporaryLeftovers(app, found);
    // Read for the purpose, never the one a pass uses.
    const Configuration config = app.ReadConfiguration();
    found.push_back(UserConfiguration(app, config));
    bool systemPresent = false;
    const Configuration system = app.ReadSystemConfiguration(&systemPresent);
    if (auto administrator = SystemConfiguration(app, system, systemPresent))
        found.push_back(std::move(*administrator));
    Signing(app, facts, config, system, found);
    const auto logged = Logged(facts);
    Clients(app, config, logged, found);
    found.push_back(SshLinks(app, config));
    FontAndDisplay(Mending(app), facts, found);
    const std::vector<LoggedPass> latest =
        logged ? LatestOfEach(*logged) : std::vector<LoggedPass>();
    if (logged) PastPasses(app, config, facts.PassLogPlace(), latest, found);
    found.push_back(Alerts(app, facts, config, latest));
    return found;
}

}  // namespace torvale
