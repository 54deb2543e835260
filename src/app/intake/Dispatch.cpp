// The request pass proper: fill the launch parameters, show the debug alert,
// and call the one launcher that `action` names.

#include "app/AlertTitles.h"
#include "app/AppDelegate.h"

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
                (this->*route.launcher)();
                return;
            }
        }
    }
    Alert(titles::kError, "未知接口");
}

void AppDelegate::StartPutty() {
    Alert(titles::kSorry, "putty还未实现");
}
void AppDelegate::StartWinscp() {
    Alert(titles::kSorry, "winscp还未实现");
}
void AppDelegate::StartFlashXP() {
    Alert(titles::kSorry, "flashxp还未实现");
}
void AppDelegate::StartPuttyMonitor() {
    Alert(titles::kSorry, "putty还未实现");
}
void AppDelegate::StartPuttyDisplay() {
    Alert(titles::kSorry, "putty还未实现");
}
void AppDelegate::StartRdpReplay() {
    Alert(titles::kSorry, "rdplayer还未实现");
}
void AppDelegate::StartMstscMonitor() {
    Alert(titles::kSorry, "rdplayer还未实现");
}

}  // namespace torvale
