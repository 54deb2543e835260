#include "support/Intended.h"

#include <algorithm>

#include "app/AppDelegate.h"

namespace torvale::test {
namespace {

bool StartsOption(const std::string& word) {
    return !word.empty() && (word[0] == '/' || word[0] == '-');
}

bool IsScheme(const std::string& s) {
    return !s.empty() && std::isalpha(static_cast<unsigned char>(s[0])) &&
           std::all_of(s.begin(), s.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '.' ||
                      c == '-';
           });
}

Argv Head(const ClientApp& app, const ClientTable& table, const std::string& bin) {
    if (table.launcher.empty()) {
        for (const ClientProgram& program : app.programs) {
            if (!program.path.empty() && program.path[0] != '/')
                return {bin + "/" + std::string(program.path)};
        }
        return {};
    }
    Argv head{"open", std::string(app.programs.front().path)};
    std::string arguments(app.programs.front().arguments);
    for (std::size_t at = 0; at < arguments.size();) {
        const std::size_t end = std::min(arguments.find(' ', at), arguments.size());
        if (end > at) head.push_back(arguments.substr(at, end - at));
        at = end + 1;
    }
    return head;
}

}  // namespace

std::optional<Argv> IntendedWords(const std::string& fieldText, const ClientTable& table,
                                  const std::string& configDir, const std::string& bin) {
    auto p = [&](const char* key) { return Str(AppDelegate::GetFromUrl(fieldText, key)); };
    const std::string action = p("action");
    std::string sshport = p("sshport");
    if (sshport.empty() || sshport == "0") sshport = "22";
    const std::string username = p("username");
    const std::size_t cut = username.find("--");
    const std::string login =
        (cut == std::string::npos ? username : username.substr(0, cut + 2)) + p("sid");
    const bool macos = !table.launcher.empty();

    Argv a;
    auto add = [&](std::initializer_list<std::string> words) { a.insert(a.end(), words); };
    if (action == "StartSecureCRT") {
        const std::string protocol = p("protocol");
        const std::string port = protocol == "telnet" ? "23" : sshport;
        const bool tab = p("crttab") == "1";
        if (StartsOption(login) || StartsOption(port) || StartsOption(p("proxy_addr")) ||
            (tab && StartsOption(p("target_username")))) {
            return std::nullopt;
        }
        a = Head(table.secureCRT, table, bin);
        if (tab) add({"/T", "/N", p("target_username") + "@" + p("target_ip")});
        if (protocol == "telnet") {
            add({"/telnet"});
        } else if (protocol == "ssh2" || protocol == "ssh") {
            add({"/ssh2", "/AUTH", "password"});
        } else {
            add({"/ssh1"});
        }
        add({"/l", login});
        if (p("entrust_password") == "1" || p("entrust_username") == "0")
            add({"/password", p("password")});
        add({"/P", port, p("proxy_addr")});
    } else if (action == "StartSecureCRTDisplay" || action == "StartSecureCRTMonitor") {
        const bool display = action == "StartSecureCRTDisplay";
        const std::string monitorLogin = p("monitoruser") + (display ? "--" : "2-") + p("sid") +
                                         (display ? "--" : "-") + p("cid");
        if (StartsOption(monitorLogin) || StartsOption(p("host")) || StartsOption(p("monitorport")))
            return std::nullopt;
        a = Head(table.secureCRT, table, bin);
        if (display) {
            add({"/ssh2", "/AUTH", "password", "/l"});
        } else {
            add({"/ssh2", "/l"});
        }
        add({monitorLogin, "/password", p("monitorpassword"), p("host"), "/P", p("monitorport")});
    } else if (action == "StartFileZilla") {
        const std::string protocol = p("protocol");
        if (!IsScheme(protocol)) return std::nullopt;
        const std::string user = login + (p("entrust_password") == "1" ? ":" + p("password") : "");
        a = Head(table.fileZilla, table, bin);
        add({protocol + "://" + user + "@" + p("proxy_addr") + ":" +
             (protocol == "ftp" ? "21" : sshport)});
    } else if (action == "StartMstsc") {
        const std::string rdparg = p("rdparg");
        const bool known = rdparg == "admin" || rdparg == "f" || rdparg == "span" ||
                           rdparg == "multimon" || rdparg == "public";
        if (macos ? rdparg.find('/') != std::string::npos || rdparg == "." || rdparg == ".."
                  : !rdparg.empty() && !known) {
            return std::nullopt;
        }
        std::string target = p("target_ip");
        std::replace(target.begin(), target.end(), '.', ',');
        const std::string file = configDir + "/" + target + ".rdp";
        a = Head(table.microsoftRemoteDesktop, table, bin);
        if (macos && !rdparg.empty()) add({"/" + rdparg});
        add({file});
        if (!macos && !rdparg.empty()) add({"/" + rdparg});
    } else if (action == "StartMstscAutoRun") {
        a = Head(table.remoteDesktopConnection, table, bin);
        add({configDir + "/activex_autorun.rdp"});
    } else if (action == "StartMstscAutoRunReplay" && macos) {
        a = Head(table.quendalApp, table, bin);
        add({"/v:" + p("host") + ":" + p("port"), "/u:" + username, "/p:" + p("password"),
             "/app-name:" + p("path"), "/app-cmd:\"" + p("param") + "\""});
    } else {
        return std::nullopt;
    }
    // The runner refuses a line that holds a NUL byte.
    if (std::any_of(a.begin(), a.end(),
                    [](const std::string& w) { return w.find('\0') != std::string::npos; }))
        return std::nullopt;
    return a;
}

}  // namespace torvale::test
