#include "platform/linux/GtkOverviewWindow.h"

#include <gtk/gtk.h>

namespace torvale {
namespace {

struct OverviewWindow {
    OverviewSource& source;
    GtkWidget* alerts;
    GtkWidget* button;
    GtkTextBuffer* report;
};

void Show(OverviewWindow& window, const Overview& overview) {
    gtk_label_set_text(GTK_LABEL(window.alerts), overview.alerts.c_str());
    gtk_widget_set_sensitive(window.button, overview.silenced ? TRUE : FALSE);
    gtk_text_buffer_set_text(window.report, overview.report.data(),
                             static_cast<gint>(overview.report.size()));
}

void ShowAlertsAgain(GtkButton*, gpointer window) {
    auto& shown = *static_cast<OverviewWindow*>(window);
    Show(shown, shown.source.ShowAlertsAgain());
}

}  // namespace
}  // namespace torvale

// The module's second entry point: the window, its alerts line beside the
// button above the report, which can be selected and copied.
extern "C" __attribute__((visibility("default"))) bool torvale_run_gtk_overview(
    torvale::OverviewSource& source) {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), torvale::kOverviewTitle);
    gtk_window_set_icon_name(GTK_WINDOW(window), "torvale");
    gtk_window_set_default_size(GTK_WINDOW(window), 860, 560);
    gtk_container_set_border_width(GTK_CONTAINER(window), 12);
    GtkWidget* alerts = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(alerts), 0);
    gtk_label_set_line_wrap(GTK_LABEL(alerts), TRUE);
    GtkWidget* button = gtk_button_new_with_label(torvale::kShowAlertsButton);
    GtkWidget* report = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(report), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(report), FALSE);
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(report), TRUE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(report), GTK_WRAP_WORD_CHAR);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(scroller), report);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_box_pack_start(GTK_BOX(row), alerts, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(row), button, FALSE, FALSE, 0);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_box_pack_start(GTK_BOX(column), row, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), scroller, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);

    torvale::OverviewWindow shown{source, alerts, button,
                                  gtk_text_view_get_buffer(GTK_TEXT_VIEW(report))};
    torvale::Show(shown, source.Read());
    g_signal_connect(button, "clicked", G_CALLBACK(torvale::ShowAlertsAgain), &shown);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    // The button, where it has anything to do, takes Return and Space.
    gtk_widget_grab_focus(gtk_widget_get_sensitive(button) ? button : report);
    gtk_main();
    return true;
}
