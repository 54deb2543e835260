#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/BackgroundTasks.h"

namespace torvale {

// The background tasks of the Windows programs, as threads of the front end
// itself, which stays alive while WindowsShell watches its clients anyway.
//
// A password file (PuTTY's -pwfile, WinSCP's) is read by its client as it
// starts. The file is removed when `limit` has passed, or as soon as Finish
// is called: the front end calls it once the shell has finished, that is
// once every client it started has ended or has run for kWatchedFor, and so
// has read its file. No sooner: NTFS does not keep a file's last access
// time up to date, so a read cannot be seen on the file itself. A file
// whose identity (volume serial number and file index) is not the one
// written is left alone: it was replaced meanwhile.
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

    // Removes every file still waited for now, and waits for each removal.
    void Finish();

  private:
    std::mutex lock_;
    std::condition_variable finishing_;
    bool finished_ = false;
    std::vector<std::thread> removals_;
};

}  // namespace torvale
