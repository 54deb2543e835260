#include "platform/headless/DryRun.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "base/Masking.h"
#include "base/Path.h"
#include "base/Printable.h"
#include "base/Text.h"
#include "base/WindowsCommandLine.h"
#include "core/Application.h"
#include "core/request/LinkWarnings.h"
#include "platform/crypto/SystemVerifier.h"
#include "platform/recording/RecordingPlatform.h"

namespace torvale {
namespace {

using JsonValue = nlohmann::ordered_json;
using Kind = RecordedEvent::Kind;

// The value of --confirm that gives the answer.
std::string_view ConfirmValue(Answer answer) {
    switch (answer) {
        case Answer::Cancel:
            return "no";
        case Answer::Connect:
            return "yes";
        case Answer::ConnectAlways:
            return "always";
    }
    return "";
}

// What one pass did, printed with every secret masked where it stands (the
// debug alerts hold none): the secret fields of the field text and the
// parameters, the secret pieces of the command, the secret places of files.
struct Printer {
    const PassRecord& pass;
    const std::vector<RecordedEvent>& events;
    std::vector<std::string> warnings;
    bool masked = true;
    // Windows starts the client itself with one command line, which the
    // client splits; elsewhere /bin/sh -c is given the line.
    bool windows = false;

    // One printable line.
    static std::string Shown(std::string_view text) { return Printable(text); }

    std::string FieldText() const {
        const std::string& text = Str(pass.request.url);
        return masked ? MaskedFieldText(text) : text;
    }
    std::string Parameter(const LaunchParameter& parameter) const {
        const std::string& value = Str(pass.request.*parameter.member);
        return masked && parameter.secret && !value.empty() ? std::string(kMask) : value;
    }
    // What a file written holds: the plan's file, shown masked.
    std::string Content(const RecordedEvent& event) const {
        for (const FileToWrite& file : pass.plan.files) {
            if (masked && file.path == event.text) return file.shown;
        }
        return event.detail;
    }
    std::string Line() const {
        if (!windows) return LineOf(*pass.plan.command, masked);
        std::string line;
        std::string why;
        return WindowsCommandLine(Argv(), &line, &why) ? line : "(none: " + why + ")";
    }
    std::vector<std::string> Argv() const { return ArgvOf(*pass.plan.command, masked); }

    // An argument as a C string literal, so blanks and control characters show.
    std::string Quoted(std::string_view word) const {
        std::string out = "\"";
        for (char c : Shown(word)) {
            if (c == '"') out += '\\';
            out += c;
        }
        return out + "\"";
    }

    // The prompts a handover answers, one a line.
    static std::vector<std::string> Prompts(const RecordedEvent& event) {
        const auto prompts = Split(event.detail, '\n');
        return {prompts.begin(), prompts.end()};
    }

    void Event(const RecordedEvent& event, std::ostream& out) const {
        switch (event.kind) {
            case Kind::Alert:
                out << "alert    " << Shown(event.text) << ": " << Shown(event.detail) << "\n";
                break;
            case Kind::Question:
                out << "question " << Shown(event.text) << ": " << Shown(event.detail) << "\n";
                out << "answer   " << (event.answer == Answer::Cancel ? "cancel" : "connect")
                    << (event.answer == Answer::ConnectAlways ? ", trust from now on" : "")
                    << " (--confirm=" << ConfirmValue(event.answer) << ")\n";
                break;
            case Kind::Log:
                out << "log      " << Shown(event.text) << "\n";
                break;
            case Kind::CreateDirectory:
                out << "mkdir    " << Shown(event.text) << " (mode " << Octal(event.mode) << ")\n";
                break;
            case Kind::WriteFile: {
                // A masked file's size would tell the password's length.
                const std::string content = Content(event);
                out << "write    " << Shown(event.text) << " (mode " << Octal(event.mode) << ", "
                    << (content == event.detail ? std::to_string(event.detail.size()) + " bytes"
                                                : std::string("its password masked"))
                    << "; each line ends at $)\n";
                for (const std::string_view line : Lines(content))
                    out << "  | " << Shown(line) << "$\n";
                break;
            }
            case Kind::Removal:
                out << "removal  " << Shown(event.text)
                    << (windows ? " once its client waits for input or has ended, or "
                                : " once a client has opened and closed it, or ")
                    << event.detail
                    << " s on, with the password it holds; at the latest at the next start\n";
                break;
            case Kind::Handover: {
                const std::vector<std::string> prompts = Prompts(event);
                out << "askpass  " << Shown(event.text) << ": serves the password once, for "
                    << pass.plan.handover->lifetime.count() << " s, to ssh's askpass helper asking";
                for (std::size_t i = 0; i < prompts.size(); ++i)
                    out << (i == 0 ? " " : " or ") << Quoted(prompts[i]);
                out << "; every other prompt goes to the user in the terminal\n";
                break;
            }
            case Kind::Command: {
                // The executor runs the plan's one command, whose argv the
                // plan knows: the shell makes exactly these words of the line.
                out << "command  " << Shown(Line()) << "\n";
                out << "argv    ";
                for (const std::string& word : Argv())
                    out << " " << Quoted(word);
                out << "\n";
                break;
            }
        }
    }

    // What the gateway's signature says of the link, where keys or a policy
    // make it count. The dry run never marks a link used.
    std::optional<std::string> Signature() const {
        const LinkSignature& link = pass.signature;
        if (link.verdict == LinkSignature::None && pass.unsignedLinks == Unsigned::Launch)
            return std::nullopt;
        std::string text = link.verdict == LinkSignature::None    ? "none"
                           : link.verdict == LinkSignature::Valid ? "valid"
                                                                  : "invalid: " + link.why;
        if (!link.kid.empty()) text += "; key " + link.kid;
        if (link.exp != 0)
            text += "; expires at " + std::to_string(link.exp) + " (" +
                    std::to_string(link.exp - link.checkedAt) + " s from now)";
        return text + "; unsigned links: " + std::string(UnsignedLinkFate(pass.unsignedLinks));
    }

    void Text(std::size_t number, std::ostream& out) const {
        out << "== launch URL " << number << "\n";
        if (pass.decodeFailure) {
            out << "decoding failed at byte " << pass.decodeFailure->offset << ": "
                << pass.decodeFailure->reason << "\n";
        } else {
            out << "field text: " << Shown(FieldText()) << "\n";
        }
        for (const std::string& warning : warnings)
            out << "warning  " << Shown(warning) << "\n";
        out << "launch parameters:\n";
        for (const LaunchParameter& parameter : kLaunchParameters) {
            const Field& value = pass.request.*parameter.member;
            out << "  " << std::left << std::setw(17) << parameter.key
                << (value ? Shown(Parameter(parameter)) : "(absent)") << "\n";
        }
        if (const auto signature = Signature()) out << "signature " << Shown(*signature) << "\n";
        for (const RecordedEvent& event : events)
            Event(event, out);

        const LaunchRecord& record = pass.record;
        if (!record.client.empty()) {
            // From this machine, not the URL: no password to mask there.
            out << "client   " << Printable(record.client);
            if (!record.clientReason.empty()) out << " (" << Printable(record.clientReason) << ")";
            out << "\n";
        }
        if (!record.gateway.empty()) out << "gateway  " << Shown(record.gateway) << "\n";
        out << "outcome  " << OutcomeName(record.outcome);
        if (!record.detail.empty()) out << ": " << Shown(record.detail);
        out << "\n";
    }

    JsonValue EventJson(const RecordedEvent& event) const {
        switch (event.kind) {
            case Kind::Alert:
                return {{"type", "alert"}, {"title", event.text}, {"message", event.detail}};
            case Kind::Question:
                return {{"type", "question"},
                        {"title", event.text},
                        {"message", event.detail},
                        {"answer", ConfirmValue(event.answer)}};
            case Kind::Log:
                return {{"type", "log"}, {"line", event.text}};
            case Kind::CreateDirectory:
                return {{"type", "mkdir"}, {"path", event.text}, {"mode", Octal(event.mode)}};
            case Kind::WriteFile:
                return {{"type", "write"},
                        {"path", event.text},
                        {"mode", Octal(event.mode)},
                        {"content", Content(event)}};
            case Kind::Removal:
                return {{"type", "removal"},
                        {"path", event.text},
                        {"seconds", std::stoi(event.detail)}};
            case Kind::Handover:
                return {{"type", "askpass"},
                        {"socket", event.text},
                        {"seconds", pass.plan.handover->lifetime.count()},
                        {"prompts", Prompts(event)}};
            case Kind::Command:
                return {{"type", "command"}, {"line", Line()}, {"argv", Argv()}};
        }
        return nullptr;
    }

    void Json(std::size_t number, std::ostream& out) const {
        JsonValue document;
        document["url"] = number;
        if (pass.decodeFailure) {
            document["field_text"] = nullptr;
            document["decode_error"] = {{"offset", pass.decodeFailure->offset},
                                        {"reason", pass.decodeFailure->reason}};
        } else {
            document["field_text"] = FieldText();
            document["decode_error"] = nullptr;
        }
        document["warnings"] = warnings;
        JsonValue parameters = JsonValue::object();
        for (const LaunchParameter& parameter : kLaunchParameters) {
            const Field& value = pass.request.*parameter.member;
            parameters[std::string(parameter.key)] =
                value ? JsonValue(Parameter(parameter)) : JsonValue(nullptr);
        }
        document["parameters"] = parameters;
        const LinkSignature& link = pass.signature;
        constexpr const char* kVerdicts[] = {"none", "valid", "invalid"};
        auto orNull = [](bool given, JsonValue value) {
            return given ? value : JsonValue(nullptr);
        };
        document["signature"] =
            orNull(Signature().has_value(),
                   {{"verdict", kVerdicts[link.verdict]},
                    {"reason", orNull(!link.why.empty(), link.why)},
                    {"key", orNull(!link.kid.empty(), link.kid)},
                    {"expires", orNull(link.exp != 0, link.exp)},
                    {"seconds_left", orNull(link.exp != 0, link.exp - link.checkedAt)},
                    {"unsigned_links", UnsignedLinkFate(pass.unsignedLinks)}});
        JsonValue happened = JsonValue::array();
        for (const RecordedEvent& event : events)
            happened.push_back(EventJson(event));
        document["events"] = happened;
        const LaunchRecord& record = pass.record;
        document["client"] = record.client.empty() ? JsonValue(nullptr)
                                                   : JsonValue{{"path", record.client},
                                                               {"reason", record.clientReason}};
        document["gateway"] =
            record.gateway.empty() ? JsonValue(nullptr) : JsonValue(record.gateway);
        document["outcome"] = OutcomeName(record.outcome);
        document["detail"] = record.detail;
        // ASCII only: JSON escapes every control character, C1 and DEL included.
        out << document.dump(-1, ' ', true, JsonValue::error_handler_t::replace) << "\n";
    }
};

}  // namespace

bool ReadDryRunOption(std::string_view option, DryRunOptions* options) {
    bool* const flags[] = {&options->assumeInstalled, &options->showSecrets, &options->json};
    constexpr std::string_view kNames[] = {"--assume-installed", "--show-secrets", "--json"};
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (option == kNames[i]) return *flags[i] = true;
    }
    return false;
}

std::string DryRun::Report(const std::string& url, std::size_t number) {
    RecordingPlatform recording(&files_, &preferences_, &usedLinks_);
    recording.verifier = &SystemVerifier();
    recording.systemConfiguration = place_.systemConfiguration;
    recording.prepare = place_.prepare;
    // Every client installed: each Mac bundle; on Linux, what packages put in
    // /usr/bin, as a desktop with the package's recommendations has it.
    // SecureCRT is no Debian package, so SSH links show the terminal path.
    std::string searchPath = place_.searchPath;
    if (options_.assumeInstalled && options_.clients->sshWithoutSecureCRT) {
        searchPath = "/usr/bin";
        recording.files.present = [](const std::string& path) {
            return path.starts_with("/usr/bin/") && BaseName(path) != "SecureCRT";
        };
    } else if (options_.assumeInstalled) {
        recording.files.present = [](const std::string&) { return true; };
    }
    recording.alerts.answer = options_.confirm;
    recording.askpassHelper = place_.askpassHelper;
    recording.temporaryDir = place_.temporaryDir;
    recording.shell.versionOf = place_.versionOf;
    Application& app = recording.Start(*options_.clients, place_.home, searchPath);
    recording.recorder.events.clear();  // start-up is not this URL's doing
    app.handleURLEvent(url);

    const PassRecord& pass = app.LastPass();
    const Printer printer{pass, recording.recorder.events, LinkWarnings(url), !options_.showSecrets,
                          options_.clients->ForWindows()};
    std::ostringstream out;
    if (options_.json) {
        printer.Json(number, out);
    } else {
        printer.Text(number, out);
    }
    return out.str();
}

}  // namespace torvale
