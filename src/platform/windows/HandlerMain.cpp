// torvalew.exe: the torvale:// handler of Windows, started by the shell as
// the registration says, `"...\torvalew.exe" --url "%1"`. The request pass
// of the other front ends, its alerts and question as task dialogs.

#include "platform/windows/Win32.h"
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/HandlerArguments.h"
#include "platform/windows/TaskDialogPanel.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsPlatform.h"

namespace {

// The arguments as Windows splits the command line: the way the program's
// own C runtime would, and the way the registration's quotes are meant.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr) return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(torvale::Narrow(argv[i]));
    ::LocalFree(argv);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::string why;
    const auto session = torvale::StartWindowsSession(&why);
    torvale::TaskDialogPanel alerts;
    if (!session) {
        // Nowhere to log to: the one thing to do is say so.
        alerts.Inform("Torvale", "无法启动：" + why);
        return 1;
    }
    torvale::WindowsPlatform ports(*session, alerts, nullptr);
    const std::vector<std::string> arguments = Arguments();
    const torvale::HandlerArguments read = torvale::ReadHandlerArguments(arguments);
    using Kind = torvale::HandlerArguments::Kind;
    if (read.kind == Kind::Refused) {
        // Nothing of the command line is run or shown: a page could have
        // written it.
        ports.log.Pass(torvale::RefusedCommandLine(read.reason));
        return 2;
    }
    torvale::Application app = ports.App();
    if (read.kind == Kind::ShowAlerts) {
        // The log line says why when the preferences cannot be changed.
        const bool silenced = app.AlertsSuppressed();
        if (!app.TurnAlertsBackOn()) return 1;
        alerts.Inform("Torvale", silenced ? "提醒已恢复显示。" : "提醒本来就会显示，没有改变。");
        return 0;
    }
    app.applicationWillFinishLaunching(session->places.profile, session->searchPath);
    app.handleURLEvent(read.url);
    return 0;
}
