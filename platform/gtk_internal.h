// Inside the GTK back end: what it keeps for each window, shared by the back end (gtk_backend.cpp),
// its menu bars (gtk_menu_bar.cpp), its edit controls (gtk_entry.cpp) and dialog items
// (gtk_controls.cpp). Only these files see GTK.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/window_backend.h"

namespace platform {

// A top-level window has its GTK window, an overlay holding the drawing area, the menu bar and the
// entries of its edit controls, and, once it has other child windows, a fixed layer over the drawing
// area where they lie. A child window is only a drawing area in its top-level ancestor's fixed layer,
// or, for an edit control, an entry in the ancestor's overlay.
struct SGtkWindow {
  GtkWidget* window = nullptr;
  GtkWidget* overlay = nullptr;
  GtkWidget* fixed = nullptr;
  GtkWidget* area = nullptr;  // an edit control's entry
  GtkWidget* menuBar = nullptr;
  GtkCssProvider* style = nullptr;  // an entry's font
  SWinRect shownRect;  // what GTK was last asked for
  bool shown = false;
  bool placed = false;  // in its ancestor's fixed layer
  bool popUp = false;   // a dialog, which holds the pointer and keyboard while it shows
  std::string title;
  SWinRect damage;  // surface coordinates, not yet handed to GTK
};

inline SGtkWindow* Data(SWindow* w) { return w ? static_cast<SGtkWindow*>(w->backendData) : nullptr; }

inline SWindow* TopLevelOf(SWindow* w) {
  while (w && IsChildWindow(w)) w = w->parent;
  return w;
}

inline GtkWindow* GtkWindowOf(SWindow* w) {
  SGtkWindow* data = Data(TopLevelOf(w));
  return data && data->window ? GTK_WINDOW(data->window) : nullptr;
}

// Lays a control's widget over its top-level ancestor's drawing area, at the control's place in that
// window; false while the ancestor has no overlay.
inline bool OverlayAtPlace(SWindow* w, SGtkWindow* data) {
  SWindow* top = TopLevelOf(w);
  SGtkWindow* topData = Data(top);
  if (!topData || !topData->overlay) return false;
  if (!data->placed) gtk_overlay_add_overlay(GTK_OVERLAY(topData->overlay), data->area);
  data->placed = true;
  gtk_widget_set_margin_start(data->area, w->rect.left - top->rect.left);
  gtk_widget_set_margin_top(data->area, w->rect.top - top->rect.top);
  return true;
}

// The widget whose GDK window shows the window: its GTK window, or a child window's drawing area.
inline GtkWidget* OuterWidget(SGtkWindow* data) { return data->window ? data->window : data->area; }

// The window record behind a widget, or null when it is gone.
inline SWindow* Owner(gpointer user) { return FindLiveWindow(static_cast<SWindow*>(user)); }

// ---- keys (gtk_backend.cpp)

// The keys that the program saw go down and that have come up where its windows did not hear it
// come up now.
void DeliverReleasedKeys();
// Runs a dialog of GTK's own to its answer and hides it; the keyboard goes back to the program, and
// keys let go inside the dialog come up for the program after.
gint RunDialog(GtkWidget* dialog);

// ---- menu bars (gtk_menu_bar.cpp)

// Fills each window's menu bar from its menu data again; nothing (false) while one of them is open.
bool RebuildMenuBars();

// ---- edit controls (gtk_entry.cpp)

bool IsEditWindow(const SWindow* w);
// The entry over the top-level ancestor's drawing area (placed by OverlayAtPlace).
void MakeEntry(SWindow* w, SGtkWindow* data);
// Text, selection, limit, alignment and font from the control's model.
void ShowEditState(SWindow* w);
// A key typed while an edit control of the top-level window holds the focus goes to the control's
// procedure; false when no edit control of that window has the focus.
bool RouteKeyToEdit(SWindow* topLevel, GdkEventKey* event, uint32_t virtualKey);
// The key being routed reaches the entry's own handling; *acted tells whether it changed the text or
// the caret. False when no key is being routed to this control.
bool PassKeyToEntry(SWindow* w, uint32_t message, bool* acted);

// ---- dialog items (gtk_controls.cpp)

// Push buttons and labels of dialogs.
bool IsItemWindow(const SWindow* w);
void MakeItem(SWindow* w, SGtkWindow* data);
// Place, size, text and state from the item's window.
void PlaceItem(SWindow* w, SGtkWindow* data);

// ---- printing (gtk_print.cpp)

class PrintBackend;
PrintBackend* NewGtkPrinting();

}  // namespace platform
