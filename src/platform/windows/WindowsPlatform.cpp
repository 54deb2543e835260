#include "platform/windows/WindowsPlatform.h"

#include <windows.h>
// windows.h first: the shell's headers need its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>

#include "base/Fail.h"
#include "core/LaunchHistory.h"
#include "platform/windows/WindowsText.h"

namespace torvale {
namespace {

std::string Slashed(std::wstring_view path) {
    std::string text = Utf8(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::optional<std::string> KnownFolder(REFKNOWNFOLDERID id, const char* name, std::string* err) {
    wchar_t* path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr && *path != L'\0') folder = Slashed(path);
    // Freed even where the call failed, as its documentation asks.
    ::CoTaskMemFree(path);
    if (!folder)
        Fail(err, std::string("no ") + name + " folder: " + ErrorText(static_cast<DWORD>(result)));
    return folder;
}

}  // namespace

std::optional<WindowsSession> StartWindowsSession(std::string* err) {
    WindowsSession session;
    const auto home = KnownFolder(FOLDERID_Profile, "profile", err);
    const auto local = KnownFolder(FOLDERID_LocalAppData, "local application data", err);
    if (!home || !local) return std::nullopt;
    session.home = *home;
    session.passLogPath = *local + "/Torvale/torvale.log";
    std::wstring buffer(32768, L'\0');
    DWORD length =
        ::GetEnvironmentVariableW(L"PATH", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) session.searchPath = Utf8(std::wstring_view(buffer.data(), length));
    length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size())
        session.program = Slashed(std::wstring_view(buffer.data(), length));
    session.processName = std::to_string(::GetCurrentProcessId());
    return session;
}

std::string RefusedCommandLine(const std::string& reason) {
    LaunchRecord record;
    record.time = std::chrono::system_clock::now();
    record.outcome = Outcome::Refused;
    record.detail = reason;
    return PassLine(record);
}

}  // namespace torvale
