#pragma once

#include <string>

namespace torvale {

// An entry point of the module torvale-gtk.so (the dialogs and the Torvale
// window, the one part of torvale-desktop that links GTK), the module loaded
// the first time: beside this program (the build tree), else where it is
// installed. Null, with the loader's reason, where it cannot be loaded or
// has no such entry.
void* GtkModuleEntry(const char* name, std::string* err);

}  // namespace torvale
