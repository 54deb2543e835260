// Finding the client application of a launch: the configured path, the
// table's programs in order, PATH (on Windows App Paths and the install
// folders).

#include "core/clients/Resolution.h"

#include <algorithm>
#include <vector>

#include "base/Path.h"

namespace torvale {
namespace {

// A path configured by the user keeps the line's form: that of the program
// of the same name (Remmina or FreeRDP), else that of the client's own.
const ClientProgram& FormFor(const ClientApp& app, std::string_view path) {
    const auto same = std::find_if(app.programs.begin(), app.programs.end(), [&](const auto& p) {
        return !p.path.empty() && BaseName(p.path) == BaseName(path);
    });
    return same != app.programs.end() ? *same : app.programs.front();
}

}  // namespace

namespace {

// A path that stands where it is written: from the root, or on Windows from
// a variable ("%SystemRoot%\\...").
bool Absolute(std::string_view path) {
    return path.front() == '/' || path.front() == '%';
}

// The program's file name in a Windows relative path.
std::string_view FileName(std::string_view path) {
    return path.substr(path.rfind('\\') + 1);
}

}  // namespace

std::optional<ResolvedClient> ResolveClient(const ClientApp& app, const ClientTable& table,
                                            const Configuration& config,
                                            const MachineFacts& facts) {
    if (const auto it = config.clients.find(app.name);
        it != config.clients.end() && facts.exists(it->second.path)) {
        return ResolvedClient{it->second.path, &FormFor(app, it->second.path),
                              "configured in configuration.ini:" + std::to_string(it->second.line)};
    }
    auto expanded = [&](std::string_view path) {
        return facts.expanded ? facts.expanded(path) : std::string(path);
    };
    for (const ClientProgram& program : app.programs) {
        if (program.path.empty()) continue;
        std::vector<std::string> candidates;
        if (Absolute(program.path)) {
            candidates.push_back(expanded(program.path));
        } else if (!table.installFolders.empty()) {
            if (facts.registered) candidates.push_back(facts.registered(FileName(program.path)));
            for (const std::string_view folder : table.installFolders)
                candidates.push_back(JoinPath(expanded(folder), program.path, table.separator));
        } else {
            // A name is looked for as the shell would, in the search path.
            for (const std::string_view directory : SearchDirectories(facts.searchPath))
                candidates.push_back(JoinPath(directory, program.path));
        }
        for (std::string& candidate : candidates) {
            if (!candidate.empty() && facts.exists(candidate))
                return ResolvedClient{std::move(candidate), &program, std::string(program.note)};
        }
    }
    return std::nullopt;
}

std::vector<std::string> PlacesToLook(
    const ClientApp& app, const ClientTable& table, const Configuration& config,
    std::string_view configured, const std::function<std::string(std::string_view name)>& inPath) {
    std::vector<std::string> places;
    if (const auto it = config.clients.find(app.name); it != config.clients.end())
        places.push_back(it->second.path + std::string(configured));
    for (const ClientProgram& program : app.programs) {
        if (program.path.empty()) continue;
        if (Absolute(program.path)) {
            places.emplace_back(program.path);
            continue;
        }
        places.push_back(
            inPath(table.installFolders.empty() ? program.path : FileName(program.path)));
        for (const std::string_view folder : table.installFolders)
            places.push_back(JoinPath(folder, program.path, table.separator));
    }
    return places;
}

std::string PlacesLookedIn(const ClientApp& app, const ClientTable& table,
                           const Configuration& config, std::string_view searchPath) {
    const std::vector<std::string> places =
        PlacesToLook(app, table, config, "（configuration.ini）", [&](std::string_view name) {
            return (table.installFolders.empty() ? "PATH（" + std::string(searchPath) + "）"
                                                 : std::string("App Paths ")) +
                   "中的 " + std::string(name);
        });
    std::string text = "已查找：";
    for (std::size_t i = 0; i < places.size(); ++i)
        text += (i == 0 ? "" : "、") + places[i];
    // QuendalApp on Linux: only a configured path could be.
    return places.empty() ? "已查找：无（可在 configuration.ini 的 [clients] 中配置）" : text;
}

ClientChoice ChooseClient(const ClientApp& app, const ClientTable& table,
                          const Configuration& config, const MachineFacts& facts) {
    ClientChoice choice{&app, ResolveClient(app, table, config, facts), {}};
    if (choice.found) return choice;
    choice.notFoundText = app.notFoundText;
    if (table.saysWhereLooked)
        choice.notFoundText += "\n" + PlacesLookedIn(app, table, config, facts.searchPath);
    return choice;
}

}  // namespace torvale
