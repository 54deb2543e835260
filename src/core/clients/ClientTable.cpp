#include "core/clients/ClientTable.h"

namespace torvale::clients {

const ClientTable kMacOS{
    "macos",
    "open",
    false,
    {"FileZilla",
     "未检测到FileZilla\n请确保在\"应用程序(/Applications)\"目录有\"FileZilla.app\"程序",
     // -n: a FileZilla already open would take no arguments, and connect nowhere.
     {{"/Applications/FileZilla.app", "-n --args"}}},
    {"SecureCRT",
     "未检测到SecureCRT\n请确保在\"应用程序(/Applications)\"目录有\"SecureCRT.app\"程序",
     {{"/Applications/SecureCRT.app", "-n --args"}}},
    {"Microsoft Remote Desktop",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Microsoft Remote "
     "Desktop.app\"程序",
     // The .rdp file opens in the client found, never in whatever the
     // system opens .rdp files with.
     {{.path = "/Applications/Microsoft Remote Desktop.app", .arguments = "", .beforePath = "-a"},
      // Microsoft's new name for it since 2024.
      {.path = "/Applications/Windows App.app",
       .arguments = "",
       .note = "successor of Microsoft Remote Desktop",
       .shownAs = "Windows App",
       .beforePath = "-a"}}},
    {"Remote Desktop Connection",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Remote Desktop "
     "Connection.app\"程序",
     // A 32-bit program: no macOS since 10.15 runs it.
     {{.path = "/Applications/Remote Desktop Connection.app", .arguments = "", .beforePath = "-a"},
      {.path = "/Applications/Windows App.app",
       .arguments = "",
       .note = "successor of Remote Desktop Connection",
       .shownAs = "Windows App",
       .beforePath = "-a"},
      {.path = "/Applications/Microsoft Remote Desktop.app",
       .arguments = "",
       .note = "successor of Remote Desktop Connection",
       .shownAs = "Microsoft Remote Desktop",
       .beforePath = "-a"}}},
    {"QuendalApp",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"QuendalApp.app\"程序",
     {{"/Applications/QuendalApp.app", "-n --args"}}},
};

namespace {

// Both .rdp actions open their file in FreeRDP, or in Remmina without it.
// FreeRDP 2.11 connects to no IPv6 address a file names, in any form: it
// takes "[::1]:3389" for a name it cannot resolve, and "::1" with a
// "server port" too (and its own /v:[::1]:3389 reaches port 0).
// FreeRDP 3 first where both are installed: the one maintained today, and
// the only one Debian 13 and Ubuntu 24.04 ship. By their manuals both take
// the file first and the same /admin, /f, /span and /multimon switches.
const std::vector<ClientProgram> kLinuxRemoteDesktop = {
    {"xfreerdp3", "", {}, RdpSwitch::AfterFile, "FreeRDP", false},
    {"sdl-freerdp3", "", {}, RdpSwitch::AfterFile, "FreeRDP", false},
    {"xfreerdp", "", {}, RdpSwitch::AfterFile, "FreeRDP", false},
    {"remmina", "-c", "FreeRDP not found", RdpSwitch::Dropped, "Remmina", false},
};

}  // namespace

const ClientTable kLinux{
    "linux",
    "",
    true,
    {"FileZilla", "未检测到FileZilla\n请确保已安装\"filezilla\"程序", {{"filezilla", ""}}},
    {"SecureCRT",
     "未检测到SecureCRT\n请确保已安装\"SecureCRT\"程序",
     {{"/usr/bin/SecureCRT", ""}, {"SecureCRT", ""}}},
    {"Microsoft Remote Desktop", "未检测到远程桌面连接程序\n请确保已安装\"xfreerdp\"程序",
     kLinuxRemoteDesktop},
    {"Remote Desktop Connection", "未检测到远程桌面连接程序\n请确保已安装\"xfreerdp\"程序",
     kLinuxRemoteDesktop},
    // There is no QuendalApp for Linux; a path configured for it is used.
    {"QuendalApp", "未检测到远程桌面连接程序\n请确保已安装\"QuendalApp\"程序", {{"", ""}}},
};

}  // namespace torvale::clients
