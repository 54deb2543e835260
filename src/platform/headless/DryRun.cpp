#include "platform/headless/DryRun.h"

#include <iomanip>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/AppDelegate.h"
#include "core/intake/LinkWarnings.h"
#include "core/launchers/rdp/ConnectionFile.h"
#include "base/Masking.h"
#include "base/Printable.h"
#include "base/ShellQuote.h"
#include "base/ShellWords.h"
#include "base/Text.h"
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

// What one pass did, printed with every secret masked.
struct Printer {
    const PassRecord& pass;
    const std::vector<RecordedEvent>& events;
    const Field& fieldText;
    std::vector<std::string> warnings;
    std::vector<std::string> secrets;

    const Field& Parameter(std::string_view key) const {
        for (std::size_t i = 0; i < AppDelegate::kLaunchParameters.size(); ++i) {
            if (AppDelegate::kLaunchParameters[i].key == key) return pass.parameters[i];
        }
        static const Field none;
        return none;
    }

    std::string Masked(std::string_view text) const { return torvale::Masked(text, secrets); }
    // Masked, then made one printable line.
    std::string Shown(std::string_view text) const { return Printable(Masked(text)); }

    // An argument as a C string literal, so blanks and control characters show.
    std::string Quoted(std::string_view word) const {
        std::string out = "\"";
        for (char c : Shown(word)) {
            if (c == '"') out += '\\';
            out += c;
        }
        return out + "\"";
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
                out << "write    " << Shown(event.text) << " (mode " << Octal(event.mode) << ", "
                    << event.detail.size() << " bytes; each line ends at $)\n";
                std::string_view rest = event.detail;
                while (!rest.empty()) {
                    const std::size_t end = rest.find('\n');
                    out << "  | " << Shown(rest.substr(0, end)) << "$\n";
                    rest =
                        end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
                }
                break;
            }
            case Kind::Command: {
                out << "command  " << Shown(event.text) << "\n";
                const auto words = ShellWords(event.text);
                out << "argv    ";
                if (!words) out << " (cannot be told without running the shell)";
                for (const std::string& word : words.value_or(std::vector<std::string>{}))
                    out << " " << Quoted(word);
                out << "\n";
                break;
            }
        }
    }

    void Text(std::size_t number, std::ostream& out) const {
        out << "== launch URL " << number << "\n";
        if (pass.decodeFailure) {
            out << "decoding failed at byte " << pass.decodeFailure->offset << ": "
                << pass.decodeFailure->reason << "\n";
        } else {
            out << "field text: " << Shown(Str(fieldText)) << "\n";
        }
        for (const std::string& warning : warnings)
            out << "warning  " << Shown(warning) << "\n";
        out << "launch parameters:\n";
        for (std::size_t i = 0; i < pass.parameters.size(); ++i) {
            const Field& value = pass.parameters[i];
            out << "  " << std::left << std::setw(17) << AppDelegate::kLaunchParameters[i].key
                << (value ? Shown(*value) : "(absent)") << "\n";
        }
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
                return {{"type", "alert"},
                        {"title", Masked(event.text)},
                        {"message", Masked(event.detail)}};
            case Kind::Question:
                return {{"type", "question"},
                        {"title", Masked(event.text)},
                        {"message", Masked(event.detail)},
                        {"answer", ConfirmValue(event.answer)}};
            case Kind::Log:
                return {{"type", "log"}, {"line", Masked(event.text)}};
            case Kind::CreateDirectory:
                return {
                    {"type", "mkdir"}, {"path", Masked(event.text)}, {"mode", Octal(event.mode)}};
            case Kind::WriteFile:
                return {{"type", "write"},
                        {"path", Masked(event.text)},
                        {"mode", Octal(event.mode)},
                        {"content", Masked(event.detail)}};
            case Kind::Command: {
                JsonValue argv = nullptr;
                if (const auto words = ShellWords(event.text)) {
                    argv = JsonValue::array();
                    for (const std::string& word : *words)
                        argv.push_back(Masked(word));
                }
                return {{"type", "command"}, {"line", Masked(event.text)}, {"argv", argv}};
            }
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
            document["field_text"] = Masked(Str(fieldText));
            document["decode_error"] = nullptr;
        }
        JsonValue list = JsonValue::array();
        for (const std::string& warning : warnings)
            list.push_back(Masked(warning));
        document["warnings"] = list;
        JsonValue parameters = JsonValue::object();
        for (std::size_t i = 0; i < pass.parameters.size(); ++i) {
            const Field& value = pass.parameters[i];
            parameters[std::string(AppDelegate::kLaunchParameters[i].key)] =
                value ? JsonValue(Masked(*value)) : JsonValue(nullptr);
        }
        document["parameters"] = parameters;
        JsonValue happened = JsonValue::array();
        for (const RecordedEvent& event : events)
            happened.push_back(EventJson(event));
        document["events"] = happened;
        const LaunchRecord& record = pass.record;
        document["client"] = record.client.empty() ? JsonValue(nullptr)
                                                   : JsonValue{{"path", record.client},
                                                               {"reason", record.clientReason}};
        document["gateway"] =
            record.gateway.empty() ? JsonValue(nullptr) : JsonValue(Masked(record.gateway));
        document["outcome"] = OutcomeName(record.outcome);
        document["detail"] = Masked(record.detail);
        // ASCII only: JSON escapes every control character, C1 and DEL included.
        out << document.dump(-1, ' ', true, JsonValue::error_handler_t::replace) << "\n";
    }
};

}  // namespace

std::vector<std::string> SecretForms(std::string_view secret) {
    if (secret.empty()) return {};
    std::vector<std::string> forms = {std::string(secret), ShellQuote(secret), DoubleQuoted(secret),
                                      OneLine(secret)};
    // Inside a longer quoted word (FileZilla's user:password) the quotes
    // stand around the whole word, not around the password.
    if (const std::string& quoted = forms[1]; quoted.size() > secret.size())
        forms.push_back(quoted.substr(1, quoted.size() - 2));
    return forms;
}

void DryRun::Report(const std::string& url, std::size_t number, std::ostream& out) {
    RecordingPlatform recording(&files_, &preferences_);
    if (options_.assumeInstalled) recording.files.present = [](const std::string&) { return true; };
    recording.alerts.answer = options_.confirm;
    AppDelegate& app = recording.Start(*options_.clients, session_.home, session_.searchPath);
    recording.recorder.events.clear();  // start-up is not this URL's doing
    app.handleURLEvent(url);

    Printer printer{app.LastPass(), recording.recorder.events, app.url, LinkWarnings(url), {}};
    if (!options_.showSecrets) {
        for (const auto& key : {"password", "monitorpassword"}) {
            for (std::string& form : SecretForms(Str(printer.Parameter(key))))
                printer.secrets.push_back(std::move(form));
        }
    }
    if (options_.json) {
        printer.Json(number, out);
    } else {
        printer.Text(number, out);
    }
}

}  // namespace torvale
