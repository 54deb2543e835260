#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace torvale {

// Where a Remote Desktop switch ("/" + rdparg) goes in the line.
enum class RdpSwitch {
    BeforeFile,  // macOS `open` takes it as one more path to open
    AfterFile,   // FreeRDP reads the .rdp file only as its first argument
    Dropped,     // the program has no such switch
    Mstsc,       // mstsc itself: after the file, /public too
};

// One program that can serve as a client application.
struct ClientProgram {
    // An absolute path, or a name looked up in the search path (Linux). On
    // Windows "%NAME%" begins an absolute path, and a relative one
    // ("PuTTY\\putty.exe") is looked for by its last part under App Paths,
    // then in each install folder. Empty: nothing to look for, only the form
    // for a path configured by the user.
    std::string_view path;
    // The words that follow the program's path in the command line, ahead of
    // the launcher's own, blanks between them.
    std::string_view arguments;
    // Why it stands in for the client; empty for the client's own program.
    std::string_view note = {};
    RdpSwitch rdpSwitch = RdpSwitch::BeforeFile;
    // The name the trust question gives it, where it is not the client's
    // own program: the user is told what really connects.
    std::string_view shownAs = {};
    // Whether it connects to an IPv6 address its .rdp file names.
    bool readsIPv6 = true;
    // Words between the launcher and the program's path ("-a": the file
    // that follows opens in this program, not in the system's default one).
    std::string_view beforePath = {};
    // A terminal that runs a script file it is given (Terminal.app opens a
    // .command file), rather than the command words after `arguments`.
    bool opensScript = false;
    // A client that asks about a server's certificate on its terminal
    // (FreeRDP): it is given one, on which the user's answer from our own
    // dialog reaches it.
    bool asksOnTerminal = false;
};

// One client application. The not-found text is held whole, exactly as the
// user reads it.
struct ClientApp {
    // Its key under [clients] in configuration.ini.
    std::string_view name;
    std::string_view notFoundText;
    // The client's own program first, then what may stand in for it, in order:
    // a static array (a span of a braced list would outlive it).
    std::span<const ClientProgram> programs;
};

// The clients as one front end starts them.
struct ClientTable {
    std::string_view name;      // "macos", "linux" or "windows"
    std::string_view launcher;  // the word every command line starts with, if any
    // Whether a not-found alert adds where the client was looked for: the
    // macOS texts name their one place already.
    bool saysWhereLooked;
    ClientApp fileZilla;
    ClientApp secureCRT;
    ClientApp microsoftRemoteDesktop;
    ClientApp remoteDesktopConnection;
    ClientApp quendalApp;
    // What SSH and Telnet links start without SecureCRT: the user's
    // terminal, and in it OpenSSH's ssh or telnet. Unnamed: none (Windows).
    ClientApp terminal;
    ClientApp openSSH;
    ClientApp telnet;
    // Whether those links go to OpenSSH where SecureCRT is missing; else
    // only where configuration.ini says "SSH = openssh".
    bool sshWithoutSecureCRT;
    // Windows only (unnamed elsewhere, where their actions stay
    // placeholders): PuTTY, which SSH and Telnet links start without
    // SecureCRT, and WinSCP, which FTP and SFTP links start without FileZilla.
    ClientApp putty = {};
    ClientApp winscp = {};
    // How its paths are written: the separator, and the folders a relative
    // program path is looked for in, as Windows names them ("%ProgramFiles%").
    char separator = '/';
    std::span<const std::string_view> installFolders = {};
    // Whether no password stands on a command line: a client given one in a
    // file reads it from the user's private temporary folder, one that takes
    // it only on its command line is left to ask the user.
    bool passwordsOffCommandLine = false;
    // Whether no value on a command line may hold a double quote: each
    // Windows client splits its own command line, by rules of its own (the
    // C runtime's \", WinSCP's ""), and one that reads a quote otherwise
    // than the line writes it would end the value's word early, so that the
    // rest of the value became a switch of its own.
    bool quotelessValues = false;

    // Whether the table is Windows': its paths, access lists and cmd.exe.
    bool ForWindows() const { return name == "windows"; }

    // Those of them this system has, named.
    std::vector<const ClientApp*> All() const {
        std::vector<const ClientApp*> all;
        for (const ClientApp* app :
             {&fileZilla, &secureCRT, &microsoftRemoteDesktop, &remoteDesktopConnection,
              &quendalApp, &terminal, &openSSH, &telnet, &putty, &winscp}) {
            if (!app->name.empty()) all.push_back(app);
        }
        return all;
    }
    // Their keys under [clients], in that order.
    std::vector<std::string_view> Names() const {
        std::vector<std::string_view> names;
        for (const ClientApp* app : All())
            names.push_back(app->name);
        return names;
    }
};

// The tables are constant data: nothing is built as a process starts, or
// torn down as it ends.
namespace clients {
// Bundles under /Applications, opened with `open`.
extern const ClientTable kMacOS;
// Programs on the search path, started directly.
extern const ClientTable kLinux;
// Programs installed for Windows, started directly.
extern const ClientTable kWindows;
}  // namespace clients

}  // namespace torvale
