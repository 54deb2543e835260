// The text of the .rdp connection files: the desktop variant ("activex.rdp")
// and the published-application variant ("activex_autorun.rdp").

#include "app/AppDelegate.h"

namespace torvale {
namespace {

// A value never starts a setting line of its own: a line break inside it
// would let a launch URL add "alternate shell:s:" or any other setting.
std::string OneLine(const Field& field) {
    std::string value = Str(field);
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    return value;
}

// Rows shared by both variants: screen, colour depth, address, login name.
// The caller has stored the login name in `m_username` already.
std::string Head(const AppDelegate& d) {
    std::string text;
    if (d.m_screen == "1") {
        text += "screen mode id:i:1\ndesktopwidth:i:800\ndesktopheight:i:600\n";
    } else if (d.m_screen == "2") {
        text += "screen mode id:i:1\ndesktopwidth:i:1024\ndesktopheight:i:768\n";
    } else {
        text += "screen mode id:i:2\n";
    }
    text += "session bpp:i:16 \n";
    text += "full address:s:" + OneLine(d.m_localhost) + "\n";
    text += "username:s:" + OneLine(d.m_username) + "\n";
    text += "promptcredentialonce:i:1 \n";
    return text;
}

// The directory of the program in a published application's path: up to the
// first ".exe", then everything before the last backslash.
std::string WorkingDirectory(const std::string& path) {
    const std::size_t exe = path.find(".exe");
    if (exe == std::string::npos) return std::string();
    const std::string program = path.substr(0, exe + 4);
    const std::size_t backslash = program.rfind('\\');
    if (backslash == std::string::npos || backslash == 0) return std::string();
    return program.substr(0, backslash);
}

}  // namespace

std::string AppDelegate::MstscFileText() {
    m_username = LoginName();
    std::string text = Head(*this);
    text += "alternate shell:s: \n";
    text += "shell working directory:s: \n";
    text += "redirectclipboard:i:" + OneLine(m_clipboard) + "\n";
    text += "drivestoredirect:s:" + OneLine(m_disk) + "\n";
    if (m_entrust_password == "1") {
        text += "domain:s:" + OneLine(m_password) + "--\n";
    } else {
        text += "domain:s:-- \n";
    }
    text += "\n";
    return text;
}

std::string AppDelegate::MstscAutoRunFileText() {
    m_username = LoginName();
    std::string text = Head(*this);
    const std::string path = OneLine(m_path);
    text += "alternate shell:s:" + path + " \n";
    text += "shell working directory:s:" + WorkingDirectory(path) + "\n";
    text += "redirectclipboard:i:" + OneLine(m_clipboard) + "\n";
    text += "drivestoredirect:s:" + OneLine(m_disk) + "\n";
    text += "domain:s:" + OneLine(m_password) + "\n";
    text += "\n";
    return text;
}

}  // namespace torvale
