// Stands in for the macOS `open` command in tests: appends the argv it was
// given (without argv[0]) to the file named by FAKE_OPEN_LOG, as the count of
// arguments, a NUL, then each argument followed by a NUL.

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* logPath = std::getenv("FAKE_OPEN_LOG");
    if (logPath == nullptr) return 0;
    std::string record = std::to_string(argc - 1);
    record += '\0';
    for (int i = 1; i < argc; ++i) {
        record += argv[i];
        record += '\0';
    }
    std::FILE* log = std::fopen(logPath, "ab");
    if (log == nullptr) return 1;
    const bool ok = std::fwrite(record.data(), 1, record.size(), log) == record.size();
    return std::fclose(log) == 0 && ok ? 0 : 1;
}
