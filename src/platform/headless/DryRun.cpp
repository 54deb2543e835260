#include "platform/headless/DryRun.h"

#include <cstdio>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <variant>
#include <vector>

#include "app/AppDelegate.h"
#include "app/Printable.h"
#include "app/intake/UrlDecoding.h"
#include "platform/recording/Recording.h"
#include "platform/recording/ShellWords.h"

namespace torvale {
namespace {

using Json = nlohmann::ordered_json;
using Kind = RecordedEvent::Kind;

// What one launch URL would do.
struct Prediction {
    std::variant<std::string, DecodeFailure> fieldText;
    std::vector<std::pair<std::string_view, Field>> parameters;
    std::vector<RecordedEvent> events;
    LaunchRecord record;
};

std::string Octal(unsigned mode) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04o", mode);
    return buffer;
}

// An argument as a C string literal, so blanks and control characters show.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : Printable(text)) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

void PrintEvent(const RecordedEvent& event, std::ostream& out) {
    switch (event.kind) {
        case Kind::Alert:
            out << "alert    " << Printable(event.text) << ": " << Printable(event.detail) << "\n";
            break;
        case Kind::Log:
            out << "log      " << Printable(event.text) << "\n";
            break;
        case Kind::CreateDirectory:
            out << "mkdir    " << Printable(event.text) << " (mode " << Octal(event.mode) << ")\n";
            break;
        case Kind::WriteFile: {
            out << "write    " << Printable(event.text) << " (mode " << Octal(event.mode) << ", "
                << event.detail.size() << " bytes; each line ends at $)\n";
            std::string_view rest = event.detail;
            while (!rest.empty()) {
                const std::size_t end = rest.find('\n');
                out << "  | " << Printable(rest.substr(0, end)) << "$\n";
                rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            }
            break;
        }
        case Kind::Command: {
            out << "command  " << Printable(event.text) << "\n";
            const auto words = ShellWords(event.text);
            out << "argv    ";
            if (!words) out << " (cannot be told without running the shell)";
            for (const std::string& word : words.value_or(std::vector<std::string>{})) {
                out << " " << Quoted(word);
            }
            out << "\n";
            break;
        }
    }
}

void PrintText(const Prediction& outcome, std::size_t number, std::ostream& out) {
    out << "== launch URL " << number << "\n";
    if (const auto* text = std::get_if<std::string>(&outcome.fieldText)) {
        out << "field text: " << Printable(*text) << "\n";
    } else {
        const auto& failure = std::get<DecodeFailure>(outcome.fieldText);
        out << "decoding failed at byte " << failure.offset << ": " << failure.reason << "\n";
    }
    out << "launch parameters:\n";
    for (const auto& [key, value] : outcome.parameters) {
        out << "  " << std::left << std::setw(17) << key << (value ? Printable(*value) : "(absent)")
            << "\n";
    }
    for (const RecordedEvent& event : outcome.events)
        PrintEvent(event, out);

    const LaunchRecord& record = outcome.record;
    if (!record.client.empty()) {
        out << "client   " << Printable(record.client);
        if (!record.clientReason.empty()) out << " (" << Printable(record.clientReason) << ")";
        out << "\n";
    }
    if (!record.gateway.empty()) out << "gateway  " << Printable(record.gateway) << "\n";
    out << "outcome  " << OutcomeName(record.outcome);
    if (!record.detail.empty()) out << ": " << Printable(record.detail);
    out << "\n";
}

Json EventJson(const RecordedEvent& event) {
    switch (event.kind) {
        case Kind::Alert:
            return {{"type", "alert"}, {"title", event.text}, {"message", event.detail}};
        case Kind::Log:
            return {{"type", "log"}, {"line", event.text}};
        case Kind::CreateDirectory:
            return {{"type", "mkdir"}, {"path", event.text}, {"mode", Octal(event.mode)}};
        case Kind::WriteFile:
            return {{"type", "write"},
                    {"path", event.text},
                    {"mode", Octal(event.mode)},
                    {"content", event.detail}};
        case Kind::Command: {
            const auto words = ShellWords(event.text);
            return {{"type", "command"},
                    {"line", event.text},
                    {"argv", words ? Json(*words) : Json(nullptr)}};
        }
    }
    return nullptr;
}

void PrintJson(const Prediction& outcome, std::size_t number, std::ostream& out) {
    Json document;
    document["url"] = number;
    if (const auto* text = std::get_if<std::string>(&outcome.fieldText)) {
        document["field_text"] = *text;
        document["decode_error"] = nullptr;
    } else {
        const auto& failure = std::get<DecodeFailure>(outcome.fieldText);
        document["field_text"] = nullptr;
        document["decode_error"] = {{"offset", failure.offset}, {"reason", failure.reason}};
    }
    Json parameters = Json::object();
    for (const auto& [key, value] : outcome.parameters) {
        parameters[std::string(key)] = value ? Json(*value) : Json(nullptr);
    }
    document["parameters"] = parameters;
    Json events = Json::array();
    for (const RecordedEvent& event : outcome.events)
        events.push_back(EventJson(event));
    document["events"] = events;
    const LaunchRecord& record = outcome.record;
    document["client"] = record.client.empty()
                             ? Json(nullptr)
                             : Json{{"path", record.client}, {"reason", record.clientReason}};
    document["gateway"] = record.gateway.empty() ? Json(nullptr) : Json(record.gateway);
    document["outcome"] = OutcomeName(record.outcome);
    document["detail"] = record.detail;
    // ASCII only: JSON escapes every control character, C1 and DEL included.
    out << document.dump(-1, ' ', true, Json::error_handler_t::replace) << "\n";
}

}  // namespace

std::string MaskSecrets(std::string_view fieldText) {
    // One pass, field by field: a value ends at the next "&", so the text
    // after a masked value is never looked at twice.
    std::string masked;
    masked.reserve(fieldText.size());
    std::size_t at = 0;
    while (at < fieldText.size()) {
        std::size_t next = fieldText.find('&', at + 1);
        if (next == std::string_view::npos) next = fieldText.size();
        const std::string_view field = fieldText.substr(at, next - at);
        std::size_t keyLength = 0;
        for (std::string_view key : {"&password=", "&monitorpassword="}) {
            if (field.starts_with(key)) keyLength = key.size();
        }
        if (keyLength == 0 || field.size() == keyLength) {
            masked.append(field);
        } else {
            masked.append(field.substr(0, keyLength));
            masked.append("********");
            // The pass refuses a FileZilla password holding "/", and runs no
            // line holding a NUL: kept, they make the dry run decide as the
            // real one does.
            for (const char kept : {'/', '\0'}) {
                if (field.find(kept, keyLength) != std::string_view::npos) masked += kept;
            }
        }
        at = next;
    }
    return masked;
}

void DryRun::Report(const std::string& url, std::size_t number, std::ostream& out) {
    Prediction outcome{DecodeLaunchUrl(url), {}, {}, {}};
    Field fieldText;
    if (const auto* text = std::get_if<std::string>(&outcome.fieldText)) {
        // Masking the field text before the pass hides a password in the
        // debug alert, the command lines and the files alike.
        fieldText = options_.showSecrets ? *text : MaskSecrets(*text);
        outcome.fieldText = *fieldText;
    }

    Recorder recorder;
    RecordingAlertPanel alerts(recorder);
    RecordingFileSystem::Presence present;
    if (options_.assumeInstalled) present = [](const std::string&) { return true; };
    RecordingFileSystem files(recorder, &files_, present);
    RecordingShell shell(recorder);
    RecordingLog log(recorder);
    const Platform platform{alerts, preferences_, files, shell, log, ini_};
    AppDelegate delegate(platform, *options_.clients);
    delegate.applicationWillFinishLaunching(home_, searchPath_);
    recorder.events.clear();  // start-up is not this URL's doing
    delegate.HandleFieldText(fieldText);
    outcome.events = std::move(recorder.events);
    outcome.record = delegate.history.Entries().front();

    // The parameters as filled, before any launcher rewrote them.
    AppDelegate filled(platform, *options_.clients);
    filled.url = fieldText;
    filled.FillLaunchParameters();
    for (const auto& parameter : AppDelegate::kLaunchParameters) {
        outcome.parameters.emplace_back(parameter.key, filled.*parameter.member);
    }

    if (options_.json) {
        PrintJson(outcome, number, out);
    } else {
        PrintText(outcome, number, out);
    }
}

}  // namespace torvale
