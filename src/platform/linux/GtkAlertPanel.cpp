#include "platform/linux/GtkAlertPanel.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "base/Printable.h"

namespace torvale {
namespace {

// A modal message dialog above every window, its texts made fit for a
// dialog: bounded, and escaped where they could reorder, hide or break text.
GtkWidget* NewDialog(const std::string& title, const std::string& message, GtkButtonsType buttons) {
    const std::string shownTitle = ForDialog(title);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                               buttons, "%s", shownTitle.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s",
                                             ForDialog(message).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), shownTitle.c_str());
    // A screen reader names it by its title, not by GTK's "Warning".
    atk_object_set_name(gtk_widget_get_accessible(dialog), shownTitle.c_str());
    // It answers a click in the browser: it must not open behind it.
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    // A long word (a URL, a host) wraps anywhere instead of widening the
    // dialog past the screen, and without the hyphens Pango would insert:
    // a host must read as it is.
    PangoAttrList* noHyphens = pango_attr_list_new();
    pango_attr_list_insert(noHyphens, pango_attr_insert_hyphens_new(FALSE));
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    GtkWidget* secondary = nullptr;
    for (GList* child = children; child != nullptr; child = child->next) {
        if (!GTK_IS_LABEL(child->data)) continue;
        gtk_label_set_line_wrap_mode(GTK_LABEL(child->data), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_max_width_chars(GTK_LABEL(child->data), 80);
        gtk_label_set_attributes(GTK_LABEL(child->data), noHyphens);
        secondary = GTK_WIDGET(child->data);  // the message: the last label
    }
    g_list_free(children);
    pango_attr_list_unref(noHyphens);
    // The message scrolls where the screen is too small for it, so that the
    // check box and the buttons below it always stay in view.
    if (secondary != nullptr) {
        GdkRectangle screen = {0, 0, 1024, 600};
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor =
            display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
        if (monitor == nullptr && display != nullptr) monitor = gdk_display_get_monitor(display, 0);
        if (monitor != nullptr) gdk_monitor_get_workarea(monitor, &screen);
        GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                       GTK_POLICY_AUTOMATIC);
        gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
        gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
        // What the title, the check box, the buttons and the frame need.
        gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller),
                                                   std::max(100, screen.height - 260));
        g_object_ref(secondary);
        gtk_container_remove(GTK_CONTAINER(area), secondary);
        gtk_container_add(GTK_CONTAINER(scroller), secondary);
        g_object_unref(secondary);
        gtk_box_pack_start(GTK_BOX(area), scroller, TRUE, TRUE, 0);
        gtk_widget_show_all(scroller);
    }
    return dialog;
}

GtkWidget* AddCheckButton(GtkWidget* dialog, const char* label) {
    GtkWidget* check = gtk_check_button_new_with_label(label);
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    gtk_container_add(GTK_CONTAINER(area), check);
    // A question without the box (that of an unsigned link) keeps it hidden,
    // never ticked.
    if (*label != '\0') gtk_widget_show(check);
    return check;
}

// Runs the dialog; answers its response and whether the check button was on.
std::pair<gint, bool> RunDialog(GtkWidget* dialog, GtkWidget* check, gint focused) {
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), focused));
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    const bool ticked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)) != FALSE;
    gtk_widget_destroy(dialog);
    // Let the window go before the pass goes on (and maybe opens the next).
    while (gtk_events_pending())
        gtk_main_iteration();
    return {response, ticked};
}

}  // namespace

bool GtkAlertPanel::Run(const std::string& title, const std::string& message) {
    // A button of our own: GTK's stock "OK" follows the locale, not the
    // dialog's language.
    GtkWidget* dialog = NewDialog(title, message, GTK_BUTTONS_NONE);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "确定", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    // One tick silences every later alert, not this one's kind alone: the
    // box says so, and where they come back.
    GtkWidget* check = AddCheckButton(dialog, kSilenceAlertsBox);
    // Return closes it, as with any alert; the check button is one Tab away.
    return RunDialog(dialog, check, GTK_RESPONSE_OK).second;
}

Answer GtkAlertPanel::Ask(const Question& question) {
    GtkWidget* dialog = NewDialog(question.title, question.message, GTK_BUTTONS_NONE);
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), question.cancel.c_str(), GTK_RESPONSE_CANCEL,
                           question.connect.c_str(), GTK_RESPONSE_ACCEPT, nullptr);
    GtkWidget* check = AddCheckButton(dialog, question.always.c_str());
    // Cancel is the default, and Escape (or closing the window) cancels too:
    // a key pressed by habit must not connect.
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    const auto [response, ticked] = RunDialog(dialog, check, GTK_RESPONSE_CANCEL);
    if (response != GTK_RESPONSE_ACCEPT) return Answer::Cancel;
    return ticked ? Answer::ConnectAlways : Answer::Connect;
}

}  // namespace torvale

// The module's entry point, the one symbol it exports.
extern "C" __attribute__((visibility("default"))) torvale::AlertPanel* torvale_open_gtk_dialogs() {
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return new torvale::GtkAlertPanel();
}
