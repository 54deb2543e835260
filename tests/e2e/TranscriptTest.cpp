// The `torvale` binary end to end, from transcripts in data/transcripts.txt:
// shell commands and what they must print. A case:
//
//   == name           starts a case: a fresh $HOME, torvale and a recording
//                     `open` first on PATH, $LOG for the argv `open` records,
//                     $GOLDEN for the golden files
//   $ COMMAND         run with /bin/sh -c in $HOME, so files it makes go
//                     with the case
//   > LINE / ! LINE   each line it must print on standard output / error
//   ? STATUS          its exit status, when not 0
//
// In expected lines "$HOME" stands for that path. Lines are taken as they
// are: no escapes.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/System.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

struct Command {
    std::string line, out, err;
    int status = 0;
};

TEST(Transcripts, EveryCommandPrintsWhatItSays) {
    std::vector<std::pair<std::string, std::vector<Command>>> cases;
    std::ifstream in(std::string(SOURCE_DIR) + "/tests/e2e/data/transcripts.txt");
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string text = line.size() > 2 ? line.substr(2) : "";
        if (line.starts_with("== "))
            cases.push_back({"transcripts.txt:" + std::to_string(number) + " " + text, {}});
        if (cases.empty()) continue;
        auto& commands = cases.back().second;
        if (line.starts_with("$ ")) commands.push_back({text, "", "", 0});
        if (line.starts_with("> ") || line == ">") commands.back().out += text + "\n";
        if (line.starts_with("! ") || line == "!") commands.back().err += text + "\n";
        if (line.starts_with("? ")) commands.back().status = std::stoi(text);
    }
    EXPECT_GT(cases.size(), 10u);
    for (const auto& [name, commands] : cases) {
        SCOPED_TRACE(name);
        TempDir root;
        const std::string home = root / "home";
        fs::create_directory(home);
        fs::create_directory(root / "bin");
        fs::create_symlink(RECORD_ARGV_PATH, root / "bin/open");
        fs::create_symlink(TORVALE_PATH, root / "bin/torvale");
        const std::vector<std::string> env = {"HOME=" + home,
                                              "XDG_CONFIG_HOME=" + home + "/.config",
                                              "PATH=" + (root / "bin") + ":/usr/bin:/bin",
                                              "LOG=" + home + "/argv.log",
                                              "RECORD_ARGV_LOG=" + home + "/argv.log",
                                              "GOLDEN=" SOURCE_DIR "/tests/e2e/golden",
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
}

}  // namespace
}  // namespace torvale::test
