#pragma once

#include "core/doctor/Overview.h"

namespace torvale {

// What the Torvale window shows and what its button does, from the program:
// the module lays the window out and builds none of its texts.
class OverviewSource {
  public:
    virtual ~OverviewSource() = default;
    virtual Overview Read() = 0;
    virtual Overview ShowAlertsAgain() = 0;
};

// The window's entry point in the module torvale-gtk.so (see GtkAlertPanel.h),
// looked up by this name: GTK initialised on the display, the window shown
// until it is closed; false, at once, where GTK cannot open the display.
inline constexpr char kRunGtkOverview[] = "torvale_run_gtk_overview";
using RunGtkOverview = bool (*)(OverviewSource&);

}  // namespace torvale

extern "C" bool torvale_run_gtk_overview(torvale::OverviewSource& source);
