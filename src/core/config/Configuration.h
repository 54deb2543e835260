#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports/FileSystem.h"
#include "core/ports/IniReader.h"
#include "core/ports/SignatureVerifier.h"

namespace torvale {

// A key links may be signed with: its name (the links' "kid"), the DER
// public key, and where it was configured ("PATH:LINE").
struct SigningKey {
    std::string name;
    std::string der;
    std::string from;
};

// What becomes of a link without a signature, strictest last (the words of
// each, in Configuration.cpp, follow this order).
enum class Unsigned { Launch, Ask, Refuse };

// configuration.ini's [signing] section: "key.NAME = es256:BASE64",
// "require = no|ask|yes", "max_age = SECONDS".
struct SigningPolicy {
    std::vector<SigningKey> keys;
    std::optional<Unsigned> require;  // as a file says it
    std::string requireFrom;
    std::optional<std::int64_t> maxAge;
    std::string maxAgeFrom;

    // Once a key is known, an unsigned link is always asked about.
    Unsigned Required() const {
        return require ? *require : keys.empty() ? Unsigned::Launch : Unsigned::Ask;
    }
    std::int64_t MaxAge() const { return maxAge.value_or(600); }
};

// A key's name, as configuration.ini and a link's "kid" give it: letters,
// digits, "-" and "_", at most 64 of them.
bool IsKeyName(std::string_view name);

// "no", "ask" or "yes", as the file writes them.
std::string_view RequireName(Unsigned require);
// What becomes of an unsigned link, as --doctor and the dry run say it:
// "accepted", "asked" or "refused".
std::string_view UnsignedLinkFate(Unsigned require);

// configuration.ini, as the request pass uses it:
//
//   [clients]
//   SecureCRT = ~/Applications/SecureCRT.app     ; a client's path, "~/" for home
//   SSH = openssh                                ; or a terminal's path: SSH links
//                                                ; open ssh in a terminal
//   [gateways]
//   allow = 10.0.0.1, gw.example.com             ; the only hosts launches may go to
//   [signing]
//   key.gw2026 = es256:MFkwEwYHKoZIzj0CAQYI...   ; a key the gateway signs links with
//   require = ask                                ; signatures required: no, ask or yes
//   max_age = 600                                ; the longest a link may live, seconds
//
// An administrator's file (/etc/torvale/configuration.ini) holds over the
// user's: see Combined.
struct Configuration {
    struct ClientPath {
        std::string path;
        int line;
    };
    // By client name; only from a file without errors.
    std::map<std::string, ClientPath, std::less<>> clients;
    // "SSH = openssh", or a terminal's path there: SSH and Telnet links open
    // in a terminal even where SecureCRT is installed.
    bool preferOpenSSH = false;
    // Hosts launches may connect to; empty: every host.
    std::vector<std::string> allow;
    // The file has an error and may hold an allow-list (it mentions a
    // gateway or an allow line anywhere, in any case), or cannot be read: no
    // host is allowed, since a broken allow-list must not let everything
    // through.
    bool gatewaysInError = false;
    // Signed links; from a file with an error that may hold them (it
    // mentions signing or require), no key and every unsigned link refused.
    SigningPolicy signing;
    // The file exists but cannot be read at all.
    bool unreadable = false;
    // The first line that could not be read, or 0.
    int errorLine = 0;
    // Why the file or that line could not be read.
    std::string error;
    // For an administrator's file in error: the command that mends it.
    std::string fix;
};

// Reads the text of configuration.ini. Unknown sections and keys, lines that
// are not "key = value" and client paths that are not absolute are errors:
// the first one is reported in `errorLine`, and then no client path is used
// and, if the file may hold an allow-list, no host is allowed. `clientNames`
// are the keys [clients] may hold, besides "SSH".
// The platform's library tells whether a signing key's point is on its curve.
Configuration ParseConfiguration(std::string_view text, IniReader& parser,
                                 SignatureVerifier& verifier,
                                 std::span<const std::string_view> clientNames,
                                 const std::string& home, std::string_view path = {});

// Reads configuration.ini from `path`: a missing file is an empty one, and
// one that cannot be read may hold an allow-list that we cannot see, so it
// allows no host.
Configuration ReadConfiguration(FileSystem& files, IniReader& parser, SignatureVerifier& verifier,
                                const std::string& path,
                                std::span<const std::string_view> clientNames,
                                const std::string& home);

// What is wrong with a file that cannot be trusted, and the command that
// mends it, as a user may paste it.
struct FileFault {
    std::string why;
    std::string fix;
};

// Whether the administrator's file at `path` can be trusted: a file of
// root's that no one else may write, reached (every symbolic link followed)
// through folders of root's that no one else may write, all of which this
// user may look at, and the file read. Where files have access-control
// lists, the file and its folder as TrustAccessList trusts them. Whoever could write it otherwise
// could turn its allow-list and signing off. True when it can be trusted,
// or nothing is there (`*present` false); false, saying why, when it cannot.
bool TrustSystemFile(FileSystem& files, const std::string& path, bool* present, FileFault* fault);

// Whether only the system's administrators may change what `list` guards
// at `path` (Windows): owned by Administrators or SYSTEM, not a link, and no
// one but they (and TrustedInstaller) allowed to write it, replace it,
// change its list or owner or, a folder, add to it or remove from it. False,
// saying who else may, with the icacls commands an administrator mends it
// with.
bool TrustAccessList(const AccessList& list, const std::string& path, FileFault* fault);

// The administrator's file at `path`: an empty one where nothing is there,
// and one in error (every host refused) where it cannot be trusted or read.
Configuration ReadSystemConfiguration(FileSystem& files, IniReader& parser,
                                      SignatureVerifier& verifier, const std::string& path,
                                      std::span<const std::string_view> clientNames,
                                      const std::string& home, bool* present);

// The administrator's file over the user's: a host must be allowed by every
// allow-list there is, and either file in error closes it; the keys of
// both count, the administrator's first; the stricter `require` and the
// shorter `max_age` hold, and what the administrator's keys make of an
// unsigned link the user cannot weaken. Client paths are the user's, then
// the administrator's.
Configuration Combined(const Configuration& system, Configuration user);

}  // namespace torvale
