#include "support/DataFile.h"

#include <fstream>

namespace torvale::test {

std::string Unescaped(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (line[i] != '\\' || (next != 'n' && next != 't' && next != '\\' && next != 'x')) {
            out += line[i];
        } else if (next == 'x') {
            out += static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        }
    }
    return out;
}

std::vector<std::string> ReadDataLines(const std::string& name) {
    std::ifstream in(std::string(SOURCE_DIR) + "/tests/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(Unescaped(line));
    return lines;
}

std::string DataCase::Name() const {
    return "L" + where.substr(where.rfind(':') + 1);
}

std::vector<DataCase> ReadCases(const std::string& name) {
    const std::string file = name.substr(name.rfind('/') + 1);
    std::ifstream in(std::string(SOURCE_DIR) + "/tests/" + name);
    if (!in) return {{file, "unread", {}, file + ": cannot be opened"}};
    std::vector<DataCase> cases;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        const std::string where = file + ":" + std::to_string(++number);
        // An odd number of "\\" at its end: the line goes on, without the
        // next one's leading blanks.
        for (std::string next;
             (line.size() - line.find_last_not_of('\\') - 1) % 2 == 1 && std::getline(in, next);
             ++number)
            line.replace(line.size() - 1, 1,
                         next.substr(std::min(next.find_first_not_of(" \t"), next.size())));
        if (line.empty() || line[0] == '#') continue;
        if (line.starts_with("== "))
            cases.push_back({where, line.substr(3), {}, {}});
        else if (cases.empty())
            return {{where, "stray", {}, where + ": a line before the first case"}};
        else
            cases.back().lines.push_back({number, line});
    }
    return cases;
}

}  // namespace torvale::test
