#pragma once

// Where the Windows front end keeps what it keeps, from the shell's known
// folders rather than from variables any program may set.

#include <string>

namespace torvale {

// The folders of this user and machine, as Windows names them; empty where the system could not
// say, and `err` then says why.
struct WindowsPlaces {
    std::string profile;       // FOLDERID_Profile: the user's home
    std::string documents;     // FOLDERID_Documents: the data folder is "torvale" in it
    std::string localAppData;  // FOLDERID_LocalAppData: the pass log's folder is "Torvale" in it
    std::string programData;   // FOLDERID_ProgramData: the administrator's "Torvale" folder
    std::string programFiles;  // FOLDERID_ProgramFiles, and (x86) on a 64-bit system
    std::string programFilesX86;
    std::string userPrograms;  // FOLDERID_UserProgramFiles: %LOCALAPPDATA%\Programs
    std::string temporary;     // GetTempPathW: this user's own temporary folder

    std::string DataFolder() const { return documents + "\\torvale"; }
    std::string PassLogPath() const { return localAppData + "\\Torvale\\torvale.log"; }
    std::string SystemConfiguration() const { return programData + "\\Torvale\\configuration.ini"; }
};

WindowsPlaces FindPlaces(std::string* err);

}  // namespace torvale
