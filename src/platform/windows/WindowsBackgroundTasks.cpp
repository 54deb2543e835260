#include "platform/windows/WindowsBackgroundTasks.h"

#include <optional>
#include <system_error>

#include "base/Fail.h"
#include "platform/windows/WideText.h"
#include "platform/windows/Win32.h"

namespace torvale {
namespace {

// What names a file on its volume for as long as it exists.
struct FileId {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(const FileId&) const = default;
};

// The file at `path` open with `access`, never following a reparse point
// (a link put in its place would lead elsewhere); INVALID_HANDLE_VALUE, with
// GetLastError's reason, where it cannot be.
HANDLE Open(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

std::optional<FileId> IdOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Removes the file at `path` if it is still the file `id` names: through
// the very handle its identity was read on, so that nothing can be put in
// its place between the check and the removal.
void RemoveIfSame(const std::wstring& path, const FileId& id) {
    const HANDLE file = Open(path, DELETE | FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) return;
    if (IdOf(file) == id) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
    }
    ::CloseHandle(file);
}

}  // namespace

bool WindowsBackgroundTasks::ServeHandover(const Handover&, std::string* err) {
    return Fail(err, "no askpass helper on Windows: no client there takes a password that way");
}

bool WindowsBackgroundTasks::RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                                            std::string* err) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Fail(err, "the path is not UTF-8");
    const HANDLE file = Open(wide, FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) return FailLast(err);
    const std::optional<FileId> id = IdOf(file);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!id) return FailWith(err, error);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    try {
        const std::lock_guard<std::mutex> hold(lock_);
        removals_.emplace_back([this, wide, id = *id, deadline] {
            std::unique_lock<std::mutex> wait(lock_);
            finishing_.wait_until(wait, deadline, [this] { return finished_; });
            wait.unlock();
            RemoveIfSame(wide, id);
        });
    } catch (const std::system_error& e) {
        return Fail(err, std::string("no thread to remove it: ") + e.what());
    }
    return true;
}

void WindowsBackgroundTasks::Finish() {
    std::vector<std::thread> removals;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        finished_ = true;
        removals.swap(removals_);
    }
    finishing_.notify_all();
    for (std::thread& removal : removals)
        removal.join();
}

}  // namespace torvale
