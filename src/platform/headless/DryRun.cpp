#include "platform/headless/DryRun.h"

#include <cstdio>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <variant>
#include <vector>

#include "app/AppDelegate.h"
#include "app/intake/UrlDecoding.h"
#include "platform/headless/StderrAlertPanel.h"
#include "platform/recording/Recording.h"
#include "platform/recording/ShellWords.h"

namespace torvale {
namespace {

using Json = nlohmann::ordered_json;
using Kind = RecordedEvent::Kind;

constexpr std::string_view kMask = "********";

// What one launch URL would do.
struct Outcome {
    std::variant<std::string, DecodeFailure> fieldText;
    std::vector<std::pair<std::string_view, Field>> parameters;
    std::vector<RecordedEvent> events;
};

std::string PercentEncodeAll(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

std::string Octal(unsigned mode) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04o", mode);
    return buffer;
}

// An argument as a C string literal, so blanks and control characters show.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\x%02x", static_cast<unsigned char>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void PrintText(const Outcome& outcome, std::size_t number, std::ostream& out) {
    out << "== launch URL " << number << "\n";
    if (const auto* text = std::get_if<std::string>(&outcome.fieldText)) {
        out << "field text: " << *text << "\n";
    } else {
        const auto& failure = std::get<DecodeFailure>(outcome.fieldText);
        out << "decoding failed at byte " << failure.offset << ": " << failure.reason << "\n";
    }
    out << "launch parameters:\n";
    for (const auto& [key, value] : outcome.parameters) {
        out << "  " << std::left << std::setw(17) << key << (value ? *value : "(absent)") << "\n";
    }
    for (const RecordedEvent& event : outcome.events) {
        switch (event.kind) {
            case Kind::Alert:
                out << "alert    " << AlertLine(event.text, event.detail) << "\n";
                break;
            case Kind::Log:
                out << "log      " << event.text << "\n";
                break;
            case Kind::CreateDirectory:
                out << "mkdir    " << event.text << " (mode " << Octal(event.mode) << ")\n";
                break;
            case Kind::Remove:
                out << "remove   " << event.text << "\n";
                break;
            case Kind::Copy:
                out << "copy     " << event.text << " -> " << event.detail << " (mode "
                    << Octal(event.mode) << ")\n";
                break;
            case Kind::WriteFile: {
                out << "write    " << event.text << " (mode " << Octal(event.mode) << ", "
                    << event.detail.size() << " bytes; each line ends at $)\n";
                std::size_t start = 0;
                while (start < event.detail.size()) {
                    const std::size_t end = event.detail.find('\n', start);
                    out << "  | " << event.detail.substr(start, end - start) << "$\n";
                    if (end == std::string::npos) break;
                    start = end + 1;
                }
                break;
            }
            case Kind::Command: {
                out << "command  " << event.text << "\n";
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
}

void PrintJson(const Outcome& outcome, std::size_t number, std::ostream& out) {
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
    for (const RecordedEvent& event : outcome.events) {
        switch (event.kind) {
            case Kind::Alert:
                events.push_back(
                    {{"type", "alert"}, {"title", event.text}, {"message", event.detail}});
                break;
            case Kind::Log:
                events.push_back({{"type", "log"}, {"line", event.text}});
                break;
            case Kind::CreateDirectory:
                events.push_back(
                    {{"type", "mkdir"}, {"path", event.text}, {"mode", Octal(event.mode)}});
                break;
            case Kind::Remove:
                events.push_back({{"type", "remove"}, {"path", event.text}});
                break;
            case Kind::Copy:
                events.push_back({{"type", "copy"},
                                  {"from", event.text},
                                  {"to", event.detail},
                                  {"mode", Octal(event.mode)}});
                break;
            case Kind::WriteFile:
                events.push_back({{"type", "write"},
                                  {"path", event.text},
                                  {"mode", Octal(event.mode)},
                                  {"content", event.detail}});
                break;
            case Kind::Command: {
                const auto words = ShellWords(event.text);
                events.push_back({{"type", "command"},
                                  {"line", event.text},
                                  {"argv", words ? Json(*words) : Json(nullptr)}});
                break;
            }
        }
    }
    document["events"] = events;
    out << document.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace

std::string MaskSecrets(const std::string& fieldText) {
    std::string masked = fieldText;
    for (std::string_view key : {"&password=", "&monitorpassword="}) {
        for (std::size_t at = masked.find(key); at != std::string::npos;
             at = masked.find(key, at + 1)) {
            const std::size_t start = at + key.size();
            const std::size_t end = std::min(masked.find('&', start), masked.size());
            if (end > start) masked.replace(start, end - start, kMask);
        }
    }
    return masked;
}

void DryRun::Report(const std::string& url, std::size_t number, std::ostream& out) {
    Outcome outcome{DecodeLaunchUrl(url), {}, {}};
    // Masking the field text before the pass hides a password in the debug
    // alert, the command lines and the files alike; the pass then shows what
    // it would do with "********" for a password.
    std::string urlToRun = url;
    if (auto* text = std::get_if<std::string>(&outcome.fieldText); text && !options_.showSecrets) {
        *text = MaskSecrets(*text);
        urlToRun = "torvale://" + PercentEncodeAll(*text);
    }

    Recorder recorder;
    RecordingAlertPanel alerts(recorder);
    RecordingFileSystem files(recorder, &files_, options_.assumeInstalled);
    RecordingShell shell(recorder);
    RecordingLog log(recorder);
    AppDelegate delegate({alerts, preferences_, files, shell, log});
    delegate.applicationWillFinishLaunching(home_);
    recorder.events.clear();  // start-up is not this URL's doing
    delegate.handleURLEvent(urlToRun);
    outcome.events = std::move(recorder.events);

    // The parameters as filled, before any launcher rewrote them.
    AppDelegate filled({alerts, preferences_, files, shell, log});
    filled.url = delegate.url;
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
