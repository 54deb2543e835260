#pragma once

#include <cstddef>
#include <string>

#include "core/ports/SystemFacts.h"

namespace torvale {

class Application;

// What the Torvale window of torvale-desktop shows (the program started with
// no link, as from the applications menu): whether alerts are shown, with a
// button that shows them again, what --doctor finds and the last passes.
// Built here; the window only lays it out.
struct Overview {
    std::string alerts;     // one line: whether alerts are shown
    bool silenced = false;  // the button shows alerts again only then
    std::string report;     // the findings as --doctor prints them, then the last passes
};

inline constexpr char kOverviewTitle[] = "Torvale";
inline constexpr char kShowAlertsButton[] = "重新显示提醒";
inline constexpr std::size_t kOverviewPasses = 10;

// The window as it reads now. Changes nothing.
Overview ReadOverview(Application& app, SystemFacts& facts);

// The button: alerts shown again, the setting removed as --show-alerts
// removes it; then the window as it reads now, where the setting could not
// be changed with why in its alerts line.
Overview ShowAlertsFromOverview(Application& app, SystemFacts& facts);

}  // namespace torvale
