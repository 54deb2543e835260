#include "platform/windows/WindowsLog.h"

#include <windows.h>

#include "base/Fail.h"
#include "base/Printable.h"
#include "base/Text.h"
#include "platform/cli/PassLog.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsFileSystem.h"

namespace torvale {

void WindowsLog::Write(const std::string& line) {
    const std::string text = Printable(line) + "\n";
    if (stream_ == nullptr) {
        ::OutputDebugStringW(Wide("torvalew: " + text).c_str());
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::fflush(stream_);
}

void WindowsLog::Pass(const std::string& line) {
    // Not kept is not fatal to the pass: said once, where the log goes.
    if (passLog_.empty()) return;
    if (std::string why; !AppendPassLine(passLog_, line, &why)) Write("Pass not logged: " + why);
}

// PassLog.h's, for Windows: its folder made (not the folders above it).
bool AppendPassLine(const std::string& path, const std::string& line, std::string* err) {
    auto fail = [&](const std::string& what) {
        return Fail(err, what + ": " + SystemMessage(::GetLastError()));
    };
    // Windows paths separate with either "\\" or "/" (DirectoryOf knows "/").
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string::npos) return Fail(err, path + " names no folder");
    const std::string directory = path.substr(0, last);
    // %LOCALAPPDATA% is the user's alone: what is made in it is too.
    if (!::CreateDirectoryW(Wide(directory).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return fail(directory + " cannot be made");
    const std::wstring file = Wide(path);
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &info)) {
        const unsigned long long size =
            (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (size + line.size() + 1 > kPassLogLimit &&
            !::MoveFileExW(file.c_str(), Wide(path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING))
            return fail(path + " cannot be moved aside");
    }
    // Appending alone: each write of a whole line lands at the end, so lines
    // of passes running at once do not mix. Line feeds alone, as the
    // doctor reads them back on every system.
    HANDLE handle = ::CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(path + " cannot be opened");
    const std::string text = line + "\n";
    DWORD written = 0;
    const bool whole =
        ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    return whole || fail(path + " cannot be written");
}

// PassLog.h's, for Windows: the log read as the ports read any file.
std::vector<std::string> LastPassLines(const std::string& path, std::size_t count) {
    WindowsFileSystem files;
    const auto text = files.ReadFile(path, kPassLogLimit * 2, nullptr);
    if (!text) return {};
    return LastLines(*text, count);
}

}  // namespace torvale
