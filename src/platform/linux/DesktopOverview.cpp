#include "platform/linux/DesktopOverview.h"

#include "platform/cli/XdgFacts.h"
#include "platform/linux/GtkModule.h"
#include "platform/linux/GtkOverviewWindow.h"

namespace torvale {
namespace {

class CoreOverview final : public OverviewSource {
  public:
    CoreOverview(Application& app, SystemFacts& facts) : app_(app), facts_(facts) {}
    Overview Read() override { return ReadOverview(app_, facts_); }
    Overview ShowAlertsAgain() override { return ShowAlertsFromOverview(app_, facts_); }

  private:
    Application& app_;
    SystemFacts& facts_;
};

}  // namespace

bool ShowOverview(Application& app, SystemFacts& facts, std::string* err) {
    if (!HasDisplay()) {
        if (err != nullptr) *err = "no display (DISPLAY and WAYLAND_DISPLAY are unset)";
        return false;
    }
    const auto run = reinterpret_cast<RunGtkOverview>(GtkModuleEntry(kRunGtkOverview, err));
    if (run == nullptr) return false;
    CoreOverview source(app, facts);
    if (run(source)) return true;
    if (err != nullptr) *err = "GTK cannot open the display";
    return false;
}

}  // namespace torvale
