#pragma once

#include <string>
#include <vector>

namespace torvale::test {

// A fresh directory under $TMPDIR (or /tmp), removed with all it holds.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
unsigned FileMode(const std::string& path);

// The argument lists that record_argv wrote, one per invocation.
std::vector<std::vector<std::string>> ReadArgvLog(const std::string& path);

}  // namespace torvale::test
