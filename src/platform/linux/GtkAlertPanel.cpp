#include "platform/linux/GtkAlertPanel.h"

#include <gtk/gtk.h>

#include <memory>

namespace torvale {
namespace {

// GTK shows UTF-8 only and a C string ends at a NUL: a value holding either
// must still show whole, with U+FFFD in their place.
std::string Displayable(const std::string& text) {
    std::string withoutNul;
    for (char c : text) {
        if (c == '\0') {
            withoutNul += "\uFFFD";
        } else {
            withoutNul += c;
        }
    }
    const std::unique_ptr<gchar, decltype(&g_free)> valid(
        g_utf8_make_valid(withoutNul.c_str(), static_cast<gssize>(withoutNul.size())), g_free);
    return valid.get();
}

}  // namespace

bool GtkAlertPanel::Run(const std::string& title, const std::string& message) {
    const std::string shownTitle = Displayable(title);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                               GTK_BUTTONS_OK, "%s", shownTitle.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s",
                                             Displayable(message).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), shownTitle.c_str());
    // It answers a click in the browser: it must not open behind it.
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);

    GtkWidget* check = gtk_check_button_new_with_label("不再显示");
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    gtk_container_add(GTK_CONTAINER(area), check);
    gtk_widget_show(check);
    // Return closes it, as with any alert; the check button is one Tab away.
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK));

    gtk_dialog_run(GTK_DIALOG(dialog));
    const bool ticked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)) != FALSE;
    gtk_widget_destroy(dialog);
    // Let the window go before the pass goes on (and maybe opens the next).
    while (gtk_events_pending())
        gtk_main_iteration();
    return ticked;
}

}  // namespace torvale
