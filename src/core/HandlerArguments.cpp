#include "core/HandlerArguments.h"

#include "base/Text.h"

namespace torvale {
namespace {

HandlerArguments Refused(std::string reason) {
    return {HandlerArguments::Kind::Refused, {}, std::move(reason)};
}

}  // namespace

HandlerArguments ReadHandlerArguments(std::span<const std::string> arguments) {
    // The reasons name no argument: a link may carry a password, and the
    // pass log keeps what they say.
    if (arguments.size() == 1 && arguments[0] == "--show-alerts")
        return {HandlerArguments::Kind::ShowAlerts, {}, {}};
    if (arguments.empty() || arguments[0] != "--url")
        return Refused("the command line does not begin with --url");
    if (arguments.size() == 1) return Refused("no URL after --url");
    if (arguments.size() != 2) {
        return Refused(std::to_string(arguments.size()) +
                       " arguments, not --url and one URL: a quote in the link may have split it");
    }
    constexpr std::string_view kScheme = "torvale:";
    const std::string& url = arguments[1];
    if (!EqualIgnoringCase(std::string_view(url).substr(0, kScheme.size()), kScheme))
        return Refused("the argument after --url is not a torvale: URL");
    return {HandlerArguments::Kind::Url, url, {}};
}

}  // namespace torvale
