// The request pass on fakes, case by case from data/cases.txt: what each
// launch URL shows, runs and writes. A case:
//
//   == name                     starts a case
//   table linux                 the Linux clients (default: macOS)
//   installed PATH | none       the clients present (default: every one)
//   config LINE                 a line of configuration.ini
//   fail PATH                   writing there fails; reading finds it unreadable
//   tick TITLE                  "don't show again" is ticked on alerts of that title
//   url FIELDS | urltext TEXT   a pass on "torvale://" FIELDS, or on TEXT itself
//   nested FIELDS               a URL that arrives while the first alert is open
//   run LINE                    each command line, in order (none: nothing runs)
//   alert TITLE: MESSAGE        each alert, in order
//   log LINE                    each log line
//   file PATH                   its content follows, a line as "| TEXT$"
//   action, client, reason, gateway, outcome, detail TEXT   the newest history entry
//
// "\n", "\t", "\\" and "\xNN" stand for what they mean everywhere.

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/System.h"

namespace torvale::test {
namespace {

using Steps = std::vector<std::pair<std::string, std::string>>;  // directive, argument

std::vector<std::string> All(const Steps& steps, const std::string& directive) {
    std::vector<std::string> found;
    for (const auto& [d, argument] : steps) {
        if (d == directive) found.push_back(argument);
    }
    return found;
}

void Check(const Steps& steps) {
    Harness h(All(steps, "table") == std::vector<std::string>{"linux"} ? clients::kLinux
                                                                       : clients::kMacOS,
              Harness::kHome, "/opt/bin", All(steps, "fail"));
    const auto installed = All(steps, "installed");
    if (installed.empty()) h.InstallAll();
    h.files.present.insert(installed.begin(), installed.end());
    std::string& configuration =
        h.files.files[std::string(Harness::kConfigDir) + "/configuration.ini"];
    for (const std::string& line : All(steps, "config"))
        configuration += line + "\n";
    const auto ticks = All(steps, "tick");
    auto nested = All(steps, "nested");
    h.alerts.ticked = [&](const std::string& title) {
        for (const std::string& fields : std::exchange(nested, {}))
            h.Open(fields);
        return std::find(ticks.begin(), ticks.end(), title) != ticks.end();
    };
    for (const auto& [d, argument] : steps) {
        if (d == "url") h.Open(argument);
        if (d == "urltext") h.delegate.handleURLEvent(argument);
    }

    EXPECT_EQ(h.alerts.shown, All(steps, "alert"));
    EXPECT_EQ(h.Recorded(RecordedEvent::Kind::Command), All(steps, "run"));
    EXPECT_EQ(h.Recorded(RecordedEvent::Kind::Log), All(steps, "log"));
    for (auto step = steps.begin(); step != steps.end(); ++step) {
        if (step->first != "file") continue;
        std::string content;
        for (auto line = step + 1; line != steps.end() && line->first == "|"; ++line)
            content += line->second.substr(0, line->second.size() - 1) + "\n";
        EXPECT_EQ(h.files.files[step->second], content) << step->second;
        EXPECT_EQ(h.files.modes[step->second], 0600u) << step->second;
    }
    const LaunchRecord& last = h.delegate.history.Entries().front();
    const std::pair<const char*, std::string> record[] = {
        {"action", last.action},
        {"client", last.client},
        {"reason", last.clientReason},
        {"gateway", last.gateway},
        {"outcome", std::string(OutcomeName(last.outcome))},
        {"detail", last.detail}};
    for (const auto& [directive, value] : record) {
        for (const std::string& expected : All(steps, directive))
            EXPECT_EQ(value, expected) << directive;
    }
}

TEST(CaseTable, EveryCaseShowsRunsAndWritesWhatItSays) {
    std::vector<std::pair<std::string, Steps>> cases;  // where and what, its steps
    int number = 0;
    for (const std::string& line : ReadDataLines("unit/data/cases.txt")) {
        ++number;
        if (line.starts_with("== ")) {
            cases.push_back({"cases.txt:" + std::to_string(number) + " " + line.substr(3), {}});
        } else if (!line.empty() && line[0] != '#' && !cases.empty()) {
            const std::size_t space = std::min(line.find(' '), line.size());
            cases.back().second.emplace_back(line.substr(0, space),
                                             line.substr(std::min(space + 1, line.size())));
        }
    }
    EXPECT_GT(cases.size(), 40u);
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        Check(steps);
    }
}

}  // namespace
}  // namespace torvale::test
