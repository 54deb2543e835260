#pragma once

#include <string>
#include <vector>

#include "core/Application.h"
#include "core/ports/SystemFacts.h"
#include "platform/cli/Session.h"

namespace torvale {

// Whether DISPLAY or WAYLAND_DISPLAY names a display to show dialogs on.
bool HasDisplay();

// What a freedesktop.org system says: the handler xdg-mime names for
// x-scheme-handler/torvale and the program its desktop entry runs, a font
// with Chinese glyphs (fc-list), a display.
class XdgFacts final : public SystemFacts {
  public:
    // `handler`: the program that should handle the links, by name, beside
    // this one ("torvale-desktop"). `preferences`: the preferences file;
    // `passLog`: the log of passes; `usedLinks`: the signed links used.
    XdgFacts(std::string handler, std::string preferences, std::string passLog,
             std::string usedLinks)
        : handler_(std::move(handler)),
          preferences_(std::move(preferences)),
          passLog_(std::move(passLog)),
          usedLinks_(std::move(usedLinks)) {}

    HandlerFacts Handler() override;
    std::string ExpectedHandler() override;
    std::optional<bool> ChineseFont(std::string* err) override;
    std::optional<bool> Display() override;
    std::string PreferencesPlace() override { return preferences_; }
    std::string HowToShowAlerts() override {
        return "press 重新显示提醒 in the Torvale window (the applications menu), or run " +
               handler_ + " --show-alerts, or remove AlertSuppression from " + preferences_;
    }

    std::string PassLogPlace() override { return passLog_; }
    std::vector<std::string> LastPasses(std::size_t count) override;
    std::string UsedLinksPlace() override { return usedLinks_; }

  private:
    std::string handler_;
    std::string preferences_;
    std::string passLog_;
    std::string usedLinks_;
};

// What --doctor and the Torvale window judge: the application located as a
// launch would locate it, and the facts of this desktop. `handler` is the
// program the desktop should hand torvale:// links to.
XdgFacts LocateForDoctor(Application& app, const Session& session, const std::string& handler);

}  // namespace torvale
