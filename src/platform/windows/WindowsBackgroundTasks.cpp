#include "platform/windows/WindowsBackgroundTasks.h"

#include "platform/windows/Win32.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/Fail.h"
#include "platform/windows/WideText.h"

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

using Clock = std::chrono::steady_clock;

// How long one wait on a client lasts: WaitForInputIdle takes no second
// object to wake on, so Finish is kept waiting for a watch no longer.
constexpr auto kSlice = std::chrono::milliseconds(200);

// Whether argv[i] hands the client `path` as a password file, by a switch
// the client reads it by while it reads its command line: PuTTY's "-pwfile
// PATH", WinSCP's "/password=PATH". A file named otherwise (mstsc's .rdp
// file) may be read later, once the user has answered the client's own
// questions, so only its client's end tells that it is done with it.
bool HandsPasswordFile(const std::vector<std::string>& argv, std::size_t i, std::string_view path) {
    const std::string_view word = argv[i];
    if (word == path) return i > 0 && argv[i - 1] == "-pwfile";
    return word == "/password=" + std::string(path);
}

}  // namespace

bool IsGuiImage(const std::wstring& path) {
    // The PE image's own word for it, read from its headers: the DOS header
    // names where the NT headers start, whose optional header holds the
    // subsystem at the same offset in PE32 and PE32+.
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char head[4096] = {};
    DWORD got = 0;
    const bool read = ::ReadFile(file, head, sizeof head, &got, nullptr) != 0;
    ::CloseHandle(file);
    if (!read || got < sizeof(IMAGE_DOS_HEADER)) return false;
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, head, sizeof dos);
    const auto nt = static_cast<std::size_t>(dos.e_lfanew);
    const std::size_t subsystem = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) +
                                  offsetof(IMAGE_OPTIONAL_HEADER64, Subsystem);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 || subsystem + 2 > got) return false;
    DWORD signature = 0;
    WORD kind = 0;
    std::memcpy(&signature, head + nt, sizeof signature);
    std::memcpy(&kind, head + subsystem, sizeof kind);
    return signature == IMAGE_NT_SIGNATURE && kind == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

namespace {

// Whether the image `process` runs is a GUI program: WaitForInputIdle
// returns at once for a console program, read or not.
bool RunsGuiImage(HANDLE process) {
    std::wstring image(32768, L'\0');
    DWORD length = static_cast<DWORD>(image.size());
    if (!::QueryFullProcessImageNameW(process, 0, image.data(), &length)) return false;
    image.resize(length);
    return IsGuiImage(image);
}

}  // namespace

// A file handed over: removed when `read` or finished_, or at `deadline`.
struct WindowsBackgroundTasks::Waiting {
    std::string path;
    std::wstring wide;
    FileId id;
    Clock::time_point deadline;
    bool read = false;
};

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
    auto waiting = std::make_shared<Waiting>(Waiting{path, wide, *id, Clock::now() + limit});
    try {
        const std::lock_guard<std::mutex> hold(lock_);
        threads_.emplace_back([this, waiting] {
            std::unique_lock<std::mutex> wait(lock_);
            wake_.wait_until(wait, waiting->deadline,
                             [this, &waiting] { return finished_ || waiting->read; });
            wait.unlock();
            RemoveIfSame(waiting->wide, waiting->id);
        });
        unclaimed_.push_back(waiting);
    } catch (const std::system_error& e) {
        return Fail(err, std::string("no thread to remove it: ") + e.what());
    }
    return true;
}

bool WindowsBackgroundTasks::ClientStarted(HANDLE process, const std::vector<std::string>& argv,
                                           std::string* err) {
    std::vector<std::shared_ptr<Waiting>> files;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        for (std::shared_ptr<Waiting>& waiting : unclaimed_) {
            for (std::size_t i = 0; i < argv.size(); ++i) {
                if (!HandsPasswordFile(argv, i, waiting->path)) continue;
                files.push_back(std::move(waiting));
                break;
            }
        }
        unclaimed_.clear();
    }
    if (files.empty()) return true;
    // A handle of our own: the shell closes its handle when it likes.
    HANDLE mine = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &mine, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return FailLast(err);
    try {
        const std::lock_guard<std::mutex> hold(lock_);
        threads_.emplace_back([this, mine, files] {
            WatchClient(mine, files);
            ::CloseHandle(mine);
        });
    } catch (const std::system_error& e) {
        ::CloseHandle(mine);
        return Fail(err, std::string("no thread to watch the client: ") + e.what());
    }
    return true;
}

void WindowsBackgroundTasks::WatchClient(HANDLE process,
                                         const std::vector<std::shared_ptr<Waiting>>& files) {
    Clock::time_point until = Clock::now();
    for (const std::shared_ptr<Waiting>& waiting : files)
        until = std::max(until, waiting->deadline);
    bool awaitIdle = RunsGuiImage(process);
    bool read = false;
    while (!read && !Finished()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) return;
        const auto slice = static_cast<DWORD>(std::min(left, kSlice).count());
        if (awaitIdle) {
            // A failed wait leaves the client's end to be waited for; one
            // that ended before it was ever idle has read all it will.
            const DWORD idle = ::WaitForInputIdle(process, slice);
            read = idle == 0 || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            awaitIdle = idle == WAIT_TIMEOUT;
        } else {
            read = ::WaitForSingleObject(process, slice) == WAIT_OBJECT_0;
        }
    }
    if (!read) return;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        for (const std::shared_ptr<Waiting>& waiting : files)
            waiting->read = true;
    }
    wake_.notify_all();
}

bool WindowsBackgroundTasks::Finished() {
    const std::lock_guard<std::mutex> hold(lock_);
    return finished_;
}

void WindowsBackgroundTasks::Finish() {
    std::vector<std::thread> threads;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        finished_ = true;
        unclaimed_.clear();
        threads.swap(threads_);
    }
    wake_.notify_all();
    for (std::thread& thread : threads)
        thread.join();
}

}  // namespace torvale
