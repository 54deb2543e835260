// Start-up: the user data directory and its "configuration.ini". Every step
// is silent; a failure shows later, when a launcher cannot write its file.

#include "app/AppDelegate.h"

namespace torvale {

void AppDelegate::applicationWillFinishLaunching(const std::string& homeDirectory) {
    ConfigDir = homeDirectory + "/Documents" + "/torvale";

    // The directory will hold connection files with passwords in them.
    if (!platform_.files.Exists(ConfigDir)) platform_.files.CreateDirectory(ConfigDir, 0700);

    const std::string configuration = ConfigDir + "/configuration.ini";
    if (!platform_.files.Exists(configuration)) platform_.files.WriteFile(configuration, "", 0644);
}

}  // namespace torvale
