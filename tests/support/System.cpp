#include "support/System.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace torvale::test {

TempDir::TempDir() {
    std::string pattern = "/tmp/torvale-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

unsigned FileMode(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode) & 07777u : 0;
}

std::vector<std::vector<std::string>> ReadArgvLog(const std::string& path) {
    std::istringstream log(ReadFile(path));
    std::vector<std::vector<std::string>> calls;
    for (std::string count; std::getline(log, count, '\0');) {
        calls.emplace_back(std::stoul(count));
        for (std::string& word : calls.back())
            std::getline(log, word, '\0');
    }
    return calls;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env) {
    // Files rather than pipes: no deadlock however much either stream holds.
    TempDir io;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (io / "out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (io / "err").c_str(), O_WRONLY | O_CREAT, 0600);
    auto pointers = [](const std::vector<std::string>& strings) {
        std::vector<char*> out;
        for (const std::string& s : strings)
            out.push_back(const_cast<char*>(s.c_str()));
        out.push_back(nullptr);
        return out;
    };
    // A bare name is looked for in the given environment's PATH, not ours.
    std::vector<std::string> command = argv;
    if (command[0].find('/') == std::string::npos) command.insert(command.begin(), "/usr/bin/env");
    std::vector<char*> args = pointers(command), environment = pointers(env);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(io / "out"),
            ReadFile(io / "err")};
}

}  // namespace torvale::test
