#include "platform/windows/InstalledPrograms.h"

#include <optional>
#include <utility>

#include "platform/windows/WideText.h"
#include "platform/windows/Win32.h"

namespace torvale {
namespace {

// A text value of a key as it is (`name` null: the default value), a
// REG_EXPAND_SZ's variables expanded (RRF_RT_REG_SZ takes both); nothing
// where there is none.
std::optional<std::wstring> Value(HKEY root, REGSAM view, const std::wstring& subkey,
                                  const wchar_t* name = nullptr) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(MAX_PATH, L'\0');
    LSTATUS status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 3 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &size);
        if (status == ERROR_SUCCESS) value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
        if (status == ERROR_MORE_DATA) value.assign(size / sizeof(wchar_t) + 1, L'\0');
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

// The default value of a key; empty where there is none.
std::wstring DefaultValue(HKEY root, REGSAM view, const std::wstring& subkey) {
    return Value(root, view, subkey).value_or(std::wstring());
}

// The default value of an App Paths key, its quotes taken off.
std::wstring AppPath(HKEY root, REGSAM view, const std::wstring& subkey) {
    std::wstring value = DefaultValue(root, view, subkey);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

RegisteredHandler FindRegisteredHandler() {
    const std::pair<HKEY, const char*> kRoots[] = {{HKEY_CURRENT_USER, "HKCU\\"},
                                                   {HKEY_LOCAL_MACHINE, "HKLM\\"}};
    RegisteredHandler found;
    // The user's choice in Settings, where there is one, names the class
    // whose command opens the links in place of the scheme's own.
    const std::wstring chosen =
        Value(HKEY_CURRENT_USER, 0, Wide(kUserChoiceKey), L"ProgId").value_or(L"torvale");
    found.progId = chosen == L"torvale" ? std::string() : Narrow(chosen);
    for (const auto& [root, name] : kRoots) {
        const std::string scheme = "Software\\Classes\\torvale";
        found.urlProtocol =
            found.urlProtocol || Value(root, 0, Wide(scheme), L"URL Protocol").has_value();
        const std::string command =
            "Software\\Classes\\" + Narrow(chosen) + "\\shell\\open\\command";
        if (!found.command.empty()) continue;
        found.command = Narrow(DefaultValue(root, 0, Wide(command)));
        if (!found.command.empty()) found.key = std::string(name) + command;
    }
    return found;
}

std::string RegisteredProgram(std::string_view file) {
    // A file name alone: anything else would name another key.
    const std::wstring name = Wide(file);
    if (name.empty() || name.find_first_of(L"/\\") != std::wstring::npos) return {};
    const std::wstring subkey = Wide(kAppPathsKey) + L"\\" + name;
    const std::pair<HKEY, REGSAM> keys[] = {{HKEY_CURRENT_USER, 0},
                                            {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                                            {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}};
    std::wstring first;
    for (const auto& [root, view] : keys) {
        const std::wstring path = AppPath(root, view, subkey);
        if (path.empty()) continue;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return Narrow(path);
        if (first.empty()) first = path;
    }
    return Narrow(first);
}

std::string ExpandedPath(std::string_view path) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return std::string(path);
    std::wstring expanded(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(),
                                                    static_cast<DWORD>(expanded.size()));
        if (n == 0) return std::string(path);
        if (n <= expanded.size()) {
            expanded.resize(n - 1);  // n counts the closing NUL
            return Narrow(expanded);
        }
        expanded.assign(n, L'\0');
    }
    return std::string(path);
}

}  // namespace torvale
