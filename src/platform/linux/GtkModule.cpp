#include "platform/linux/GtkModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string_view>

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

}  // namespace

// The module beside this program (the build tree), else where it is
// installed, TORVALE_DIALOGS_DIR from the program's directory: so an install
// under any prefix (cmake --install --prefix ~/.local) finds its own module,
// never that of another install.
void* GtkModuleEntry(const char* name, std::string* err) {
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
    // Never closed: its code stays for as long as the program uses it.
    void* entry = ::dlsym(module, name);
    if (entry == nullptr && err != nullptr) *err = ::dlerror();
    return entry;
}

}  // namespace torvale
