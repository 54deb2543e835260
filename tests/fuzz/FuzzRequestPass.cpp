// The whole request pass on recording seams, every client present, on any
// launch URL: no crash, no sanitizer report, every command line one the
// shell runs without expanding anything, and every .rdp value on its own line.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/AppDelegate.h"
#include "platform/recording/Recording.h"
#include "platform/recording/ShellWords.h"

namespace {

bool IsRdpFile(const std::string& path) {
    return path.ends_with(".rdp");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Kind = torvale::RecordedEvent::Kind;
    torvale::Recorder recorder;
    torvale::RecordingAlertPanel alerts(recorder);
    torvale::RecordingFileSystem files(recorder, nullptr, true);
    torvale::RecordingShell shell(recorder);
    torvale::RecordingLog log(recorder);
    torvale::MemoryPreferences preferences;
    torvale::AppDelegate delegate({alerts, preferences, files, shell, log});
    delegate.applicationWillFinishLaunching("/home/fuzz");

    delegate.handleURLEvent(std::string(reinterpret_cast<const char*>(data), size));

    for (const torvale::RecordedEvent& event : recorder.events) {
        if (event.kind == Kind::Command) {
            if (event.text.find('\0') != std::string::npos) std::abort();
            const auto words = torvale::ShellWords(event.text);
            if (!words || words->empty() || words->front() != "open") std::abort();
        }
        if (event.kind == Kind::WriteFile && IsRdpFile(event.text)) {
            const auto lines = std::count(event.detail.begin(), event.detail.end(), '\n');
            if ((lines != 11 && lines != 13) || event.detail.find('\r') != std::string::npos ||
                !event.detail.ends_with("\n\n")) {
                std::abort();
            }
        }
    }
    return 0;
}
