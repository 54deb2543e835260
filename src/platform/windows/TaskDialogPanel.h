#pragma once

#include <string>

#include "core/ports/AlertPanel.h"

namespace torvale {

// The alert's check box: "show no alert any more (bring them back with
// 恢复 Torvale 提醒 in the Start menu)", the shortcut the installer makes.
inline constexpr char kSilenceAlertsBox[] =
    "不再显示任何提醒（可从开始菜单的“恢复 Torvale 提醒”恢复）";

// Alerts and the question as task dialogs (comctl32 version 6, which the
// program's manifest asks for): the title as the window's title and the main
// instruction, the message below it, the check box as the dialog's
// verification box. The question's Cancel is the default button, and Escape,
// Alt+F4 and the close button answer it too. Above every window: it answers
// a click in the browser. Where no task dialog can be had, a message box
// (see TaskDialogPanel.cpp for what it loses).
class TaskDialogPanel final : public AlertPanel {
  public:
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;
    // A message with one button and no check box: what a command asked
    // for has been done.
    void Inform(const std::string& title, const std::string& message);
};

}  // namespace torvale
