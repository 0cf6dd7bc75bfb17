// Edit controls on GTK: a GtkEntry in the top-level window's overlay, over the drawing area at the
// control's place. The control's model stays the platform's: what the program sets is shown in the
// entry, and what the entry does with a key is read back into the model. Keys typed while the control
// has the focus go through the control's window procedure first (a key-down and, for a key that types
// a character, a character message); the class procedure hands the key to the entry's own handling,
// so a key that the procedure swallows never reaches the entry.
#include <cstring>
#include <string>

#include "platform/ansi_text.h"
#include "platform/dc_internal.h"
#include "platform/edit_control.h"
#include "platform/gtk_internal.h"

namespace platform {
namespace {

// The theme's minimum height and padding would not fit an entry into a layout's rectangle.
constexpr const char* kEntryStyle = "entry { min-height: 0; padding: 0 2px; }";
constexpr int32_t kGtkLimit = 65535;

GtkCssProvider* gEntryStyle = nullptr;

// The key being handed to an edit control's procedure, while it is.
struct SRoutedKey {
  SWindow* edit = nullptr;
  GdkEventKey* event = nullptr;
  uint32_t character = 0;
};
SRoutedKey gRouted;

GtkWidget* EntryOf(SWindow* w) {
  SGtkWindow* data = Data(w);
  return data && data->area && GTK_IS_ENTRY(data->area) ? data->area : nullptr;
}

SWindow* FocusedEditIn(SWindow* topLevel) {
  SWindow* focus = FindLiveWindow(GetFocus());
  return focus && IsEditWindow(focus) && TopLevelOf(focus) == topLevel && EntryOf(focus) ? focus : nullptr;
}

struct SEntryState {
  std::string text;
  int start = 0, end = 0, position = 0;
  bool operator==(const SEntryState&) const = default;
};

SEntryState StateOf(GtkWidget* entry) {
  SEntryState s;
  s.text = gtk_entry_get_text(GTK_ENTRY(entry));
  gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &s.start, &s.end);
  s.position = gtk_editable_get_position(GTK_EDITABLE(entry));
  return s;
}

// The model takes what the entry holds.
void ReadBack(SWindow* w, GtkWidget* entry) {
  SEditState* e = EditStateOf(w);
  if (!e) return;
  const SEntryState s = StateOf(entry);
  e->text = Utf8ToAnsi(s.text);
  const auto length = uint32_t(e->text.size());
  const bool selection = s.start != s.end;
  e->caret = std::min(uint32_t(selection ? (s.position == s.start ? s.start : s.end) : s.position), length);
  e->anchor = std::min(uint32_t(selection ? (s.position == s.start ? s.end : s.start) : s.position), length);
}

// The character a key types: a control character with Ctrl held or for the keys that have one, else
// the key's own character in Windows-1252; 0 for none.
uint32_t CharacterOf(GdkEventKey* event, uint32_t virtualKey) {
  const bool control = (event->state & GDK_CONTROL_MASK) != 0;
  if (control || virtualKey == kVkBack || virtualKey == kVkTab || virtualKey == kVkReturn || virtualKey == kVkEscape)
    return CharacterOfKey(virtualKey);
  // Delete has a code point (0x7F) but types no character.
  const gunichar c = gdk_keyval_to_unicode(event->keyval);
  if (c < 0x20 || c == 0x7F) return 0;
  char utf8[8] = {};
  g_unichar_to_utf8(c, utf8);
  bool exact = true;
  const std::string ansi = Utf8ToAnsi(utf8, &exact);
  return exact && ansi.size() == 1 ? uint8_t(ansi[0]) : 0;
}

gboolean OnEntryFocus(GtkWidget*, GdkEventFocus*, gpointer user) {
  SWindow* w = Owner(user);
  if (w && GetFocus() != w) SetFocus(w);
  return FALSE;
}

void ApplyFont(SWindow* w, GtkWidget* entry, const SEditState& e) {
  const auto* font = static_cast<const SGdiObject*>(e.font);
  if (!font || font->kind != SGdiObject::Kind::kFont) return;
  SGtkWindow* data = Data(w);
  GtkStyleContext* context = gtk_widget_get_style_context(entry);
  if (data->style) {
    gtk_style_context_remove_provider(context, GTK_STYLE_PROVIDER(data->style));
    g_object_unref(data->style);
  }
  data->style = gtk_css_provider_new();
  const std::string css = "entry { font-family: \"" + font->face + "\"; font-size: " +
                          std::to_string(std::max(font->pixelHeight, 1)) + "px; font-weight: " +
                          std::to_string(font->weight) + "; }";
  gtk_css_provider_load_from_data(data->style, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(data->style), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

bool IsEditWindow(const SWindow* w) { return w && w->className == kEditClass && IsChildWindow(w); }

void MakeEntry(SWindow* w, SGtkWindow* data) {
  if (!gEntryStyle) {
    gEntryStyle = gtk_css_provider_new();
    gtk_css_provider_load_from_data(gEntryStyle, kEntryStyle, -1, nullptr);
  }
  data->area = gtk_entry_new();
  gtk_style_context_add_provider(gtk_widget_get_style_context(data->area), GTK_STYLE_PROVIDER(gEntryStyle),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  gtk_widget_set_halign(data->area, GTK_ALIGN_START);
  gtk_widget_set_valign(data->area, GTK_ALIGN_START);
  gtk_entry_set_width_chars(GTK_ENTRY(data->area), 1);
  float alignment = 0.0f;
  if (w->style & kEsRight) alignment = 1.0f;
  else if (w->style & kEsCenter) alignment = 0.5f;
  gtk_entry_set_alignment(GTK_ENTRY(data->area), alignment);
  g_signal_connect(data->area, "focus-in-event", G_CALLBACK(OnEntryFocus), w);
}

void ShowEditState(SWindow* w) {
  GtkWidget* entry = EntryOf(w);
  const SEditState* e = EditStateOf(w);
  if (!entry || !e) return;
  const std::string text = AnsiToUtf8(e->text);
  if (text != gtk_entry_get_text(GTK_ENTRY(entry))) gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  gtk_entry_set_max_length(GTK_ENTRY(entry), e->limit > uint32_t(kGtkLimit) ? 0 : int(e->limit));
  gtk_editable_select_region(GTK_EDITABLE(entry), int(e->anchor), int(e->caret));
  ApplyFont(w, entry, *e);
}

bool RouteKeyToEdit(SWindow* topLevel, GdkEventKey* event, uint32_t virtualKey) {
  SWindow* edit = FocusedEditIn(topLevel);
  if (!edit) return false;
  const bool down = event->type == GDK_KEY_PRESS;
  const bool wasDown = IsKeyDownAsync(virtualKey);
  SetKeyState(virtualKey, down);
  if (!down) {
    SendMessage(edit, kWmKeyUp, virtualKey, intptr_t(0xC0000001u));
    return true;
  }
  const intptr_t lParam = intptr_t(wasDown ? 0x40000001u : 1u);
  const SRoutedKey previous = gRouted;
  gRouted = {edit, event, CharacterOf(event, virtualKey)};
  // As the program's loop does: a key-down that the window does not take makes its character.
  if (!SendMessage(edit, kWmKeyDown, virtualKey, lParam) && gRouted.character && FindLiveWindow(edit))
    SendMessage(edit, kWmChar, gRouted.character, lParam);
  gRouted = previous;
  return true;
}

bool PassKeyToEntry(SWindow* w, uint32_t message, bool* acted) {
  GtkWidget* entry = EntryOf(w);
  if (!entry || gRouted.edit != w || !gRouted.event) return false;
  *acted = false;
  // The character message types the key; its key-down does nothing more.
  if (message == kWmKeyDown && gRouted.character) return true;
  const SEntryState before = StateOf(entry);
  gtk_widget_event(entry, reinterpret_cast<GdkEvent*>(gRouted.event));
  ReadBack(w, entry);
  *acted = !(StateOf(entry) == before);
  return true;
}

}  // namespace platform
