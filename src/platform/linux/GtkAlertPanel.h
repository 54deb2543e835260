#pragma once

#include "core/ports/AlertPanel.h"

namespace torvale {

// The alert's check button: "show no alert any more (open Torvale from the
// applications menu to bring them back)".
inline constexpr char kSilenceAlertsBox[] = "不再显示任何提醒（可从应用程序菜单打开 Torvale 恢复）";

// The alert as a GTK 3 message dialog: the title as the window's title and
// bold first line, the message below it, and the check button below. The
// question the same way, with its two buttons and its check button. Modal;
// each returns when closed. Needs gtk_init first.
class GtkAlertPanel final : public AlertPanel {
  public:
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;
};

// GtkAlertPanel is built as a module of its own, torvale-gtk.so, the one
// part of torvale-desktop that links GTK: loaded only where a dialog is to be
// shown (DesktopAlertPanel), it spares every other launch the loading of GTK
// and the seventy-odd libraries it brings. Its one entry point, looked up by
// this name: GTK initialised on the display, and a new panel; null where
// GTK cannot open the display. Built with this program, by the same
// compiler: the panel crosses as the C++ class it is.
inline constexpr char kOpenGtkDialogs[] = "torvale_open_gtk_dialogs";
using OpenGtkDialogs = AlertPanel* (*)();

}  // namespace torvale

extern "C" torvale::AlertPanel* torvale_open_gtk_dialogs();
