// What the Torvale window of torvale-desktop shows, from what --doctor finds
// and the pass log.

#include "core/doctor/Overview.h"

#include "base/Printable.h"
#include "core/Alerts.h"
#include "core/Application.h"
#include "core/doctor/Findings.h"

namespace torvale {

Overview ReadOverview(Application& app, SystemFacts& facts) {
    Overview overview;
    overview.silenced = app.AlertsSuppressed();
    overview.alerts = overview.silenced ? "提醒已关闭：启动失败时不会有任何提示。" : "提醒已开启。";
    std::string& report = overview.report;
    report = "检查（torvale-desktop --doctor）：\n";
    for (const Finding& finding : Diagnose(app, facts))
        report += FindingLine(finding) + "\n";
    const std::string log = facts.PassLogPlace();
    const auto passes =
        log.empty() ? std::vector<std::string>() : facts.LastPasses(kOverviewPasses);
    report += "\n最近的启动（" + Printable(log) + "）：\n";
    for (const std::string& pass : passes)
        report += Printable(pass) + "\n";
    if (passes.empty()) report += "还没有记录。\n";
    return overview;
}

Overview ShowAlertsFromOverview(Application& app, SystemFacts& facts) {
    std::string why;
    const bool shown = TurnAlertsBackOn(app.platform(), &why);
    Overview overview = ReadOverview(app, facts);
    if (!shown) overview.alerts = "无法重新显示提醒：" + Printable(why);
    return overview;
}

}  // namespace torvale
