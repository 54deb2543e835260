#include "support/Intended.h"

#include <algorithm>

#include "core/AppDelegate.h"

namespace torvale::test {

std::optional<Argv> IntendedWords(const std::string& fieldText, const ClientTable& table,
                                  const std::string& configDir, const std::string& bin) {
    auto p = [&](const char* key) { return Str(AppDelegate::GetFromUrl(fieldText, key)); };
    auto digits = [](const std::string& port) {
        return port.find_first_not_of("0123456789") == std::string::npos;
    };
    auto option = [](const std::string& word) {
        return !word.empty() && (word[0] == '/' || word[0] == '-');
    };
    const bool macos = table.name == "macos";
    auto head = [&](const char* bundle, const char* program, Argv arguments = {}) {
        Argv words = macos ? Argv{"open", std::string("/Applications/") + bundle}
                           : Argv{bin + "/" + program};
        if (macos) words.insert(words.end(), arguments.begin(), arguments.end());
        return words;
    };
    const std::string action = p("action"), username = p("username"), protocol = p("protocol");
    const std::string sshport = p("sshport").empty() || p("sshport") == "0" ? "22" : p("sshport");
    const std::size_t cut = username.find("--");
    const std::string login =
        (cut == std::string::npos ? username : username.substr(0, cut + 2)) + p("sid");

    Argv a;
    auto add = [&](std::initializer_list<std::string> words) { a.insert(a.end(), words); };
    if (action == "StartSecureCRT") {
        const std::string port = protocol == "telnet" ? "23" : sshport;
        const bool tab = p("crttab") == "1";
        if (option(login) || !digits(port) || option(p("proxy_addr")) ||
            (tab && option(p("target_username"))))
            return std::nullopt;
        a = head("SecureCRT.app", "SecureCRT", {"-n", "--args"});
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
        if (option(monitorLogin) || option(p("host")) || !digits(p("monitorport")))
            return std::nullopt;
        a = head("SecureCRT.app", "SecureCRT", {"-n", "--args"});
        if (display) {
            add({"/ssh2", "/AUTH", "password", "/l"});
        } else {
            add({"/ssh2", "/l"});
        }
        add({monitorLogin, "/password", p("monitorpassword"), p("host"), "/P", p("monitorport")});
    } else if (action == "StartFileZilla") {
        const bool scheme =
            !protocol.empty() && std::isalpha(static_cast<unsigned char>(protocol[0])) &&
            protocol.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+.-") ==
                std::string::npos;
        const std::string password = p("entrust_password") == "1" ? ":" + p("password") : "";
        const std::string port = protocol == "ftp" ? "21" : sshport;
        // FileZilla would read a "/" in the user part as the start of a path,
        // and take the host from after the last "@".
        std::string host = p("proxy_addr");
        const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
        const std::string bare = bracketed ? host.substr(1, host.size() - 2) : host;
        const bool whole = std::none_of(bare.begin(), bare.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f ||
                   std::string("@/\\?#[]").find(c) != std::string::npos;
        });
        if (!scheme || !whole || (login + password).find('/') != std::string::npos || !digits(port))
            return std::nullopt;
        if (!bracketed && host.find(':') != std::string::npos) host = "[" + host + "]";
        a = head("FileZilla.app", "filezilla", {"--args"});
        add({protocol + "://" + login + password + "@" + host + ":" + port});
    } else if (action == "StartMstsc") {
        const std::string rdparg = p("rdparg");
        const bool plain = rdparg == "admin" || rdparg == "f" || rdparg == "span" ||
                           rdparg == "multimon" || rdparg == "public";
        if (macos ? rdparg.find('/') != std::string::npos || rdparg == "." || rdparg == ".."
                  : !rdparg.empty() && !plain) {
            return std::nullopt;
        }
        std::string target = p("target_ip");
        std::replace(target.begin(), target.end(), '.', ',');
        // The client opens the target's copy only once it is written: not in
        // a directory that is not there, nor under a name too long.
        const std::string name =
            target.substr(std::min(target.find_first_not_of('/'), target.size()));
        if (name.find('/') != std::string::npos || name.size() + 4 > 255) return std::nullopt;
        a = head("Microsoft Remote Desktop.app", "xfreerdp");
        if (macos && !rdparg.empty()) add({"/" + rdparg});
        add({configDir + "/" + target + ".rdp"});
        if (!macos && !rdparg.empty() && rdparg != "public") add({"/" + rdparg});
    } else if (action == "StartMstscAutoRun") {
        a = head("Remote Desktop Connection.app", "xfreerdp");
        add({configDir + "/activex_autorun.rdp"});
    } else if (action == "StartMstscAutoRunReplay" && macos && digits(p("port"))) {
        a = head("QuendalApp.app", "", {"--args"});
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
