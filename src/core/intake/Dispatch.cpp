// The request pass proper: fill the launch parameters, show the debug alert,
// and call the one launcher that `action` names.

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"

namespace torvale {
namespace {

// A fixed table: `action` can reach these fourteen methods and no other.
struct Route {
    std::string_view action;
    void (AppDelegate::*launcher)();
};

constexpr Route kRoutes[] = {
    {"StartPutty", &AppDelegate::StartPutty},
    {"StartWinscp", &AppDelegate::StartWinscp},
    {"StartFileZilla", &AppDelegate::StartFileZilla},
    {"StartFlashXP", &AppDelegate::StartFlashXP},
    {"StartSecureCRT", &AppDelegate::StartSecureCRT},
    {"StartMstsc", &AppDelegate::StartMstsc},
    {"StartPuttyMonitor", &AppDelegate::StartPuttyMonitor},
    {"StartPuttyDisplay", &AppDelegate::StartPuttyDisplay},
    {"StartSecureCRTDisplay", &AppDelegate::StartSecureCRTDisplay},
    {"StartSecureCRTMonitor", &AppDelegate::StartSecureCRTMonitor},
    {"StartRdpReplay", &AppDelegate::StartRdpReplay},
    {"StartMstscMonitor", &AppDelegate::StartMstscMonitor},
    {"StartMstscAutoRun", &AppDelegate::StartMstscAutoRun},
    {"StartMstscAutoRunReplay", &AppDelegate::StartMstscAutoRunReplay},
};

}  // namespace

void AppDelegate::Init() {
    FillLaunchParameters();

    ShowDebug(Str(url));

    if (action) {
        for (const Route& route : kRoutes) {
            if (*action == route.action) {
                pass_.record.action = route.action;
                (this->*route.launcher)();
                return;
            }
        }
    }
    pass_.record.outcome = Outcome::UnknownAction;
    Alert(titles::kError, "未知接口");
}

void AppDelegate::Placeholder(const std::string& message) {
    pass_.record.outcome = Outcome::NotImplemented;
    Alert(titles::kSorry, message);
}

void AppDelegate::StartPutty() {
    Placeholder("putty还未实现");
}
void AppDelegate::StartWinscp() {
    Placeholder("winscp还未实现");
}
void AppDelegate::StartFlashXP() {
    Placeholder("flashxp还未实现");
}
void AppDelegate::StartPuttyMonitor() {
    Placeholder("putty还未实现");
}
void AppDelegate::StartPuttyDisplay() {
    Placeholder("putty还未实现");
}
void AppDelegate::StartRdpReplay() {
    Placeholder("rdplayer还未实现");
}
void AppDelegate::StartMstscMonitor() {
    Placeholder("rdplayer还未实现");
}

}  // namespace torvale
