#include "platform/windows/WindowsText.h"

#include <algorithm>

#include "base/Fail.h"

namespace torvale {

bool ToWide(std::string_view text, std::wstring* wide, std::string* err) {
    wide->clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), 0x7fffffff));
    const int units =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (units <= 0 || static_cast<std::size_t>(size) != text.size())
        return Fail(err, "not UTF-8: " + SystemMessage(GetLastError()));
    wide->resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide->data(), units);
    return true;
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > 0x7fffffff) return {};
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring_view said(text, text != nullptr ? length : 0);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' '))
        said.remove_suffix(1);
    std::string message = said.empty() ? "unknown error" : ToUtf8(said);
    if (text != nullptr) LocalFree(text);
    return message + " (error " + std::to_string(code) + ")";
}

}  // namespace torvale
