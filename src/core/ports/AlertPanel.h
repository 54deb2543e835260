#pragma once

#include <string>

namespace torvale {

// A question asked before a launch connects: to a host the user has not
// trusted yet, or through a certificate its client cannot verify. The core
// writes every text; a front end only shows them.
struct Question {
    std::string title;
    std::string message;
    std::string connect;  // the button that goes on with the launch
    std::string cancel;   // the default button, also what Escape answers
    std::string always;   // the check box that trusts from now on
};

enum class Answer {
    Cancel,
    Connect,
    ConnectAlways,  // connect, and trust from now on
};

// Modal dialogs: the alert with a "don't show again" checkbox, and the
// question of two buttons and a check box.
class AlertPanel {
  public:
    virtual ~AlertPanel() = default;

    // Shows the alert and returns once it is closed. The answer is whether the
    // suppression checkbox was ticked when it closed.
    virtual bool Run(const std::string& title, const std::string& message) = 0;

    // Asks the question and returns the answer once it is closed. A ticked
    // check box counts only with the connect button.
    virtual Answer Ask(const Question& question) = 0;
};

}  // namespace torvale
