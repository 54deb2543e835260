#include "core/launchers/RdpFile.h"

#include "base/Masking.h"

namespace torvale {
namespace {

std::string Value(const Field& field) {
    return OneLine(Str(field));
}

std::string Password(const Request& r, bool masked) {
    const std::string password = Value(r.m_password);
    return masked && !password.empty() ? std::string(kMask) : password;
}

// Rows shared by both variants: screen, colour depth, address, login name.
std::string Head(const Request& d) {
    std::string text;
    if (d.m_screen == "1") {
        text += "screen mode id:i:1\ndesktopwidth:i:800\ndesktopheight:i:600\n";
    } else if (d.m_screen == "2") {
        text += "screen mode id:i:1\ndesktopwidth:i:1024\ndesktopheight:i:768\n";
    } else {
        text += "screen mode id:i:2\n";
    }
    text += "session bpp:i:16 \n";
    text += "full address:s:" + Value(d.m_localhost) + "\n";
    text += "username:s:" + OneLine(LoginName(d)) + "\n";
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

std::string OneLine(std::string_view value) {
    // Values are well-formed UTF-8: NEL is C2 85, U+2028 and U+2029 are
    // E2 80 A8 and E2 80 A9.
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        const std::string_view rest = value.substr(i);
        if (c < 0x20 && c != '\t') continue;
        if (rest.starts_with("\xC2\x85")) {
            ++i;
        } else if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) {
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string MstscFileText(const Request& r, bool masked) {
    std::string text = Head(r);
    text += "alternate shell:s: \n";
    text += "shell working directory:s: \n";
    text += "redirectclipboard:i:" + Value(r.m_clipboard) + "\n";
    text += "drivestoredirect:s:" + Value(r.m_disk) + "\n";
    if (r.m_entrust_password == "1") {
        text += "domain:s:" + Password(r, masked) + "--\n";
    } else {
        text += "domain:s:-- \n";
    }
    text += "\n";
    return text;
}

std::string MstscAutoRunFileText(const Request& r, bool masked) {
    std::string text = Head(r);
    const std::string path = Value(r.m_path);
    text += "alternate shell:s:" + path + " \n";
    text += "shell working directory:s:" + WorkingDirectory(path) + "\n";
    text += "redirectclipboard:i:" + Value(r.m_clipboard) + "\n";
    text += "drivestoredirect:s:" + Value(r.m_disk) + "\n";
    text += "domain:s:" + Password(r, masked) + "\n";
    text += "\n";
    return text;
}

}  // namespace torvale
