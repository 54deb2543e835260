#pragma once

// The test's argument vectors, for the child too: backslash runs before quotes,
// blanks and the end; cmd.exe's metacharacters, which must stay as they are; CJK.

#include <random>
#include <string>
#include <vector>

inline std::vector<std::vector<std::string>> ArgvVectors() {
    std::vector<std::vector<std::string>> vectors = {
        {""},
        {"", ""},
        {"\\", "\\\\", "\\\"", "\"\"", "a\\\\\\\"b", "a b\\", "\"a b\"", "\\\\server\\share\\"},
        {" ", "\t", "\n", "\v", "a\"b\"\" c"},
        {"%PATH%", "^&|<>()!", "/v:h", "/p:p\"a ss\\"},
        {"中文 路径", "😀"},
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
