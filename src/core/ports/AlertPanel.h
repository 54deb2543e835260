#pragma once

#include <string>

namespace torvale {

// The question asked before a launch connects to a host the user has not
// trusted yet. The core writes every text; a front end only shows them.
struct Question {
    std::string title;
    std::string message;
    std::string connect;  // the button that goes on with the launch
    std::string cancel;   // the default button, also what Escape answers
    std::string always;   // the check box that trusts the host from now on
    // A third button, instead of the box: go on, and trust from now on.
    std::string connectAlways;
};

enum class Answer {
    Cancel,
    Connect,
    ConnectAlways,  // connect, and trust the host from now on
};

// Modal dialogs: the alert with a "don't show again" checkbox, and the
// question of two buttons and a check box, or of three buttons.
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
