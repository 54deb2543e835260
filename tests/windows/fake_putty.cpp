// A client of the Wine test (wine_test.sh): writes beside itself, to its own
// path with ".record" added, its command line as it was given, then the
// content of the file after "-pwfile", if any, and exits 0.
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/windows/WideText.h"

int wmain() {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return 2;
    std::string file;
    for (int i = 1; i + 1 < count; ++i) {
        if (std::wstring_view(words[i]) != L"-pwfile") continue;
        std::ifstream in(std::filesystem::path(words[i + 1]), std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), {});
    }
    LocalFree(words);
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::ofstream out(std::filesystem::path(std::wstring(self, length) + L".record"),
                      std::ios::binary);
    out << torvale::Narrow(GetCommandLineW()) << "\n" << file;
    return out.flush() ? 0 : 3;
}
