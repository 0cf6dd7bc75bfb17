// Dialog templates in the system's own layout, built in memory for DialogBoxIndirectParam and
// CreateDialogIndirectParam (platform/dialog.h). Texts are Windows-1252 here and UTF-16 in the
// template, as the system keeps them; places and sizes are in dialog units when a font is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class DialogTemplate {
 public:
  // pointSize 0 leaves the font out (and kDsSetFont with it): places and sizes are pixels then.
  DialogTemplate(uint32_t style, int16_t x, int16_t y, int16_t width, int16_t height, const std::string& title,
                 uint16_t pointSize = 0, const std::string& face = {});
  // An item of a system class (kItemButton, kItemEdit, kItemStatic); kWsChild and kWsVisible are added.
  void AddItem(uint32_t style, int16_t x, int16_t y, int16_t width, int16_t height, uint16_t id, uint16_t itemClass,
               const std::string& text);
  const void* Data() const { return fBytes.data(); }

 private:
  void Word(uint16_t value);
  void Long(uint32_t value);
  void Text(const std::string& ansi);
  void Align();

  std::vector<uint8_t> fBytes;
  uint16_t fItems = 0;
};

// A template as read back: places and sizes already in pixels.
struct STemplateItem {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t id = 0;
  std::string className;
  std::string text;
};
struct STemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  std::string title;
  uint16_t pointSize = 0;
  std::string face;
  std::vector<STemplateItem> items;
};
bool ReadDialogTemplate(const void* bytes, STemplate* dialog);

}  // namespace platform
