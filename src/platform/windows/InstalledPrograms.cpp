#include "platform/windows/InstalledPrograms.h"

#include <algorithm>

#include "platform/windows/KnownFolders.h"
#include "platform/windows/WideText.h"
#include "platform/windows/Win32.h"

namespace torvale {
namespace {

bool IsFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The default value of an App Paths key, its quotes taken off, a
// REG_EXPAND_SZ's variables expanded (RRF_RT_REG_SZ takes both); empty where
// there is none.
std::string AppPath(HKEY root, REGSAM view, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return {};
    std::wstring value(MAX_PATH, L'\0');
    LSTATUS status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 3 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(key, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size);
        if (status == ERROR_SUCCESS) value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
        if (status == ERROR_MORE_DATA) value.assign(size / sizeof(wchar_t) + 1, L'\0');
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return {};
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    std::string path = Narrow(value);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

std::vector<std::string> InstalledPrograms::InstallFolders(const WindowsPlaces& places) {
    std::vector<std::string> folders;
    for (const std::string* folder :
         {&places.programFiles, &places.programFilesX86, &places.userPrograms}) {
        if (!folder->empty() && std::find(folders.begin(), folders.end(), *folder) == folders.end())
            folders.push_back(*folder);
    }
    return folders;
}

ProgramSearch InstalledPrograms::Find(std::string_view file,
                                      std::span<const std::string_view> inFolders) const {
    ProgramSearch search;
    // A file name alone: anything else would name another key.
    if (file.empty() || file.find_first_of("/\\") != std::string_view::npos) return search;
    const std::string key = std::string(kAppPathsKey) + "\\" + std::string(file);
    const std::wstring subkey = Wide(key);
    const struct {
        HKEY root;
        REGSAM view;
        const char* name;
    } registries[] = {{HKEY_CURRENT_USER, 0, "HKEY_CURRENT_USER\\"},
                      {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, "HKEY_LOCAL_MACHINE\\"},
                      {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "HKEY_LOCAL_MACHINE (32-bit)\\"}};
    for (const auto& registry : registries) {
        const std::string path =
            subkey.empty() ? "" : AppPath(registry.root, registry.view, subkey);
        search.looked.push_back(registry.name + key + (path.empty() ? "" : " (" + path + ")"));
        if (!path.empty() && IsFile(path)) {
            search.path = path;
            return search;
        }
    }
    for (const std::string& folder : installFolders_) {
        for (std::string_view inFolder : inFolders) {
            std::string path = folder + "/" + std::string(inFolder);
            std::replace(path.begin(), path.end(), '\\', '/');
            search.looked.push_back(path);
            if (IsFile(path)) {
                search.path = std::move(path);
                return search;
            }
        }
    }
    return search;
}

}  // namespace torvale
