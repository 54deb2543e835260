#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/BackgroundTasks.h"
#include "platform/windows/Win32.h"

namespace torvale {

// The background tasks of the Windows programs, as threads of the front end
// itself, which stays alive while WindowsShell watches its clients anyway.
//
// A password file (PuTTY's -pwfile, WinSCP's /password= with
// /passwordsfromfiles) is read by its client while it reads its command
// line, before its first window waits for input: so both clients' manuals
// have it, and that is what the removal counts on. Once ClientStarted hands
// over a client, the password files its command line names are removed as
// soon as it is a GUI program that has become idle for input
// (WaitForInputIdle, which returns once any of its threads is) or it has
// ended. Otherwise (a console program, which WaitForInputIdle does not wait
// for; a file named otherwise, as mstsc's .rdp file is; the wait failed) a
// file goes at Finish, which the front end calls once the shell has finished
// watching, that is once every client it started has ended or has run for
// kWatchedFor; and at `limit` at the latest. A file whose identity (volume
// serial number and file index) is not the one written is left alone: it
// was replaced meanwhile.
class WindowsBackgroundTasks final : public BackgroundTasks {
  public:
    WindowsBackgroundTasks() = default;
    ~WindowsBackgroundTasks() override { Finish(); }
    WindowsBackgroundTasks(const WindowsBackgroundTasks&) = delete;
    WindowsBackgroundTasks& operator=(const WindowsBackgroundTasks&) = delete;

    // No askpass helper is started on Windows: no launcher of the Windows
    // client table hands a password over. Refused, saying so.
    bool ServeHandover(const Handover& handover, std::string* err) override;
    bool RemoveOnceRead(const std::string& path, std::chrono::seconds limit,
                        std::string* err) override;

    // A client was started (`process`, the caller's handle, which it keeps)
    // with `argv`. A pass writes its files, hands them here, then starts its
    // client, so the files handed over since the last client started are
    // its pass's; of those, the password files its argv hands it are
    // watched for with it. Files it does not name are never any
    // later client's. False, with why, where the client cannot be watched:
    // its files then go as if it named none.
    bool ClientStarted(HANDLE process, const std::vector<std::string>& argv, std::string* err);

    // Removes every file still waited for now, and waits for each removal.
    void Finish();

  private:
    struct Waiting;
    void WatchClient(HANDLE process, const std::vector<std::shared_ptr<Waiting>>& files);
    bool Finished();

    std::mutex lock_;
    // Wakes the removals: finished_, or a file read.
    std::condition_variable wake_;
    bool finished_ = false;
    // Handed over since the last client started.
    std::vector<std::shared_ptr<Waiting>> unclaimed_;
    // The removals and the clients' watches.
    std::vector<std::thread> threads_;
};

// Whether the program image at `path` is a GUI one (its PE headers' subsystem).
bool IsGuiImage(const std::wstring& path);

}  // namespace torvale
