#include "platform/windows/KnownFolders.h"

#include <algorithm>

#include "platform/windows/Win32.h"
// After windows.h, which it needs.
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/windows/WideText.h"

namespace torvale {
namespace {

// Without a closing backslash (GetTempPathW's), but a drive's root's.
std::string Folder(std::wstring_view path) {
    std::string text = Narrow(path);
    while (text.size() > 3 && text.ends_with('\\'))
        text.pop_back();
    return text;
}

// The folder, never created: what is not there yet is made as it is needed,
// with the list it needs.
std::string Known(REFKNOWNFOLDERID id, const char* name, std::string* err) {
    wchar_t* path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::string folder = SUCCEEDED(result) && path != nullptr ? Folder(path) : std::string();
    ::CoTaskMemFree(path);
    if (folder.empty() && err != nullptr && err->empty())
        *err = std::string(name) + ": " + SystemMessage(static_cast<unsigned long>(result));
    return folder;
}

}  // namespace

WindowsPlaces FindPlaces(std::string* err) {
    WindowsPlaces places;
    places.profile = Known(FOLDERID_Profile, "Profile", err);
    places.documents = Known(FOLDERID_Documents, "Documents", err);
    places.localAppData = Known(FOLDERID_LocalAppData, "LocalAppData", err);
    places.programData = Known(FOLDERID_ProgramData, "ProgramData", err);
    places.programFiles = Known(FOLDERID_ProgramFiles, "ProgramFiles", err);
    // None on a 32-bit system, which is no error.
    places.programFilesX86 = Known(FOLDERID_ProgramFilesX86, "ProgramFilesX86", nullptr);
    places.userPrograms = Known(FOLDERID_UserProgramFiles, "UserProgramFiles", nullptr);
    wchar_t temporary[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temporary);
    if (n > 0 && n <= MAX_PATH) {
        places.temporary = Folder(std::wstring_view(temporary, n));
    } else if (err != nullptr && err->empty()) {
        *err = "the temporary folder: " + SystemMessage(::GetLastError());
    }
    return places;
}

}  // namespace torvale
