// A client of the Wine test (wine_test.sh), a GUI program as PuTTY is: reads
// the file after "-pwfile", if any, then waits for input in a window, as
// PuTTY does, until that file is gone (20 s at most). Writes beside itself,
// to its own path with ".record" added, its command line as it was given,
// whether the file went while it ran, then the file's content; exits 0.
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/windows/WideText.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return 2;
    std::wstring path;
    for (int i = 1; i + 1 < count; ++i)
        if (std::wstring_view(words[i]) == L"-pwfile") path = words[i + 1];
    LocalFree(words);
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    const std::string file(std::istreambuf_iterator<char>(in), {});
    in.close();
    CreateWindowExW(0, L"STATIC", L"putty", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                    nullptr);
    const ULONGLONG until = GetTickCount64() + 20000;
    bool gone = false;
    while (!path.empty() && !gone && GetTickCount64() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        gone = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::ofstream out(std::filesystem::path(std::wstring(self, length) + L".record"),
                      std::ios::binary);
    out << torvale::Narrow(GetCommandLineW()) << "\n"
        << (path.empty() ? "no file"
            : gone       ? "gone while running"
                         : "left")
        << "\n"
        << file;
    return out.flush() ? 0 : 3;
}
