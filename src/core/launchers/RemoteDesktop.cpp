// Microsoft's Remote Desktop clients, each opening a connection file written
// into the user data directory: the full desktop and the published application.

#include <algorithm>

#include "base/Path.h"
#include "core/address/Address.h"
#include "core/launchers/Checks.h"
#include "core/launchers/Launchers.h"
#include "core/launchers/RdpFile.h"
#include "core/plan/AlertTitles.h"

namespace torvale {
namespace {

constexpr char kWriteFailed[] = "创建activex.rdp文件出错";

// Where an .rdp launch connects, and what it shares there, as the file says
// them; nothing, with the plan refused, for an address that a client could
// read as another than the question would show.
bool RefuseOrSetDestination(Plan& plan, const Request& r, const LaunchContext& context) {
    const std::string& address = Str(r.m_localhost);
    const auto split = SplitAddress(address);
    if (RefuseUnsafe(plan,
                     {{"localhost", !split}, {"disk", BlankAroundADrive(OneLine(Str(r.m_disk)))}}))
        return true;
    // Said plainly rather than left to the client's own failure, which names
    // a DNS error.
    if (split->host.find(':') != std::string_view::npos && !context.client.found->form->readsIPv6) {
        plan.refusal = {Outcome::Refused, titles::kSorry,
                        ClientShown(context) + "无法连接 IPv6 地址：" + address, address};
        return true;
    }
    plan.destination = {
        std::string(split->host), address, ClientShown(context), OneLine(LoginName(r)),
        SharesOf(OneLine(Str(r.m_disk)), OneLine(Str(r.m_clipboard)), context.home)};
    return false;
}

// A connection file: private, since it may carry the user's password, and
// then removed once read. Its text as written, and as shown.
FileToWrite ConnectionFile(std::string path, bool holdsPassword,
                           std::string (*text)(const Request&, bool), const Request& r,
                           std::string failureAlert, bool neededByCommand) {
    return {std::move(path),         text(r, false),  text(r, true), 0600,
            std::move(failureAlert), neededByCommand, holdsPassword};
}

}  // namespace

Plan PlanMstsc(const Request& r, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;
    const std::string& rdparg = Str(r.m_rdparg);
    const RdpSwitch place = context.client.found->form->rdpSwitch;
    // The target names one file in the data directory: a "/" would aim the
    // copy at a folder there, a NUL cut its name short.
    // On Windows a "\\" would too, and ":" name a stream or a drive; the
    // others no file name may hold.
    std::string target = Str(r.m_target_ip);
    const std::string_view notInName = context.table.separator == '\\'
                                           ? std::string_view("/\0\\:*?\"<>|", 10)
                                           : std::string_view("/\0", 2);
    if (RefuseUnsafe(plan, {{"rdparg", IsUnsafeRdpSwitch(rdparg, place)},
                            {"target_ip", target.find_first_of(notInName) != std::string::npos}}) ||
        RefuseOrSetDestination(plan, r, context))
        return plan;

    // The client gets a copy named after the target, written from this
    // pass's own text: a pass to another target may rewrite activex.rdp
    // meanwhile (one process per click on Linux), and no copy needs hard
    // links (SMB, exFAT).
    const bool password = r.m_entrust_password == "1" && !OneLine(Str(r.m_password)).empty();
    const char separator = context.table.separator;
    const std::string desktopFile = JoinPath(context.configDir, "activex.rdp", separator);
    plan.files.push_back(
        ConnectionFile(desktopFile, password, MstscFileText, r, kWriteFailed + desktopFile, false));
    // With every "." made ",", the name is never "." or "..".
    std::replace(target.begin(), target.end(), '.', ',');
    const std::string targetCopy = JoinPath(context.configDir, target + ".rdp", separator);
    // A client started on a copy that was not written would open what an
    // earlier pass left there: another target, with its shared drives.
    plan.files.push_back(
        ConnectionFile(targetCopy, password, MstscFileText, r, "复制文件出错" + targetCopy, true));

    Command command = StartCommand(context);
    command.debugShown = false;
    auto rdpSwitch = [&] { command.words.push_back({{"/", Quoting::Literal}, {rdparg}}); };
    if (place == RdpSwitch::BeforeFile && !rdparg.empty()) rdpSwitch();
    command.Value(targetCopy);
    // FreeRDP keeps no credentials, so "public" asks nothing of it, and
    // FreeRDP 2 rejects the switch and exits; mstsc takes it.
    if (!rdparg.empty() &&
        ((place == RdpSwitch::AfterFile && rdparg != "public") || place == RdpSwitch::Mstsc))
        rdpSwitch();
    plan.command = std::move(command);
    return plan;
}

Plan PlanMstscAutoRun(const Request& r, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal || RefuseOrSetDestination(plan, r, context)) return plan;

    const std::string file =
        JoinPath(context.configDir, "activex_autorun.rdp", context.table.separator);
    const bool password = !OneLine(Str(r.m_password)).empty();
    plan.files.push_back(
        ConnectionFile(file, password, MstscAutoRunFileText, r, kWriteFailed, true));
    Command command = StartCommand(context);
    command.debugShown = false;
    command.Value(file);
    plan.command = std::move(command);
    return plan;
}

}  // namespace torvale
