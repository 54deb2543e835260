#pragma once

#include <string>
#include <vector>

#include "core/ports/SystemFacts.h"
#include "platform/windows/WindowsPlatform.h"

namespace torvale {

// What Windows says of how Torvale is set up, for torvale.exe --doctor: the
// command registered for torvale:// links, the fonts the dialogs can draw
// Chinese with, and where the preferences and the pass log are kept.
class WindowsFacts final : public SystemFacts {
  public:
    explicit WindowsFacts(const WindowsSession& session) : session_(session) {}

    HandlerFacts Handler() override;
    // torvalew.exe, beside this program as the installer puts both.
    std::string ExpectedHandler() override;
    std::optional<bool> ChineseFont(std::string* err) override;
    // Windows programs run on a desktop: the question does not arise.
    std::optional<bool> Display() override { return std::nullopt; }
    std::string PreferencesPlace() override;
    std::string HowToShowAlerts() override;
    std::string PassLogPlace() override { return session_.places.PassLogPath(); }
    std::vector<std::string> LastPasses(std::size_t count) override;
    // Kept in the registry, with its own limit: no file for the doctor to read.
    std::string UsedLinksPlace() override { return {}; }

  private:
    const WindowsSession& session_;
};

}  // namespace torvale
