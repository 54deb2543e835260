// Microsoft's Remote Desktop clients, each opening a connection file written
// into the user data directory: the full desktop and the published application.

#include <algorithm>

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"
#include "core/launchers/Checks.h"
#include "core/launchers/rdp/ConnectionFile.h"
#include "base/ShellQuote.h"

namespace torvale {
namespace {

const std::string kWriteFailed = "创建activex.rdp文件出错";

}  // namespace

Destination AppDelegate::RemoteDesktop(const ClientApp& app) {
    // The address, the login, the drives and the clipboard as the file will
    // say them.
    const std::string address = OneLine(Str(m_localhost));
    return {std::string(HostOfAddress(address)), address, app.name, OneLine(LoginName()),
            Shares{OneLine(Str(m_disk)), OneLine(Str(m_clipboard))}};
}

bool AppDelegate::WriteConnectionFile(const std::string& path, const std::string& text,
                                      const std::string& failure) {
    // Connection files carry the user's password.
    if (platform_.files.WriteFile(path, text, 0600)) return true;
    pass_.record.outcome = Outcome::WriteFailed;
    pass_.record.detail = path;
    Alert(titles::kSorry, failure);
    return false;
}

void AppDelegate::StartMstsc() {
    const auto client = OpeningCheck(clients_.microsoftRemoteDesktop);
    if (!client) return;
    const std::string& rdparg = Str(m_rdparg);
    const RdpSwitch place = client->form->rdpSwitch;
    if (!Permitted(RemoteDesktop(clients_.microsoftRemoteDesktop),
                   {{"rdparg", IsUnsafeRdpSwitch(rdparg, place)}})) {
        return;
    }

    // The client gets a copy named after the target, written from this
    // pass's own text: a pass to another target may rewrite activex.rdp
    // meanwhile (one process per click on Linux), and no copy needs hard
    // links (SMB, exFAT).
    const std::string text = MstscFileText();
    const std::string desktopFile = ConfigDir + "/activex.rdp";
    WriteConnectionFile(desktopFile, text, kWriteFailed + desktopFile);

    // With every "." made ",", the name can never climb out of the directory.
    std::string target = Str(m_target_ip);
    std::replace(target.begin(), target.end(), '.', ',');
    m_target_ip = target;
    const std::string targetCopy = ConfigDir + "/" + target + ".rdp";
    // A client started on a copy that was not written would open what an
    // earlier pass left there: another target, with its shared drives.
    if (!WriteConnectionFile(targetCopy, text, "复制文件出错" + targetCopy)) return;

    std::string line = CommandPrefix(*client);
    const std::string rdpSwitch = rdparg.empty() ? std::string() : "/" + ShellQuote(rdparg);
    if (place == RdpSwitch::BeforeFile && !rdpSwitch.empty()) line += rdpSwitch + " ";
    line += ShellWord(targetCopy);
    // FreeRDP keeps no credentials, so "public" asks nothing of it, and
    // FreeRDP 2 rejects the switch and exits.
    if (place == RdpSwitch::AfterFile && !rdpSwitch.empty() && rdparg != "public")
        line += " " + rdpSwitch;
    runcmd(line);
}

void AppDelegate::StartMstscAutoRun() {
    const auto client = OpeningCheck(clients_.remoteDesktopConnection);
    if (!client) return;
    if (!Permitted(RemoteDesktop(clients_.remoteDesktopConnection), {})) return;

    const std::string file = ConfigDir + "/activex_autorun.rdp";
    if (!WriteConnectionFile(file, MstscAutoRunFileText(), kWriteFailed)) return;
    runcmd(CommandPrefix(*client) + ShellWord(file));
}

}  // namespace torvale
