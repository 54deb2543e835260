#include "core/launchers/Checks.h"

#include <algorithm>

#include "base/Text.h"

namespace torvale {
namespace {

// The mstsc switches that FreeRDP reads alike and that neither point the
// connection elsewhere nor share anything of this machine.
bool IsPlainRdpSwitch(std::string_view rdparg) {
    for (std::string_view known : {"admin", "f", "span", "multimon", "public"}) {
        if (rdparg == known) return true;
    }
    return false;
}

}  // namespace

bool OptionLike(std::string_view value) {
    return !value.empty() && (value.front() == '/' || value.front() == '-');
}

bool ZoneInUrl(std::string_view host) {
    return host.find('%') != std::string_view::npos;
}

bool IsUrlScheme(std::string_view text) {
    return !text.empty() && IsAsciiLetter(text.front()) &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return IsAsciiAlnum(c) || c == '+' || c == '.' || c == '-'; });
}

bool BlankAroundADrive(std::string_view disk) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto drives = Split(disk, ';');
    return std::any_of(drives.begin(), drives.end(), [&](std::string_view drive) {
        return !drive.empty() && (blank(drive.front()) || blank(drive.back()));
    });
}

namespace {

std::string Normalised(std::string_view path) {
    std::vector<std::string_view> parts;
    for (const std::string_view part : Split(path, '/')) {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string normalised;
    for (std::string_view part : parts)
        normalised += "/" + std::string(part);
    return normalised.empty() ? "/" : normalised;
}

}  // namespace

Shares SharesOf(std::string_view disk, std::string_view clipboard, std::string_view home) {
    Shares shares;
    shares.clipboard = clipboard != "0";
    shares.home = home.empty() ? std::string() : Normalised(home);
    for (const std::string_view drive : Split(disk, ';')) {
        if (drive == "*") {
            shares.allDrives = true;
        } else if (drive == "%") {
            shares.homeDrive = true;
        } else if (drive == "DynamicDrives") {
            shares.laterDrives = true;
        } else if (!drive.empty()) {
            shares.paths.push_back(drive.starts_with("/") ? Normalised(drive) : std::string(drive));
        }
    }
    return shares;
}

bool IsUnsafeRdpSwitch(std::string_view rdparg, RdpSwitch place) {
    if (rdparg.empty()) return false;
    if (place == RdpSwitch::BeforeFile) {
        return rdparg.find('/') != std::string_view::npos || rdparg == "." || rdparg == "..";
    }
    return !IsPlainRdpSwitch(rdparg);
}

}  // namespace torvale
