#include "core/launchers/Checks.h"

#include <algorithm>

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

bool IsUrlScheme(std::string_view text) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return !text.empty() && letter(text.front()) &&
           std::all_of(text.begin(), text.end(), [&](char c) {
               return letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '.' || c == '-';
           });
}

bool BlankAroundADrive(std::string_view disk) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    for (std::size_t at = 0; at <= disk.size();) {
        const std::size_t end = std::min(disk.find(';', at), disk.size());
        const std::string_view drive = disk.substr(at, end - at);
        if (!drive.empty() && (blank(drive.front()) || blank(drive.back()))) return true;
        at = end + 1;
    }
    return false;
}

bool IsUnsafeRdpSwitch(std::string_view rdparg, RdpSwitch place) {
    if (rdparg.empty()) return false;
    if (place == RdpSwitch::BeforeFile) {
        return rdparg.find('/') != std::string_view::npos || rdparg == "." || rdparg == "..";
    }
    return !IsPlainRdpSwitch(rdparg);
}

}  // namespace torvale
