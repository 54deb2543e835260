#include "support/TempDir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace torvale::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/torvale-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests make directories unwritable; give the owner its rights back first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

unsigned FileMode(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return 0;
    return static_cast<unsigned>(info.st_mode) & 07777u;
}

std::vector<std::vector<std::string>> ReadArgvLog(const std::string& path) {
    const std::string log = ReadFile(path);
    std::vector<std::vector<std::string>> calls;
    std::size_t at = 0;
    auto next = [&]() {
        const std::size_t end = log.find('\0', at);
        if (end == std::string::npos) throw std::runtime_error("truncated argv log");
        std::string field = log.substr(at, end - at);
        at = end + 1;
        return field;
    };
    while (at < log.size()) {
        const std::size_t count = std::stoul(next());
        std::vector<std::string> argv;
        for (std::size_t i = 0; i < count; ++i)
            argv.push_back(next());
        calls.push_back(std::move(argv));
    }
    return calls;
}

}  // namespace torvale::test
