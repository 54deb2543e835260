// SecureCRT: the gateway connection (SSH or Telnet), and the monitor and
// display connections.

#include "app/AppDelegate.h"
#include "app/ShellQuote.h"

namespace torvale {
namespace {

// The monitor and display lines differ only in the login name's separators
// and in the switches ahead of it.
struct MonitorFlavour {
    std::string_view switches;
    std::string_view afterUser;
    std::string_view afterSid;
};

constexpr MonitorFlavour kDisplay{" /ssh2 /AUTH password /l ", "--", "--"};
constexpr MonitorFlavour kMonitor{" /ssh2 /l ", "2-", "-"};

std::string MonitorLine(const AppDelegate& d, const MonitorFlavour& flavour) {
    std::string login = Str(d.m_monitoruser);
    login += flavour.afterUser;
    login += Str(d.m_sid);
    login += flavour.afterSid;
    login += Str(d.m_cid);

    std::string line(clients::kSecureCRT.commandPrefix);
    line += flavour.switches;
    line += ShellQuote(login);
    line += " /password " + ShellQuote(Str(d.m_monitorpassword));
    line += " " + ShellQuote(Str(d.m_host));
    line += " /P " + ShellQuote(Str(d.m_monitorport));
    return line;
}

}  // namespace

void AppDelegate::StartSecureCRT() {
    if (!OpeningCheck(clients::kSecureCRT)) return;

    std::string line(clients::kSecureCRT.commandPrefix);
    if (m_entrust_username == "0") m_entrust_password = "1";
    m_port = m_protocol == "telnet" ? std::string("23") : Str(m_sshport);
    m_username = LoginName();

    if (m_crttab == "1") {
        line += " /T /N " + ShellQuote(Str(m_target_username)) + "@" + ShellQuote(Str(m_target_ip));
    }
    if (m_protocol == "telnet") {
        line += " /telnet";
    } else if (m_protocol == "ssh2" || m_protocol == "ssh") {
        line += " /ssh2 /AUTH password";
    } else {
        line += " /ssh1";
    }
    line += " /l " + ShellQuote(Str(m_username));
    if (m_entrust_password == "1") line += " /password " + ShellQuote(Str(m_password));
    line += " /P " + ShellQuote(Str(m_port)) + " " + ShellQuote(Str(m_proxy_addr));

    DebugAndRun(line);
}

void AppDelegate::StartSecureCRTDisplay() {
    if (!OpeningCheck(clients::kSecureCRT)) return;
    DebugAndRun(MonitorLine(*this, kDisplay));
}

void AppDelegate::StartSecureCRTMonitor() {
    if (!OpeningCheck(clients::kSecureCRT)) return;
    DebugAndRun(MonitorLine(*this, kMonitor));
}

}  // namespace torvale
