#pragma once

#include "core/ports/AlertPanel.h"
#include "core/ports/BackgroundTasks.h"
#include "core/ports/FileSystem.h"
#include "core/ports/IniReader.h"
#include "core/ports/Log.h"
#include "core/ports/Preferences.h"
#include "core/ports/Shell.h"
#include "core/ports/SignatureVerifier.h"

namespace torvale {

// The ports through which the core reaches the operating system.
struct Platform {
    AlertPanel& alerts;
    Preferences& preferences;
    FileSystem& files;
    Shell& shell;
    Log& log;
    IniReader& ini;
    BackgroundTasks& background;
    SignatureVerifier& verifier;
    // The signed links used already, kept apart from the preferences: in
    // the state directory, not among the settings.
    Preferences& usedLinks;
};

}  // namespace torvale
