#pragma once

// Argument vectors no reader of a Windows command line may read otherwise,
// the same in the test and in the child it starts: runs of backslashes
// before quotes, blanks and the ends; cmd.exe's metacharacters (no shell
// reads them here, they must stay as they are); CJK and an emoji.

#include <random>
#include <string>
#include <vector>

inline std::vector<std::vector<std::string>> ArgvVectors() {
    std::vector<std::vector<std::string>> vectors = {
        {""},
        {"", ""},
        {"\\"},
        {"\\\\"},
        {"\""},
        {"\\\""},
        {"\"\""},
        {"a b\\"},
        {"a\\\\\\\"b"},
        {"\"a b\""},
        {" "},
        {"\t"},
        {"\n", "\v"},
        {"%PATH%", "^&|<>()!"},
        {"中文 路径", "😀"},
        {"/v:h", "/u:中", "/p:p\"a ss\\"},
        {"a\"b\"\" c", "d"},
        {"\\\\server\\share\\"},
    };
    const char* const pieces[] = {"\"", "\\", "\\\\", "\\\\\\", " ",  "\t", "\n", "\v", "%",
                                  "^",  "&",  "|",    "<",      ">",  "(",  ")",  "!",  "a",
                                  "'",  "*",  "=",    "中",     "文", "😀",  "é",  ":"};
    std::mt19937 random(20261210);  // its output is the standard's, everywhere
    while (vectors.size() < 240) {
        std::vector<std::string> argv(random() % 6 + 1);
        for (std::string& word : argv)
            for (auto n = random() % 9; n > 0; --n)
                word += pieces[random() % std::size(pieces)];
        vectors.push_back(std::move(argv));
    }
    return vectors;
}
