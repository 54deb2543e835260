// Stands in for a client program (and macOS `open`) in tests: appends its argv,
// argv[0] included, to the file RECORD_ARGV_LOG names: the count of words, a NUL,
// then each word and a NUL. Started with a standard descriptor closed, it records
// nothing: the next file it opened would take that descriptor's place.

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* logPath = std::getenv("RECORD_ARGV_LOG");
    if (logPath == nullptr) return 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) return 3;
    }
    std::string record = std::to_string(argc);
    record += '\0';
    for (int i = 0; i < argc; ++i) {
        record += argv[i];
        record += '\0';
    }
    std::FILE* log = std::fopen(logPath, "ab");
    if (log == nullptr) return 1;
    const bool ok = std::fwrite(record.data(), 1, record.size(), log) == record.size();
    return std::fclose(log) == 0 && ok ? 0 : 1;
}
