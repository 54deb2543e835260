#include "core/config/Configuration.h"

#include <algorithm>

#include "base/Base64.h"
#include "base/Es256.h"
#include "base/Path.h"
#include "base/ShellQuote.h"
#include "base/Text.h"
#include "core/address/Address.h"

namespace torvale {
namespace {

// Large enough for any hand-written file; a larger one is not read at all.
constexpr std::size_t kConfigurationLimit = 1 << 20;

// Whether the text may hold an allow-list that reading missed. After an
// error, reading may have stopped early or taken a header for something else:
// "[Gateways]", "[gateway]", full-width brackets, a BOM or UTF-16 (as some
// editors save) before it. Whatever mentions a gateway or an allow line closes
// the list, since a broken allow-list must not let everything through.
bool Mentions(std::string_view text, std::initializer_list<std::string_view> words) {
    std::string folded;
    for (const char c : text) {
        if (c != '\0') folded += AsciiLower(c);
    }
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return folded.find(word) != folded.npos; });
}

// A [signing] line, into `signing`; why not, when it cannot be read.
std::string ReadSigning(const IniEntry& entry, std::string_view path, SignatureVerifier& verifier,
                        SigningPolicy& signing) {
    const std::string from = std::string(path) + ":" + std::to_string(entry.line);
    if (entry.key.starts_with("key.")) {
        const std::string_view name = entry.key.substr(4);
        if (!IsKeyName(name))
            return "a key's name is letters, digits, '-' and '_', at most 64 of them";
        const auto der =
            entry.value.starts_with("es256:") ? DecodeBase64(entry.value.substr(6)) : std::nullopt;
        if (!der || !IsP256PublicKey(*der))
            return std::string(entry.key) +
                   " is not \"es256:\" and a P-256 public key in base64 (what `openssl pkey "
                   "-pubout -outform DER | base64 -w0` prints)";
        // Its bytes are a key's; whether its point is one of the curve only
        // the platform's library can say.
        if (std::string why; !verifier.UsableEs256Key(*der, &why))
            return std::string(entry.key) + " is not a usable P-256 key: " + why;
        for (const SigningKey& key : signing.keys)
            if (key.name == name) return std::string(entry.key) + " is given twice";
        signing.keys.push_back({std::string(name), *der, from});
        return {};
    }
    if (entry.key == "require") {
        for (const Unsigned require : {Unsigned::Launch, Unsigned::Ask, Unsigned::Refuse}) {
            if (entry.value != RequireName(require)) continue;
            signing.require = require;
            signing.requireFrom = from;
            return {};
        }
        return "require is \"no\", \"ask\" or \"yes\"";
    }
    if (entry.key == "max_age") {
        // A day at most: each used link is kept until it expires.
        const std::string_view value = entry.value;
        const bool digits =
            !value.empty() && value.size() <= 5 && std::all_of(value.begin(), value.end(), IsDigit);
        const std::int64_t seconds = digits ? std::stoll(std::string(value)) : 0;
        if (seconds < 1 || seconds > 86400) return "max_age is a number of seconds from 1 to 86400";
        signing.maxAge = seconds;
        signing.maxAgeFrom = from;
        return {};
    }
    return "[signing] has no key '" + std::string(entry.key) +
           "'; known: 'key.NAME', 'require', 'max_age'";
}

}  // namespace

bool IsKeyName(std::string_view name) {
    return IsToken(name, 1, 64);
}

// Each value of Unsigned, in its order: as a file writes it, and what
// becomes of an unsigned link then.
constexpr std::string_view kUnsignedWords[][2] = {
    {"no", "accepted"}, {"ask", "asked"}, {"yes", "refused"}};

std::string_view RequireName(Unsigned require) {
    return kUnsignedWords[static_cast<int>(require)][0];
}

std::string_view UnsignedLinkFate(Unsigned require) {
    return kUnsignedWords[static_cast<int>(require)][1];
}

Configuration ParseConfiguration(std::string_view text, IniReader& parser,
                                 SignatureVerifier& verifier,
                                 std::span<const std::string_view> clientNames,
                                 const std::string& home, std::string_view path) {
    Configuration config;
    auto isClient = [&](std::string_view name) {
        return std::find(clientNames.begin(), clientNames.end(), name) != clientNames.end();
    };
    // An unknown name is told with the known one it may have meant.
    auto unknown = [](std::string what, std::string_view name,
                      const std::vector<std::string_view>& known, std::string_view open,
                      std::string_view close) {
        auto quoted = [&](std::string_view n) {
            return std::string(open) + std::string(n) + std::string(close);
        };
        std::string message = what + " " + quoted(name);
        if (const std::string_view meant = Nearest(name, known); !meant.empty())
            return message + "; did you mean " + quoted(meant) + "?";
        message += "; known:";
        for (std::size_t i = 0; i < known.size(); ++i)
            message += (i == 0 ? " " : ", ") + quoted(known[i]);
        return message;
    };
    std::vector<std::string_view> keys(clientNames.begin(), clientNames.end());
    keys.push_back("SSH");
    // A client's path, "~/" for the home folder; on Windows (whose home
    // folder is a drive's) absolute as Windows writes it.
    const bool windows = IsWindowsAbsolute(home);
    auto keepPath = [&](std::string_view name, std::string_view value, int line) -> std::string {
        std::string client(value);
        if (client.starts_with("~/")) client = home + client.substr(1);
        if (!(windows ? IsWindowsAbsolute(client) : client.starts_with("/")))
            return "the path of " + std::string(name) + " is not absolute";
        config.clients[std::string(name)] = {std::move(client), line};
        return {};
    };
    int badSection = 0;
    auto onEntry = [&](const IniEntry& entry) -> std::string {
        const bool known =
            entry.section == "clients" || entry.section == "gateways" || entry.section == "signing";
        if (entry.key.empty() && known) return {};  // a [section] line
        if (entry.section == "clients" && entry.key == "SSH") {
            config.preferOpenSSH = true;
            if (entry.value == "openssh") return {};
            // A terminal's path: the one that key also names.
            if (!entry.value.starts_with("/") && !entry.value.starts_with("~/"))
                return "SSH is \"openssh\" or the absolute path of a terminal";
            return keepPath("Terminal", entry.value, entry.line);
        }
        if (entry.section == "clients") {
            if (!isClient(entry.key))
                return unknown("no client is named", entry.key, keys, "'", "'");
            return keepPath(entry.key, entry.value, entry.line);
        }
        if (entry.section == "gateways" && entry.key == "allow") {
            for (const std::string_view host : Split(entry.value, ',')) {
                if (!Trim(host).empty()) config.allow.emplace_back(Trim(host));
            }
            return {};
        }
        if (entry.section == "signing") return ReadSigning(entry, path, verifier, config.signing);
        // A misnamed section is the fault of its own line, not its first key's.
        if (entry.section != "gateways" && badSection == 0) badSection = entry.sectionLine;
        if (entry.section != "gateways")
            return unknown("no section is named", entry.section, {"clients", "gateways", "signing"},
                           "[", "]");
        return unknown("[gateways] has no key", entry.key, {"allow"}, "'", "'");
    };
    IniError failure;
    const bool parsed = parser.Parse(text, onEntry, &failure);
    config.errorLine = failure.line;
    config.error = failure.why;
    if (!parsed && badSection != 0 && config.error.starts_with("no section is named"))
        config.errorLine = badSection;
    if (!parsed) {
        // Reading may have stopped at the error, or gone on past a broken
        // line: an allow-list in a file with an error cannot be trusted.
        config.clients.clear();
        config.preferOpenSSH = false;
        config.gatewaysInError = Mentions(text, {"gateway", "allow"});
        // Nor can its keys: without them every signed link fails, and where
        // the file may have required signatures, every unsigned one too.
        config.signing = {};
        if (Mentions(text, {"signing", "require"})) config.signing.require = Unsigned::Refuse;
    }
    return config;
}

Configuration ReadConfiguration(FileSystem& files, IniReader& parser, SignatureVerifier& verifier,
                                const std::string& path,
                                std::span<const std::string_view> clientNames,
                                const std::string& home) {
    Configuration config;
    const auto text = files.ReadFile(path, kConfigurationLimit, &config.error);
    if (text) return ParseConfiguration(*text, parser, verifier, clientNames, home, path);
    // Every host is refused then, signed or not.
    config.unreadable = config.gatewaysInError = true;
    return config;
}

namespace {

// The accounts and groups that may change the administrator's file on
// Windows: the system owns what it installs with TrustedInstaller's SID.
constexpr std::string_view kAdministrators = "S-1-5-32-544";
constexpr std::string_view kLocalSystem = "S-1-5-18";
constexpr std::string_view kTrustedInstaller =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights that change a file, or its access-control list or owner, or let it
// be removed: FILE_WRITE_DATA, FILE_APPEND_DATA, DELETE, WRITE_DAC,
// WRITE_OWNER, GENERIC_ALL and GENERIC_WRITE. In a folder's list the first
// two add files and folders, and FILE_DELETE_CHILD removes what is in it.
constexpr std::uint32_t kChangesFile =
    0x2 | 0x4 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;
constexpr std::uint32_t kChangesFolder = kChangesFile | 0x40;

// A SID as a reader knows it, where it is one of the usual groups.
std::string SidName(const std::string& sid) {
    static constexpr std::pair<std::string_view, std::string_view> kKnown[] = {
        {"S-1-1-0", "Everyone"},    {"S-1-5-11", "Authenticated Users"},
        {"S-1-5-32-545", "Users"},  {"S-1-5-32-544", "Administrators"},
        {"S-1-5-18", "SYSTEM"},     {"S-1-3-0", "CREATOR OWNER"},
        {"S-1-5-4", "INTERACTIVE"}, {"S-1-5-32-547", "Power Users"}};
    for (const auto& [known, name] : kKnown) {
        if (sid == known) return std::string(name) + " (" + sid + ")";
    }
    return sid;
}

// A path as cmd.exe takes it: backslashes, in quotes (no Windows path holds one).
std::string CmdQuote(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "\"" + path + "\"";
}

}  // namespace

bool TrustAccessList(const AccessList& list, const std::string& path, FileFault* fault) {
    const std::string quoted = CmdQuote(path);
    const std::string what = list.directory ? "its folder " + path : path;
    if (list.link) {
        *fault = {what + " is a link (a reparse point): only a real " +
                      (list.directory ? "folder" : "file") + " of the administrators' counts",
                  (list.directory ? "rmdir " : "del ") + quoted};
        return false;
    }
    // Who else may change it, each named once; and the SIDs whose grants
    // go, every one but those that may change it.
    std::string others;
    std::string removals;
    const std::uint32_t changes = list.directory ? kChangesFolder : kChangesFile;
    for (const AccessEntry& entry : list.entries) {
        if (entry.sid == kAdministrators || entry.sid == kLocalSystem ||
            entry.sid == kTrustedInstaller)
            continue;
        const std::string name = SidName(entry.sid);
        if (entry.allows && !entry.inheritOnly && (entry.rights & changes) != 0 &&
            (", " + others + ", ").find(", " + name + ", ") == std::string::npos)
            others += (others.empty() ? "" : ", ") + name;
        if ((removals + " ").find(" *" + entry.sid + " ") == std::string::npos)
            removals += " *" + entry.sid;
    }
    const bool owned = list.owner == kAdministrators || list.owner == kLocalSystem;
    if (owned && others.empty() && !list.unrestricted) return true;
    std::string state;
    std::string fix;
    const std::string icacls = "icacls " + quoted;
    if (!owned) {
        state = "owned by " + SidName(list.owner);
        fix = icacls + " /setowner *" + std::string(kAdministrators);
    }
    if (list.unrestricted || !others.empty()) {
        state += std::string(state.empty() ? "" : ", ") +
                 (list.unrestricted ? "without an access-control list: anyone may change it"
                                    : "changeable by " + others);
        // The inherited entries go, and every grant but the administrators'
        // and the system's; those two keep all, users may read.
        const std::string inherit = list.directory ? "(OI)(CI)" : "";
        fix += (fix.empty() ? "" : " && ") + icacls + " /inheritance:r" +
               (removals.empty() ? "" : " && " + icacls + " /remove:g" + removals) + " && " +
               icacls + " /grant:r *" + std::string(kAdministrators) + ":" + inherit + "F *" +
               std::string(kLocalSystem) + ":" + inherit + "F *S-1-5-32-545:" + inherit + "RX";
    }
    *fault = {what + " is " + state + ": only " + (list.directory ? "a folder" : "a file") +
                  " of the administrators' that no one else may change counts",
              fix};
    return false;
}

bool TrustSystemFile(FileSystem& files, const std::string& path, bool* present, FileFault* fault) {
    *present = true;
    if (files.UsesAccessLists()) {
        // The file and the folder it is in: whoever may add to the folder
        // could have made the file, and whoever may remove from it could put
        // another in its place. Folders above, %ProgramData% and the drive,
        // let users add folders of their own but remove none of the others'.
        const std::size_t separator = path.find_last_of("/\\");
        if (separator == std::string::npos || separator == 0) {
            *fault = {path + ": not an absolute path", ""};
            return false;
        }
        const std::string folder = path.substr(0, separator);
        AccessList file;
        AccessList parent;
        std::string why;
        if (!files.ReadAccess(path, &file, present, &why)) {
            if (!*present) return true;
            *fault = {path + ": " + why, ""};
            return false;
        }
        bool folderPresent = false;
        if (!files.ReadAccess(folder, &parent, &folderPresent, &why)) {
            *fault = {folder + ": " + why, ""};
            return false;
        }
        if (file.directory && !file.link) {
            *fault = {path + " is a directory",
                      "move " + CmdQuote(path) + " " + CmdQuote(path + ".old")};
            return false;
        }
        return TrustAccessList(parent, folder, fault) && TrustAccessList(file, path, fault);
    }
    auto fail = [fault](std::string why, std::string fix) {
        if (fault != nullptr) *fault = {std::move(why), std::move(fix)};
        return false;
    };
    PathWay way;
    std::string why;
    if (!files.WayTo(path, &way, &why)) {
        // The step that could not be looked at is in the last folder reached,
        // which this user may not search.
        const bool inFolder = !way.steps.empty() && way.steps.back().info.directory;
        return fail(why, inFolder ? "sudo chmod 755 " + ShellQuote(way.steps.back().path) : "");
    }
    if (!way.reached) {
        *present = false;
        return true;
    }
    // Whoever may write a folder on the way may put another file in its place.
    auto unsafe = [](const PathInfo& what) { return !what.rootOwned || (what.mode & 022) != 0; };
    auto mend = [](const PathInfo& what, const std::string& at) {
        const std::string quoted = ShellQuote(at);
        const std::string chown = what.rootOwned ? "" : "sudo chown root " + quoted;
        const std::string chmod = (what.mode & 022) == 0 ? "" : "sudo chmod go-w " + quoted;
        return chown + (chown.empty() || chmod.empty() ? "" : " && ") + chmod;
    };
    auto state = [](const PathInfo& what) {
        return std::string(what.rootOwned ? "" : "not root's, ") + "mode " + Octal(what.mode);
    };
    for (std::size_t i = 0; i + 1 < way.steps.size(); ++i) {
        const PathWay::Step& folder = way.steps[i];
        if (unsafe(folder.info))
            return fail("its folder " + folder.path + " is " + state(folder.info) +
                            ": only folders of root's that no one else may write count",
                        mend(folder.info, folder.path));
    }
    const PathWay::Step& file = way.steps.back();
    if (file.info.directory)
        return fail(file.path + " is a directory",
                    "sudo mv " + ShellQuote(file.path) + " " + ShellQuote(file.path + ".old"));
    if (unsafe(file.info))
        return fail(state(file.info) + ": only a file of root's that no one else may write counts",
                    mend(file.info, file.path));
    if (!file.info.readable)
        return fail("mode " + Octal(file.info.mode) + ": this user may not read it",
                    "sudo chmod a+r " + ShellQuote(file.path));
    return true;
}

Configuration ReadSystemConfiguration(FileSystem& files, IniReader& parser,
                                      SignatureVerifier& verifier, const std::string& path,
                                      std::span<const std::string_view> clientNames,
                                      const std::string& home, bool* present) {
    *present = false;
    if (path.empty()) return {};
    FileFault fault;
    Configuration config;
    if (!TrustSystemFile(files, path, present, &fault)) {
        config.error = std::move(fault.why);
        config.fix = std::move(fault.fix);
        config.unreadable = config.gatewaysInError = true;
        return config;
    }
    if (!*present) return {};
    config = ReadConfiguration(files, parser, verifier, path, clientNames, home);
    // Only root may mend it, with an editor run as root.
    if (config.unreadable || config.errorLine != 0) config.fix = "sudo -e " + ShellQuote(path);
    return config;
}

Configuration Combined(const Configuration& system, Configuration user) {
    for (const auto& [name, path] : system.clients)
        user.clients.try_emplace(name, path);
    user.preferOpenSSH = user.preferOpenSSH || system.preferOpenSSH;
    if (!system.allow.empty()) {
        if (!user.allow.empty()) {
            std::erase_if(user.allow, [&](const std::string& host) {
                return std::none_of(
                    system.allow.begin(), system.allow.end(),
                    [&](const std::string& entry) { return SameHost(entry, host); });
            });
            // Lists that share no host allow none.
            user.gatewaysInError = user.gatewaysInError || user.allow.empty();
        } else {
            user.allow = system.allow;
        }
    }
    user.gatewaysInError = user.gatewaysInError || system.gatewaysInError;

    SigningPolicy& signing = user.signing;
    const Unsigned userRequired = signing.Required();
    std::vector<SigningKey> keys = system.signing.keys;
    for (SigningKey& key : signing.keys) {
        const bool taken = std::any_of(keys.begin(), keys.end(),
                                       [&](const SigningKey& k) { return k.name == key.name; });
        if (!taken) keys.push_back(std::move(key));
    }
    signing.keys = std::move(keys);
    const Unsigned systemRequired = system.signing.Required();
    // The stricter holds; of two alike, where the user's file says none,
    // the administrator's says why.
    if (systemRequired > userRequired ||
        (systemRequired == userRequired && signing.requireFrom.empty())) {
        signing.require = systemRequired;
        signing.requireFrom = system.signing.requireFrom;
    } else if (!signing.require) {
        signing.require = userRequired;
    }
    // Where the administrator says anything of signing, the user's links
    // live no longer than the administrator's do, given or by default.
    const SigningPolicy& administrator = system.signing;
    const bool governed =
        !administrator.keys.empty() || administrator.require || administrator.maxAge;
    if (governed && administrator.MaxAge() < signing.MaxAge()) {
        signing.maxAge = administrator.MaxAge();
        signing.maxAgeFrom = administrator.maxAgeFrom;
    }
    return user;
}

}  // namespace torvale
