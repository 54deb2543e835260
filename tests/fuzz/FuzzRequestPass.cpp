// The whole pass on any launch URL, both tables, every client present: no
// crash or sanitizer report; each command line exactly the words meant and
// each .rdp value on its own line; answered no, nothing written or run.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/ShellWords.h"
#include "platform/recording/RecordingPlatform.h"
#include "support/Intended.h"

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
        return torvale::test::PresentAsIntended(path, "/fuzz/bin");
    };
    torvale::AppDelegate& delegate = platform.Start(table, "/home/fuzz", "/fuzz/bin");
    torvale::Recorder& recorder = platform.recorder;
    recorder.events.clear();
    delegate.handleURLEvent(url);

    // A host nobody trusted, and the user said no: nothing written, nothing run.
    if (answer == torvale::Answer::Cancel) {
        for (const RecordedEvent& event : recorder.events) {
            if (event.kind == RecordedEvent::Kind::WriteFile ||
                event.kind == RecordedEvent::Kind::Command)
                std::abort();
        }
        return;
    }
    const auto intended = delegate.url ? torvale::test::IntendedWords(
                                             *delegate.url, table, delegate.ConfigDir, "/fuzz/bin")
                                       : std::nullopt;
    int commands = 0;
    for (const RecordedEvent& event : recorder.events) {
        if (event.kind == RecordedEvent::Kind::Command) {
            ++commands;
            if (!intended || torvale::ShellWords(event.text) != *intended) std::abort();
        }
        if (event.kind == RecordedEvent::Kind::WriteFile && event.text.ends_with(".rdp")) {
            const auto lines = std::count(event.detail.begin(), event.detail.end(), '\n');
            if ((lines != 11 && lines != 13) || !event.detail.ends_with("\n\n") ||
                BreaksLines(event.detail)) {
                std::abort();
            }
        }
    }
    if (commands != (intended ? 1 : 0)) std::abort();
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
