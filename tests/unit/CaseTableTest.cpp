// The request pass on the recording platform, case by case from
// data/cases.txt, each case a test of its own: what each launch URL shows,
// runs and writes. A case:
//
//   == name                     starts a case
//   table linux|windows         the Linux or Windows clients (default: macOS); Windows has
//                               its home in C:\\Users\\demo, its own temporary folder
//   installed PATH | none       the clients present (default: every one); one
//                               after a url is there from the next url on
//   config LINE                 a line of configuration.ini
//   fail PATH                   writing or making it fails; reading finds it unreadable
//   tick TITLE                  "don't show again" is ticked on alerts of that title
//   answer no|yes|always        the trust question's answer (default: yes)
//   unkept WHY                  every change to the preferences (and used links) fails, for that
//                               reason
//   trusted HOST                a host the user trusted before
//   unserved WHY                every background task fails (handovers, removals), for that reason
//   ssh RELEASE                 what every program says of its version (`ssh -V`)
//   system LINE                 a line of the administrator's configuration.ini
//   systemmode MODE [user's]    its mode, in octal (default 0644), and owner (default root)
//   systemfolder PATH MODE [user's]   a folder on its way, and owner (default: root's, 0755)
//   sign FIELDS                 what the next url's $SIG signs instead of its own fields
//   url FIELDS                  a pass on "torvale://" FIELDS, at 1800000000 s; $SIG and
//                               $SIG2 sign it with $KEY and $KEY2, which config and
//                               system lines name
//
// and what the passes did, every kind compared whole: a kind the case lists
// no line of must not have happened, unless the case says "ignore KIND...".
//
//   alert TITLE: MESSAGE        each alert, in order
//   question TITLE: MESSAGE     each trust question, in its place among the alerts
//   run LINE                    each command line, in order
//   askpass SOCKET: SECRET for PROMPT | PROMPT   each password handover, in order
//   log LINE                    each log line, in order
//   wrote PATH                  each file the passes wrote, in order
//   removes PATH                each file to be removed once read, in order
//   action, client, reason, gateway, outcome, detail TEXT   the newest history entry
//                               (none: that field is empty)
//
// "\n", "\t", "\\" and "\xNN" stand for what they mean everywhere; a line ending in an odd
// number of "\" goes on with the next, whose leading blanks are dropped. Any other
// line is an error of the case, with its line number.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/Base64.h"
#include "base/Es256.h"
#include "base/Text.h"
#include "core/gateway/Gateway.h"
#include "core/request/UrlDecoding.h"
#include "platform/recording/RecordingPlatform.h"
#include "support/DataFile.h"

namespace torvale::test {
namespace {

constexpr const char* kHome = "/home/demo";
constexpr const char* kBin = "/opt/bin";
constexpr const char* kSystemFile = "/etc/torvale/configuration.ini";
const std::pair<std::string, std::string> kKeys[] = {
    {"$KEY2",
     "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEKcFWalF0dUglqFRnZXcppPdI7AqYN49Jc5h2zLJ6/CTrpdta"
     "7S/XdbZbrhyVDx97BXimdhYTvmR++b2Erh4xeg=="},
    {"$KEY",
     "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEjclANyqkcgnWzwFZ2gABMaSnyG3HZCSKYNqTeLhcopi+"
     "giMmA2o3CHrBd775CWZ/NCMIWENiIKY5sWGYPdcjJw=="}};

// A stand-in for ES256 (the real verifier meets published vectors in its own
// test): the "signature" of a message by a key is 86 base64url characters
// drawn from both, whose last one carries no stray bits.
std::string StandInSignature(std::string_view key, std::string_view message) {
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::size_t state = std::hash<std::string_view>{}(key) ^ std::hash<std::string_view>{}(message);
    std::string text;
    for (int i = 0; i < 85; ++i, state = state * 6364136223846793005u + 1442695040888963407u)
        text += kAlphabet[(state >> 33) % 64];
    return text + "Q";
}

class StandInVerifier final : public SignatureVerifier {
  public:
    // The keys of the cases, and no other.
    bool UsableEs256Key(std::string_view key, std::string* err) override {
        *err = "not a key of the cases";
        return std::any_of(std::begin(kKeys), std::end(kKeys),
                           [&](const auto& known) { return *DecodeBase64(known.second) == key; });
    }
    bool VerifyEs256(std::string_view key, std::string_view message, std::string_view signature,
                     std::string* err) override {
        std::string expected;
        SignatureToDer(*DecodeBase64Url(StandInSignature(key, message)), &expected);
        if (err != nullptr) *err = "stand-in signature differs";
        return signature == expected;
    }
    std::optional<std::string> Sha256(std::string_view, std::string*) override { return {}; }
};

// The fields with each $KEY named in full, or with $SIG and $SIG2 signing
// `signed` (the fields themselves, unless a case signs others).
std::string Substituted(std::string text, std::string_view sign = {}) {
    for (const auto& [name, base64] : kKeys) {
        for (std::size_t at; (at = text.find(name)) != text.npos;)
            text.replace(at, name.size(), "es256:" + base64);
        const std::string signature = "$SIG" + name.substr(4);
        const std::string fields =
            DecodeLaunchUrl(
                "torvale://" + std::string(sign.empty() ? std::string_view(text) : sign), nullptr)
                .value();
        const std::string message =
            "torvale-link-v1\n" + fields.substr(0, fields.find("&sig=") + 1);
        for (std::size_t at; (at = text.find(signature)) != text.npos;)
            text.replace(at, signature.size(), StandInSignature(*DecodeBase64(base64), message));
    }
    return text;
}

// What sets a case up, and what it compares: the kinds "ignore" may name.
const std::set<std::string> kSetUp = {
    "table", "installed", "config", "fail", "tick",   "answer",     "trusted",  "url",
    "ssh",   "unkept",    "system", "sign", "ignore", "systemmode", "unserved", "systemfolder"};
const std::set<std::string> kCompared = {"alert",   "question", "run",    "askpass", "log",
                                         "wrote",   "removes",  "action", "client",  "reason",
                                         "gateway", "outcome",  "detail"};

class CaseTable : public testing::TestWithParam<DataCase> {};

TEST_P(CaseTable, ShowsRunsAndWritesWhatItSays) {
    const DataCase& c = GetParam();
    ASSERT_EQ(c.error, "");
    std::vector<std::pair<std::string, std::string>> steps;  // directive, argument; in order
    std::set<std::string> ignored;
    for (const DataCase::Line& line : c.lines) {
        const std::string text = Unescaped(line.text);
        const std::size_t space = std::min(text.find(' '), text.size());
        const std::string directive = text.substr(0, space);
        const std::string argument = text.substr(std::min(space + 1, text.size()));
        if (kSetUp.count(directive) == 0 && kCompared.count(directive) == 0)
            FAIL() << "line " << line.number << ": unknown directive '" << directive << "'";
        steps.emplace_back(directive, argument);
        if (directive != "ignore") continue;
        for (const std::string_view kind : Split(argument, ' ')) {
            if (kCompared.count(std::string(kind)) == 0)
                FAIL() << "line " << line.number << ": nothing to ignore: " << kind;
            ignored.emplace(kind);
        }
    }
    auto all = [&](const std::string& directive) {
        std::vector<std::string> found;
        for (const auto& [d, argument] : steps)
            if (d == directive) found.push_back(argument);
        return found;
    };

    RecordingPlatform platform;
    const std::map<std::string, const ClientTable*> tables = {{"linux", &clients::kLinux},
                                                              {"windows", &clients::kWindows}};
    const ClientTable& table = all("table").empty() ? clients::kMacOS : *tables.at(all("table")[0]);
    const bool windows = table.name == "windows";
    const std::string home = windows ? "C:\\Users\\demo" : kHome;
    std::vector<std::string> installed;  // those before the first url; each later one after its url
    for (auto step = steps.begin(); step != steps.end() && step->first != "url"; ++step)
        if (step->first == "installed") installed.push_back(step->second);
    if (all("installed").empty()) {
        // Every client: the macOS bundles, or the Linux programs in the
        // search path (there is no QuendalApp for Linux).
        // On Windows in the first install folder, or where the path says.
        for (const ClientApp* app : table.All()) {
            const std::string_view path = app->programs.front().path;
            installed.push_back((windows && !path.starts_with("%") ? "%ProgramFiles%\\" : "") +
                                std::string(path));
        }
        if (table.name == "linux")
            installed = {std::string(kBin) + "/SecureCRT", std::string(kBin) + "/filezilla",
                         std::string(kBin) + "/xfreerdp"};
    }
    platform.files.present = [&installed](const std::string& path) {
        return std::find(installed.begin(), installed.end(), path) != installed.end();
    };
    for (const std::string& path : all("fail"))
        platform.files.failing.insert(path);
    std::string configuration;
    for (const std::string& line : all("config"))
        configuration += line + "\n";
    const std::string configDir =
        windows ? home + "\\Documents\\torvale" : home + "/Documents/torvale";
    if (!configuration.empty())
        platform.files.Seed(configDir + "/configuration.ini", Substituted(configuration));
    std::string system;
    for (const std::string& line : all("system"))
        system += line + "\n";
    // "MODE" or "MODE user's", and whether root owns it then.
    auto modeOf = [](const std::string& text) {
        return std::pair{unsigned(std::stoul(text, nullptr, 8)), !text.ends_with(" user's")};
    };
    const auto [mode, rootOwned] =
        modeOf(all("systemmode").empty() ? "0644" : all("systemmode")[0]);
    if (!system.empty()) platform.files.Seed(kSystemFile, Substituted(system), mode, rootOwned);
    for (const std::string& folder : all("systemfolder")) {
        const auto [folderMode, rootsFolder] = modeOf(folder.substr(folder.find(' ') + 1));
        platform.files.SeedFolder(folder.substr(0, folder.find(' ')), folderMode, rootsFolder);
    }
    platform.systemConfiguration = kSystemFile;
    platform.now = [] { return std::int64_t{1800000000}; };
    StandInVerifier verifier;
    platform.verifier = &verifier;

    const auto answer = all("answer");
    const std::map<std::string, Answer> answers = {
        {"no", Answer::Cancel}, {"yes", Answer::Connect}, {"always", Answer::ConnectAlways}};
    platform.alerts.answer = answer.empty() ? Answer::Connect : answers.at(answer[0]);
    if (!all("trusted").empty())
        platform.preferences.UpdateList(
            kTrustedGateways, [&](auto) { return all("trusted"); }, nullptr);
    if (const auto failure = all("unkept"); !failure.empty())
        platform.preferences.failure = platform.usedLinks.failure = failure[0];
    if (const auto why = all("unserved"); !why.empty()) platform.background.failure = why[0];
    if (const auto release = all("ssh"); !release.empty())
        platform.shell.versionOf = [release](const std::string&) { return release[0]; };
    if (table.name == "linux") platform.askpassHelper = "/usr/bin/torvale-desktop";
    if (windows) platform.temporaryDir = home + "\\AppData\\Local\\Temp";

    Application& app = platform.Start(table, home, kBin);
    platform.recorder.events.erase(
        std::remove_if(platform.recorder.events.begin(), platform.recorder.events.end(),
                       [](const RecordedEvent& e) { return e.kind != RecordedEvent::Kind::Alert; }),
        platform.recorder.events.end());  // start-up's alert is the case's, its files are not
    const auto ticks = all("tick");
    platform.alerts.ticked = [&](const std::string& title) {
        return std::find(ticks.begin(), ticks.end(), title) != ticks.end();
    };
    bool passed = false;
    std::string sign;
    for (const auto& [directive, argument] : steps) {
        if (directive == "installed" && passed) installed.push_back(argument);
        if (directive == "sign") sign = argument;
        if (directive == "url")
            app.handleURLEvent("torvale://" + Substituted(argument, std::exchange(sign, {})));
        passed = passed || directive == "url";
    }

    auto compare = [&](const std::string& kind, const std::vector<std::string>& done,
                       const std::vector<std::string>& expected) {
        if (ignored.count(kind) == 0) {
            EXPECT_EQ(done, expected) << kind;
        }
    };
    // Every dialog in the order shown.
    std::vector<std::string> shown, dialogs;
    for (const RecordedEvent& event : platform.recorder.events) {
        const bool question = event.kind == RecordedEvent::Kind::Question;
        const std::string kind = question ? "question" : "alert";
        if ((event.kind == RecordedEvent::Kind::Alert || question) && ignored.count(kind) == 0)
            shown.push_back(kind + " " + event.text + ": " + event.detail);
    }
    for (const auto& [directive, argument] : steps) {
        if ((directive == "alert" || directive == "question") && ignored.count(directive) == 0)
            dialogs.push_back(directive + " " + argument);
    }
    EXPECT_EQ(shown, dialogs);
    compare("run", platform.recorder.Texts(RecordedEvent::Kind::Command), all("run"));
    compare("log", platform.recorder.Texts(RecordedEvent::Kind::Log), all("log"));
    compare("wrote", platform.recorder.Texts(RecordedEvent::Kind::WriteFile), all("wrote"));
    compare("removes", platform.recorder.Texts(RecordedEvent::Kind::Removal), all("removes"));
    std::vector<std::string> handovers;
    for (const RecordedEvent& event : platform.recorder.events) {
        if (event.kind != RecordedEvent::Kind::Handover) continue;
        std::string prompts = event.detail;
        for (std::size_t at = 0; (at = prompts.find('\n', at)) != std::string::npos;)
            prompts.replace(at, 1, " | ");
        handovers.push_back(event.text + ": " + platform.background.secrets.at(handovers.size()) +
                            " for " + prompts);
    }
    compare("askpass", handovers, all("askpass"));
    const LaunchRecord& last = app.History().Entries().front();
    const std::pair<const char*, std::string> record[] = {
        {"action", last.action},
        {"client", last.client},
        {"reason", last.clientReason},
        {"gateway", last.gateway},
        {"outcome", std::string(OutcomeName(last.outcome))},
        {"detail", last.detail}};
    for (const auto& [kind, value] : record) {
        auto expected = all(kind);
        compare(kind, {value}, expected.empty() ? std::vector<std::string>{""} : expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTable, testing::ValuesIn(ReadCases("unit/data/cases.txt")),
                         [](const auto& test) { return test.param.Name(); });

}  // namespace
}  // namespace torvale::test
