// Exits 0 only where both readers of its command line, CommandLineToArgvW
// and the C runtime (wmain's argv), read its own path, then a number, then
// the vector of ArgvVectors() that number names.
#include <windows.h>

#include <shellapi.h>

#include "ArgvVectors.h"
#include "platform/windows/WideText.h"

int wmain(int argc, wchar_t** argv) {
    int count = 0;
    wchar_t** shell = CommandLineToArgvW(GetCommandLineW(), &count);
    if (shell == nullptr) return 2;
    const std::vector<std::wstring> runtime(argv, argv + argc), words(shell, shell + count);
    LocalFree(shell);
    const auto vectors = ArgvVectors();
    const std::size_t i = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : vectors.size();
    if (i >= vectors.size()) return 3;
    wchar_t self[MAX_PATH];
    std::vector<std::wstring> expected{{self, GetModuleFileNameW(nullptr, self, MAX_PATH)},
                                       argv[1]};
    for (const std::string& word : vectors[i])
        expected.push_back(torvale::Wide(word));
    return runtime == expected && words == expected ? 0 : 1;
}
