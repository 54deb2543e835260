// The request pass on the recording platform, case by case from
// data/cases.txt, each case a test of its own: what each launch URL shows,
// runs and writes. A case:
//
//   == name                     starts a case
//   table linux                 the Linux clients (default: macOS)
//   installed PATH | none       the clients present (default: every one)
//   config LINE                 a line of configuration.ini
//   fail PATH                   writing or making it fails; reading finds it unreadable
//   tick TITLE                  "don't show again" is ticked on alerts of that title
//   answer no|yes|always        the trust question's answer; then every question
//                               must be listed, in its place among the alerts
//                               (without it: yes, and not checked)
//   question TITLE: MESSAGE     each question, in order
//   unkept WHY                  every change to the preferences fails, for that reason
//   trusted HOST                a host the user trusted before
//   fails STDERR                every command fails at once, writing this
//   unserved WHY                every background task fails (handovers, removals), for that reason
//   url FIELDS                  a pass on "torvale://" FIELDS
//   nested FIELDS               a URL that arrives while the first alert is open
//   run LINE                    each command line, in order (none: nothing runs)
//   askpass SOCKET: SECRET for PROMPT | PROMPT   each password handover, in order
//   alert TITLE: MESSAGE        each alert, in order
//   log LINE                    each log line
//   wrote PATH | none           each file the passes wrote, in order
//   removes PATH | none         each file to be removed once read, in order
//   action, client, reason, gateway, outcome, detail TEXT   the newest history entry
//
// "\n", "\t", "\\" and "\xNN" stand for what they mean everywhere. Any other
// line is an error of the case, with its line number.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/config/Trust.h"
#include "platform/recording/RecordingPlatform.h"
#include "support/DataFile.h"

namespace torvale::test {
namespace {

constexpr const char* kHome = "/home/demo";
constexpr const char* kBin = "/opt/bin";

// Directives that take whatever follows them, and those that set up the case.
const char* const kDirectives[] = {"table",  "installed", "config",  "fail",     "tick",
                                   "answer", "question",  "trusted", "url",      "nested",
                                   "run",    "alert",     "log",     "wrote",    "action",
                                   "client", "reason",    "gateway", "outcome",  "detail",
                                   "fails",  "unkept",    "askpass", "unserved", "removes"};

class CaseTable : public testing::TestWithParam<DataCase> {};

TEST_P(CaseTable, ShowsRunsAndWritesWhatItSays) {
    const DataCase& c = GetParam();
    ASSERT_EQ(c.error, "");
    std::multimap<std::string, std::string> steps;  // directive, argument; in order per directive
    std::vector<std::string> dialogs;  // "alert …" and "question …" lines, in order
    for (const DataCase::Line& line : c.lines) {
        const std::string text = Unescaped(line.text);
        const std::size_t space = std::min(text.find(' '), text.size());
        const std::string directive = text.substr(0, space);
        const std::string argument = text.substr(std::min(space + 1, text.size()));
        if (std::find(std::begin(kDirectives), std::end(kDirectives), directive) ==
            std::end(kDirectives)) {
            FAIL() << c.At(line, "unknown directive '" + directive + "'");
        } else {
            steps.emplace(directive, argument);
            if (directive == "alert" || directive == "question") dialogs.push_back(text);
        }
    }
    auto all = [&](const std::string& directive) {
        std::vector<std::string> found;
        for (auto [it, end] = steps.equal_range(directive); it != end; ++it)
            found.push_back(it->second);
        return found;
    };

    RecordingPlatform platform;
    const ClientTable& table =
        all("table") == std::vector<std::string>{"linux"} ? clients::kLinux : clients::kMacOS;
    auto installed = all("installed");
    if (installed.empty()) {
        // Every client: the macOS bundles, or the Linux programs in the
        // search path (there is no QuendalApp for Linux).
        for (const ClientApp* app : table.All())
            installed.emplace_back(app->programs.front().path);
        if (table.name == "linux")
            installed = {std::string(kBin) + "/SecureCRT", std::string(kBin) + "/filezilla",
                         std::string(kBin) + "/xfreerdp"};
    }
    platform.files.present = [installed](const std::string& path) {
        return std::find(installed.begin(), installed.end(), path) != installed.end();
    };
    for (const std::string& path : all("fail"))
        platform.files.failing.insert(path);
    std::string configuration;
    for (const std::string& line : all("config"))
        configuration += line + "\n";
    const std::string configDir = std::string(kHome) + "/Documents/torvale";
    if (!configuration.empty())
        platform.files.Seed(configDir + "/configuration.ini", configuration);

    const auto answer = all("answer");
    const std::map<std::string, Answer> answers = {
        {"no", Answer::Cancel}, {"yes", Answer::Connect}, {"always", Answer::ConnectAlways}};
    ASSERT_TRUE(answer.empty() || (answer.size() == 1 && answers.count(answer[0]) == 1))
        << "one answer: no, yes or always";
    platform.alerts.answer = answer.empty() ? Answer::Connect : answers.at(answer[0]);
    if (!all("trusted").empty())
        platform.preferences.UpdateList(
            kTrustedGateways, [&](auto) { return all("trusted"); }, nullptr);
    if (const auto failure = all("unkept"); !failure.empty())
        platform.preferences.failure = failure[0];
    if (const auto fails = all("fails"); !fails.empty()) platform.shell.failure = fails[0];
    if (const auto why = all("unserved"); !why.empty()) platform.background.failure = why[0];
    platform.askpassHelper = table.name == "linux"
                                 ? "/usr/bin/torvale-desktop"
                                 : "/Applications/Torvale.app/Contents/MacOS/Torvale";

    Application& app = platform.Start(table, kHome, kBin);
    platform.recorder.events.erase(
        std::remove_if(platform.recorder.events.begin(), platform.recorder.events.end(),
                       [](const RecordedEvent& e) { return e.kind != RecordedEvent::Kind::Alert; }),
        platform.recorder.events.end());  // start-up's alert is the case's, its files are not
    const auto ticks = all("tick");
    auto nested = all("nested");
    platform.alerts.ticked = [&](const std::string& title) {
        for (const std::string& fields : std::exchange(nested, {}))
            app.handleURLEvent("torvale://" + fields);
        return std::find(ticks.begin(), ticks.end(), title) != ticks.end();
    };
    for (const std::string& fields : all("url"))
        app.handleURLEvent("torvale://" + fields);

    // Every dialog in the order shown; questions only where the case answers them.
    std::vector<std::string> shown;
    for (const RecordedEvent& event : platform.recorder.events) {
        const bool question = event.kind == RecordedEvent::Kind::Question && !answer.empty();
        if (event.kind == RecordedEvent::Kind::Alert || question)
            shown.push_back((question ? "question " : "alert ") + event.text + ": " + event.detail);
    }
    if (answer.empty()) std::erase_if(dialogs, [](auto& line) { return line[0] == 'q'; });
    EXPECT_EQ(shown, dialogs);
    EXPECT_EQ(platform.recorder.Texts(RecordedEvent::Kind::Command), all("run"));
    EXPECT_EQ(platform.recorder.Texts(RecordedEvent::Kind::Log), all("log"));
    std::vector<std::string> handovers;
    for (const RecordedEvent& event : platform.recorder.events) {
        if (event.kind != RecordedEvent::Kind::Handover) continue;
        std::string prompts = event.detail;
        for (std::size_t at = 0; (at = prompts.find('\n', at)) != std::string::npos;)
            prompts.replace(at, 1, " | ");
        handovers.push_back(event.text + ": " + platform.background.secrets.at(handovers.size()) +
                            " for " + prompts);
    }
    EXPECT_EQ(handovers, all("askpass"));
    // Files written and files to be removed: compared where the case lists them.
    for (const auto& [directive, kind] : {std::pair{"wrote", RecordedEvent::Kind::WriteFile},
                                          std::pair{"removes", RecordedEvent::Kind::Removal}}) {
        auto paths = all(directive);
        if (paths == std::vector<std::string>{"none"}) paths.clear();
        EXPECT_TRUE(all(directive).empty() || platform.recorder.Texts(kind) == paths) << directive;
    }
    const LaunchRecord& last = app.History().Entries().front();
    // clang-format off
    const std::pair<const char*, std::string> record[] = {
        {"action", last.action}, {"client", last.client}, {"reason", last.clientReason},
        {"gateway", last.gateway}, {"outcome", std::string(OutcomeName(last.outcome))},
        {"detail", last.detail}};
    // clang-format on
    for (const auto& [directive, value] : record) {
        for (const std::string& expected : all(directive))
            EXPECT_EQ(value, expected) << directive;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTable, testing::ValuesIn(ReadCases("unit/data/cases.txt")),
                         [](const auto& test) { return test.param.Name(); });

}  // namespace
}  // namespace torvale::test
