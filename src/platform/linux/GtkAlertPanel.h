#pragma once

#include "core/ports/AlertPanel.h"

namespace torvale {

// The alert as a GTK 3 message dialog: the title as the window's title and
// bold first line, the message below it, and a "不再显示" (don't show again)
// check button. The question the same way, with its two buttons and its
// check button. Modal; each returns when closed. Needs gtk_init first.
class GtkAlertPanel final : public AlertPanel {
  public:
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;
};

}  // namespace torvale
