#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// What stands at a path, for the checks of `--doctor`.
struct PathInfo {
    bool directory;
    unsigned mode;  // the permission bits
    bool writable;  // by this process
    bool rootOwned;
    bool readable;  // by this process
};

// The way to a path once every symbolic link in it is followed: "/", each
// folder down, and what the path names, each with what stands there.
struct PathWay {
    struct Step {
        std::string path;  // resolved
        PathInfo info;
    };
    std::vector<Step> steps;
    // Whether the last step is what the path names; false: something on the
    // way is not there, and the steps end before it.
    bool reached = false;
};

// One entry of a Windows access-control list, as read: the account or group
// it names (a SID, "S-1-5-32-545"), the rights it allows or denies (an
// access mask), and whether it is for what is made inside a folder only.
struct AccessEntry {
    std::string sid;
    std::uint32_t rights = 0;
    bool allows = false;  // an allow entry; false: a deny entry, or one of another kind
    bool inheritOnly = false;
};

// Who owns what stands at a path and whom its access-control list lets in,
// where the system guards files that way (Windows) rather than with
// permission bits.
struct AccessList {
    std::string owner;  // a SID
    bool directory = false;
    bool link = false;  // a reparse point: a symbolic link, a junction
    // No list at all (a NULL DACL): anyone may do anything with it.
    bool unrestricted = false;
    std::vector<AccessEntry> entries;
};

// The few file operations the application needs. None throws. An operation
// that can fail answers whether it succeeded and, when it did not, says why
// in `err` (the system's words: "No such file or directory"), as the log,
// the dry run and the doctor show it.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when anything exists at the path; a symbolic link counts when its
    // target exists.
    virtual bool Exists(const std::string& path) = 0;

    // Creates the directory and any missing parents, with the given mode.
    // True when a directory stands at the path afterwards.
    virtual bool CreateDirectory(const std::string& path, unsigned mode, std::string* err) = 0;

    // The content of a regular file of at most `limit` bytes, and the empty
    // string when nothing stands at the path. Nothing when what stands there
    // cannot be read, is larger, or is not a regular file (a FIFO would block).
    virtual std::optional<std::string> ReadFile(const std::string& path, std::size_t limit,
                                                std::string* err) = 0;

    // Creates the file, or replaces the whole of an existing one, so that a
    // reader sees either the old content or the new, never a part of it.
    virtual bool WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                           std::string* err) = 0;

    // Gives what stands at the path exactly the permission bits `mode`; never
    // through a symbolic link, whose target may be anyone's.
    virtual bool SetMode(const std::string& path, unsigned mode, std::string* err) = 0;

    // Creates an empty file in one step, only where nothing stands: what
    // another process writes there meanwhile is never replaced.
    virtual bool CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) = 0;

    // Removes from the directory what may hold a password and serves no one
    // any more: what WriteFile left behind in a process that ended while
    // writing (killed, or the machine lost power), never one that a running
    // process is still writing; and the regular files named "*SUFFIX" that
    // were not written for a minute, whose reader has read them long since,
    // for each SUFFIX given. A directory that is not there holds nothing to
    // remove.
    virtual bool RemoveLeftovers(const std::string& directory,
                                 std::span<const std::string_view> suffixes, std::string* err) = 0;

    // What stands at the path, following a symbolic link; nothing when
    // nothing does.
    virtual std::optional<PathInfo> Inspect(const std::string& path) = 0;
    // The way to an absolute path, into `way`. False where a step cannot be
    // looked at for any reason but its not being there, saying which and
    // why ("/etc/x: Permission denied"); the steps before it are kept.
    virtual bool WayTo(const std::string& path, PathWay* way, std::string* err) = 0;
    // Where the path leads once every symbolic link in it is followed (an
    // alternative such as /usr/bin/x-terminal-emulator to the terminal it
    // names); the path itself where that cannot be told.
    virtual std::string Resolved(const std::string& path) = 0;
    // The names in a directory, "." and ".." left out; nothing when it cannot
    // be read.
    virtual std::optional<std::vector<std::string>> List(const std::string& directory,
                                                         std::string* err) = 0;

    // Whether the system guards files with access-control lists (Windows),
    // which ReadAccess reads, rather than with the permission bits Inspect
    // and WayTo tell of.
    virtual bool UsesAccessLists() { return false; }
    // The owner and access-control list of what stands at the path, a link
    // itself and never where it leads, into `list`; `*present` false when
    // nothing stands there. False, saying why, when it cannot be read, and
    // always where the system keeps no such lists.
    virtual bool ReadAccess(const std::string& path, AccessList* list, bool* present,
                            std::string* err) {
        (void)path;
        (void)list;
        *present = false;
        if (err != nullptr) *err = "this system keeps no access-control lists";
        return false;
    }
};

}  // namespace torvale
