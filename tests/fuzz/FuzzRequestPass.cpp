// The whole pass on any launch URL, both tables, every client present, answered
// yes and no: no crash or sanitizer report, and the executor does the plan alone.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/address/Address.h"
#include "core/gateway/Gateway.h"
#include "platform/recording/RecordingPlatform.h"

namespace {

using torvale::RecordedEvent;

// A byte sequence that any reader could take for a line end, or a control.
bool BreaksLines(const std::string& text) {
    for (const char* end : {"\r", "\v", "\f", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"}) {
        if (text.find(end) != std::string::npos) return true;
    }
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t';
    });
}

void Check(const std::string& url, const torvale::ClientTable& table, torvale::Answer answer) {
    torvale::RecordingPlatform platform;
    platform.alerts.answer = answer;
    platform.files.present = [](const std::string& path) {
        return path.starts_with("/Applications/") || path.starts_with("/fuzz/bin/");
    };
    torvale::Application& app = platform.Start(table, "/home/fuzz", "/fuzz/bin");
    platform.recorder.events.clear();
    app.handleURLEvent(url);
    const torvale::Plan& plan = app.LastPass().plan;

    std::size_t files = 0;
    bool asked = false;
    for (const RecordedEvent& event : platform.recorder.events) {
        switch (event.kind) {
            case RecordedEvent::Kind::Question:
                // The question names exactly where the plan connects.
                if (!plan.destination ||
                    event.detail != torvale::TrustQuestion(*plan.destination).message)
                    std::abort();
                asked = true;
                break;
            case RecordedEvent::Kind::WriteFile: {
                // Only the plan's files, in order, and never to a host the
                // user said no to.
                if (files >= plan.files.size() || event.text != plan.files[files].path ||
                    event.detail != plan.files[files].text ||
                    (asked && answer == torvale::Answer::Cancel))
                    std::abort();
                ++files;
                // The file connects where the question said, and nowhere else.
                if (!plan.destination ||
                    event.detail.find("\nfull address:s:" + plan.destination->address + "\n") ==
                        std::string::npos)
                    std::abort();
                const auto lines = std::count(event.detail.begin(), event.detail.end(), '\n');
                if ((lines != 11 && lines != 13) || !event.detail.ends_with("\n\n") ||
                    BreaksLines(event.detail))
                    std::abort();
                break;
            }
            case RecordedEvent::Kind::Command: {
                if (plan.refusal || !plan.command || event.text != torvale::LineOf(*plan.command) ||
                    (asked && answer == torvale::Answer::Cancel) ||
                    event.text.find('\0') != std::string::npos)
                    std::abort();
                // The client is handed the host the question named (the
                // .rdp launches hand it in their file).
                std::string words;
                for (const std::string& word : torvale::ArgvOf(*plan.command))
                    words += word + " ";
                if (plan.files.empty() && plan.destination &&
                    words.find(plan.destination->host + " ") == std::string::npos &&
                    words.find(torvale::Bracketed(plan.destination->host) + ":") ==
                        std::string::npos)
                    std::abort();
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    for (const torvale::Answer answer : {torvale::Answer::Connect, torvale::Answer::Cancel}) {
        Check(url, torvale::clients::kMacOS, answer);
        Check(url, torvale::clients::kLinux, answer);
    }
    return 0;
}
