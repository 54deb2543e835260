#include "platform/windows/WindowsPlatform.h"

#include "platform/windows/Win32.h"

#include <chrono>

#include "base/Fail.h"
#include "core/Alerts.h"
#include "core/LaunchHistory.h"
#include "core/plan/AlertTitles.h"
#include "platform/windows/InstalledPrograms.h"
#include "platform/windows/WideText.h"

namespace torvale {

std::optional<WindowsSession> StartWindowsSession(std::string* err) {
    WindowsSession session;
    std::string why;
    session.places = FindPlaces(&why);
    // The profile, the pass log and the data folder are needed; the rest
    // only where a client is looked for there.
    if (session.places.profile.empty() || session.places.documents.empty() ||
        session.places.localAppData.empty()) {
        Fail(err, "no profile folder, or none for the data or the pass log: " + why);
        return std::nullopt;
    }
    std::wstring buffer(32768, L'\0');
    DWORD length =
        ::GetEnvironmentVariableW(L"PATH", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size())
        session.searchPath = Narrow(std::wstring_view(buffer.data(), length));
    length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size())
        session.program = Narrow(std::wstring_view(buffer.data(), length));
    session.processName = std::to_string(::GetCurrentProcessId());
    return session;
}

void PlaceApplication(Application& app, const WindowsSession& session) {
    app.SetProcess(session.program, session.processName);
    app.SetDataDirectory(session.places.DataFolder());
    if (!session.places.programData.empty())
        app.SetSystemConfiguration(session.places.SystemConfiguration());
    app.SetTemporaryDirectory(session.places.temporary);
    app.SetProgramLookup(RegisteredProgram, ExpandedPath);
}

Application WindowsPlatform::App() {
    Application app(platform(), clients::kWindows);
    PlaceApplication(app, session_);
    return app;
}

void WindowsPlatform::ReportLateEnd(const WatchedPass& pass, Outcome outcome,
                                    const std::string& detail, const std::string& alert) {
    // Watches end on threads of their own, perhaps two at a time.
    const std::lock_guard<std::mutex> hold(reportLock_);
    log.Pass(WatchedPassLine(pass, outcome, detail));
    Platform ports = platform();
    if (!alert.empty()) Alert(ports, titles::kSorry, alert);
}

std::string RefusedCommandLine(const std::string& reason) {
    LaunchRecord record;
    record.time = std::chrono::system_clock::now();
    record.outcome = Outcome::Refused;
    record.detail = reason;
    return PassLine(record);
}

}  // namespace torvale
