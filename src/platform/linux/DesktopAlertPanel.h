#pragma once

#include <memory>
#include <string>

#include "core/ports/AlertPanel.h"
#include "platform/cli/StderrPorts.h"

namespace torvale {

// torvale-desktop's alert panel: the GTK dialogs, loaded (the module
// torvale-gtk.so, see GtkAlertPanel.h) and initialised on the display the
// first time an alert or a question is to be shown, so that a launch that
// shows none loads no GTK. Without a display, where the module cannot be
// loaded (said once on standard error) or GTK cannot open the display,
// alerts go to standard error as one line each and the question is answered
// no, as StderrAlertPanel does.
class DesktopAlertPanel final : public AlertPanel {
  public:
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;
    // Whether a dialog was to be shown: GTK may then be loaded, with a
    // connection to the display.
    bool Tried() const { return tried_; }

  private:
    AlertPanel& Panel();

    bool tried_ = false;
    std::unique_ptr<AlertPanel> dialogs_;
    StderrAlertPanel none_;
};

}  // namespace torvale
