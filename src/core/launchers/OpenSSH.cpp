// SSH and Telnet links without SecureCRT: OpenSSH's ssh, or telnet, in the
// user's own terminal. A password the link entrusts reaches ssh through its
// askpass helper, never through a command line, the environment or a file.

#include <string_view>

#include "base/Path.h"
#include "base/Text.h"
#include "core/address/Address.h"
#include "core/launchers/Checks.h"
#include "core/launchers/Launchers.h"

namespace torvale {
namespace {

// Whether a login name could be more than a name to ssh. OpenSSH before
// 10.1 hands control characters in it to ProxyCommand and Match exec
// (CVE-2025-61984), before 9.6 shell metacharacters through %r
// (CVE-2023-51385), and "%" is a token of its own. An empty one would log
// in as the local user, whom the question does not name.
bool UnsafeLogin(std::string_view login) {
    constexpr std::string_view kShell = "'`\"$\\;&<>|(){}*?[]~!#% ";
    for (const char c : login) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || kShell.find(c) != std::string_view::npos) return true;
    }
    return login.empty() || OptionLike(login);
}

// "OpenSSH (xterm)": what the question names, the program in the terminal
// that really runs ("uxterm" for an x-terminal-emulator that names it).
std::string ShownInTerminal(const LaunchContext& context) {
    const ResolvedClient& terminal = *context.terminal->found;
    return std::string(context.client.app->name) + " (" +
           (terminal.program.empty() ? std::string(BaseName(terminal.path)) : terminal.program) +
           ")";
}

Plan PlanInTerminal(const SshLogin& l, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;
    const ClientChoice& terminal = *context.terminal;
    if (!terminal.found) return OpeningCheck(terminal);
    // ssh and telnet take an IPv6 address bare; with no host at all ssh
    // would take the next word for one.
    const std::string host(Unbracketed(l.host));
    if (RefuseUnsafe(plan, {{l.loginKey, UnsafeLogin(l.login)},
                            {l.portKey, !IsPort(l.port)},
                            {l.hostKey, !IsHost(l.host) || host.empty()}}))
        return plan;
    plan.clientReason = std::string(context.inTerminalBecause) + "; in the terminal " +
                        terminal.found->path +
                        (terminal.found->reason.empty() ? "" : " (" + terminal.found->reason + ")");
    plan.destination = {l.host, WithPort(l.host, l.port), ShownInTerminal(context), l.login, {}};

    const bool telnet = context.client.app == &context.table.telnet;
    const std::string_view dir =
        terminal.found->form->opensScript ? context.temporaryDir : context.configDir;
    const bool entrusted =
        !telnet && l.password != nullptr && !l.password->empty() && !context.askpassHelper.empty();
    const std::string_view old = SshWithoutForcedAskpass(context.sshRelease);
    Command client;
    if (entrusted && !old.empty()) {
        // The user is told in the terminal, before ssh asks, and the history
        // says why.
        plan.passwordToType =
            std::string(old) + " takes no password from Torvale (OpenSSH 8.4 and later do)";
        client.Literal("/bin/sh -c");
        client.Value("printf '%s\\n' \"$0\"; exec \"$@\"");
        client.Value(
            "这个 ssh（" + std::string(old) +
            "）不能从 Torvale 接收密码（需要 OpenSSH 8.4 或更高版本）：请在提示时输入密码。");
    } else if (entrusted) {
        // Forced, ssh asks every question through the helper: it answers
        // the password prompt and puts any other one to the user.
        const std::string socket =
            std::string(dir) + "/askpass-" + std::string(context.passName) + ".sock";
        client.Literal("/usr/bin/env");
        client.words.push_back(
            {{"SSH_ASKPASS=", Quoting::Literal}, {std::string(context.askpassHelper)}});
        client.Literal("SSH_ASKPASS_REQUIRE=force");
        client.words.push_back({{"TORVALE_ASKPASS=", Quoting::Literal}, {socket}});
        plan.handover = Handover{socket, *l.password, PasswordPrompts(l.login, host)};
    }
    client.words.push_back({{context.client.found->path, Quoting::Program}});
    if (!telnet && !l.port.empty()) {
        client.Literal("-p");
        client.Value(l.port);
    }
    client.Literal("-l");
    client.Value(l.login);
    client.Literal("--");
    client.Value(host);
    if (telnet) client.Value(l.port);

    Command command = StartCommand(context.table, *terminal.found);
    if (terminal.found->form->opensScript) {
        // Terminal.app runs a .command file in a new window. It holds no
        // password, and removes itself as it starts.
        const std::string script =
            std::string(dir) + "/ssh-" + std::string(context.passName) + ".command";
        const std::string text = "#!/bin/sh\nrm -f -- \"$0\"\nexec " + LineOf(client) + "\n";
        plan.files.push_back({script, text, text, 0700, "无法创建终端脚本：" + script, true});
        command.Value(script);
    } else {
        command.words.insert(command.words.end(), client.words.begin(), client.words.end());
    }
    plan.command = std::move(command);
    return plan;
}

}  // namespace

std::string_view SshWithoutForcedAskpass(std::string_view release) {
    constexpr std::string_view kPrefix = "OpenSSH_";
    const std::string_view name = release.substr(0, release.find_first_of(", \n"));
    if (!name.starts_with(kPrefix)) return {};
    unsigned major = 0, minor = 0;
    std::size_t i = kPrefix.size();
    for (; i < name.size() && IsDigit(name[i]) && major < 100; ++i)
        major = major * 10 + static_cast<unsigned>(name[i] - '0');
    if (i == kPrefix.size() || i >= name.size() || name[i] != '.') return {};
    const std::size_t minorStart = ++i;
    for (; i < name.size() && IsDigit(name[i]) && minor < 100; ++i)
        minor = minor * 10 + static_cast<unsigned>(name[i] - '0');
    if (i == minorStart) return {};
    return major < 8 || (major == 8 && minor < 4) ? name : std::string_view();
}

namespace {

Plan PlanMonitoringInTerminal(const Request& r, const LaunchContext& context,
                              std::string_view afterUser, std::string_view afterSid) {
    return PlanInTerminal(MonitoringConnection(r, afterUser, afterSid), context);
}

}  // namespace

Plan PlanSshInTerminal(const Request& r, const LaunchContext& context) {
    return PlanInTerminal(GatewayLogin(r), context);
}

Plan PlanDisplayInTerminal(const Request& request, const LaunchContext& context) {
    return PlanMonitoringInTerminal(request, context, "--", "--");
}

Plan PlanMonitorInTerminal(const Request& request, const LaunchContext& context) {
    return PlanMonitoringInTerminal(request, context, "2-", "-");
}

}  // namespace torvale
