// The 31 launch parameters: filling them from `url`, and the login name that
// several launchers derive from them.

#include "core/AppDelegate.h"

namespace torvale {

using A = AppDelegate;

// Sized by its rows: a row left out cannot compile into a null member.
const std::array<A::LaunchParameter, kLaunchParameterCount> A::kLaunchParameters =
    std::to_array<A::LaunchParameter>({
        {"action", &A::action},
        {"username", &A::m_username},
        {"entrust_password", &A::m_entrust_password},
        {"proxy_addr", &A::m_proxy_addr},
        {"protocol", &A::m_protocol},
        {"password", &A::m_password},
        {"sid", &A::m_sid},
        {"target_username", &A::m_target_username},
        {"target_ip", &A::m_target_ip},
        {"localhost", &A::m_localhost},
        {"screen", &A::m_screen},
        {"host", &A::m_host},
        {"monitorport", &A::m_monitorport},
        {"monitoruser", &A::m_monitoruser},
        {"monitorpassword", &A::m_monitorpassword},
        {"cid", &A::m_cid},
        {"port", &A::m_port},
        {"sshport", &A::m_sshport},
        {"rdpport", &A::m_rdpport},
        {"window_size", &A::m_window_size},
        {"cport", &A::m_cport},
        {"bpp", &A::m_bpp},
        {"path", &A::m_path},
        {"entrust_username", &A::m_entrust_username},
        {"rdparg", &A::m_rdparg},
        {"clipboard", &A::m_clipboard},
        {"disk", &A::m_disk},
        {"stime", &A::m_stime},
        {"crttab", &A::m_crttab},
        {"param", &A::m_param},
        {"debug", &A::m_debug},
    });

void AppDelegate::FillLaunchParameters() {
    // Every key is looked up afresh in the whole text, so nothing from an
    // earlier request survives and the order of the fields does not matter.
    for (const LaunchParameter& parameter : kLaunchParameters) {
        this->*parameter.member = GetFromUrl(url, parameter.key);
    }
    // Whole-string tests: "00" or " 0" stay as they came, and an absent value
    // stays absent.
    if (m_sshport == "" || m_sshport == "0") m_sshport = "22";
    // Kept as filled: launchers rewrite some (the login name, the port).
    for (std::size_t i = 0; i < kLaunchParameters.size(); ++i)
        pass_.parameters[i] = this->*kLaunchParameters[i].member;
}

std::string AppDelegate::LoginName() const {
    const std::string& username = Str(m_username);
    const std::size_t separator = username.find("--");
    std::string login =
        separator == std::string::npos ? username : username.substr(0, separator + 2);
    login += Str(m_sid);
    return login;
}

std::string_view AppDelegate::LoginKey() const {
    return Str(m_username).empty() ? "sid" : "username";
}

}  // namespace torvale
