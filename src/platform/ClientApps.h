#pragma once

#include <string_view>

namespace torvale {

// One client application that a launcher starts through the macOS `open`
// command. Each not-found text is held whole, exactly as the user reads it.
struct ClientApp {
    std::string_view bundlePath;
    std::string_view commandPrefix;
    std::string_view notFoundText;
};

namespace clients {
extern const ClientApp kFileZilla;
extern const ClientApp kSecureCRT;
extern const ClientApp kMicrosoftRemoteDesktop;
extern const ClientApp kRemoteDesktopConnection;
extern const ClientApp kQuendalApp;

// All five, in the order of the table above.
extern const ClientApp* const kAll[5];
}  // namespace clients

}  // namespace torvale
