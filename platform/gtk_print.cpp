// Printing on GTK: the desktop's print dialog chooses the printer, its settings and page set-up; a
// GtkPrintJob prints the document, each page drawn onto the job's cairo surface from the page's
// pixels, scaled from the printer's resolution to points with the nearest pixels.
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <gtk/gtkunixprint.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ansi_text.h"
#include "platform/errors.h"
#include "platform/gtk_internal.h"
#include "platform/print_backend.h"

namespace platform {
namespace {

constexpr gint kDefaultDpi = 300;
// Sending a job hands it to the print system; one that never answers is given up after this long.
constexpr guint kSendTimeoutMs = 120000;

struct SGtkPrinter {
  GtkPrinter* printer = nullptr;
  GtkPrintSettings* settings = nullptr;
  GtkPageSetup* setup = nullptr;
  GtkPrintJob* job = nullptr;
  cairo_t* cr = nullptr;
};

// Shared by the wait and the job's answer, which may come after the wait gave up.
struct SSending {
  bool done = false;
  bool sent = false;
  bool timedOut = false;
  int refs = 2;
};

void ReleaseSending(gpointer user) {
  auto* sending = static_cast<SSending*>(user);
  if (--sending->refs == 0) delete sending;
}

SGtkPrinter* PrinterOf(SPrintJob* job) { return static_cast<SGtkPrinter*>(job->backendData); }

gboolean OnMapTakeFocus(GtkWidget* widget, GdkEvent*, gpointer) {
  gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  return FALSE;
}

void OnSent(GtkPrintJob*, gpointer user, const GError* error) {
  auto* sending = static_cast<SSending*>(user);
  sending->sent = error == nullptr;
  sending->done = true;
}

gboolean OnSendTimeout(gpointer user) {
  auto* sending = static_cast<SSending*>(user);
  sending->done = sending->timedOut = true;
  return G_SOURCE_REMOVE;
}

void DropJob(SGtkPrinter* p) {
  if (p->cr) cairo_destroy(p->cr);
  p->cr = nullptr;
  if (p->job) g_object_unref(p->job);
  p->job = nullptr;
}

class GtkPrinting : public PrintBackend {
 public:
  bool Dialog(WindowHandle owner, uint32_t* copies, SPrintJob* job, uint32_t* error) override {
    *error = 0;
    GtkWindow* parent = nullptr;
    if (SWindow* w = FindLiveWindow(owner)) parent = GtkWindowOf(w);
    GtkWidget* dialog = gtk_print_unix_dialog_new("Print", parent);
    GtkPrintUnixDialog* chooser = GTK_PRINT_UNIX_DIALOG(dialog);
    GtkPrintSettings* preset = gtk_print_settings_new();
    gtk_print_settings_set_n_copies(preset, gint(std::min<uint32_t>(*copies, 999)));
    gtk_print_unix_dialog_set_settings(chooser, preset);
    g_object_unref(preset);
    // The program prints each copy as a page of its own, so the dialog offers copies whatever the printer.
    gtk_print_unix_dialog_set_manual_capabilities(
        chooser, GtkPrintCapabilities(GTK_PRINT_CAPABILITY_COPIES | GTK_PRINT_CAPABILITY_GENERATE_PDF |
                                   GTK_PRINT_CAPABILITY_GENERATE_PS));
    gtk_print_unix_dialog_set_embed_page_setup(chooser, TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    g_signal_connect(dialog, "map-event", G_CALLBACK(OnMapTakeFocus), nullptr);
    const gint response = RunDialog(dialog);
    auto* p = new SGtkPrinter;
    if (response == GTK_RESPONSE_OK) {
      if (GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(chooser)) p->printer = GTK_PRINTER(g_object_ref(printer));
      p->settings = gtk_print_unix_dialog_get_settings(chooser);
      p->setup = gtk_page_setup_copy(gtk_print_unix_dialog_get_page_setup(chooser));
    }
    gtk_widget_destroy(dialog);
    Backend().Flush();
    job->backendData = p;
    if (response != GTK_RESPONSE_OK || !p->printer || !p->settings || !p->setup) {
      Release(job);
      if (response == GTK_RESPONSE_OK) *error = kWinGenFailure;
      return false;
    }
    *copies = uint32_t(std::max(gtk_print_settings_get_n_copies(p->settings), 1));
    // The copies are pages of the document: the printer prints it once.
    gtk_print_settings_set_n_copies(p->settings, 1);
    job->dpiX = gtk_print_settings_get_resolution_x(p->settings);
    job->dpiY = gtk_print_settings_get_resolution_y(p->settings);
    if (job->dpiX <= 0) job->dpiX = kDefaultDpi;
    if (job->dpiY <= 0) job->dpiY = kDefaultDpi;
    job->pageWidth = int32_t(std::lround(gtk_page_setup_get_page_width(p->setup, GTK_UNIT_INCH) * job->dpiX));
    job->pageHeight = int32_t(std::lround(gtk_page_setup_get_page_height(p->setup, GTK_UNIT_INCH) * job->dpiY));
    return true;
  }

  bool StartDocument(SPrintJob* job) override {
    SGtkPrinter* p = PrinterOf(job);
    p->job = gtk_print_job_new(AnsiToUtf8(job->name).c_str(), p->printer, p->settings, p->setup);
    GError* error = nullptr;
    cairo_surface_t* surface = gtk_print_job_get_surface(p->job, &error);
    if (!surface) {
      if (error) g_error_free(error);
      DropJob(p);
      return false;
    }
    p->cr = cairo_create(surface);
    if (cairo_status(p->cr) == CAIRO_STATUS_SUCCESS) return true;
    DropJob(p);
    return false;
  }

  // Each page takes the paper's size as the page set-up turns it.
  bool StartPage(SPrintJob* job) override {
    SGtkPrinter* p = PrinterOf(job);
    if (!p->cr) return false;
    cairo_surface_t* surface = cairo_get_target(p->cr);
    const double width = gtk_page_setup_get_paper_width(p->setup, GTK_UNIT_POINTS);
    const double height = gtk_page_setup_get_paper_height(p->setup, GTK_UNIT_POINTS);
    if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_PDF) cairo_pdf_surface_set_size(surface, width, height);
    else if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_PS) cairo_ps_surface_set_size(surface, width, height);
    return cairo_status(p->cr) == CAIRO_STATUS_SUCCESS;
  }

  // The page's pixels at the printable area's corner, a printer pixel to 72 / dpi points.
  bool EndPage(SPrintJob* job) override {
    SGtkPrinter* p = PrinterOf(job);
    Surface& page = job->page;
    if (!p->cr || page.Width() <= 0 || page.Height() <= 0) return false;
    // The surface is only read: cairo's type wants a writable pointer.
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(std::as_const(page).Row(0)));
    cairo_surface_t* image =
        cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, page.Width(), page.Height(), page.Width() * 4);
    cairo_save(p->cr);
    cairo_translate(p->cr, gtk_page_setup_get_left_margin(p->setup, GTK_UNIT_POINTS),
                    gtk_page_setup_get_top_margin(p->setup, GTK_UNIT_POINTS));
    cairo_scale(p->cr, 72.0 / job->dpiX, 72.0 / job->dpiY);
    cairo_set_source_surface(p->cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(p->cr), CAIRO_FILTER_NEAREST);
    cairo_paint(p->cr);
    cairo_restore(p->cr);
    cairo_surface_destroy(image);
    cairo_show_page(p->cr);
    return cairo_status(p->cr) == CAIRO_STATUS_SUCCESS;
  }

  // The finished document goes to the print system, which answers once it has taken it.
  bool EndDocument(SPrintJob* job) override {
    SGtkPrinter* p = PrinterOf(job);
    if (!p->cr) return false;
    cairo_surface_finish(cairo_get_target(p->cr));
    const bool written = cairo_status(p->cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(p->cr);
    p->cr = nullptr;
    bool sent = false;
    if (written) {
      auto* sending = new SSending;
      gtk_print_job_send(p->job, &OnSent, sending, &ReleaseSending);
      const guint timeout = g_timeout_add(kSendTimeoutMs, &OnSendTimeout, sending);
      while (!sending->done) g_main_context_iteration(nullptr, TRUE);
      if (!sending->timedOut) g_source_remove(timeout);
      sent = sending->sent;
      ReleaseSending(sending);
    }
    DropJob(p);
    return sent;
  }

  void AbortDocument(SPrintJob* job) override { DropJob(PrinterOf(job)); }

  void Release(SPrintJob* job) override {
    SGtkPrinter* p = PrinterOf(job);
    if (!p) return;
    DropJob(p);
    if (p->printer) g_object_unref(p->printer);
    if (p->settings) g_object_unref(p->settings);
    if (p->setup) g_object_unref(p->setup);
    delete p;
    job->backendData = nullptr;
  }
};

}  // namespace

PrintBackend* NewGtkPrinting() { return new GtkPrinting; }

}  // namespace platform
