// Microsoft's Remote Desktop clients, each opening a connection file written
// into the user data directory: the full desktop and the published application.

#include <algorithm>

#include "app/AlertTitles.h"
#include "app/AppDelegate.h"
#include "app/ShellQuote.h"

namespace torvale {
namespace {

const std::string kWriteFailed = "创建activex.rdp文件出错";

// Connection files carry the user's password.
constexpr unsigned kConnectionFileMode = 0600;

}  // namespace

void AppDelegate::StartMstsc() {
    const ClientApp& client = clients::kMicrosoftRemoteDesktop;
    if (!OpeningCheck(client)) return;

    const std::string desktopFile = ConfigDir + "/activex.rdp";
    if (!platform_.files.WriteFile(desktopFile, MstscFileText(), kConnectionFileMode)) {
        Alert(titles::kSorry, kWriteFailed + desktopFile);
    }

    // With every "." made ",", the name can never climb out of the directory.
    std::string target = Str(m_target_ip);
    std::replace(target.begin(), target.end(), '.', ',');
    m_target_ip = target;

    // The target "activex" names the desktop file itself: removing it before
    // the copy would destroy the file the client is about to open.
    const std::string targetCopy = ConfigDir + "/" + target + ".rdp";
    if (targetCopy != desktopFile) {
        platform_.files.Remove(targetCopy);
        if (!platform_.files.Copy(desktopFile, targetCopy, kConnectionFileMode)) {
            Alert(titles::kSorry, "复制文件出错" + targetCopy);
        }
    }

    std::string line(client.commandPrefix);
    if (!Str(m_rdparg).empty()) line += "/" + ShellQuote(Str(m_rdparg)) + " ";
    line += ShellQuote(targetCopy);
    runcmd(line);
}

void AppDelegate::StartMstscAutoRun() {
    const ClientApp& client = clients::kRemoteDesktopConnection;
    if (!OpeningCheck(client)) return;

    const std::string file = ConfigDir + "/activex_autorun.rdp";
    if (!platform_.files.WriteFile(file, MstscAutoRunFileText(), kConnectionFileMode)) {
        Alert(titles::kSorry, kWriteFailed);
    }
    runcmd(std::string(client.commandPrefix) + ShellQuote(file));
}

}  // namespace torvale
