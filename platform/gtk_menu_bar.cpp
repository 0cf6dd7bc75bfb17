// A window's menu bar on GTK: the GtkMenuBar of its overlay, filled from the menu data. The text after
// a tab shows right-aligned as the accelerator; texts have no mnemonics; checked items show GTK's check
// mark and greyed ones are insensitive. Choosing an item hands it to the common part, which sends the
// program its messages.
#include <algorithm>

#include "platform/ansi_text.h"
#include "platform/gtk_internal.h"

namespace platform {
namespace {

// What an activated item stands for.
struct SChoice {
  MenuHandle menu;
  uint32_t position;
};

void OnActivate(GtkMenuItem*, gpointer user) {
  const auto* choice = static_cast<const SChoice*>(user);
  ChooseMenuItem(choice->menu, choice->position);
  // A check item ticked itself; the program's state is what the bar shows.
  Backend().MenusChanged();
}

void FreeChoice(gpointer user, GClosure*) { delete static_cast<SChoice*>(user); }

GtkWidget* ItemLabel(const std::string& text) {
  const size_t tab = text.find('\t');
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  GtkWidget* label = gtk_label_new(AnsiToUtf8(text.substr(0, tab)).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  if (tab != std::string::npos) {
    GtkWidget* keys = gtk_label_new(AnsiToUtf8(text.substr(tab + 1)).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(keys), "accelerator");
    gtk_label_set_xalign(GTK_LABEL(keys), 1.0f);
    gtk_box_pack_end(GTK_BOX(box), keys, FALSE, FALSE, 0);
  }
  return box;
}

GtkWidget* MenuOf(MenuHandle menu, int depth);

GtkWidget* ItemOf(MenuHandle menu, uint32_t position, const SMenuItem& item, int depth) {
  if (item.separator) return gtk_separator_menu_item_new();
  GtkWidget* widget = item.checked ? gtk_check_menu_item_new() : gtk_menu_item_new();
  if (item.checked) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
  gtk_container_add(GTK_CONTAINER(widget), ItemLabel(item.text));
  gtk_widget_set_sensitive(widget, !item.grayed);
  if (item.subMenu) {
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), MenuOf(item.subMenu, depth + 1));
  } else {
    g_signal_connect_data(widget, "activate", G_CALLBACK(OnActivate), new SChoice{menu, position}, FreeChoice,
                          GConnectFlags(0));
  }
  return widget;
}

GtkWidget* MenuOf(MenuHandle menu, int depth) {
  GtkWidget* shell = gtk_menu_new();
  if (depth > 16) return shell;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    GtkWidget* item = ItemOf(menu, uint32_t(i), menu->items[i], depth);
    gtk_widget_show_all(item);
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  }
  return shell;
}

bool IsOpen(GtkWidget* bar) { return gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(bar)) != nullptr; }

// The bar itself shows while the window shows its menu bar (the back end's MenuBarChanged).
void Fill(SWindow* w, GtkWidget* bar) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(bar));
  for (GList* c = children; c; c = c->next) gtk_widget_destroy(GTK_WIDGET(c->data));
  g_list_free(children);
  if (!w->menu) return;
  for (size_t i = 0; i < w->menu->items.size(); ++i) {
    const SMenuItem& entry = w->menu->items[i];
    GtkWidget* widget = gtk_menu_item_new_with_label(AnsiToUtf8(entry.text).c_str());
    gtk_widget_set_sensitive(widget, !entry.grayed);
    if (entry.subMenu) gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), MenuOf(entry.subMenu, 0));
    gtk_widget_show(widget);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), widget);
  }
}

}  // namespace

bool RebuildMenuBars() {
  for (SWindow* w : AllWindows()) {
    SGtkWindow* data = Data(w);
    if (data && data->menuBar && IsOpen(data->menuBar)) return false;
  }
  for (SWindow* w : AllWindows()) {
    if (SGtkWindow* data = Data(w); data && data->menuBar) Fill(w, data->menuBar);
  }
  return true;
}

}  // namespace platform
