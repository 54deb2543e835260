#pragma once

#include <string>

#include "core/Application.h"
#include "core/ports/SystemFacts.h"

namespace torvale {

// torvale-desktop started with no link, as from the applications menu: the
// Torvale window (see core/doctor/Overview.h), from the module torvale-gtk.so,
// until it is closed. False at once, with the reason, where it cannot be
// shown: no display, the module not loaded, or GTK unable to open the display.
bool ShowOverview(Application& app, SystemFacts& facts, std::string* err);

}  // namespace torvale
