// Text through Pango, in the platform_text library: the characters are rendered as coverage into an alpha mask and blended in the
// text colour into the target surface, pixel by pixel inside the context's clip, so that the result is
// the same on every back end and the surface keeps its 0x00RRGGBB pixels.
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

#include "platform/ansi_text.h"
#include "platform/dc_internal.h"
#include "platform/gdi.h"
#include "platform/text_drawing.h"

namespace platform {
namespace {

PangoContext* Context() {
  static PangoContext* context = [] {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* made = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(made, options);
    cairo_font_options_destroy(options);
    return made;
  }();
  return context;
}

const SGdiObject& FontOf(const DeviceContext* dc) {
  return dc->font ? *dc->font : *GetStockObject(kSystemFont);
}

class CFontDescription {
 public:
  explicit CFontDescription(const SGdiObject& font) : fDescription(pango_font_description_new()) {
    pango_font_description_set_family(fDescription, font.face.c_str());
    pango_font_description_set_absolute_size(fDescription, double(std::max(font.pixelHeight, 1)) * PANGO_SCALE);
    pango_font_description_set_weight(fDescription, PangoWeight(std::clamp(font.weight, 100, 1000)));
    pango_font_description_set_style(fDescription, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  }
  ~CFontDescription() { pango_font_description_free(fDescription); }
  CFontDescription(const CFontDescription&) = delete;
  CFontDescription& operator=(const CFontDescription&) = delete;
  const PangoFontDescription* Get() const { return fDescription; }

 private:
  PangoFontDescription* fDescription;
};

// A layout of the text in the context's font; width > 0 wraps it at word ends.
class CLayout {
 public:
  CLayout(const DeviceContext* dc, const std::string& ansi, int32_t width, PangoAlignment alignment)
      : fLayout(pango_layout_new(Context())) {
    const SGdiObject& font = FontOf(dc);
    CFontDescription description(font);
    pango_layout_set_font_description(fLayout, description.Get());
    const std::string utf8 = AnsiToUtf8(ansi);
    pango_layout_set_text(fLayout, utf8.c_str(), int(utf8.size()));
    if (font.underline || font.strikeOut) {
      PangoAttrList* attributes = pango_attr_list_new();
      if (font.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
      if (font.strikeOut) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
      pango_layout_set_attributes(fLayout, attributes);
      pango_attr_list_unref(attributes);
    }
    if (width > 0) {
      pango_layout_set_width(fLayout, width * PANGO_SCALE);
      pango_layout_set_wrap(fLayout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(fLayout, alignment);
  }
  ~CLayout() { g_object_unref(fLayout); }
  CLayout(const CLayout&) = delete;
  CLayout& operator=(const CLayout&) = delete;

  PangoLayout* Get() const { return fLayout; }
  SSize Size() const {
    int w = 0, h = 0;
    pango_layout_get_pixel_size(fLayout, &w, &h);
    return {w, h};
  }
  int32_t Baseline() const { return PANGO_PIXELS(pango_layout_get_baseline(fLayout)); }

 private:
  PangoLayout* fLayout;
};

STextMetrics MetricsOf(const DeviceContext* dc) {
  const SGdiObject& font = FontOf(dc);
  CFontDescription description(font);
  PangoFontMetrics* m = pango_context_get_metrics(Context(), description.Get(), nullptr);
  STextMetrics metrics;
  metrics.ascent = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(m));
  metrics.descent = PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(m));
  metrics.height = metrics.ascent + metrics.descent;
  metrics.internalLeading = std::max(0, metrics.height - font.pixelHeight);
  metrics.aveCharWidth = std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(m)));
  metrics.maxCharWidth = std::max(metrics.aveCharWidth, PANGO_PIXELS(pango_font_metrics_get_approximate_digit_width(m)) * 2);
  pango_font_metrics_unref(m);
  return metrics;
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
}

// Renders the layout with its top left at (x, y) (surface coordinates) into the area, in the colour.
void Render(const STarget& target, const CLayout& layout, int32_t x, int32_t y, const SWinRect& area, uint32_t color) {
  const SWinRect r = Intersection(area, target.clip);
  if (r.IsEmpty()) return;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, r.Width(), r.Height());
  cairo_t* cr = cairo_create(mask);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  cairo_move_to(cr, x - r.left, y - r.top);
  pango_cairo_show_layout(cr, layout.Get());
  cairo_destroy(cr);
  cairo_surface_flush(mask);
  const unsigned char* coverage = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  for (const SWinRect& clip : target.clipSet.Rects()) {
    const SWinRect c = Intersection(r, clip);
    for (int32_t py = c.top; py < c.bottom; ++py) {
      uint32_t* row = target.surface->Row(py);
      const unsigned char* in = coverage + size_t(py - r.top) * size_t(stride);
      for (int32_t px = c.left; px < c.right; ++px) {
        const uint32_t alpha = in[px - r.left];
        if (alpha) row[px] = Blend(row[px], color, alpha);
      }
    }
  }
  cairo_surface_destroy(mask);
  Changed(target, r);
}

void FillBackground(const STarget& target, const SWinRect& area, uint32_t color) {
  for (const SWinRect& clip : target.clipSet.Rects()) {
    const SWinRect c = Intersection(area, clip);
    target.surface->Fill(c.left, c.top, c.right, c.bottom, color);
  }
}

// The text as DrawText shows it: an ampersand marks the next character (two make one).
std::string WithoutPrefixes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    else if (text[i] == '&') continue;
    out += text[i];
  }
  return out;
}

std::string TextOf(const char* text, int32_t count) {
  if (!text) return {};
  return count < 0 ? std::string(text) : std::string(text, std::find(text, text + count, '\0'));
}

bool PangoDrawTextAt(DeviceContext* dc, int32_t x, int32_t y, const char* text, uint32_t count, const SWinRect* clip) {
  STarget target;
  if (!Resolve(dc, &target)) return false;
  CLayout layout(dc, std::string(text, std::find(text, text + count, '\0')), 0, PANGO_ALIGN_LEFT);
  const STextMetrics metrics = MetricsOf(dc);
  const SSize size = layout.Size();
  const int32_t top = (dc->textAlign & kTaBaseline) == kTaBaseline ? y - metrics.ascent : y;
  SWinRect cell = ToSurface(target, {x, top, x + size.cx, top + metrics.height});
  SWinRect area = ToSurface(target, {x - metrics.height, top - metrics.height, x + size.cx + metrics.height,
                                     top + 2 * metrics.height});
  if (clip) {
    const SWinRect limit = ToSurface(target, *clip);
    cell = Intersection(cell, limit);
    area = Intersection(area, limit);
  }
  if (dc->bkMode == kOpaque) FillBackground(target, cell, dc->bkColor);
  const int32_t sx = x + target.originX, sy = top + target.originY + metrics.ascent - layout.Baseline();
  Render(target, layout, sx, sy, area, dc->textColor);
  Changed(target, cell);
  return true;
}

bool PangoTextMetrics(DeviceContext* dc, STextMetrics* metrics) {
  if (!dc || !metrics) return false;
  *metrics = MetricsOf(dc);
  return true;
}

bool PangoTextExtent(DeviceContext* dc, const char* text, int32_t count, SSize* size) {
  if (!dc || !size || (!text && count > 0)) return false;
  CLayout layout(dc, TextOf(text, std::max(count, 0)), 0, PANGO_ALIGN_LEFT);
  *size = {layout.Size().cx, MetricsOf(dc).height};
  return true;
}

int32_t PangoDrawText(DeviceContext* dc, const char* text, int32_t count, SWinRect* rect, uint32_t format) {
  STarget target;
  if (!rect || !Resolve(dc, &target)) return 0;
  std::string shown = TextOf(text, count);
  if (!(format & kDtNoPrefix)) shown = WithoutPrefixes(shown);
  const bool single = format & kDtSingleLine;
  if (single) std::replace_if(shown.begin(), shown.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  const PangoAlignment alignment = (format & kDtRight)    ? PANGO_ALIGN_RIGHT
                                   : (format & kDtCenter) ? PANGO_ALIGN_CENTER
                                                          : PANGO_ALIGN_LEFT;
  const int32_t wrap = !single && (format & kDtWordBreak) ? std::max(rect->Width(), 1) : 0;
  CLayout layout(dc, shown, wrap, alignment);
  const STextMetrics metrics = MetricsOf(dc);
  SSize size = layout.Size();
  if (single || shown.empty()) size.cy = metrics.height;
  if (format & kDtCalcRect) {
    rect->right = rect->left + (wrap ? std::min(size.cx, rect->Width()) : size.cx);
    rect->bottom = rect->top + size.cy;
    return size.cy;
  }
  int32_t x = rect->left, y = rect->top;
  if (!wrap) {
    if (format & kDtRight) x = rect->right - size.cx;
    else if (format & kDtCenter) x = rect->left + (rect->Width() - size.cx) / 2;
  }
  if (single && (format & kDtVCenter)) y = rect->top + (rect->Height() - size.cy) / 2;
  else if (single && (format & kDtBottom)) y = rect->bottom - size.cy;
  const SWinRect inside = (format & kDtNoClip) ? SWinRect{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2}
                                                : *rect;
  const SWinRect area = ToSurface(target, Intersection(inside, {x - metrics.height, y - metrics.height,
                                                                x + std::max(size.cx, rect->Width()) + metrics.height,
                                                                y + size.cy + metrics.height}));
  const int32_t left = wrap ? rect->left : x;
  const SWinRect cell = Intersection(ToSurface(target, inside), ToSurface(target, {left, y, left + (wrap ? rect->Width() : size.cx), y + size.cy}));
  if (dc->bkMode == kOpaque) FillBackground(target, cell, dc->bkColor);
  const int32_t sy = y + target.originY + (single ? metrics.ascent - layout.Baseline() : 0);
  Render(target, layout, left + target.originX, sy, area, dc->textColor);
  Changed(target, cell);
  return size.cy;
}

const STextDrawing kPangoText{&PangoDrawTextAt, &PangoTextMetrics, &PangoTextExtent, &PangoDrawText};

}  // namespace

void EnableTextDrawing() { SetTextDrawing(&kPangoText); }

}  // namespace platform

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig, Pango and Cairo keep process-lifetime caches that they never free; every program that
// draws text would otherwise end with a leak report about them.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpango-1.0.so\nleak:libpangoft2-1.0.so\nleak:libpangocairo-1.0.so\n"
         "leak:libcairo.so\nleak:libharfbuzz.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
