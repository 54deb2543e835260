#include "platform/windows/WindowsLog.h"

#include <algorithm>

#include "base/Printable.h"
#include "base/Text.h"
#include "platform/windows/AccessControl.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsFileSystem.h"

namespace torvale {

void WindowsLog::Write(const std::string& line) {
    const std::string text = Printable(line) + "\n";
    const std::wstring wide = Wide(text);
    ::OutputDebugStringW(wide.c_str());
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    // A console shows UTF-16 as it is; a file or a pipe takes UTF-8.
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(error, &mode)) {
        ::WriteConsoleW(error, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        ::WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void WindowsLog::Pass(const std::string& line) {
    // Not kept is not fatal to the pass: said once, where the log goes.
    if (passLog_.empty()) return;
    if (std::string why; !Append(line, &why)) Write("Pass not logged: " + why);
}

bool WindowsLog::Append(const std::string& line, std::string* err) {
    auto fail = [&](const std::string& what, std::string why) {
        if (err != nullptr) *err = what + ": " + why;
        return false;
    };
    const std::string folder = passLog_.substr(0, passLog_.find_last_of("/\\"));
    std::string why;
    WindowsFileSystem files;
    if (!files.CreateDirectory(folder, 0700, &why)) return fail(folder + " cannot be made", why);
    const std::wstring path = WidePath(passLog_);
    WIN32_FILE_ATTRIBUTE_DATA info;
    const std::string text = line + "\n";
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info) &&
        ((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow) + text.size() >
            kPassLogBytes &&
        !::MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING))
        return fail(passLog_ + " cannot be moved aside", SystemMessage(::GetLastError()));
    // Appending only: each write goes to the end, whoever else appends.
    PrivateSecurity security(false);
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security.Attributes(),
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(passLog_ + " cannot be opened", SystemMessage(::GetLastError()));
    DWORD written = 0;
    const bool whole =
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    return whole || fail(passLog_ + " cannot be written", SystemMessage(error));
}

std::vector<std::string> WindowsLog::LastPasses(std::size_t count) {
    WindowsFileSystem files;
    const auto text = files.ReadFile(passLog_, kPassLogBytes * 2, nullptr);
    if (!text) return {};
    const auto lines = Lines(*text);
    return {lines.end() - static_cast<long>(std::min(count, lines.size())), lines.end()};
}

}  // namespace torvale
