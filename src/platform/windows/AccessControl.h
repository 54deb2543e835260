#pragma once

// Windows security descriptors: the list that lets only this user in, and
// the owner and list of what stands at a path, read for the core to judge.

#include "platform/windows/Win32.h"

#include <string>
#include <vector>

#include "core/ports/FileSystem.h"

namespace torvale {

// The SID of the user this process runs as, in its binary form; empty
// where the process token cannot say.
std::vector<unsigned char> CurrentUserSid(std::string* err);
// A SID as text, "S-1-5-21-...".
std::string SidText(PSID sid);

// A security descriptor whose protected list has one entry: every right
// for the user this process runs as, inherited by what is made inside a
// folder. What mode 0700 and 0600 are on POSIX.
class PrivateSecurity {
  public:
    explicit PrivateSecurity(bool folder);
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // For CreateFileW and CreateDirectoryW; null, with Error() saying why,
    // where the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return ok_ ? &attributes_ : nullptr; }
    PACL List() { return ok_ ? reinterpret_cast<PACL>(acl_.data()) : nullptr; }
    const std::string& Error() const { return error_; }

  private:
    std::vector<unsigned char> sid_;
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ok_ = false;
    std::string error_;
};

// Gives what stands at the path the private list, or (`private_` false) a
// list of what its folder passes down alone, as a new file gets.
bool SetPrivate(const std::wstring& path, bool private_, std::string* err);

// The owner and access-control list of an open handle, into `list` (its
// `directory` and `link` left as they are).
bool ReadAccessList(HANDLE handle, AccessList* list, std::string* err);

}  // namespace torvale
