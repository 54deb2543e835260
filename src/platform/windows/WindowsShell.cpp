#include "platform/windows/WindowsShell.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "base/Fail.h"
#include "base/Utf8.h"
#include "base/WindowsCommandLine.h"
#include "core/Alerts.h"
#include "platform/windows/WideText.h"

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// The longest lpCommandLine CreateProcessW takes, with its closing NUL.
constexpr std::size_t kLongestLine = 32767;

DWORD Milliseconds(Clock::duration duration) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    return ms <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
}

// How a watched client ended, as its pass line says. Codes of the NTSTATUS
// kind (a crash: 0xC0000005; a DLL missing: 0xC0000135) in hexadecimal, as
// Windows writes them.
std::string HowItEnded(DWORD code, Clock::duration after) {
    char written[16];
    std::snprintf(written, sizeof written, code > 0xFFFF ? "0x%08lX" : "%lu",
                  static_cast<unsigned long>(code));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(after).count();
    return "exit status " + std::string(written) + " after " + std::to_string(seconds) + " s";
}

// Waits for a client still running until kWatchedFor after `start`, then
// reports how it ended, and closes its handle.
void WatchClient(HANDLE process, Clock::time_point start, ClientWatch watch,
                 const LateReport& report) {
    const DWORD waited =
        WaitForSingleObject(process, Milliseconds(start + kWatchedFor - Clock::now()));
    DWORD code = STILL_ACTIVE;
    if (waited == WAIT_OBJECT_0 && !GetExitCodeProcess(process, &code)) code = 0;
    CloseHandle(process);
    const WatchedPass& pass = watch.pass;
    if (waited != WAIT_OBJECT_0 || code == 0)
        report(pass, Outcome::Launched, {}, {});
    else
        report(pass, Outcome::ClientFailed, HowItEnded(code, Clock::now() - start),
               ClientFailedMessage(pass.client, {}, watch.certificateHost));
}

CommandResult NotRun(std::string why) {
    return {std::move(why), false, {}};
}

}  // namespace

std::optional<std::string> WindowsShell::VersionOf(const std::string& program, std::string* err) {
    Fail(err, program + ": no version is asked of a program on Windows");
    return std::nullopt;
}

CommandResult WindowsShell::Run(const Command& command, const ClientWatch& watch) {
    const std::vector<std::string> argv = ArgvOf(command);
    std::string line, why;
    if (argv.empty()) return NotRun("no program to start");
    if (!StartableOnWindows(argv[0], &why) || !WindowsCommandLine(argv, &line, &why))
        return NotRun(why);
    // The core hands over UTF-8; a client is never given a word altered.
    if (utf8::FirstInvalidByte(line)) return NotRun("the command line is not UTF-8");
    const std::wstring program = Wide(argv[0]);
    std::wstring wideLine = Wide(line);
    if (wideLine.size() >= kLongestLine)
        return NotRun("the command line is longer than Windows takes (32766 characters)");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const auto start = Clock::now();
    // The line is the client's own argv (lpCommandLine may be written to by
    // the call); the program is named apart, so nothing is looked for on the
    // PATH or guessed from the line's blanks.
    if (!CreateProcessW(program.c_str(), wideLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return NotRun(argv[0] + ": " + SystemMessage(GetLastError()));
    CloseHandle(process.hThread);
    if (started_) started_(process.hProcess, argv);

    if (WaitForSingleObject(process.hProcess, Milliseconds(watch_)) == WAIT_OBJECT_0) {
        DWORD code = 0;
        const bool failed = GetExitCodeProcess(process.hProcess, &code) && code != 0;
        CloseHandle(process.hProcess);
        return {{}, failed, {}};
    }
    if (!report_) {
        CloseHandle(process.hProcess);
        return {};
    }
    try {
        const std::lock_guard<std::mutex> hold(watchesLock_);
        watches_.emplace_back(WatchClient, process.hProcess, start, watch, std::cref(report_));
    } catch (const std::system_error&) {
        // No thread to watch it: it runs on, unwatched, as launched.
        CloseHandle(process.hProcess);
        return {};
    }
    return {{}, false, {}, false, true};
}

void WindowsShell::Finish() {
    std::vector<std::thread> watches;
    {
        const std::lock_guard<std::mutex> hold(watchesLock_);
        watches.swap(watches_);
    }
    for (std::thread& watch : watches)
        watch.join();
}

}  // namespace torvale
