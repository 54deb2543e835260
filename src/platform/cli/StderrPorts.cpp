#include "platform/cli/StderrPorts.h"

#include "base/Printable.h"
#include "platform/cli/PassLog.h"

namespace torvale {
namespace {

void WriteLine(std::FILE* stream, std::string line) {
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

}  // namespace

bool StderrAlertPanel::Run(const std::string& title, const std::string& message) {
    WriteLine(stream_, Printable(title) + ": " + Printable(message));
    return false;
}

Answer StderrAlertPanel::Ask(const Question& question) {
    WriteLine(stream_, Printable(question.title) + ": " + Printable(question.message));
    return answer_;
}

void StderrLog::Write(const std::string& line) {
    WriteLine(stream_, Printable(line));
}

void StderrLog::Pass(const std::string& line) {
    // Not kept is not fatal to the pass: said once, where the log goes.
    if (passLog_.empty()) return;
    if (std::string why; !AppendPassLine(passLog_, line, &why)) Write("Pass not logged: " + why);
}

}  // namespace torvale
