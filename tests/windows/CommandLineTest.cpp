// Every argv, however hostile, reaches a client intact: WindowsShell starts
// argv_child.exe with each of ArgvVectors(), and the child fails at once
// unless both readers of its command line read the vector whole.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ArgvVectors.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsShell.h"

namespace torvale::test {
namespace {

// The child beside this program, by its absolute path.
std::string ChildPath() {
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return Narrow(path.substr(0, path.find_last_of(L'\\') + 1)) + "argv_child.exe";
}

CommandResult Start(WindowsShell& shell, const std::string& program,
                    const std::vector<std::string>& words) {
    Command command;
    command.words.push_back({{program, Quoting::Program}});
    for (const std::string& word : words)
        command.Value(word);
    return shell.Run(command, {});
}

// Four at a time: under Wine a process takes long to start, mostly waiting.
// A child not ended within the watch would be watched, and counts as failed.
TEST(WindowsShell, BothReadersReadEveryHostileArgvBackWhole) {
    const auto vectors = ArgvVectors();
    std::vector<char> intact(vectors.size());
    std::vector<std::thread> runs;
    WindowsShell shell([](auto&&...) {}, std::chrono::minutes(2));
    for (std::size_t first = 0; first < 4; ++first)
        runs.emplace_back([&, first] {
            for (std::size_t i = first; i < vectors.size(); i += 4) {
                std::vector<std::string> words = vectors[i];
                words.insert(words.begin(), std::to_string(i));
                const CommandResult ran = Start(shell, ChildPath(), words);
                intact[i] = ran.notRun.empty() && !ran.failedAtOnce && !ran.watched;
            }
        });
    for (std::thread& run : runs)
        run.join();
    const auto mismatches = std::count(intact.begin(), intact.end(), 0);
    std::printf("%zu argument vectors, %td read otherwise\n", vectors.size(), mismatches);
    for (std::size_t i = 0; i < vectors.size(); ++i)
        EXPECT_TRUE(intact[i]) << "read otherwise: vector " << i;
    EXPECT_GE(vectors.size(), 200u);
    // What it does with a child that fails, and one that cannot start.
    EXPECT_TRUE(Start(shell, ChildPath(), {"999999"}).failedAtOnce);
    const std::string why = Start(shell, "C:\\nowhere\\none.exe", {}).notRun;
    EXPECT_TRUE(why.starts_with("C:\\nowhere\\none.exe: ") && why.ends_with(")")) << why;
}

}  // namespace
}  // namespace torvale::test
