#pragma once

// The launchers: each a function from the request to a plan, touching no
// seam. What a launcher needs of this machine (its client, found or not,
// and the user data directory) is found before it runs and handed to it.

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/clients/ClientTable.h"
#include "core/clients/Resolution.h"
#include "core/plan/Plan.h"
#include "core/request/Request.h"

namespace torvale {

struct LaunchContext {
    const ClientTable& table;
    const ClientChoice& client;  // the route's client; none for a placeholder
    const std::string& configDir;
    const std::string& home;  // the user's home folder, which a drive may name
};

using Launcher = Plan (*)(const Request&, const LaunchContext&);

// One action name and what answers it: a launcher and the client it needs,
// or the alert of an action that is not implemented (then nothing else).
struct Route {
    std::string_view action;
    ClientApp ClientTable::*client = nullptr;
    Launcher launcher = nullptr;
    std::string_view notImplemented = {};
};

// The route of an action, or nothing: `action` reaches these fourteen and no
// other.
const Route* FindRoute(const Field& action);

// The plan of a route, or of an unknown action when there is none.
Plan PlanLaunch(const Route* route, const Request& request, const LaunchContext& context);

Plan PlanSecureCRT(const Request& request, const LaunchContext& context);
Plan PlanSecureCRTMonitor(const Request& request, const LaunchContext& context);
Plan PlanSecureCRTDisplay(const Request& request, const LaunchContext& context);
Plan PlanFileZilla(const Request& request, const LaunchContext& context);
Plan PlanMstsc(const Request& request, const LaunchContext& context);
Plan PlanMstscAutoRun(const Request& request, const LaunchContext& context);
Plan PlanMstscAutoRunReplay(const Request& request, const LaunchContext& context);

// --- What every launcher begins with

// The plan with its client, or refused with the client's not-found alert
// when it is missing.
Plan OpeningCheck(const LaunchContext& context);

// The client the question names: the program that really runs ("FreeRDP",
// "Windows App"), where it is not the client's own.
std::string_view ClientShown(const LaunchContext& context);

// The command up to the launcher's own arguments: `open` on macOS, the
// client's path, the words its form puts after it.
Command StartCommand(const LaunchContext& context);

// A launch parameter's key and whether its value is unsafe where the
// launcher puts it.
struct Check {
    std::string_view key;
    bool unsafe;
};

// Refuses the plan at the first unsafe value, naming its key, and answers
// whether it did.
bool RefuseUnsafe(Plan& plan, std::initializer_list<Check> checks);

}  // namespace torvale
