#pragma once

// Test data written as text: lines with escapes, and files of cases.

#include <ostream>
#include <string>
#include <vector>

namespace torvale::test {

// "\n", "\t", "\\" and "\xNN" read as what they stand for.
std::string Unescaped(const std::string& text);

// The lines of tests/NAME, each Unescaped.
std::vector<std::string> ReadDataLines(const std::string& name);

// One case of a case file: "== TITLE", then its lines up to the next case.
struct DataCase {
    std::string where;  // "cases.txt:12"
    std::string title;
    struct Line {
        int number;
        std::string text;
    };
    std::vector<Line> lines;
    std::string error;  // a line of the file that belongs to no case

    // A test name: "L" and the line of the case.
    std::string Name() const;
};

// How a failing case is named: where it stands, and its title.
inline void PrintTo(const DataCase& c, std::ostream* out) {
    *out << c.where << " " << c.title;
}

// The cases of tests/NAME. "#" lines and blank ones are skipped. A line
// before the first case gives a case that holds only the error.
std::vector<DataCase> ReadCases(const std::string& name);

}  // namespace torvale::test
