#include "platform/cli/XdgFacts.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/Path.h"
#include "base/Text.h"
#include "platform/cli/PassLog.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/Process.h"

namespace torvale {
namespace {

std::string Environment(const char* name, std::string fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// The program of a desktop entry's Exec key: its first word, quotes taken
// off, looked for in PATH when it names no directory.
std::string ProgramOf(const std::string& entry) {
    bool inEntry = false;
    for (const std::string_view whole : Lines(entry)) {
        const std::string_view line = Trim(whole);
        if (line.starts_with("[")) inEntry = line == "[Desktop Entry]";
        if (!inEntry || !line.starts_with("Exec=")) continue;
        std::string_view exec = Trim(line.substr(5));
        std::string program;
        if (exec.starts_with("\"")) {
            program = std::string(exec.substr(1, exec.find('"', 1) - 1));
        } else {
            program = std::string(exec.substr(0, exec.find_first_of(" \t")));
        }
        if (program.empty() || program.find('/') != std::string::npos) return program;
        return FindProgram(program).value_or(program);
    }
    return {};
}

// Where desktop entries are found, the user's own first.
std::vector<std::string> ApplicationDirectories() {
    std::vector<std::string> directories = {
        Environment("XDG_DATA_HOME", Environment("HOME", "") + "/.local/share")};
    const std::string list = Environment("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    for (const std::string_view directory : Split(list, ':')) {
        if (!directory.empty()) directories.emplace_back(directory);
    }
    return directories;
}

}  // namespace

HandlerFacts XdgFacts::Handler() {
    HandlerFacts facts;
    facts.howToRegister = "xdg-mime default torvale.desktop x-scheme-handler/torvale";
    PosixFileSystem files;
    const auto directories = ApplicationDirectories();
    if (std::none_of(directories.begin(), directories.end(), [&](const std::string& directory) {
            return files.Exists(directory + "/applications/torvale.desktop");
        })) {
        facts.howToRestore =
            "reinstall the package (apt-get install --reinstall torvale), or from a source build "
            "run its install step again (cmake --install), then " +
            facts.howToRegister;
    }
    const auto answer = CommandOutput({"xdg-mime", "query", "default", "x-scheme-handler/torvale"},
                                      1 << 16, &facts.unknown);
    facts.entry = std::string(Trim(answer.value_or("")));
    while (!facts.entry.empty() && facts.entry.back() == '\n')
        facts.entry.pop_back();
    if (facts.entry.empty() || facts.entry.find('/') != std::string::npos) {
        facts.entry.clear();
        return facts;
    }
    for (const std::string& directory : directories) {
        const std::string path = directory + "/applications/" + facts.entry;
        if (const auto text = files.ReadFile(path, 1 << 16, nullptr); text && !text->empty()) {
            facts.entry = path;
            facts.program = ProgramOf(*text);
            return facts;
        }
    }
    facts.entry += " (in no applications directory)";
    return facts;
}

std::string XdgFacts::ExpectedHandler() {
    const std::string self = ThisProgram();
    return self.empty() ? std::string() : JoinPath(DirectoryOf(self), handler_);
}

std::vector<std::string> XdgFacts::LastPasses(std::size_t count) {
    return LastPassLines(passLog_, count);
}

std::optional<bool> XdgFacts::ChineseFont(std::string* err) {
    const auto fonts = CommandOutput({"fc-list", ":lang=zh", "family"}, 1 << 16, err);
    if (!fonts) return std::nullopt;
    return !Trim(*fonts).empty();
}

bool HasDisplay() {
    return !Environment("DISPLAY", "").empty() || !Environment("WAYLAND_DISPLAY", "").empty();
}

std::optional<bool> XdgFacts::Display() {
    return HasDisplay();
}

XdgFacts LocateForDoctor(Application& app, const Session& session, const std::string& handler) {
    app.Locate(session.home, session.searchPath);
    return XdgFacts(handler, session.preferencesPath, session.passLogPath, session.usedLinksPath);
}

}  // namespace torvale
