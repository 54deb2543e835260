#include "platform/windows/WideText.h"

#include "platform/windows/Win32.h"

namespace torvale {

std::wstring Wide(std::string_view text) {
    if (text.empty() || text.size() > 0x7fffffff) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty() || text.size() > 0x7fffffff) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size,
                                             nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, narrow.data(), length,
                          nullptr, nullptr);
    return narrow;
}

bool Widens(std::string_view text) {
    return text.empty() || !Wide(text).empty();
}

std::wstring WidePath(std::string_view path) {
    std::wstring wide = Wide(path);
    if (wide.find(L'\0') != std::wstring::npos) return {};
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    const std::string said = Narrow(text);
    return (said.empty() ? "error" : said) + " (" + std::to_string(code) + ")";
}

bool FailWith(std::string* err, unsigned long code) {
    if (err != nullptr) *err = SystemMessage(code);
    return false;
}

bool FailLast(std::string* err) {
    return FailWith(err, ::GetLastError());
}

}  // namespace torvale
