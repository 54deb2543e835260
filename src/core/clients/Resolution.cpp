// Finding the client application of a launch: the configured path, the
// table's programs in order, PATH.

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

std::optional<ResolvedClient> ResolveClient(const ClientApp& app, const Configuration& config,
                                            std::string_view searchPath,
                                            const std::function<bool(const std::string&)>& exists) {
    if (const auto it = config.clients.find(app.name);
        it != config.clients.end() && exists(it->second.path)) {
        return ResolvedClient{it->second.path, &FormFor(app, it->second.path),
                              "configured in configuration.ini:" + std::to_string(it->second.line)};
    }
    for (const ClientProgram& program : app.programs) {
        if (program.path.empty()) continue;
        if (program.path.front() == '/') {
            if (exists(std::string(program.path)))
                return ResolvedClient{std::string(program.path), &program,
                                      std::string(program.note)};
            continue;
        }
        // A name is looked for as the shell would, in the search path.
        for (const std::string_view directory : SearchDirectories(searchPath)) {
            std::string candidate = JoinPath(directory, program.path);
            if (exists(candidate))
                return ResolvedClient{std::move(candidate), &program, std::string(program.note)};
        }
    }
    return std::nullopt;
}

std::vector<std::string> PlacesToLook(
    const ClientApp& app, const Configuration& config, std::string_view configured,
    const std::function<std::string(std::string_view name)>& inPath) {
    std::vector<std::string> places;
    if (const auto it = config.clients.find(app.name); it != config.clients.end())
        places.push_back(it->second.path + std::string(configured));
    for (const ClientProgram& program : app.programs) {
        if (program.path.empty()) continue;
        places.push_back(program.path.front() == '/' ? std::string(program.path)
                                                     : inPath(program.path));
    }
    return places;
}

std::string PlacesLookedIn(const ClientApp& app, const Configuration& config,
                           std::string_view searchPath) {
    const std::vector<std::string> places =
        PlacesToLook(app, config, "（configuration.ini）", [&](std::string_view name) {
            return "PATH（" + std::string(searchPath) + "）中的 " + std::string(name);
        });
    std::string text = "已查找：";
    for (std::size_t i = 0; i < places.size(); ++i)
        text += (i == 0 ? "" : "、") + places[i];
    // QuendalApp on Linux: only a configured path could be.
    return places.empty() ? "已查找：无（可在 configuration.ini 的 [clients] 中配置）" : text;
}

ClientChoice ChooseClient(const ClientApp& app, const ClientTable& table,
                          const Configuration& config, std::string_view searchPath,
                          const std::function<bool(const std::string&)>& exists) {
    ClientChoice choice{&app, ResolveClient(app, config, searchPath, exists), {}};
    if (choice.found) return choice;
    choice.notFoundText = app.notFoundText;
    if (table.saysWhereLooked)
        choice.notFoundText += "\n" + PlacesLookedIn(app, config, searchPath);
    return choice;
}

}  // namespace torvale
