#include "platform/windows/WindowsFileSystem.h"

#include "platform/windows/Win32.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/Fail.h"
#include "platform/windows/AccessControl.h"
#include "platform/windows/WideText.h"

namespace torvale {
namespace {

bool Unusable(std::string* err) {
    return Fail(err, "the path is empty, not UTF-8 or holds a NUL character");
}

bool IsPrivate(unsigned mode) {
    return (mode & 077) == 0;
}

// What a new file or folder of `mode` is made with: a private mode (no
// group or other bits) its user's list alone, any other none, so that its
// folder's list passes down. Nothing, with why, where the private list
// cannot be made.
std::optional<SECURITY_ATTRIBUTES*> SecurityFor(unsigned mode, PrivateSecurity& security,
                                                std::string* err) {
    if (!IsPrivate(mode)) return nullptr;
    if (security.Attributes() == nullptr) {
        Fail(err, security.Error());
        return std::nullopt;
    }
    return security.Attributes();
}

// A path as Windows names it, for the core: UTF-8, backslashes.
std::string Shown(std::wstring_view path) {
    return Narrow(path);
}

// Closes the handle as the scope ends.
struct Handle {
    HANDLE value;
    explicit Handle(HANDLE h) : value(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) ::CloseHandle(value);
    }
    bool Valid() const { return value != INVALID_HANDLE_VALUE; }
};

// Opens what stands at the path only to look at it: a folder too, a link
// itself where `followLinks` is false.
HANDLE OpenToLook(const std::wstring& path, DWORD access, bool followLinks) {
    return ::CreateFileW(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Where the components after a path's root begin: after "C:\", after
// "\\server\share\", or at once for a relative path.
std::size_t AfterRoot(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.size() > 2 ? 3 : 2;
    if (!path.starts_with(L"\\\\")) return 0;
    std::size_t at = 2;
    for (int part = 0; part < 2 && at != std::wstring::npos; ++part) {
        at = path.find(L'\\', at);
        if (at != std::wstring::npos) ++at;
    }
    return at == std::wstring::npos ? path.size() : at;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Temporaries are named after their writer, ".torvale-PID-XXXXXX", so that
// whoever finds one can tell whether its writer still runs.
constexpr std::wstring_view kTemporaryPrefix = L".torvale-";

bool Runs(DWORD pid) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    // Another user's process may not be opened, and it runs.
    if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool runs = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return runs;
}

bool IsLeftover(std::wstring_view name) {
    if (!name.starts_with(kTemporaryPrefix)) return false;
    name.remove_prefix(kTemporaryPrefix.size());
    const std::size_t dash = name.find(L'-');
    if (dash == 0 || dash == std::wstring_view::npos || dash > 9 || name.size() - dash - 1 != 6)
        return false;
    DWORD pid = 0;
    for (const wchar_t c : name.substr(0, dash)) {
        if (c < L'0' || c > L'9') return false;
        pid = pid * 10 + static_cast<DWORD>(c - L'0');
    }
    return !Runs(pid);
}

// 100-nanosecond ticks since 1601.
std::uint64_t Ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// The files with these endings that were not written for a minute: their
// readers have read them long since.
bool IsStale(const WIN32_FIND_DATAW& found, std::span<const std::string_view> suffixes) {
    constexpr std::uint64_t kMinute = 60ull * 10'000'000;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const std::string name = Narrow(found.cFileName);
    return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
               0 &&
           std::any_of(suffixes.begin(), suffixes.end(),
                       [&](std::string_view suffix) {
                           return !suffix.empty() && name.ends_with(suffix);
                       }) &&
           Ticks(now) > Ticks(found.ftLastWriteTime) + kMinute;
}

// Each name in the directory, "." and ".." left out, to `visit`.
bool ForEachEntry(const std::wstring& directory,
                  const std::function<void(const WIN32_FIND_DATAW&)>& visit, std::string* err) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW((directory + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return FailLast(err);
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") visit(found);
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    return error == ERROR_NO_MORE_FILES || FailWith(err, error);
}

// Whether the process may open what stands at the path for `access`.
bool MayOpen(const std::wstring& path, DWORD access) {
    return Handle(OpenToLook(path, access, true)).Valid();
}

}  // namespace

bool WindowsFileSystem::Exists(const std::string& path) {
    const std::wstring wide = WidePath(path);
    return !wide.empty() && ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsFileSystem::CreateDirectory(const std::string& path, unsigned mode, std::string* err) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Unusable(err);
    if (IsDirectory(wide)) return true;
    PrivateSecurity security(true);
    const auto attributes = SecurityFor(mode, security, err);
    if (!attributes) return false;
    for (std::size_t at = AfterRoot(wide); at <= wide.size(); ++at) {
        at = std::min(wide.find(L'\\', at), wide.size());
        const std::wstring prefix = wide.substr(0, at);
        if (prefix.empty() || IsDirectory(prefix)) continue;
        if (!::CreateDirectoryW(prefix.c_str(), *attributes) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            return FailLast(err);
    }
    return IsDirectory(wide) || FailWith(err, ERROR_DIRECTORY);
}

bool WindowsFileSystem::SetMode(const std::string& path, unsigned mode, std::string* err) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Unusable(err);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FailLast(err);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (err != nullptr) *err = "a link, whose target is left as it is";
        return false;
    }
    return SetPrivate(wide, IsPrivate(mode), err);
}

std::optional<std::string> WindowsFileSystem::ReadFile(const std::string& path, std::size_t limit,
                                                       std::string* err) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        Unusable(err);
        return std::nullopt;
    }
    // Writers replace the file by renaming over it: sharing deletion lets
    // them while it is read.
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        if (IsMissing(error)) return std::string();
        FailWith(err, error);
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file.value, &info)) {
        FailLast(err);
        return std::nullopt;
    }
    // A pipe or a device would block or never end.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        ::GetFileType(file.value) != FILE_TYPE_DISK) {
        if (err != nullptr)
            *err = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "a directory"
                                                                           : "not a regular file";
        return std::nullopt;
    }
    std::string contents;
    char buffer[16384];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.value, buffer, sizeof buffer, &n, nullptr)) {
            FailLast(err);
            return std::nullopt;
        }
        if (n == 0) return contents;
        if (contents.size() + n > limit) {
            if (err != nullptr) *err = "larger than " + std::to_string(limit) + " bytes";
            return std::nullopt;
        }
        contents.append(buffer, n);
    }
}

bool WindowsFileSystem::WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                                  std::string* err) {
    // A crash or a full disk halfway through must never leave a truncated
    // connection file: the new content appears whole, by rename, or not at
    // all, and no temporary file is left behind.
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Unusable(err);
    PrivateSecurity security(false);
    const auto attributes = SecurityFor(mode, security, err);
    if (!attributes) return false;
    const std::size_t slash = wide.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"" : wide.substr(0, slash + 1);
    static std::atomic<unsigned> written{0};
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        // Six characters no two writes of this process share; another
        // process's name differs in its PID.
        unsigned tag = (written++ * 2654435761u) ^ static_cast<unsigned>(::GetTickCount64());
        std::wstring suffix;
        for (int i = 0; i < 6; ++i, tag /= 36)
            suffix += L"0123456789abcdefghijklmnopqrstuvwxyz"[tag % 36];
        temporary = folder + std::wstring(kTemporaryPrefix) +
                    std::to_wstring(::GetCurrentProcessId()) + L"-" + suffix;
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, *attributes, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return FailLast(err);
    }
    if (file == INVALID_HANDLE_VALUE) return FailLast(err);
    DWORD error = ERROR_SUCCESS;
    for (std::string_view rest = contents; !rest.empty() && error == ERROR_SUCCESS;) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 20));
        if (!::WriteFile(file, rest.data(), chunk, &n, nullptr)) error = ::GetLastError();
        rest.remove_prefix(n);
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(file)) error = ::GetLastError();
    if (!::CloseHandle(file) && error == ERROR_SUCCESS) error = ::GetLastError();
    // A reader that did not share deletion, an indexer or a virus scanner,
    // holds the file for a moment: a few tries, then the reason.
    for (int attempt = 0; error == ERROR_SUCCESS && attempt < 10; ++attempt) {
        if (::MoveFileExW(temporary.c_str(), wide.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        if (attempt < 9) error = ERROR_SUCCESS;
        ::Sleep(10);
    }
    ::DeleteFileW(temporary.c_str());
    return FailWith(err, error);
}

bool WindowsFileSystem::CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Unusable(err);
    PrivateSecurity security(false);
    const auto attributes = SecurityFor(mode, security, err);
    if (!attributes) return false;
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, *attributes, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FailLast(err);
    return ::CloseHandle(file) || FailLast(err);
}

bool WindowsFileSystem::RemoveLeftovers(const std::string& directory,
                                        std::span<const std::string_view> suffixes,
                                        std::string* err) {
    const std::wstring wide = WidePath(directory);
    if (wide.empty()) return Unusable(err);
    if (!IsDirectory(wide)) return true;
    bool removed = true;
    const bool listed = ForEachEntry(
        wide,
        [&](const WIN32_FIND_DATAW& found) {
            if ((IsLeftover(found.cFileName) || IsStale(found, suffixes)) &&
                !::DeleteFileW((wide + L"\\" + found.cFileName).c_str()) &&
                !IsMissing(::GetLastError()))
                removed = FailLast(err);
        },
        err);
    return listed && removed;
}

std::optional<PathInfo> WindowsFileSystem::Inspect(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return std::nullopt;
    const Handle handle(OpenToLook(wide, READ_CONTROL, true));
    BY_HANDLE_FILE_INFORMATION info;
    AccessList list;
    if (!handle.Valid() || !::GetFileInformationByHandle(handle.value, &info) ||
        !ReadAccessList(handle.value, &list, nullptr))
        return std::nullopt;
    const bool directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Who besides this user may read and write, as permission bits say it:
    // the system and its administrators are root, whom no bits name.
    std::vector<unsigned char> sid = CurrentUserSid(nullptr);
    const std::string self = sid.empty() ? std::string() : SidText(sid.data());
    unsigned others = list.unrestricted ? 066u : 0u;
    for (const AccessEntry& entry : list.entries) {
        if (!entry.allows || entry.inheritOnly || entry.sid == self || entry.sid == "S-1-5-18" ||
            entry.sid == "S-1-5-32-544")
            continue;
        if ((entry.rights & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) != 0) others |= 044u;
        if ((entry.rights & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE | GENERIC_ALL |
                             WRITE_DAC | WRITE_OWNER)) != 0)
            others |= 022u;
    }
    if (directory && (others & 044u) != 0) others |= 011u;
    const unsigned mode = (directory ? 0700u : 0600u) | others;
    const bool rootOwned = list.owner == "S-1-5-32-544" || list.owner == "S-1-5-18";
    return PathInfo{directory, mode, MayOpen(wide, directory ? FILE_ADD_FILE : FILE_WRITE_DATA),
                    rootOwned, MayOpen(wide, directory ? FILE_LIST_DIRECTORY : FILE_READ_DATA)};
}

bool WindowsFileSystem::WayTo(const std::string& path, PathWay* way, std::string* err) {
    *way = PathWay{};
    const std::wstring wide = WidePath(Resolved(path));
    const std::size_t start = AfterRoot(wide);
    if (wide.empty() || start == 0) {
        if (err != nullptr) *err = path + ": not an absolute path";
        return false;
    }
    // Resolved has followed every link there was: each folder down is one.
    std::vector<std::size_t> ends{start};
    for (std::size_t at = wide.find(L'\\', start); at != std::wstring::npos;
         at = wide.find(L'\\', at + 1))
        ends.push_back(at);
    if (wide.size() > start) ends.push_back(wide.size());
    for (const std::size_t end : ends) {
        const std::wstring prefix = wide.substr(0, end);
        const std::string shown = Shown(prefix);
        if (::GetFileAttributesW(prefix.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            if (IsMissing(error)) return true;
            if (err != nullptr) *err = shown + ": " + SystemMessage(error);
            return false;
        }
        const auto info = Inspect(shown);
        if (!info) {
            if (err != nullptr) *err = shown + ": its owner and access list cannot be read";
            return false;
        }
        way->steps.push_back({shown, *info});
    }
    way->reached = true;
    return true;
}

std::string WindowsFileSystem::Resolved(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return path;
    const Handle handle(OpenToLook(wide, 0, true));
    if (!handle.Valid()) return path;
    std::wstring final(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle.value, final.data(),
                                                    static_cast<DWORD>(final.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return path;
        if (n < final.size()) {
            final.resize(n);
            // "\\?\C:\x" as "C:\x", "\\?\UNC\server\x" as "\\server\x".
            if (final.starts_with(L"\\\\?\\UNC\\")) return Shown(L"\\\\" + final.substr(8));
            if (final.starts_with(L"\\\\?\\")) return Shown(final.substr(4));
            return Shown(final);
        }
        final.assign(n, L'\0');
    }
    return path;
}

std::optional<std::vector<std::string>> WindowsFileSystem::List(const std::string& directory,
                                                                std::string* err) {
    const std::wstring wide = WidePath(directory);
    if (wide.empty()) {
        Unusable(err);
        return std::nullopt;
    }
    std::vector<std::string> names;
    if (!ForEachEntry(
            wide, [&](const WIN32_FIND_DATAW& found) { names.push_back(Narrow(found.cFileName)); },
            err))
        return std::nullopt;
    return names;
}

bool WindowsFileSystem::ReadAccess(const std::string& path, AccessList* list, bool* present,
                                   std::string* err) {
    *present = false;
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Unusable(err);
    const Handle handle(OpenToLook(wide, READ_CONTROL, false));
    if (!handle.Valid()) {
        const DWORD error = ::GetLastError();
        return IsMissing(error) ? false : FailWith(err, error);
    }
    *present = true;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle.value, &info)) return FailLast(err);
    list->directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    list->link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return ReadAccessList(handle.value, list, err);
}

}  // namespace torvale
