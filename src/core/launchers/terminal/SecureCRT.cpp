// SecureCRT: the gateway connection (SSH or Telnet), and the monitor and
// display connections.

#include "core/AppDelegate.h"
#include "core/launchers/Checks.h"
#include "base/ShellQuote.h"

namespace torvale {

void AppDelegate::StartSecureCRT() {
    const auto client = OpeningCheck(clients_.secureCRT);
    if (!client) return;

    // SecureCRT reads a word that begins with "/" or "-" as a switch: none of
    // these may start one.
    const std::string port = m_protocol == "telnet" ? std::string("23") : Str(m_sshport);
    const std::string login = LoginName();
    const std::string& host = Str(m_proxy_addr);
    const bool tab = m_crttab == "1";
    if (!Permitted({host, WithPort(host, port), clients_.secureCRT.name, login, {}},
                   {{LoginKey(), OptionLike(login)},
                    {"sshport", !IsPort(port)},
                    {"proxy_addr", OptionLike(host)},
                    {"target_username", tab && OptionLike(Str(m_target_username))}})) {
        return;
    }

    std::string line = CommandPrefix(*client);
    if (m_entrust_username == "0") m_entrust_password = "1";
    m_port = port;
    m_username = login;

    if (tab) {
        line += " /T /N " + ShellQuote(Str(m_target_username)) + "@" + ShellQuote(Str(m_target_ip));
    }
    if (m_protocol == "telnet") {
        line += " /telnet";
    } else if (m_protocol == "ssh2" || m_protocol == "ssh") {
        line += " /ssh2 /AUTH password";
    } else {
        line += " /ssh1";
    }
    line += " /l " + ShellWord(login);
    if (m_entrust_password == "1") line += " /password " + ShellWord(Str(m_password));
    line += " /P " + ShellWord(port) + " " + ShellWord(host);

    DebugAndRun(line);
}

void AppDelegate::StartSecureCRTDisplay() {
    StartSecureCRTMonitoring(" /ssh2 /AUTH password /l ", "--", "--");
}

void AppDelegate::StartSecureCRTMonitor() {
    StartSecureCRTMonitoring(" /ssh2 /l ", "2-", "-");
}

void AppDelegate::StartSecureCRTMonitoring(std::string_view switches, std::string_view afterUser,
                                           std::string_view afterSid) {
    const auto client = OpeningCheck(clients_.secureCRT);
    if (!client) return;

    std::string login = Str(m_monitoruser);
    login += afterUser;
    login += Str(m_sid);
    login += afterSid;
    login += Str(m_cid);
    const std::string& host = Str(m_host);
    const std::string& port = Str(m_monitorport);
    if (!Permitted({host, WithPort(host, port), clients_.secureCRT.name, login, {}},
                   {{"monitoruser", OptionLike(login)},
                    {"host", OptionLike(host)},
                    {"monitorport", !IsPort(port)}})) {
        return;
    }

    std::string line = CommandPrefix(*client);
    line += switches;
    line += ShellWord(login);
    line += " /password " + ShellWord(Str(m_monitorpassword));
    line += " " + ShellWord(host);
    line += " /P " + ShellWord(port);
    DebugAndRun(line);
}

}  // namespace torvale
