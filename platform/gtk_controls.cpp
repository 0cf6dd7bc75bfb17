// Dialog items on GTK: push buttons and labels are a GtkButton and a GtkLabel in the top-level
// window's overlay at the item's place, as edit fields are entries there. The text stays the
// platform's (the window's title); a click on the button presses the platform's button, and keys go
// through the platform's focus as for every window.
#include <string>

#include "platform/ansi_text.h"
#include "platform/dialog.h"
#include "platform/dialog_internal.h"
#include "platform/gtk_internal.h"

namespace platform {
namespace {

// The theme's minimum sizes and padding would not fit a button into a template's rectangle.
constexpr const char* kItemStyle = "button { min-height: 0; min-width: 0; padding: 0 4px; }";

GtkCssProvider* gItemStyle = nullptr;

bool IsButton(const SWindow* w) { return w->className == kButtonClass; }

void OnClicked(GtkButton*, gpointer user) {
  if (SWindow* w = Owner(user)) PressButton(w);
}

}  // namespace

bool IsItemWindow(const SWindow* w) {
  return w && IsChildWindow(w) && (IsButton(w) || w->className == kStaticClass);
}

void MakeItem(SWindow* w, SGtkWindow* data) {
  if (!gItemStyle) {
    gItemStyle = gtk_css_provider_new();
    gtk_css_provider_load_from_data(gItemStyle, kItemStyle, -1, nullptr);
  }
  if (IsButton(w)) {
    data->area = gtk_button_new_with_label("");
    g_signal_connect(data->area, "clicked", G_CALLBACK(OnClicked), w);
  } else {
    data->area = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(data->area), TRUE);
    gtk_label_set_xalign(GTK_LABEL(data->area), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(data->area), 0.0f);
  }
  gtk_style_context_add_provider(gtk_widget_get_style_context(data->area), GTK_STYLE_PROVIDER(gItemStyle),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  gtk_widget_set_halign(data->area, GTK_ALIGN_START);
  gtk_widget_set_valign(data->area, GTK_ALIGN_START);
}

void PlaceItem(SWindow* w, SGtkWindow* data) {
  if (!OverlayAtPlace(w, data)) return;
  gtk_widget_set_size_request(data->area, w->rect.Width(), w->rect.Height());
  const std::string text = AnsiToUtf8(w->title);
  if (IsButton(w)) {
    if (text != gtk_button_get_label(GTK_BUTTON(data->area))) gtk_button_set_label(GTK_BUTTON(data->area), text.c_str());
  } else if (text != gtk_label_get_text(GTK_LABEL(data->area))) {
    gtk_label_set_text(GTK_LABEL(data->area), text.c_str());
  }
  gtk_widget_set_sensitive(data->area, !w->disabled);
}

}  // namespace platform
