#include "platform/linux/DesktopAlertPanel.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "base/Printable.h"
#include "platform/cli/XdgFacts.h"
#include "platform/linux/GtkAlertPanel.h"

namespace torvale {
namespace {

// This program's directory, from the kernel: the program itself, links
// resolved, wherever it was started from.
std::string ProgramDirectory() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof path) return {};
    const std::string_view program(path, static_cast<std::size_t>(n));
    return std::string(program.substr(0, program.rfind('/')));
}

// The module beside this program (the build tree), else where it is
// installed, TORVALE_DIALOGS_DIR from the program's directory: so an install
// under any prefix (cmake --install --prefix ~/.local) finds its own module,
// never that of another install. Null, with the loader's reason, when neither
// can be loaded.
OpenGtkDialogs LoadModule(std::string* err) {
    const std::string directory = ProgramDirectory();
    if (directory.empty()) {
        if (err != nullptr) *err = "/proc/self/exe: this program's path is unknown";
        return nullptr;
    }
    void* module = nullptr;
    for (const std::string& path :
         {directory + "/" TORVALE_DIALOGS_MODULE,
          directory + "/" TORVALE_DIALOGS_DIR "/" TORVALE_DIALOGS_MODULE}) {
        if (::access(path.c_str(), F_OK) != 0) continue;
        module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr && err != nullptr) *err = ::dlerror();
        break;
    }
    if (module == nullptr) {
        if (err != nullptr && err->empty())
            *err = directory + "/" TORVALE_DIALOGS_DIR "/" TORVALE_DIALOGS_MODULE + ": not found";
        return nullptr;
    }
    // Never closed: the dialogs' code stays for as long as the panel.
    auto* open = reinterpret_cast<OpenGtkDialogs>(::dlsym(module, kOpenGtkDialogs));
    if (open == nullptr && err != nullptr) *err = ::dlerror();
    return open;
}

}  // namespace

AlertPanel& DesktopAlertPanel::Panel() {
    if (!tried_) {
        tried_ = true;
        if (HasDisplay()) {
            std::string why;
            if (const OpenGtkDialogs open = LoadModule(&why)) {
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
