#pragma once

// The real system, for tests: temporary directories, files, processes.

#include <string>
#include <vector>

namespace torvale::test {

// A fresh directory under /tmp, removed with all it holds.
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

// The argument lists record_argv wrote, one per invocation, argv[0] first.
std::vector<std::vector<std::string>> ReadArgvLog(const std::string& path);

struct ProcessResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with exactly the given environment, standard input on
// /dev/null, and collects both output streams.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env);

}  // namespace torvale::test
