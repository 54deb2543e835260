#pragma once

#include <string>

namespace torvale {

// A modal alert with a "don't show again" checkbox.
class AlertPanel {
  public:
    virtual ~AlertPanel() = default;

    // Shows the alert and returns once it is closed. The answer is whether the
    // suppression checkbox was ticked when it closed.
    virtual bool Run(const std::string& title, const std::string& message) = 0;
};

}  // namespace torvale
