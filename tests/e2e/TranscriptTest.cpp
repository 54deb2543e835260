// The `torvale` binary end to end, from transcripts in data/transcripts.txt,
// each case a test of its own: shell commands and what they must print.
//
//   == name           starts a case: a fresh $HOME, torvale, torvale-desktop
//                     and a recording `open` first on PATH, $LOG for the argv
//                     `open` records
//   $ COMMAND         run with /bin/sh -c in $HOME, so files it makes go
//                     with the case
//   > LINE / ! LINE   each line it must print on standard output / error
//   ? STATUS          its exit status, when not 0
//
// In expected lines "$HOME" stands for that path. Lines are taken as they
// are, no escapes; a line ending in "\" goes on with the next, whose leading
// blanks are dropped. Any other line is an error of the case.

#include <filesystem>

#include <gtest/gtest.h>

#include "support/DataFile.h"
#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

struct Command {
    std::string line, out, err;
    int status = 0;
};

class Transcripts : public testing::TestWithParam<DataCase> {};

TEST_P(Transcripts, EveryCommandPrintsWhatItSays) {
    const DataCase& c = GetParam();
    ASSERT_EQ(c.error, "");
    std::vector<Command> commands;
    for (const DataCase::Line& line : c.lines) {
        const std::string& l = line.text;
        const std::string text = l.size() > 2 ? l.substr(2) : "";
        const bool output = l.starts_with("> ") || l == ">" || l.starts_with("! ") || l == "!" ||
                            l.starts_with("? ");
        if (l.starts_with("$ ")) {
            commands.push_back({text, "", "", 0});
        } else if (!output) {
            FAIL() << c.At(line, "not a $, >, ! or ? line");
        } else if (commands.empty()) {
            FAIL() << c.At(line, "output before the first command");
        } else if (l[0] == '>') {
            commands.back().out += text + "\n";
        } else if (l[0] == '!') {
            commands.back().err += text + "\n";
        } else {
            commands.back().status = std::stoi(text);
        }
    }
    TempDir root;
    const std::string home = root / "home";
    fs::create_directory(home);
    fs::create_directory(root / "bin");
    fs::create_symlink(RECORD_ARGV_PATH, root / "bin/open");
    fs::create_symlink(TORVALE_PATH, root / "bin/torvale");
    if (fs::exists(TORVALE_DESKTOP_PATH))
        fs::create_symlink(TORVALE_DESKTOP_PATH, root / "bin/torvale-desktop");
    const std::vector<std::string> env = {"HOME=" + home,
                                          "XDG_CONFIG_HOME=" + home + "/.config",
                                          "PATH=" + (root / "bin") + ":/usr/bin:/bin",
                                          "LOG=" + home + "/argv.log",
                                          "RECORD_ARGV_LOG=" + home + "/argv.log",
                                          "XDG_DATA_HOME=" + home + "/.local/share",
                                          "XDG_DATA_DIRS=" + home + "/none",
                                          "LC_ALL=C.UTF-8"};
    auto paths = [&](std::string text) {
        for (std::size_t at = text.find("$HOME"); at != std::string::npos;
             at = text.find("$HOME", at))
            text.replace(at, 5, home);
        return text;
    };
    for (const Command& command : commands) {
        const ProcessResult r =
            RunProcess({"/bin/sh", "-c", "cd \"$HOME\" && " + command.line}, env);
        EXPECT_EQ(r.out, paths(command.out)) << command.line;
        EXPECT_EQ(r.err, paths(command.err)) << command.line;
        EXPECT_EQ(r.exitStatus, command.status) << command.line;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcripts,
                         testing::ValuesIn(ReadCases("e2e/data/transcripts.txt")),
                         [](const auto& test) { return test.param.Name(); });

}  // namespace
}  // namespace torvale::test
