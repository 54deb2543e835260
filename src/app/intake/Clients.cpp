// Finding the client application of a launch, and the checks that every
// launch passes before anything is written or run.

#include <algorithm>

#include "app/AlertTitles.h"
#include "app/AppDelegate.h"
#include "app/ShellQuote.h"

namespace torvale {
namespace {

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A path configured by the user keeps the line's form: that of the program
// of the same name (Remmina or FreeRDP), else that of the client's own.
const ClientProgram& FormFor(const ClientApp& app, std::string_view path) {
    const auto same = std::find_if(app.programs.begin(), app.programs.end(), [&](const auto& p) {
        return !p.path.empty() && BaseName(p.path) == BaseName(path);
    });
    return same != app.programs.end() ? *same : app.programs.front();
}

std::string Gateway(std::string_view host, const Configuration& config) {
    std::string decision = host.empty() ? std::string("(no host)") : std::string(host);
    if (config.gatewaysInError) return decision + ": refused, configuration.ini has an error";
    if (config.allow.empty()) return decision + ": allowed, no allow-list";
    return decision + (config.Allows(host) ? ": allowed, listed" : ": refused, not listed");
}

}  // namespace

bool OptionLike(std::string_view value) {
    return !value.empty() && (value.front() == '/' || value.front() == '-');
}

bool IsPort(std::string_view value) {
    return std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<ResolvedClient> AppDelegate::OpeningCheck(const ClientApp& app) {
    if (auto found = Resolve(app)) {
        record_.client = found->path;
        record_.clientReason = found->reason;
        return found;
    }
    record_.client = app.name;
    record_.outcome = Outcome::ClientMissing;
    Alert(titles::kSorry, std::string(app.notFoundText));
    return std::nullopt;
}

std::optional<ResolvedClient> AppDelegate::Resolve(const ClientApp& app) {
    if (const auto it = config_.clients.find(app.name);
        it != config_.clients.end() && appInstalled(it->second.path)) {
        return ResolvedClient{it->second.path, &FormFor(app, it->second.path),
                              "configured in configuration.ini:" + std::to_string(it->second.line)};
    }
    for (const ClientProgram& program : app.programs) {
        if (program.path.empty()) continue;
        if (program.path.front() == '/') {
            if (appInstalled(program.path))
                return ResolvedClient{std::string(program.path), &program,
                                      std::string(program.note)};
            continue;
        }
        // A name is looked for as the shell would, in the search path; a
        // relative directory there would depend on where we were started.
        std::string_view rest = searchPath_;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view directory = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (!directory.starts_with("/")) continue;
            std::string candidate = std::string(directory) + "/" + std::string(program.path);
            if (appInstalled(candidate))
                return ResolvedClient{std::move(candidate), &program, std::string(program.note)};
        }
    }
    return std::nullopt;
}

std::string AppDelegate::CommandPrefix(const ResolvedClient& client) const {
    return std::string(clients_.launcher) + ProgramWord(client.path) +
           std::string(client.form->arguments);
}

bool AppDelegate::Permitted(std::string_view host, std::initializer_list<Check> checks) {
    record_.gateway = Gateway(host, config_);
    if (!config_.Allows(host)) {
        record_.outcome = Outcome::Refused;
        record_.detail = host;
        Alert(titles::kSorry, "网关不在信任列表中：" + std::string(host));
        return false;
    }
    for (const Check& check : checks) {
        if (!check.unsafe) continue;
        record_.outcome = Outcome::Refused;
        record_.detail = check.key;
        Alert(titles::kSorry, "启动参数不安全：" + std::string(check.key));
        return false;
    }
    return true;
}

}  // namespace torvale
