#include "platform/linux/DesktopAlertPanel.h"

#include <cstdio>

#include "base/Printable.h"
#include "platform/cli/XdgFacts.h"
#include "platform/linux/GtkAlertPanel.h"
#include "platform/linux/GtkModule.h"

namespace torvale {

AlertPanel& DesktopAlertPanel::Panel() {
    if (!tried_) {
        tried_ = true;
        if (HasDisplay()) {
            std::string why;
            if (const auto open =
                    reinterpret_cast<OpenGtkDialogs>(GtkModuleEntry(kOpenGtkDialogs, &why))) {
                dialogs_.reset(open());
            } else {
                const std::string line = "torvale-desktop: no dialogs: " + Printable(why) + "\n";
                std::fwrite(line.data(), 1, line.size(), stderr);
            }
        }
    }
    if (dialogs_) return *dialogs_;
    return none_;
}

bool DesktopAlertPanel::Run(const std::string& title, const std::string& message) {
    return Panel().Run(title, message);
}

Answer DesktopAlertPanel::Ask(const Question& question) {
    return Panel().Ask(question);
}

}  // namespace torvale
