#pragma once

#include "core/ports/AlertPanel.h"
#include "core/ports/BackgroundTasks.h"
#include "core/ports/FileSystem.h"
#include "core/ports/IniParser.h"
#include "core/ports/Log.h"
#include "core/ports/Preferences.h"
#include "core/ports/Shell.h"

namespace torvale {

// The ports through which the core reaches the operating system.
struct Platform {
    AlertPanel& alerts;
    Preferences& preferences;
    FileSystem& files;
    Shell& shell;
    Log& log;
    IniParser& ini;
    BackgroundTasks& background;
};

}  // namespace torvale
