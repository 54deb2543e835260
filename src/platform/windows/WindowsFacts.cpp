#include "platform/windows/WindowsFacts.h"

#include "platform/windows/Win32.h"
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <string_view>

#include "base/Fail.h"
#include "core/HandlerArguments.h"
#include "platform/cli/PassLog.h"
#include "platform/windows/InstalledPrograms.h"
#include "platform/windows/RegistryPreferences.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsFileSystem.h"

namespace torvale {
namespace {

int CALLBACK OneIsEnough(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

HandlerFacts WindowsFacts::Handler() {
    HandlerFacts facts;
    facts.howToRegister = "run torvale-setup.exe again: it registers torvale:// for this user";
    const RegisteredHandler found = FindRegisteredHandler();
    if (!found.progId.empty()) {
        facts.entry = "the choice in Settings (" + found.progId + ")";
        facts.howToRegister +=
            ", then choose Torvale for TORVALE links in Settings, Apps, "
            "Default apps";
    }
    if (found.command.empty()) return facts;
    facts.entry = found.key + (found.progId.empty() ? "" : ", " + facts.entry);
    // Its words as torvalew.exe reads them, a link in place of "%1": the
    // handler's own rule says whether it would take one.
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(Wide(found.command).c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(std::wstring_view(words[i]) == L"%1" ? "torvale://" : Narrow(words[i]));
    // Named as the file system names it, for the doctor to compare with the
    // expected one whatever case or short names either was written in.
    if (words != nullptr && count > 0)
        facts.program = WindowsFileSystem().Resolved(Narrow(words[0]));
    ::LocalFree(words);
    const bool asRegistered = ReadHandlerArguments(arguments).kind == HandlerArguments::Kind::Url;
    if (!found.urlProtocol) {
        facts.misuse =
            "Software\\Classes\\torvale has no value \"URL Protocol\": Windows hands "
            "it no link";
    } else if (found.progId.empty() && !facts.program.empty() && !asRegistered) {
        facts.misuse = "its command line is " + found.command +
                       ", not \"PROGRAM\" --url \"%1\": every link is refused there";
    }
    return facts;
}

std::string WindowsFacts::ExpectedHandler() {
    const std::size_t last = session_.program.find_last_of('\\');
    return last == std::string::npos
               ? std::string()
               : WindowsFileSystem().Resolved(session_.program.substr(0, last) + "\\torvalew.exe");
}

std::optional<bool> WindowsFacts::ChineseFont(std::string* err) {
    // The families of the simplified Chinese character set; any one will do.
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) {
        Fail(err, "no screen to ask the fonts of");
        return std::nullopt;
    }
    LOGFONTW wanted{};
    wanted.lfCharSet = GB2312_CHARSET;
    bool found = false;
    ::EnumFontFamiliesExW(screen, &wanted, OneIsEnough, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

std::string WindowsFacts::PreferencesPlace() {
    return std::string("HKCU\\") + RegistryPreferences::kSettingsKey;
}

std::string WindowsFacts::HowToShowAlerts() {
    return "choose 恢复 Torvale 提醒 in the Start menu, or run torvale.exe --show-alerts, or "
           "delete the value AlertSuppression of " +
           PreferencesPlace();
}

std::vector<std::string> WindowsFacts::LastPasses(std::size_t count) {
    return LastPassLines(PassLogPlace(), count);
}

}  // namespace torvale
