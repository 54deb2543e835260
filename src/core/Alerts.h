#pragma once

// Every alert of the application, and the "don't show again" setting behind
// them.

#include <string>

#include "core/Platform.h"

namespace torvale {

// Shows the alert, or writes "Alert suppressed" to the log once the user
// ticked "don't show again" on any earlier one; a tick now silences the next.
void Alert(Platform& platform, const std::string& title, const std::string& message);

bool AlertsSuppressed(Platform& platform);

// The alert of a client that ended with a failure, with the last lines it
// wrote to standard error, if any. Of FreeRDP, given the .rdp file's
// `rdpAddress`, lines that say it never reached the server are first said
// plainly, with that address.
std::string ClientFailedMessage(const std::string& client, const std::string& output,
                                const std::string& rdpAddress);

// Shows alerts again after "don't show again"; false, with the reason, when
// the setting could not be changed.
bool TurnAlertsBackOn(Platform& platform, std::string* err);

}  // namespace torvale
