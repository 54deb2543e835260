#include "core/launchers/Launchers.h"

#include "base/Masking.h"
#include "base/Path.h"
#include "core/plan/AlertTitles.h"

namespace torvale {
namespace {

using T = ClientTable;

// Refuses a command with a value that holds a double quote, naming the
// first launch parameter that holds one.
void RefuseQuotedValues(Plan& plan, const Request& request) {
    if (plan.refusal || !plan.command) return;
    for (const Word& word : plan.command->words) {
        for (const Piece& piece : word) {
            if (piece.quoting == Quoting::Literal || piece.text.find('"') == std::string::npos)
                continue;
            for (const LaunchParameter& parameter : kLaunchParameters) {
                if (Str(request.*parameter.member).find('"') != std::string::npos) {
                    RefuseUnsafe(plan, {{parameter.key, true}});
                    return;
                }
            }
        }
    }
}

constexpr Route kRoutes[] = {
    {"StartPutty", &T::putty, PlanPutty, "putty还未实现"},
    {"StartWinscp", &T::winscp, PlanWinscp, "winscp还未实现"},
    {"StartFileZilla", &T::fileZilla, PlanFileZilla, {}, nullptr, &T::winscp, PlanWinscp},
    {"StartFlashXP", nullptr, nullptr, "flashxp还未实现"},
    {"StartSecureCRT", &T::secureCRT, PlanSecureCRT, {}, PlanSshInTerminal, &T::putty, PlanPutty},
    {"StartMstsc", &T::microsoftRemoteDesktop, PlanMstsc},
    {"StartPuttyMonitor", &T::putty, PlanPuttyMonitor, "putty还未实现"},
    {"StartPuttyDisplay", &T::putty, PlanPuttyDisplay, "putty还未实现"},
    {"StartSecureCRTDisplay",
     &T::secureCRT,
     PlanSecureCRTDisplay,
     {},
     PlanDisplayInTerminal,
     &T::putty,
     PlanPuttyDisplay},
    {"StartSecureCRTMonitor",
     &T::secureCRT,
     PlanSecureCRTMonitor,
     {},
     PlanMonitorInTerminal,
     &T::putty,
     PlanPuttyMonitor},
    {"StartRdpReplay", nullptr, nullptr, "rdplayer还未实现"},
    {"StartMstscMonitor", nullptr, nullptr, "rdplayer还未实现"},
    {"StartMstscAutoRun", &T::remoteDesktopConnection, PlanMstscAutoRun},
    {"StartMstscAutoRunReplay", &T::quendalApp, PlanMstscAutoRunReplay},
};

// A launcher plans with the client its route names, and an action with no
// client is a placeholder.
constexpr bool EveryLauncherNamesItsClient() {
    for (const Route& route : kRoutes) {
        if ((route.launcher != nullptr) != (route.client != nullptr)) return false;
        if (route.client == nullptr && route.notImplemented.empty()) return false;
    }
    return true;
}
// GCC 12 under AddressSanitizer does not take a function's address for a
// constant (its check of PlanPutty against null is "not a constant
// expression"): the other builds check.
#ifndef __SANITIZE_ADDRESS__
static_assert(EveryLauncherNamesItsClient());
#endif

}  // namespace

const Route* FindRoute(const Field& action) {
    if (!action) return nullptr;
    for (const Route& route : kRoutes) {
        if (*action == route.action) return &route;
    }
    return nullptr;
}

Plan PlanLaunch(const Route* route, Launcher launcher, const Request& request,
                const LaunchContext& context) {
    Plan plan;
    if (route == nullptr) {
        plan.refusal = {Outcome::UnknownAction, titles::kError, "未知接口", {}};
    } else if (launcher != nullptr) {
        plan = launcher(request, context);
    } else {
        plan.refusal = {
            Outcome::NotImplemented, titles::kSorry, std::string(route->notImplemented), {}};
    }
    if (context.table.quotelessValues) RefuseQuotedValues(plan, request);
    plan.separator = context.table.separator;
    if (route != nullptr) plan.action = route->action;
    if (request.m_debug == "1") plan.debugUrl = MaskedFieldText(Str(request.url));
    return plan;
}

const std::string* EntrustedPassword(const Request& r) {
    // Not entrusting the user name entrusts the password.
    return r.m_entrust_password == "1" || r.m_entrust_username == "0" ? &Str(r.m_password)
                                                                      : nullptr;
}

std::string SshPort(const Request& r) {
    return r.m_protocol == "telnet" ? std::string("23") : Str(r.m_sshport);
}

std::string MonitoringLogin(const Request& r, std::string_view afterUser,
                            std::string_view afterSid) {
    return Str(r.m_monitoruser) + std::string(afterUser) + Str(r.m_sid) + std::string(afterSid) +
           Str(r.m_cid);
}

SshLogin GatewayLogin(const Request& r) {
    return {"proxy_addr", Str(r.m_proxy_addr), "sshport",  SshPort(r),
            LoginKey(r),  LoginName(r),        "password", EntrustedPassword(r)};
}

SshLogin MonitoringConnection(const Request& r, std::string_view afterUser,
                              std::string_view afterSid) {
    return {"host",
            Str(r.m_host),
            "monitorport",
            Str(r.m_monitorport),
            "monitoruser",
            MonitoringLogin(r, afterUser, afterSid),
            "monitorpassword",
            &Str(r.m_monitorpassword)};
}

Plan OpeningCheck(const LaunchContext& context) {
    return OpeningCheck(context.client);
}

Plan OpeningCheck(const ClientChoice& choice) {
    Plan plan;
    if (choice.found) {
        plan.client = choice.found->path;
        plan.clientReason = choice.found->reason;
    } else {
        plan.client = choice.app->name;
        plan.refusal = {Outcome::ClientMissing, titles::kSorry, choice.notFoundText, {}};
    }
    return plan;
}

std::string ClientShown(const LaunchContext& context) {
    const std::string_view shownAs = context.client.found->form->shownAs;
    return std::string(shownAs.empty() ? context.client.app->name : shownAs);
}

Command StartCommand(const LaunchContext& context) {
    return StartCommand(context.table, *context.client.found);
}

Command StartCommand(const ClientTable& table, const ResolvedClient& client) {
    Command command;
    command.Literal(table.launcher);
    command.Literal(client.form->beforePath);
    command.words.push_back({{client.path, Quoting::Program}});
    command.Literal(client.form->arguments);
    command.asksOnTerminal = client.form->asksOnTerminal;
    return command;
}

const std::string* PasswordOnLine(Plan& plan, const LaunchContext& context,
                                  const std::string* password) {
    if (password == nullptr || password->empty() || !context.table.passwordsOffCommandLine)
        return password;
    PasswordToType(plan, std::string(context.client.app->name) +
                             " takes a password only on its command line, where others can read "
                             "it");
    return nullptr;
}

void PasswordToType(Plan& plan, std::string why) {
    plan.passwordToType = std::move(why);
    plan.destination->client += "（密码需在客户端中输入）";
}

std::string PasswordFile(Plan& plan, const LaunchContext& context, std::string_view client,
                         const std::string& password) {
    const std::string path = JoinPath(
        context.temporaryDir, std::string(client) + "-" + std::string(context.passName) + ".pw",
        context.table.separator);
    plan.files.push_back(
        {path, password, std::string(kMask), 0600, "无法创建密码文件：" + path, true, true});
    return path;
}

bool RefuseUnsafe(Plan& plan, std::initializer_list<Check> checks) {
    for (const Check& check : checks) {
        if (!check.unsafe) continue;
        plan.refusal = {Outcome::Refused, titles::kSorry,
                        "启动参数不安全：" + std::string(check.key), std::string(check.key)};
        return true;
    }
    return false;
}

}  // namespace torvale
