// GTK 3: each window is a real top-level window that shows its surface; GDK events become messages
// with the Windows numbers; message boxes and file dialogs are GTK's own.
#include "platform/gtk_backend.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <map>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/dib.h"
#include "platform/gtk_internal.h"
#include "platform/print_backend.h"
#include "platform/text_drawing.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

constexpr int32_t kMenuBarHeight = 24;

GdkCursor* gCursor = nullptr;  // the cursor every window shows
bool gAnyDamage = false;        // some window has damage to show

void AddDamage(SGtkWindow* data, const SWinRect& area) {
  if (area.IsEmpty()) return;
  gAnyDamage = true;
  const SWinRect& d = data->damage;
  data->damage = d.IsEmpty() ? area
                             : SWinRect{std::min(d.left, area.left), std::min(d.top, area.top),
                                        std::max(d.right, area.right), std::max(d.bottom, area.bottom)};
}

// The key as the US layout names it without modifiers, so Shift+1 is still the key "1"; only Num Lock
// counts, which makes the keypad's keys digits rather than arrows.
uint32_t VirtualKeyOf(const GdkEventKey* event) {
  guint keyval = event->keyval;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  const auto numLock = GdkModifierType(event->state & GDK_MOD2_MASK);
  gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, numLock, 0, &keyval, nullptr, nullptr, nullptr);
  return VirtualKeyNamed(gdk_keyval_name(keyval));
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer user) {
  SWindow* w = Owner(user);
  if (!w || w->surface.Width() == 0 || w->surface.Height() == 0) return TRUE;
  Surface& s = w->surface;
  cairo_surface_t* image = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(s.Row(0))), CAIRO_FORMAT_RGB24, s.Width(), s.Height(),
      s.Width() * 4);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(image);
  return TRUE;
}

gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer user) {
  if (!Owner(user) || (event->button != 1 && event->button != 3)) return TRUE;
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
  SetCursorPosition({int32_t(event->x_root), int32_t(event->y_root)});
  QueueButton(event->button == 1, event->type == GDK_BUTTON_PRESS);
  return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer user) {
  if (Owner(user)) QueuePointerMove({int32_t(event->x_root), int32_t(event->y_root)});
  return TRUE;
}

// The keys held as the program saw them go down, by key code: a key comes up as the key it went down
// as, whatever Num Lock did meanwhile, and a key let go while a dialog of GTK's own holds the
// keyboard, or while another program has it, never reaches the program's windows.
std::map<guint16, uint32_t> gHeldKeys;

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer user) {
  SWindow* w = Owner(user);
  if (!w) return TRUE;
  const bool down = event->type == GDK_KEY_PRESS;
  const auto held = gHeldKeys.find(event->hardware_keycode);
  const uint32_t vk = !down && held != gHeldKeys.end() ? held->second : VirtualKeyOf(event);
  if (!vk) return TRUE;
  if (down) gHeldKeys[event->hardware_keycode] = vk;
  else if (held != gHeldKeys.end()) gHeldKeys.erase(held);
  if (RouteKeyToEdit(w, event, vk)) return TRUE;
  QueueKey(w, vk, down);
  return TRUE;
}

bool IsModifier(uint32_t vk) { return vk == kVkShift || vk == kVkControl || vk == kVkMenu; }

}  // namespace

// Each held key that the keyboard no longer holds comes up, in the order in which the headless back
// end's strokes let go: Shift, Ctrl and Alt first, then the others.
void DeliverReleasedKeys() {
  GdkDisplay* display = gdk_display_get_default();
  if (gHeldKeys.empty() || !GDK_IS_X11_DISPLAY(display)) return;
  char keys[32] = {};
  XQueryKeymap(GDK_DISPLAY_XDISPLAY(display), keys);
  std::vector<std::pair<guint16, uint32_t>> released;
  for (const auto& [code, vk] : gHeldKeys) {
    if (code < 256 && !(keys[code / 8] & (1 << (code % 8)))) released.push_back({code, vk});
  }
  std::stable_partition(released.begin(), released.end(), [](const auto& key) { return IsModifier(key.second); });
  for (const auto& [code, vk] : released) {
    gHeldKeys.erase(code);
    QueueKey(nullptr, vk, false);
  }
}

gint RunDialog(GtkWidget* dialog) {
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  // The keyboard goes back to the dialog's owner, else to the program's active window, also where no
  // window manager hands it on: the program is active again and reads its keys' modifiers.
  gtk_widget_hide(dialog);
  GtkWindow* back = gtk_window_get_transient_for(GTK_WINDOW(dialog));
  if (!back) back = GtkWindowOf(FindLiveWindow(GetActiveWindow()));
  if (back && gtk_widget_get_realized(GTK_WIDGET(back)))
    gdk_window_focus(gtk_widget_get_window(GTK_WIDGET(back)), GDK_CURRENT_TIME);
  DeliverReleasedKeys();
  return response;
}

namespace {

// While a pop-up holds the pointer, what happens outside the program's windows comes to it: the
// buttons' state, and a press there activates something else.
gboolean OnPopUpButton(GtkWidget*, GdkEventButton* event, gpointer user) {
  if (!Owner(user) || (event->button != 1 && event->button != 3)) return TRUE;
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
  const SPoint at{int32_t(event->x_root), int32_t(event->y_root)};
  SetCursorPosition(at);
  QueueButton(event->button == 1, event->type == GDK_BUTTON_PRESS);
  if (event->type == GDK_BUTTON_PRESS && !WindowFromPoint(at)) ActivationLeft();
  return TRUE;
}

GdkSeat* Seat() { return gdk_display_get_default_seat(gdk_display_get_default()); }

// The newest showing pop-up holds the pointer and the keyboard.
void GrabForPopUps() {
  SWindow* newest = nullptr;
  for (SWindow* w : AllWindows()) {
    SGtkWindow* data = Data(w);
    if (data && data->popUp && data->shown && (!newest || w->z > newest->z)) newest = w;
  }
  gdk_seat_ungrab(Seat());
  GdkWindow* window = newest ? gtk_widget_get_window(Data(newest)->window) : nullptr;
  if (window && gdk_window_is_visible(window))
    gdk_seat_grab(Seat(), window, GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr, nullptr);
}

gboolean OnFocus(GtkWidget*, GdkEventFocus* event, gpointer user) {
  if (SWindow* w = Owner(user)) QueueWindowMessage(w, kWmActivateApp, event->in ? 1 : 0, 0);
  if (event->in) DeliverReleasedKeys();
  return FALSE;
}

void ApplyCursor(GdkWindow* window);

// A window can take the keyboard focus only once it is mapped; without a window manager nobody else
// gives it. A window mapped late takes the cursor that is set.
gboolean OnMap(GtkWidget* widget, GdkEvent*, gpointer user) {
  SWindow* w = Owner(user);
  if (w && GetForegroundWindow() == w) {
    gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  }
  ApplyCursor(gtk_widget_get_window(widget));
  if (w && Data(w)->popUp) GrabForPopUps();
  return FALSE;
}

gboolean OnMapTakeFocus(GtkWidget* widget, GdkEvent*, gpointer) {
  gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer user) {
  if (SWindow* w = Owner(user)) QueueWindowMessage(w, kWmClose, 0, 0);
  return TRUE;
}

// Files dropped on a top-level window, as the shell hands them over: a list of file URIs.
void OnDragData(GtkWidget* widget, GdkDragContext*, gint x, gint y, GtkSelectionData* selection, guint, guint,
                gpointer user) {
  SWindow* w = Owner(user);
  gchar** uris = gtk_selection_data_get_uris(selection);
  if (!w || !uris) {
    g_strfreev(uris);
    return;
  }
  std::vector<std::string> paths;
  for (gchar** uri = uris; *uri; ++uri) {
    if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
      paths.push_back(path);
      g_free(path);
    }
  }
  g_strfreev(uris);
  gint originX = 0, originY = 0;
  if (GdkWindow* window = gtk_widget_get_window(widget)) gdk_window_get_origin(window, &originX, &originY);
  DeliverDroppedFiles(w, {originX + x, originY + y}, paths);
}

void AcceptDrops(GtkWidget* widget, SWindow* w) {
  static GtkTargetEntry uriList{const_cast<gchar*>("text/uri-list"), 0, 0};
  gtk_drag_dest_set(widget, GTK_DEST_DEFAULT_ALL, &uriList, 1, GDK_ACTION_COPY);
  g_signal_connect(widget, "drag-data-received", G_CALLBACK(OnDragData), w);
}

void OnScreenChanged(GdkScreen*, gpointer) { NotifyDisplayChange(); }

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer user) {
  SWindow* w = Owner(user);
  if (!w) return FALSE;
  const SWinRect rect{event->x, event->y, event->x + event->width, event->y + event->height};
  SGtkWindow* data = Data(w);
  if (rect.left == w->rect.left && rect.top == w->rect.top && rect.Width() == w->rect.Width() &&
      rect.Height() == w->rect.Height())
    return FALSE;
  data->shownRect = rect;
  NoteWindowRect(w, rect);
  return FALSE;
}

void AddFilters(GtkFileChooser* chooser, const std::string& filter, std::vector<GtkFileFilter*>* filters) {
  size_t at = 0;
  while (at < filter.size()) {
    const size_t descriptionEnd = filter.find('\0', at);
    if (descriptionEnd == std::string::npos) break;
    const size_t patternEnd = filter.find('\0', descriptionEnd + 1);
    const std::string description = filter.substr(at, descriptionEnd - at);
    const std::string patterns =
        filter.substr(descriptionEnd + 1, (patternEnd == std::string::npos ? filter.size() : patternEnd) -
                                              descriptionEnd - 1);
    if (description.empty()) break;
    GtkFileFilter* f = gtk_file_filter_new();
    gtk_file_filter_set_name(f, AnsiToUtf8(description).c_str());
    size_t start = 0;
    while (start <= patterns.size()) {
      size_t end = patterns.find(';', start);
      if (end == std::string::npos) end = patterns.size();
      const std::string pattern = patterns.substr(start, end - start);
      if (!pattern.empty()) gtk_file_filter_add_pattern(f, pattern.c_str());
      start = end + 1;
    }
    gtk_file_chooser_add_filter(chooser, f);
    filters->push_back(f);
    if (patternEnd == std::string::npos) break;
    at = patternEnd + 1;
  }
}

// Every event the display sends passes here on its way to GTK: the pointer may have moved, and the
// program is not idle.
uint64_t gDisplayEvents = 0;
int64_t gLastActivityMs = 0;

void OnAnyEvent(GdkEvent* event, gpointer) {
  ++gDisplayEvents;
  gLastActivityMs = NowMs();
  gtk_main_do_event(event);
}

gboolean OnDescriptorReady(gint, GIOCondition, gpointer ready) {
  reinterpret_cast<void (*)()>(ready)();
  return G_SOURCE_CONTINUE;
}

class GtkBackend : public WindowBackend {
 public:
  bool IsHeadless() const override { return false; }

  // Asked many times a heartbeat (every canvas asks where the pointer is): the display is read at most
  // once a millisecond, which no hand can outpace.
  void Poll() override {
    if (fPolling) return;
    const int64_t now = RealMs();
    if (!fMenusChanged && now == fLastPollMs) {
      FlushDamage();
      return;
    }
    fLastPollMs = now;
    fPolling = true;
    if (fMenusChanged) fMenusChanged = !RebuildMenuBars();
    FlushDamage();
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    fPolling = false;
  }

  // Blocks in GLib's loop, so that an event of the display or of a watched descriptor ends the wait
  // at once.
  void Wait(int64_t ms) override {
    if (fPolling || ms <= 0) return;
    FlushDamage();
    bool elapsed = false;
    const guint timer = g_timeout_add(guint(std::min<int64_t>(ms, INT32_MAX)), &Elapsed, &elapsed);
    fPolling = true;
    g_main_context_iteration(nullptr, TRUE);
    fPolling = false;
    if (!elapsed) g_source_remove(timer);
  }

  int64_t IdleWaitMs(int64_t ms) override {
    return QuietWaitMs(ms, NowMs() - gLastActivityMs);
  }

  bool WatchDescriptor(int fd, void (*ready)()) override {
    if (fd < 0 || !ready || fWatched.count(fd)) return false;
    fWatched[fd] = g_unix_fd_add(fd, G_IO_IN, &OnDescriptorReady, reinterpret_cast<gpointer>(ready));
    return true;
  }

  void UnwatchDescriptor(int fd) override {
    const auto watched = fWatched.find(fd);
    if (watched == fWatched.end()) return;
    g_source_remove(watched->second);
    fWatched.erase(watched);
  }

  void Flush() override { Poll(); }

  void MenusChanged() override { fMenusChanged = true; }

  void EditChanged(SWindow* w) override { ShowEditState(w); }

  bool EditInput(SWindow* w, uint32_t message, uintptr_t, bool* acted) override {
    return PassKeyToEntry(w, message, acted);
  }

  // A top-level window the program gives the focus takes the display's keyboard focus too: a window
  // that had it may be hiding, and without a window manager nobody else hands it on.
  void FocusChanged(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (!data) return;
    if (IsEditWindow(w) || IsItemWindow(w)) gtk_widget_grab_focus(data->area);
    else if (data->window && data->shown && gtk_widget_get_realized(data->window))
      gdk_window_focus(gtk_widget_get_window(data->window), GDK_CURRENT_TIME);
  }

  void Beep() override { gdk_display_beep(gdk_display_get_default()); }

  Surface* ScreenSurface() override {
    const int32_t width = Metric(kSmCxScreen), height = Metric(kSmCyScreen);
    if (fScreen.Width() != width || fScreen.Height() != height) fScreen.Resize(width, height);
    return &fScreen;
  }

  // The display's pixels, read from the root window once what the program drew has reached it.
  void RefreshScreen(const SWinRect& wanted) override {
    Surface& screen = *ScreenSurface();
    const SWinRect area{std::max(wanted.left, 0), std::max(wanted.top, 0), std::min(wanted.right, screen.Width()),
                        std::min(wanted.bottom, screen.Height())};
    if (area.IsEmpty()) return;
    Poll();
    GdkDisplay* display = gdk_display_get_default();
    gdk_display_sync(display);
    GdkPixbuf* pixbuf =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.left, area.top, area.Width(), area.Height());
    if (!pixbuf) return;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    for (int32_t y = 0; y < area.Height(); ++y) {
      const guchar* in = pixels + size_t(y) * size_t(stride);
      uint32_t* out = screen.Row(area.top + y) + area.left;
      for (int32_t x = 0; x < area.Width(); ++x, in += channels)
        out[x] = uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
    }
    g_object_unref(pixbuf);
  }

  uint32_t DoubleClickTime() override {
    gint ms = 400;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &ms, nullptr);
    return uint32_t(std::max(ms, 0));
  }

  // The server is asked only when the display has sent an event since the last answer or the
  // pointer was put somewhere: an idle program asks it nothing.
  SPoint CursorPos() override {
    if (fPointerKnown && fPointerEvents == gDisplayEvents) return fPointer;
    GdkDisplay* display = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gint x = 0, y = 0;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    fPointer = {x, y};
    fPointerKnown = true;
    fPointerEvents = gDisplayEvents;
    return fPointer;
  }

  SWinRect WorkArea() override {
    GdkRectangle area{0, 0, Metric(kSmCxScreen), Metric(kSmCyScreen)};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.x + area.width, area.y + area.height};
  }

  int32_t Metric(int32_t index) override {
    GdkRectangle area{0, 0, 1024, 768};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_geometry(monitor, &area);
    switch (index) {
      case kSmCxScreen: return area.width;
      case kSmCyScreen: return area.height;
      case kSmCyCaption: return 0;  // the window manager draws captions outside the window
      case kSmCyMenu: return kMenuBarHeight;
      // Dialogs are pop-ups whose frames the platform draws itself, as the headless back end does.
      case kSmCxBorder:
      case kSmCyBorder: return 1;
      case kSmCxDlgFrame:
      case kSmCyDlgFrame: return 3;
      default: return 0;
    }
  }

  void WindowCreated(SWindow* w) override {
    auto* data = new SGtkWindow;
    w->backendData = data;
    if (IsEditWindow(w) || IsItemWindow(w)) {
      if (IsEditWindow(w)) MakeEntry(w, data);
      else MakeItem(w, data);
      WindowChanged(w);
      return;
    }
    data->area = gtk_drawing_area_new();
    gtk_widget_add_events(data->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    g_signal_connect(data->area, "draw", G_CALLBACK(OnDraw), w);
    g_signal_connect(data->area, "button-press-event", G_CALLBACK(OnButton), w);
    g_signal_connect(data->area, "button-release-event", G_CALLBACK(OnButton), w);
    g_signal_connect(data->area, "motion-notify-event", G_CALLBACK(OnMotion), w);
    if (IsChildWindow(w)) {
      g_signal_connect(data->area, "map-event", G_CALLBACK(OnMap), w);
      gtk_widget_add_events(data->area, GDK_STRUCTURE_MASK);
    } else {
      MakeTopLevel(w, data);
    }
    WindowChanged(w);
  }

  void WindowDestroyed(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (!data) return;
    const bool popUp = data->popUp && data->shown;
    gtk_widget_destroy(OuterWidget(data));
    if (data->style) g_object_unref(data->style);
    delete data;
    w->backendData = nullptr;
    if (popUp) GrabForPopUps();
  }

  void WindowChanged(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (!data) return;
    if (data->window && data->title != w->title) {
      data->title = w->title;
      gtk_window_set_title(GTK_WINDOW(data->window), AnsiToUtf8(w->title).c_str());
    }
    const SWinRect& r = w->rect;
    const bool hasSize = r.Width() > 0 && r.Height() > 0;
    if (IsEditWindow(w)) OverlayAtPlace(w, data);
    else if (IsItemWindow(w)) PlaceItem(w, data);
    else if (IsChildWindow(w)) PlaceChild(w, data);
    else if (r.left != data->shownRect.left || r.top != data->shownRect.top)
      gtk_window_move(GTK_WINDOW(data->window), r.left, r.top);
    if ((r.Width() != data->shownRect.Width() || r.Height() != data->shownRect.Height()) && hasSize) {
      if (data->window) gtk_window_resize(GTK_WINDOW(data->window), r.Width(), r.Height());
      gtk_widget_set_size_request(data->area, r.Width(), r.Height());
    }
    data->shownRect = r;
    // GTK refuses windows of no size: such a window waits unmapped until it has one.
    const bool show = w->visible && !w->iconic && hasSize;
    if (show != data->shown) {
      data->shown = show;
      if (show) gtk_widget_show(OuterWidget(data));
      else gtk_widget_hide(OuterWidget(data));
      if (!show && data->popUp) GrabForPopUps();
    }
    if (w->iconic && data->window) gtk_window_iconify(GTK_WINDOW(data->window));
  }

  void SurfaceChanged(SWindow* w) override {
    if (SGtkWindow* data = Data(w)) AddDamage(data, {0, 0, w->surface.Width(), w->surface.Height()});
  }

  void AreaChanged(SWindow* w, const SWinRect& area) override {
    if (SGtkWindow* data = Data(w)) AddDamage(data, area);
  }

  void WindowRaised(SWindow* w) override {
    SGtkWindow* data = Data(w);
    GdkWindow* window = data ? gtk_widget_get_window(OuterWidget(data)) : nullptr;
    if (window && data->shown) gdk_window_raise(window);
  }

  void PointerWarped(SPoint point) override {
    fPointerKnown = false;
    GdkDisplay* display = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gdk_device_warp(pointer, gdk_display_get_default_screen(display), point.x, point.y);
    gdk_display_flush(display);
  }

  uint64_t NativeId(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (!data) return 0;
    GtkWidget* widget = OuterWidget(data);
    gtk_widget_realize(widget);
    GdkWindow* window = gtk_widget_get_window(widget);
    return window && GDK_IS_X11_WINDOW(window) ? uint64_t(gdk_x11_window_get_xid(window)) : 0;
  }

  void MenuBarChanged(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (!data || !data->menuBar) return;
    if (w->menuBarShown) gtk_widget_show(data->menuBar);
    else gtk_widget_hide(data->menuBar);
  }

  void ForegroundChanged(SWindow* w) override {
    SGtkWindow* data = Data(w);
    if (data && data->window && data->shown) gtk_window_present(GTK_WINDOW(data->window));
  }

  // Every program window shows the cursor; a hidden cursor is the "none" shape.
  // The program sets the arrow again at every heartbeat; the display hears only of a change.
  void CursorChanged(CursorHandle cursor, int32_t showCount) override {
    const bool hidden = showCount < 0;
    if (gCursor && cursor == fShownCursor && hidden == fCursorHidden) return;
    fShownCursor = cursor;
    fCursorHidden = hidden;
    if (gCursor) g_object_unref(gCursor);
    gCursor = showCount < 0 ? gdk_cursor_new_from_name(gdk_display_get_default(), "none") : MakeCursor(cursor);
    for (SWindow* w : AllWindows()) {
      if (SGtkWindow* data = Data(w)) ApplyCursor(gtk_widget_get_window(OuterWidget(data)));
    }
  }

  int32_t MessageBox(SWindow* owner, const std::string& text, const std::string& caption, uint32_t style) override {
    GtkMessageType type = GTK_MESSAGE_INFO;
    switch (style & 0xF0) {
      case 0x10: type = GTK_MESSAGE_ERROR; break;
      case 0x20: type = GTK_MESSAGE_QUESTION; break;
      case 0x30: type = GTK_MESSAGE_WARNING; break;
      default: break;
    }
    const uint32_t buttons = style & 0x0F;
    GtkButtonsType gtkButtons = buttons == 1   ? GTK_BUTTONS_OK_CANCEL
                                : buttons == 4 ? GTK_BUTTONS_YES_NO
                                : buttons == 3 ? GTK_BUTTONS_NONE
                                               : GTK_BUTTONS_OK;
    GtkWindow* parent = owner ? GtkWindowOf(owner) : nullptr;
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, type, gtkButtons, "%s", AnsiToUtf8(text).c_str());
    // Yes, No and Cancel ask whether to save before something is lost.
    if (buttons == 3)
      gtk_dialog_add_buttons(GTK_DIALOG(dialog), "Do_n't Save", GTK_RESPONSE_NO, "_Cancel", GTK_RESPONSE_CANCEL, "_Save",
                             GTK_RESPONSE_YES, nullptr);
    gtk_window_set_title(GTK_WINDOW(dialog), AnsiToUtf8(caption).c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    const bool question = buttons == 4 || buttons == 3;
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), question ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
    // The box takes the keyboard, also where no window manager gives it (the pointer may lie elsewhere).
    g_signal_connect(dialog, "map-event", G_CALLBACK(OnMapTakeFocus), nullptr);
    const gint response = RunDialog(dialog);
    gtk_widget_destroy(dialog);
    Poll();
    switch (response) {
      case GTK_RESPONSE_YES: return 6;
      case GTK_RESPONSE_NO: return 7;
      case GTK_RESPONSE_OK: return kIdOk;
      default: return buttons == 0 ? kIdOk : kIdCancel;
    }
  }

  bool FileDialog(bool save, SFileDialog* request, uint32_t* error) override {
    *error = 0;
    GtkWindow* parent = nullptr;
    if (SWindow* owner = FindLiveWindow(request->owner)) parent = GtkWindowOf(owner);
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        request->title.empty() ? nullptr : AnsiToUtf8(request->title).c_str(), parent,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
        save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    std::vector<GtkFileFilter*> filters;
    AddFilters(chooser, request->filter, &filters);
    if (request->filterIndex >= 1 && request->filterIndex <= filters.size())
      gtk_file_chooser_set_filter(chooser, filters[request->filterIndex - 1]);
    if (!request->initialFolder.empty()) gtk_file_chooser_set_current_folder(chooser, request->initialFolder.c_str());
    if (save) {
      gtk_file_chooser_set_do_overwrite_confirmation(chooser, (request->flags & kOfnOverwritePrompt) != 0);
      if (!request->file.empty()) gtk_file_chooser_set_current_name(chooser, request->file.c_str());
    } else if (!request->file.empty()) {
      gtk_file_chooser_set_filename(chooser, request->file.c_str());
    }
    const bool chosen = RunDialog(dialog) == GTK_RESPONSE_ACCEPT;
    if (chosen) {
      gchar* path = gtk_file_chooser_get_filename(chooser);
      request->file = path ? path : "";
      g_free(path);
      GtkFileFilter* picked = gtk_file_chooser_get_filter(chooser);
      for (size_t i = 0; i < filters.size(); ++i) {
        if (filters[i] == picked) request->filterIndex = uint32_t(i + 1);
      }
    }
    gtk_widget_destroy(dialog);
    Poll();
    return chosen && !request->file.empty();
  }

  // Only pictures reach the system clipboard: other programs take and give them as images.
  bool ClipboardEmpty() override {
    gtk_clipboard_clear(SystemClipboard());
    return true;
  }

  bool ClipboardHas(uint32_t format) override {
    return format == kCfDib && gtk_clipboard_wait_is_image_available(SystemClipboard());
  }

  bool ClipboardSet(uint32_t format, std::vector<uint8_t> bytes) override {
    SRgbPicture picture;
    if (format != kCfDib || !DibToRgb(bytes.data(), bytes.size(), &picture)) return false;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, picture.width, picture.height);
    if (!pixbuf) return false;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const size_t row = size_t(picture.width) * 3;
    for (int32_t y = 0; y < picture.height; ++y)
      std::memcpy(pixels + size_t(y) * size_t(stride), picture.rgb.data() + size_t(y) * row, row);
    gtk_clipboard_set_image(SystemClipboard(), pixbuf);
    g_object_unref(pixbuf);
    return true;
  }

  bool ClipboardGet(uint32_t format, std::vector<uint8_t>* bytes) override {
    if (format != kCfDib) return false;
    GdkPixbuf* pixbuf = gtk_clipboard_wait_for_image(SystemClipboard());
    if (!pixbuf) return false;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool usable = gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB &&
                        gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 && channels >= 3;
    SRgbPicture picture;
    if (usable) {
      picture.width = gdk_pixbuf_get_width(pixbuf);
      picture.height = gdk_pixbuf_get_height(pixbuf);
      picture.rgb.resize(size_t(picture.width) * size_t(picture.height) * 3);
      const int stride = gdk_pixbuf_get_rowstride(pixbuf);
      const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
      uint8_t* out = picture.rgb.data();
      for (int32_t y = 0; y < picture.height; ++y) {
        const guchar* in = pixels + size_t(y) * size_t(stride);
        for (int32_t x = 0; x < picture.width; ++x, in += channels, out += 3) std::memcpy(out, in, 3);
      }
    }
    g_object_unref(pixbuf);
    if (!usable) return false;
    *bytes = RgbToDib(picture);
    return true;
  }

  PrintBackend* Printing() override {
    if (!fPrinting) fPrinting.reset(NewGtkPrinting());
    return fPrinting.get();
  }

  bool ShowWithViewer(SWindow* parent, const std::string& path) override {
    GError* failure = nullptr;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, &failure);
    const bool shown =
        uri && gtk_show_uri_on_window(parent ? GtkWindowOf(parent) : nullptr, uri, GDK_CURRENT_TIME, &failure);
    g_free(uri);
    if (failure) g_error_free(failure);
    if (!shown) SetLastError(kWinNotSupported);
    return shown;
  }

 private:
  // Made the first time something prints.
  std::unique_ptr<PrintBackend> fPrinting;

  static GtkClipboard* SystemClipboard() { return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD); }

  // A tool window (a palette or dialog) is a utility window over its owner, kept out of the task bar,
  // sized only by the program, and framed by the window manager only when its style has a caption.
  // Other windows (the main window draws its own caption strip) have no frame.
  static void MakeTopLevel(SWindow* w, SGtkWindow* data) {
    // A dialog is a pop-up at its exact place, framed by the platform; one with a caption is a window
    // of the window manager's, titled and movable like any dialog of the desktop.
    const bool caption = (w->style & kWsCaption) == kWsCaption;
    const bool dialog = w->className == kDialogClass;
    data->popUp = dialog && !caption;
    data->window = gtk_window_new(data->popUp ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(data->window);
    if (dialog && caption) {
      gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
      gtk_window_set_resizable(window, FALSE);
      gtk_window_set_focus_visible(window, TRUE);
      if (GtkWindow* owner = w->parent ? GtkWindowOf(w->parent) : nullptr) gtk_window_set_transient_for(window, owner);
    }
    if (data->popUp) {
      gtk_widget_add_events(data->window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
      g_signal_connect(data->window, "button-press-event", G_CALLBACK(OnPopUpButton), w);
      g_signal_connect(data->window, "button-release-event", G_CALLBACK(OnPopUpButton), w);
    }
    const bool tool = (w->exStyle & kWsExToolWindow) != 0;
    gtk_window_set_decorated(window, (tool || dialog) && caption);
    if (tool) {
      gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
      gtk_window_set_skip_taskbar_hint(window, TRUE);
      gtk_window_set_skip_pager_hint(window, TRUE);
      gtk_window_set_resizable(window, FALSE);
      if (GtkWindow* owner = w->parent ? GtkWindowOf(w->parent) : nullptr) gtk_window_set_transient_for(window, owner);
    }
    data->overlay = gtk_overlay_new();
    data->menuBar = gtk_menu_bar_new();
    gtk_widget_set_size_request(data->menuBar, -1, kMenuBarHeight);
    gtk_widget_set_valign(data->menuBar, GTK_ALIGN_START);
    gtk_widget_set_no_show_all(data->menuBar, TRUE);
    // Over the window's own drawing the bar needs a background of its own: the theme's.
    static GtkCssProvider* barStyle = [] {
      GtkCssProvider* provider = gtk_css_provider_new();
      gtk_css_provider_load_from_data(provider, "menubar { background-color: @theme_bg_color; }", -1, nullptr);
      return provider;
    }();
    gtk_style_context_add_provider(gtk_widget_get_style_context(data->menuBar), GTK_STYLE_PROVIDER(barStyle),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    gtk_container_add(GTK_CONTAINER(data->overlay), data->area);
    gtk_overlay_add_overlay(GTK_OVERLAY(data->overlay), data->menuBar);
    gtk_container_add(GTK_CONTAINER(data->window), data->overlay);
    gtk_widget_show(data->overlay);
    gtk_widget_show(data->area);
    g_signal_connect(data->window, "key-press-event", G_CALLBACK(OnKey), w);
    g_signal_connect(data->window, "key-release-event", G_CALLBACK(OnKey), w);
    g_signal_connect(data->window, "focus-in-event", G_CALLBACK(OnFocus), w);
    g_signal_connect(data->window, "focus-out-event", G_CALLBACK(OnFocus), w);
    g_signal_connect(data->window, "delete-event", G_CALLBACK(OnDelete), w);
    g_signal_connect(data->window, "map-event", G_CALLBACK(OnMap), w);
    g_signal_connect(data->window, "configure-event", G_CALLBACK(OnConfigure), w);
    if (!data->popUp) AcceptDrops(data->window, w);
  }

  // A child window lies in its top-level ancestor's fixed layer, at its place in that window.
  static void PlaceChild(SWindow* w, SGtkWindow* data) {
    SWindow* top = TopLevelOf(w);
    SGtkWindow* topData = Data(top);
    if (!topData || !topData->overlay) return;
    if (!topData->fixed) {
      topData->fixed = gtk_fixed_new();
      gtk_overlay_add_overlay(GTK_OVERLAY(topData->overlay), topData->fixed);
      gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(topData->overlay), topData->fixed, TRUE);
      gtk_widget_show(topData->fixed);
    }
    const int x = w->rect.left - top->rect.left, y = w->rect.top - top->rect.top;
    if (!data->placed) gtk_fixed_put(GTK_FIXED(topData->fixed), data->area, x, y);
    else gtk_fixed_move(GTK_FIXED(topData->fixed), data->area, x, y);
    data->placed = true;
  }

  // Damage drawn since the last pump is shown before GTK runs; drawing is activity.
  static void FlushDamage() {
    if (!gAnyDamage) return;
    gAnyDamage = false;
    for (SWindow* w : AllWindows()) {
      SGtkWindow* data = Data(w);
      if (!data || data->damage.IsEmpty()) continue;
      const SWinRect& d = data->damage;
      gtk_widget_queue_draw_area(data->area, d.left, d.top, d.Width(), d.Height());
      data->damage = {};
      gLastActivityMs = NowMs();
    }
  }

  static gboolean Elapsed(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
  }

  GdkCursor* MakeCursor(CursorHandle handle) {
    GdkDisplay* display = gdk_display_get_default();
    const SCursor* cursor = CursorOf(handle);
    if (!cursor) return gdk_cursor_new_from_name(display, "default");
    if (const char* name = CursorShapeName(*cursor)) return gdk_cursor_new_from_name(display, name);
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, cursor->width, cursor->height);
    if (!pixbuf) return nullptr;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
    for (int32_t y = 0; y < cursor->height; ++y) {
      guchar* out = rows + size_t(y) * size_t(stride);
      for (int32_t x = 0; x < cursor->width; ++x, out += 4) {
        const uint32_t p = cursor->pixels[size_t(y) * size_t(cursor->width) + size_t(x)];
        out[0] = guchar(p >> 16), out[1] = guchar(p >> 8), out[2] = guchar(p), out[3] = guchar(p >> 24);
      }
    }
    GdkCursor* made = gdk_cursor_new_from_pixbuf(display, pixbuf, cursor->hotX, cursor->hotY);
    g_object_unref(pixbuf);
    return made;
  }

  bool fPolling = false;
  int64_t fLastPollMs = -1;
  CursorHandle fShownCursor = nullptr;
  bool fCursorHidden = false;
  bool fMenusChanged = false;
  Surface fScreen;
  SPoint fPointer;
  bool fPointerKnown = false;
  uint64_t fPointerEvents = 0;
  std::map<int, guint> fWatched;
};

void ApplyCursor(GdkWindow* window) {
  if (window && gCursor) gdk_window_set_cursor(window, gCursor);
}

}  // namespace

namespace {

WindowBackend* NewGtkBackend() {
  // Windows are placed at absolute screen positions, which only X11 lets a program do.
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  gdk_event_handler_set(&OnAnyEvent, nullptr, nullptr);
  if (GdkScreen* screen = gdk_screen_get_default()) {
    g_signal_connect(screen, "size-changed", G_CALLBACK(OnScreenChanged), nullptr);
    g_signal_connect(screen, "monitors-changed", G_CALLBACK(OnScreenChanged), nullptr);
  }
  return new GtkBackend;
}

}  // namespace

void EnableGtkBackend() {
  SetDisplayBackendFactory(&NewGtkBackend);
  EnableTextDrawing();
}

}  // namespace platform
