#include "platform/cli/Session.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/cli/CommandLine.h"
#include "platform/cli/PassLog.h"
#include "platform/posix/PosixBackgroundTasks.h"
#include "platform/posix/Process.h"

namespace torvale {

std::optional<Session> StartSession(std::string_view program) {
    PrepareProcess();
    // HOME alone: torvale may be linked statically, where the user database
    // is out of reach.
    std::string problem;
    Session session;
    const std::optional<std::string> home = HomeDirectory(&problem);
    if (!home) {
        Print(stderr, std::string(program) + ": " + problem + "\n");
        return std::nullopt;
    }
    session.home = *home;
    const char* path = std::getenv("PATH");
    session.searchPath = path != nullptr ? path : "";
    session.preferencesPath =
        FilePreferences::DefaultPath(std::getenv("XDG_CONFIG_HOME"), session.home);
    session.passLogPath = PassLogPath(std::getenv("XDG_STATE_HOME"), session.home);
    session.usedLinksPath =
        session.passLogPath.substr(0, session.passLogPath.rfind('/') + 1) + "used-links";
    session.program = ThisProgram();
    session.processName = std::to_string(::getpid());
    session.temporaryDir = PrivateTemporaryDirectory();
    return session;
}

}  // namespace torvale
