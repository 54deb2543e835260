#include "core/request/Request.h"

#include <algorithm>

#include "base/Masking.h"
#include "core/address/Address.h"
#include "core/request/UrlDecoding.h"

namespace torvale {

using R = Request;

// Sized by its rows: a row left out cannot compile into a null member.
const std::array<LaunchParameter, kLaunchParameterCount> kLaunchParameters =
    std::to_array<LaunchParameter>({
        {"action", &R::action, false},
        {"username", &R::m_username, false},
        {"entrust_password", &R::m_entrust_password, false},
        {"proxy_addr", &R::m_proxy_addr, false},
        {"protocol", &R::m_protocol, false},
        {"password", &R::m_password, true},
        {"sid", &R::m_sid, false},
        {"target_username", &R::m_target_username, false},
        {"target_ip", &R::m_target_ip, false},
        {"localhost", &R::m_localhost, false},
        {"screen", &R::m_screen, false},
        {"host", &R::m_host, false},
        {"monitorport", &R::m_monitorport, false},
        {"monitoruser", &R::m_monitoruser, false},
        {"monitorpassword", &R::m_monitorpassword, true},
        {"cid", &R::m_cid, false},
        {"port", &R::m_port, false},
        {"sshport", &R::m_sshport, false},
        {"rdpport", &R::m_rdpport, false},
        {"window_size", &R::m_window_size, false},
        {"cport", &R::m_cport, false},
        {"bpp", &R::m_bpp, false},
        {"path", &R::m_path, false},
        {"entrust_username", &R::m_entrust_username, false},
        {"rdparg", &R::m_rdparg, false},
        {"clipboard", &R::m_clipboard, false},
        {"disk", &R::m_disk, false},
        {"stime", &R::m_stime, false},
        {"crttab", &R::m_crttab, false},
        {"param", &R::m_param, false},
        {"debug", &R::m_debug, false},
    });

Request ReadRequest(const Field& fieldText) {
    Request request;
    request.url = fieldText;
    // Every key is looked up in the whole text, so the order of the fields
    // does not matter.
    for (const LaunchParameter& parameter : kLaunchParameters)
        request.*parameter.member = GetFromUrl(fieldText, parameter.key);
    // Whole-string tests: "00" or " 0" stay as they came, and an absent value
    // stays absent.
    if (request.m_sshport == "" || request.m_sshport == "0") request.m_sshport = "22";
    // Each host in the one form clients resolve, so that the question, the
    // allow-list, the trusted hosts and the client all have the same name.
    for (Field* address : {&request.m_proxy_addr, &request.m_host, &request.m_localhost}) {
        if (*address) **address = Lowered(**address);
    }
    return request;
}

Field GetFromUrl(const Field& text, std::string_view name) {
    if (!text) return std::nullopt;
    // "&" and "=" around the key keep "port" from matching "sshport=" or
    // "portal=".
    const std::string pattern = "&" + std::string(name) + "=";
    const std::size_t found = text->find(pattern);
    if (found == std::string::npos) return std::string();
    const std::size_t start = found + pattern.size();
    const std::size_t end = text->find('&', start);
    if (end == std::string::npos) return std::string();
    return text->substr(start, end - start);
}

Field UrlDecode(const Field& text) {
    if (!text) return std::nullopt;
    return DecodeFieldText(*text, nullptr);
}

namespace {

// Where a secret's value ends: at the "&" that closes the text or begins a
// launch parameter's field. A portal that encoded an "&" in a password
// ("%26") meant the rest up to there as the password too, though the pass
// reads only what stands before it.
std::size_t SecretEnd(std::string_view text, std::size_t start) {
    for (std::size_t amp = text.find('&', start); amp != std::string_view::npos;
         amp = text.find('&', amp + 1)) {
        const std::string_view rest = text.substr(amp + 1);
        if (rest.empty()) return amp;
        for (const LaunchParameter& parameter : kLaunchParameters) {
            if (rest.starts_with(parameter.key) &&
                rest.substr(parameter.key.size()).starts_with('='))
                return amp;
        }
    }
    return text.size();
}

}  // namespace

std::string MaskedFieldText(std::string_view text) {
    // A value ends where the next field begins: the values found never
    // overlap, and each is found once.
    std::vector<std::pair<std::size_t, std::size_t>> values;
    for (const LaunchParameter& parameter : kLaunchParameters) {
        if (!parameter.secret) continue;
        const std::string pattern = "&" + std::string(parameter.key) + "=";
        for (std::size_t at = text.find(pattern); at != std::string_view::npos;
             at = text.find(pattern, at + 1)) {
            const std::size_t start = at + pattern.size();
            values.emplace_back(start, SecretEnd(text, start));
        }
    }
    std::sort(values.begin(), values.end());
    std::string masked;
    std::size_t copied = 0;
    for (const auto& [start, end] : values) {
        masked.append(text.substr(copied, start - copied));
        masked += start == end ? std::string_view() : kMask;
        copied = end;
    }
    masked.append(text.substr(copied));
    return masked;
}

std::string LoginName(const Request& request) {
    const std::string& username = Str(request.m_username);
    const std::size_t separator = username.find("--");
    std::string login =
        separator == std::string::npos ? username : username.substr(0, separator + 2);
    login += Str(request.m_sid);
    return login;
}

std::string_view LoginKey(const Request& request) {
    return Str(request.m_username).empty() ? "sid" : "username";
}

}  // namespace torvale
