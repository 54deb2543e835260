#pragma once

// The launch URL read once: its field text and the 31 launch parameters,
// never changed after they are read.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// A launch parameter or the decoded field text: a string, possibly empty, or
// absent after a failed decoding. An absent value equals no string.
using Field = std::optional<std::string>;

inline constexpr std::size_t kLaunchParameterCount = 31;

// One launch URL. The parameters other than `action` keep the names they have
// always had in this application: "m_" and the URL key.
struct Request {
    Field url;  // the decoded field text

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
};

// A launch parameter: its URL key, where the request holds it, and whether it
// is a secret. A secret is masked wherever a launch is shown: the history, the
// pass log and the dry run. Other log lines hold no secret, though one may
// hold a value made from another parameter (a connection file named after
// `target_ip`).
struct LaunchParameter {
    std::string_view key;
    Field Request::*member;
    bool secret;
};

// In the order they are read.
extern const std::array<LaunchParameter, kLaunchParameterCount> kLaunchParameters;

// The fields a gateway appends to a link it signs, "sig" last: keys of the
// field text that are no launch parameters, read by the signature check.
inline constexpr std::array<std::string_view, 4> kSigningFields = {"kid", "exp", "nonce", "sig"};

// All 31 parameters from the field text, each looked up afresh, then an empty
// or "0" sshport made "22". Every parameter is absent when the text is.
Request ReadRequest(const Field& fieldText);

// The value of the field `name` in the field text: what stands between
// "&name=" and the next "&"; empty without both.
Field GetFromUrl(const Field& text, std::string_view name);

// The decoding step alone ("+" a space, then percent escapes as UTF-8);
// absent when the text is absent or does not decode.
Field UrlDecode(const Field& text);

// The field text with the value of every secret parameter's field (each
// "&password=...", the first one, which is read, and any other, up to the
// next launch parameter's field) written kMask: masked by where the secret
// stands, never by searching the rest of the text for it, which would tell
// which letters a short password holds.
std::string MaskedFieldText(std::string_view fieldText);

// The login name: `m_username` cut just after its first "--" (whole without
// one), then `m_sid`. "admin--web" and 1024 give "admin--1024".
std::string LoginName(const Request& request);
// The key whose value begins the login name, for a refusal to name.
std::string_view LoginKey(const Request& request);

// The value of a field, with absent read as empty. Launchers run only after a
// successful decoding, where no parameter is absent.
inline const std::string& Str(const Field& field) {
    static const std::string empty;
    return field ? *field : empty;
}

}  // namespace torvale
