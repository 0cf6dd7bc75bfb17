// Dialog items on GTK: push buttons, check boxes, radio buttons, group boxes and labels are a
// GtkButton, GtkCheckButton, GtkRadioButton, GtkFrame and GtkLabel in the top-level window's overlay
// at the item's place, as edit fields are entries there. The text and the check state stay the
// platform's (the window's title, the button's state); a click on a widget clicks the platform's
// button, and keys go through the platform's focus as for every window.
#include <string>

#include "platform/ansi_text.h"
#include "platform/dialog.h"
#include "platform/dialog_internal.h"
#include "platform/gtk_internal.h"

namespace platform {
namespace {

// The theme's minimum sizes and padding would not fit a button into a template's rectangle.
constexpr const char* kItemStyle = "button { min-height: 0; min-width: 0; padding: 0 4px; }";
// A radio button's hidden partner in its GTK group: GTK lets a radio button lose its check only to
// another one, so the partner takes it whenever the platform's button is cleared.
constexpr const char* kPartnerKey = "quarn2-radio-partner";

GtkCssProvider* gItemStyle = nullptr;
// While the platform's state is shown, the widgets' own signals are not clicks.
bool gShowingState = false;

bool IsButton(const SWindow* w) { return w->className == kButtonClass; }

void OnClicked(GtkButton*, gpointer user) {
  if (gShowingState) return;
  SWindow* w = Owner(user);
  if (!w) return;
  ClickButton(w);
  // A click the platform refuses (a disabled or non-automatic button) leaves the widget as it was.
  // The click ran the dialog's procedure, which may have destroyed the item: it is looked up again.
  w = Owner(user);
  if (SGtkWindow* data = w ? Data(w) : nullptr) PlaceItem(w, data);
}

void DropPartner(gpointer partner) {
  gtk_widget_destroy(GTK_WIDGET(partner));
  g_object_unref(partner);
}

GtkWidget* MakeRadio() {
  GtkWidget* partner = gtk_radio_button_new(nullptr);
  g_object_ref_sink(partner);
  GtkWidget* radio = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(partner), "");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(partner), TRUE);
  g_object_set_data_full(G_OBJECT(radio), kPartnerKey, partner, &DropPartner);
  return radio;
}

void ShowCheck(SWindow* w, GtkWidget* widget) {
  const bool checked = SendMessage(w, kBmGetCheck, 0, 0) == kBstChecked;
  if (bool(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) == checked) return;
  gShowingState = true;
  if (checked || !GTK_IS_RADIO_BUTTON(widget))
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), checked);
  else if (auto* partner = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kPartnerKey)))
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(partner), TRUE);
  gShowingState = false;
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
  const uint32_t kind = IsButton(w) ? w->style & kButtonKinds : 0;
  if (IsButton(w) && kind == kBsGroupBox) {
    data->area = gtk_frame_new("");
  } else if (IsButton(w) && HoldsCheck(w)) {
    data->area = kind == kBsCheckBox || kind == kBsAutoCheckBox ? gtk_check_button_new_with_label("") : MakeRadio();
    g_signal_connect(data->area, "clicked", G_CALLBACK(OnClicked), w);
  } else if (IsButton(w)) {
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
  const bool wasPlaced = data->placed;
  if (!OverlayAtPlace(w, data)) return;
  // A group box lies over the items it frames: their clicks go through it.
  if (!wasPlaced && GTK_IS_FRAME(data->area)) {
    SGtkWindow* topData = Data(TopLevelOf(w));
    gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(topData->overlay), data->area, TRUE);
  }
  gtk_widget_set_size_request(data->area, w->rect.Width(), w->rect.Height());
  const std::string text = AnsiToUtf8(w->title);
  if (GTK_IS_FRAME(data->area)) {
    const char* shown = gtk_frame_get_label(GTK_FRAME(data->area));
    if (!shown || text != shown) gtk_frame_set_label(GTK_FRAME(data->area), text.c_str());
  } else if (IsButton(w)) {
    if (text != gtk_button_get_label(GTK_BUTTON(data->area))) gtk_button_set_label(GTK_BUTTON(data->area), text.c_str());
    if (GTK_IS_TOGGLE_BUTTON(data->area)) ShowCheck(w, data->area);
  } else if (text != gtk_label_get_text(GTK_LABEL(data->area))) {
    gtk_label_set_text(GTK_LABEL(data->area), text.c_str());
  }
  gtk_widget_set_sensitive(data->area, !w->disabled);
}

}  // namespace platform
