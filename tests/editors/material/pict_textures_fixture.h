// The picture textures dialog built headless from the build's picttextures.dat, with the delete
// preset stand-in of deletepreset.dat, over a document: a scene table, its picture textures listed as
// the document window lists them, a material for new objects and the document's undo history. Files
// are made at test time; the file dialogs, message boxes and clipboard are the headless back end's.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editors/material/layout_needs.h"
#include "editors/material/pict_textures.h"
#include "framework/core/holder.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/delete_preset.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "scene/base_spool_table.h"
#include "scene/factory.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "tests/panels/panels_fixture.h"

// The document as the dialog reaches it: the scene table, its pictures collected again whenever the
// scene's parts are (which marks the document changed), the document with its undo history, and a
// material for new objects.
class CPictureHost : public CTestHost {
 public:
  int32_t FindSceneParts(bool relink) override {
    ++changes;
    CTestHost::FindSceneParts(relink);
    return scene->CollectByTypeAndKind(CBaseTexture::kFamily, CPictTexture::kClassTag, pictures, false);
  }
  C3dBaseSpoolTable* GetPictureList() const override { return pictures; }
  C3dDocument* GetHostDocument() override { return document; }
  C3dMaterial* GetDefaultMaterial() const override { return material; }

  C3dBaseSpoolTable* pictures = nullptr;
  C3dDocument* document = nullptr;
  C3dMaterial* material = nullptr;
  uint32_t changes = 0;
};

class PictTexturesTest : public PanelsTest {
 protected:
  static constexpr SPointHV kDialogAt{100, 100};
  static constexpr const char* kDialog = "picttextures";
  static constexpr const char* kConfirm = "delete preset";

  uint32_t ObjectsBudget() const override { return 0x1000000; }

  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    pictures = std::make_unique<C3dBaseSpoolTable>(ObjectsEnv());
    pictureHost.scene = table;
    pictureHost.pictures = pictures.get();
    pictureHost.document = document.get();
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dMaterial>(ObjectsEnv(), key, spec);
    ASSERT_EQ(C3dMaterial::New(&pictureHost.material, table, key, spec), 0);
    SetCurrentDocumentHost(&pictureHost);
    confirm = std::make_unique<CDeletePreset>(owner, DataFile("deletepreset.dat"));
    dialog = std::make_unique<CPictTextures>(owner, DataFile("picttextures.dat"), confirm.get());
  }
  void TearDown() override {
    Settle();
    dialog.reset();
    confirm.reset();
    SetCurrentDocumentHost(nullptr);
    pictures.reset();
    PanelsTest::TearDown();
  }

  // Built and opened as the Object menu opens it.
  void Open() {
    ASSERT_EQ(dialog->BuildOnce(), 0);
    ASSERT_EQ(dialog->RefreshSlots(nullptr), 0);
    dialog->MoveTo(kDialogAt);
    dialog->Refresh(false);
    Settle();
  }

  // ---- pictures
  // A picture of the size whose pixels the function gives (0xAARRGGBB), as a new document texture.
  CPictTexture* AddPicture(const char* name, uint32_t width, uint32_t height,
                           const std::function<uint32_t(uint32_t, uint32_t)>& pixel) {
    std::unique_ptr<CImage> image = MakeImage(width, height, pixel);
    if (!image) return nullptr;
    EXPECT_EQ(dialog->BuildOnce(), 0);
    CPictTexture* texture = dialog->CreatePictTexture(image.get(), name);
    EXPECT_NE(texture, nullptr) << name;
    return texture;
  }
  CPictTexture* AddPicture(const char* name, uint32_t colour = 0xFF804020) {
    return AddPicture(name, 10, 8, [colour](uint32_t, uint32_t) { return colour; });
  }
  static std::unique_ptr<CImage> MakeImage(uint32_t width, uint32_t height,
                                           const std::function<uint32_t(uint32_t, uint32_t)>& pixel) {
    int32_t error = 0;
    std::unique_ptr<CImage> image(NewDataImage(width, height, &error));
    EXPECT_NE(image, nullptr) << error;
    if (!image) return nullptr;
    CImNavigator cells(image.get(), nullptr, true, false);
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) cells.Cells(y)[x].value = pixel(x, y);
    }
    return image;
  }
  // An image's pixels, row by row.
  static std::vector<uint32_t> Pixels(CImage* image) {
    std::vector<uint32_t> out;
    CImNavigator cells(image, nullptr, false, false);
    EXPECT_TRUE(cells.IsUsable());
    for (uint32_t y = 0; cells.IsUsable() && y < cells.GetRows(); ++y) {
      for (uint32_t x = 0; x < cells.GetColumns(); ++x) out.push_back(cells.Cells(y)[x].value);
    }
    return out;
  }
  static std::vector<uint32_t> Pixels(CPictTexture* texture) {
    CHolder held(texture, false, false);
    return Pixels(&texture->GetPicture());
  }
  static uint32_t Pixel(CImage* image, uint32_t x, uint32_t y) {
    CImNavigator cells(image, nullptr, false, false);
    return cells.IsUsable() ? cells.Cells(y)[x].value : 0xDEADBEEF;
  }
  static std::string NameOf(C3dBase* thing) {
    CHolder held(thing, false, false);
    return held.IsLocked() ? std::string(reinterpret_cast<const char*>(thing->GetData())) : std::string();
  }
  std::vector<CPictTexture*> DocumentPictures() {
    std::vector<CPictTexture*> out;
    CHolder rows(table, false, false);
    for (uint32_t i = 0; rows.IsLocked() && i < table->GetCount(); ++i) {
      if (auto* texture = dynamic_cast<CPictTexture*>((*table)[i].object)) out.push_back(texture);
    }
    return out;
  }

  // ---- the dialog
  CImage* Preview(uint32_t preview) { return dialog->GetPreviewImage(preview); }
  CElement* Slot(uint32_t index) { return dialog->GetSlot(index); }
  CImage* SlotPicture(uint32_t index) { return static_cast<CImElement*>(Slot(index))->GetImage(); }
  // The slot's picture as it is drawn now.
  CImage* DrawnSlot(uint32_t index) {
    CPictTextures::DrawSlot(Slot(index), static_cast<CImElement*>(Slot(index))->GetImageLayer(), nullptr);
    return SlotPicture(index);
  }
  void PressSlot(uint32_t index) {
    CElement* slot = Slot(index);
    const SPointHV at = OnScreen(slot, {5, 5});
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 20\nup left\nwait 20\n");
  }
  int32_t Send(const char* element, const char* canvas = kDialog, uint32_t kind = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    return dialog->HandleEvent(&message);
  }
  // The command, its confirmation answered with a click on "delete" (or "cancel") when it asked one;
  // the name it asked with kept in `asked`, the queued answer delivered.
  int32_t Confirmed(const char* element, bool confirmed = true) {
    const int32_t result = Send(element);
    asked = confirm->GetConfirmationName();
    if (confirm->IsShown()) {
      CElement* button = Find(*confirm, confirmed ? "delete" : "cancel");
      const SPointHV at = OnScreen(button, {20, 10});
      Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 40\nup left\nwait 20\n");
    }
    while (owner->GetQueueCount()) owner->DispatchQueued();
    return result;
  }
  uint32_t Beeps() const { return platform::BeepCount(); }

  // ---- files
  // A picture made by ImageMagick's convert: its arguments, the output's name and the format written
  // before it ("BMP3:"); the output's path.
  std::string Convert(const std::string& arguments, const std::string& output, const std::string& format = "") {
    const std::string path = folder + "/" + output;
    EXPECT_EQ(std::system(("convert " + arguments + " " + format + "'" + path + "' 2>/dev/null").c_str()), 0) << arguments;
    return path;
  }
  // The pixels as convert gives them, RGB bytes, as 0x00RRGGBB: of the first image, since a
  // Photoshop file also holds its layer.
  std::vector<uint32_t> ConvertedPixels(const std::string& path) {
    const std::string raw = folder + "/pixels.rgb";
    EXPECT_EQ(std::system(("convert '" + path + "[0]' -depth 8 rgb:'" + raw + "'").c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
      out.push_back(uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]));
    return out;
  }
  // The colours of pixels, without their top bytes.
  static std::vector<uint32_t> Colours(const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> out;
    for (uint32_t p : pixels) out.push_back(p & 0xFFFFFF);
    return out;
  }
  static std::vector<uint32_t> Alphas(const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> out;
    for (uint32_t p : pixels) out.push_back(p >> 24);
    return out;
  }

  std::unique_ptr<C3dBaseSpoolTable> pictures;
  CPictureHost pictureHost;
  std::unique_ptr<CDeletePreset> confirm;
  std::string asked;
  std::unique_ptr<CPictTextures> dialog;
};
