// Running the one command line a launcher builds.

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"

namespace torvale {

void AppDelegate::runcmd(const std::string& line) {
    // The shell would only ever see the line up to its first NUL byte, which
    // is another command than the one that was built.
    if (line.find('\0') != std::string::npos) {
        platform_.log.Write("Command not run: the command line holds a NUL byte");
        pass_.record.outcome = Outcome::NotRun;
        return;
    }
    const CommandResult result = platform_.shell.Run(line);
    if (!result.notRun.empty()) {
        platform_.log.Write("Command not run: " + result.notRun);
        pass_.record.outcome = Outcome::NotRun;
    } else if (result.failedAtOnce) {
        pass_.record.outcome = Outcome::ClientFailed;
        Alert(titles::kSorry, "客户端启动失败：" + pass_.record.client +
                                  (result.errorOutput.empty() ? "" : "\n" + result.errorOutput));
    } else if (pass_.record.outcome != Outcome::WriteFailed) {
        pass_.record.outcome = Outcome::Launched;
    }
}

void AppDelegate::DebugAndRun(const std::string& line) {
    ShowDebug(line);
    runcmd(line);
}

}  // namespace torvale
