#include "core/clients/ClientTable.h"

namespace torvale::clients {

namespace {

// -n: a FileZilla already open would take no arguments, and connect nowhere.
constexpr ClientProgram kMacFileZilla[] = {{"/Applications/FileZilla.app", "-n --args"}};
constexpr ClientProgram kMacSecureCRT[] = {{"/Applications/SecureCRT.app", "-n --args"}};
// The .rdp file opens in the client found, never in whatever the system
// opens .rdp files with.
constexpr ClientProgram kMacMicrosoftRemoteDesktop[] = {
    {.path = "/Applications/Microsoft Remote Desktop.app", .arguments = "", .beforePath = "-a"},
    // Microsoft's new name for it since 2024.
    {.path = "/Applications/Windows App.app",
     .arguments = "",
     .note = "successor of Microsoft Remote Desktop",
     .shownAs = "Windows App",
     .beforePath = "-a"}};
// A 32-bit program: no macOS since 10.15 runs it.
constexpr ClientProgram kMacRemoteDesktopConnection[] = {
    {.path = "/Applications/Remote Desktop Connection.app", .arguments = "", .beforePath = "-a"},
    {.path = "/Applications/Windows App.app",
     .arguments = "",
     .note = "successor of Remote Desktop Connection",
     .shownAs = "Windows App",
     .beforePath = "-a"},
    {.path = "/Applications/Microsoft Remote Desktop.app",
     .arguments = "",
     .note = "successor of Remote Desktop Connection",
     .shownAs = "Microsoft Remote Desktop",
     .beforePath = "-a"}};
constexpr ClientProgram kMacQuendalApp[] = {{"/Applications/QuendalApp.app", "-n --args"}};
// Terminal.app and iTerm2 run a .command file opened in them, in a new
// window: no Apple Events, so no permission to ask for.
constexpr ClientProgram kMacTerminal[] = {{.path = "/System/Applications/Utilities/Terminal.app",
                                           .arguments = "",
                                           .beforePath = "-a",
                                           .opensScript = true}};
constexpr ClientProgram kMacOpenSSH[] = {{"/usr/bin/ssh", ""}};
constexpr ClientProgram kMacTelnet[] = {{"/usr/bin/telnet", ""}};

}  // namespace

constinit const ClientTable kMacOS{
    "macos",
    "open",
    false,
    {"FileZilla",
     "未检测到FileZilla\n请确保在\"应用程序(/Applications)\"目录有\"FileZilla.app\"程序",
     kMacFileZilla},
    {"SecureCRT",
     "未检测到SecureCRT\n请确保在\"应用程序(/Applications)\"目录有\"SecureCRT.app\"程序",
     kMacSecureCRT},
    {"Microsoft Remote Desktop",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Microsoft Remote "
     "Desktop.app\"程序",
     kMacMicrosoftRemoteDesktop},
    {"Remote Desktop Connection",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Remote Desktop "
     "Connection.app\"程序",
     kMacRemoteDesktopConnection},
    {"QuendalApp",
     "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"QuendalApp.app\"程序",
     kMacQuendalApp},
    {"Terminal", "未检测到终端程序\n请确保\"/System/Applications/Utilities/Terminal.app\"程序存在",
     kMacTerminal},
    {"OpenSSH", "未检测到ssh\n请确保\"/usr/bin/ssh\"程序存在", kMacOpenSSH},
    {"Telnet", "未检测到telnet\n请安装telnet程序，或改用SSH", kMacTelnet},
    false,
};

namespace {

// Both .rdp actions open their file in FreeRDP, or in Remmina without it.
// FreeRDP 2.11 connects to no IPv6 address a file names, in any form: it
// takes "[::1]:3389" for a name it cannot resolve, and "::1" with a
// "server port" too (and its own /v:[::1]:3389 reaches port 0).
// FreeRDP 3 first where both are installed: the one maintained today, and
// the only one Debian 13 and Ubuntu 24.04 ship. By their manuals both take
// the file first and the same /admin, /f, /span and /multimon switches.
// FreeRDP asks about a certificate it cannot verify on its terminal.
constexpr ClientProgram FreeRdp(std::string_view path) {
    return {.path = path,
            .arguments = "",
            .rdpSwitch = RdpSwitch::AfterFile,
            .shownAs = "FreeRDP",
            .readsIPv6 = false,
            .asksOnTerminal = true};
}

constexpr ClientProgram kLinuxRemoteDesktop[] = {
    FreeRdp("xfreerdp3"),
    FreeRdp("sdl-freerdp3"),
    FreeRdp("xfreerdp"),
    {"remmina", "-c", "FreeRDP not found", RdpSwitch::Dropped, "Remmina", false},
};

constexpr ClientProgram kLinuxFileZilla[] = {{"filezilla", ""}};
constexpr ClientProgram kLinuxSecureCRT[] = {{"/usr/bin/SecureCRT", ""}, {"SecureCRT", ""}};
// There is no QuendalApp for Linux; a path configured for it is used.
constexpr ClientProgram kLinuxQuendalApp[] = {{"", ""}};
// Debian's alternative first: policy makes every x-terminal-emulator take
// "-e COMMAND ARGS". Then each with the switch its own manual gives for a
// command and its arguments (gnome-terminal's and xfce4-terminal's -e take
// one string, to be split again: not ours to use).
constexpr ClientProgram kLinuxTerminal[] = {{"x-terminal-emulator", "-e"},
                                            {"gnome-terminal", "--"},
                                            {"konsole", "-e"},
                                            {"xfce4-terminal", "-x"},
                                            {"xterm", "-e"}};
constexpr ClientProgram kLinuxOpenSSH[] = {{"ssh", ""}};
constexpr ClientProgram kLinuxTelnet[] = {{"telnet", ""}};

}  // namespace

constinit const ClientTable kLinux{
    "linux",
    "",
    true,
    {"FileZilla", "未检测到FileZilla\n请确保已安装\"filezilla\"程序", kLinuxFileZilla},
    {"SecureCRT", "未检测到SecureCRT\n请确保已安装\"SecureCRT\"程序", kLinuxSecureCRT},
    {"Microsoft Remote Desktop", "未检测到远程桌面连接程序\n请确保已安装\"xfreerdp\"程序",
     kLinuxRemoteDesktop},
    {"Remote Desktop Connection", "未检测到远程桌面连接程序\n请确保已安装\"xfreerdp\"程序",
     kLinuxRemoteDesktop},
    {"QuendalApp", "未检测到远程桌面连接程序\n请确保已安装\"QuendalApp\"程序", kLinuxQuendalApp},
    {"Terminal", "未检测到终端程序\n请确保已安装\"xterm\"等终端程序", kLinuxTerminal},
    {"OpenSSH", "未检测到ssh\n请确保已安装\"openssh-client\"程序（或SecureCRT）", kLinuxOpenSSH},
    {"Telnet", "未检测到telnet\n请确保已安装\"telnet\"程序", kLinuxTelnet},
    true,
};

}  // namespace torvale::clients

namespace torvale::clients {

namespace {

// Where installers put programs for every user, or for this one alone.
constexpr std::string_view kWindowsInstallFolders[] = {"%ProgramFiles%", "%ProgramFiles(x86)%",
                                                       "%LOCALAPPDATA%\\Programs"};

constexpr ClientProgram kWindowsFileZilla[] = {{"FileZilla FTP Client\\filezilla.exe", ""}};
constexpr ClientProgram kWindowsSecureCRT[] = {{"VanDyke Software\\SecureCRT\\SecureCRT.exe", ""}};
// Windows' own client opens the .rdp file it is given; its own switches
// follow the file.
constexpr ClientProgram kWindowsMstsc[] = {{.path = "%SystemRoot%\\System32\\mstsc.exe",
                                            .arguments = "",
                                            .rdpSwitch = RdpSwitch::Mstsc,
                                            .shownAs = "Remote Desktop Connection"}};
// There is no QuendalApp known for Windows; a path configured for it is used.
constexpr ClientProgram kWindowsQuendalApp[] = {{"", ""}};
constexpr ClientProgram kWindowsPutty[] = {{"PuTTY\\putty.exe", ""}};
constexpr ClientProgram kWindowsWinscp[] = {{"WinSCP\\WinSCP.exe", ""}};

}  // namespace

constinit const ClientTable kWindows{
    .name = "windows",
    .launcher = "",
    .saysWhereLooked = true,
    .fileZilla = {"FileZilla", "未检测到FileZilla\n请确保已安装\"FileZilla\"程序",
                  kWindowsFileZilla},
    .secureCRT = {"SecureCRT", "未检测到SecureCRT\n请确保已安装\"SecureCRT\"程序",
                  kWindowsSecureCRT},
    .microsoftRemoteDesktop = {"Microsoft Remote Desktop",
                               "未检测到远程桌面连接程序\n请确保\"mstsc.exe\"程序存在",
                               kWindowsMstsc},
    .remoteDesktopConnection = {"Remote Desktop Connection",
                                "未检测到远程桌面连接程序\n请确保\"mstsc.exe\"程序存在",
                                kWindowsMstsc},
    .quendalApp = {"QuendalApp", "未检测到远程桌面连接程序\n请确保已安装\"QuendalApp\"程序",
                   kWindowsQuendalApp},
    // SSH and Telnet links open in PuTTY without SecureCRT, never in a
    // terminal: "SSH = openssh" does not apply.
    .terminal = {},
    .openSSH = {},
    .telnet = {},
    .sshWithoutSecureCRT = false,
    .putty = {"PuTTY", "未检测到PuTTY\n请确保已安装\"PuTTY\"程序（或SecureCRT）", kWindowsPutty},
    .winscp = {"WinSCP", "未检测到WinSCP\n请确保已安装\"WinSCP\"程序（或FileZilla）",
               kWindowsWinscp},
    .separator = '\\',
    .installFolders = kWindowsInstallFolders,
    .passwordsOffCommandLine = true,
    .quotelessValues = true,
};

}  // namespace torvale::clients
