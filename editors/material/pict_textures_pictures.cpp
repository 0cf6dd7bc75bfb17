// The picture textures dialog's work on the current texture's picture: the three previews, pictures
// and alphas from files and the clipboard, the fills and the inverted alpha, copies to the clipboard,
// and new textures.
//
// The work image is the current picture, colours and alpha a in its top bytes; the alpha preview
// shows the grey 255 - a, and an alpha picture that is loaded or pasted gives a = 255 - its grey, so
// that the preview shows the loaded picture itself.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "document/file_names.h"
#include "editing/document_host.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/char_set.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/mem_block.h"
#include "framework/core/result_codes.h"
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "framework/ui/ask_image_file.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/ansi_text.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/surface/pict_texture.h"

namespace {

using namespace need;

constexpr uint32_t kColourBits = 0x00FFFFFF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreyStep = 0x010101;
// Scaled into the previews with filtering; the slots take the nearest pixels.
constexpr int32_t kFiltered = 1;
constexpr int32_t kNearest = 0;
constexpr const char* kPastedName = "image%ld";

uint32_t AlphaOf(uint32_t pixel) { return pixel >> 24; }
uint32_t RedOf(uint32_t pixel) { return (pixel >> 16) & 0xFF; }

// Calls change(a, b) for each pixel of the area both images share from their top left corners; the
// first is written. False when either cannot be locked.
template <typename Change>
bool EachPixelPair(CImage* first, CImage* second, Change change) {
  if (!first || !second) return false;
  CImNavigator a(first, nullptr, true, false);
  CImNavigator b(second, nullptr, false, false);
  if (!a.IsUsable() || !b.IsUsable()) return false;
  const uint32_t rows = std::min(a.GetRows(), b.GetRows()), columns = std::min(a.GetColumns(), b.GetColumns());
  for (uint32_t y = 0; y < rows; ++y) {
    CImVector* p = a.Cells(y);
    const CImVector* q = b.Cells(y);
    for (uint32_t x = 0; x < columns; ++x) p[x].value = change(p[x].value, q[x].value);
  }
  return true;
}

// Every pixel of the image becomes change(pixel).
template <typename Change>
bool EachPixel(CImage* image, Change change) {
  CImNavigator pixels(image, nullptr, true, false);
  if (!pixels.IsUsable()) return false;
  for (uint32_t y = 0; y < pixels.GetRows(); ++y) {
    CImVector* row = pixels.Cells(y);
    for (uint32_t x = 0; x < pixels.GetColumns(); ++x) row[x].value = change(row[x].value);
  }
  return true;
}

// An alpha picture: the image's grey in its colours, a = 255 - grey in its top bytes.
uint32_t AlphaPixelOfGrey(uint32_t grey) { return (255 - RedOf(grey)) << 24 | (grey & kColourBits); }
// How an alpha shows: the grey 255 - a, a kept.
uint32_t GreyOfAlpha(uint32_t pixel) { return (pixel & ~kColourBits) | (255 - AlphaOf(pixel)) * kGreyStep; }

std::unique_ptr<CImage> NewImage(uint32_t width, uint32_t height) {
  int32_t error = 0;
  return std::unique_ptr<CImage>(NewDataImage(width, height, &error));
}

bool HasPixels(CImage* image) { return image && image->GetWidth() && image->GetHeight(); }

// The image at the size given, made an alpha picture.
std::unique_ptr<CImage> AlphaPicture(CImage* image, uint32_t width, uint32_t height) {
  std::unique_ptr<CImage> alpha = NewImage(width, height);
  if (!alpha || !alpha->ScaleFrom(image, kFiltered) || !alpha->ToGrey() || !EachPixel(alpha.get(), &AlphaPixelOfGrey))
    return nullptr;
  return alpha;
}

// The image's size and bytes into the picture.
bool CopyResized(CImage& picture, CImage* image) {
  return picture.Allocate(image->GetWidth(), image->GetHeight(), 0, false, false) && picture.CopyFrom(image);
}

// Runs change on the texture's picture under the texture's lock.
template <typename Change>
bool ChangePicture(CPictTexture* texture, Change change) {
  CHolder held(texture, true, false);
  return held.IsLocked() && change(texture->GetPicture());
}

}  // namespace

// ---- the previews

int32_t CPictTextures::ShowPicture(CImage* image) {
  if (!HasPixels(image)) return ClearPreviews();
  CImage* picture = GetPreviewImage(kPictPreview);
  CImage* alpha = GetPreviewImage(kAlphaPreview);
  if (!picture || !alpha || !picture->ScaleFrom(image, kFiltered)) return kErrOutOfMemory;
  if (!EachPixelPair(alpha, picture, [](uint32_t own, uint32_t p) { return (own & ~kColourBits) | (GreyOfAlpha(p) & kColourBits); }))
    return kErrOutOfMemory;
  if (!CopyResized(*fWork, image)) return kErrOutOfMemory;
  CPictTexture* texture = GetCurrentTexture();
  if (texture && image != &texture->GetPicture()) {
    if (!ChangePicture(texture, [this](C3dCImage& own) { return CopyResized(own, fWork.get()); }))
      return kErrOutOfMemory;
    NoteChanged();
  }
  for (uint32_t p : {kPictPreview, kAlphaPreview}) GetPreview(p)->Redraw();
  RebuildComposite();
  return kNoErr;
}

void CPictTextures::RebuildComposite() {
  CImage* picture = GetPreviewImage(kPictPreview);
  CImage* alpha = GetPreviewImage(kAlphaPreview);
  CImage* total = GetPreviewImage(kTotalPreview);
  if (!picture || !alpha || !total) return;
  {
    CImNavigator out(total, nullptr, true, false);
    CImNavigator tile(fChecker.get(), nullptr, false, false);
    if (!out.IsUsable() || !tile.IsUsable()) return;
    for (uint32_t y = 0; y < out.GetRows(); ++y) {
      const CImVector* from = tile.Cells(y % kCheckerSide);
      CImVector* row = out.Cells(y);
      for (uint32_t x = 0; x < out.GetColumns(); ++x) row[x] = from[x % kCheckerSide];
    }
  }
  EachPixelPair(picture, alpha, [](uint32_t p, uint32_t a) { return (p & kColourBits) | (255 - RedOf(a)) << 24; });
  total->CompositeFrom(picture);
  GetPreview(kTotalPreview)->Redraw();
}

void CPictTextures::NoteChanged() {
  if (fCurrent) fCurrent->Redraw();
  if (CDocumentHost* host = GetCurrentDocumentHost()) host->FindSceneParts(false);
}

// ---- alphas and colours

int32_t CPictTextures::SetAlphaFrom(CImage* image) {
  CPictTexture* texture = GetCurrentTexture();
  std::unique_ptr<CImage> alpha = AlphaPicture(image, fWork->GetWidth(), fWork->GetHeight());
  if (!texture || !alpha || !fWork->CopyAlphaFrom(alpha.get())) return kErrOutOfMemory;
  CImage* preview = GetPreviewImage(kAlphaPreview);
  if (!preview || !preview->ScaleFrom(alpha.get(), kFiltered)) return kErrOutOfMemory;
  if (!ChangePicture(texture, [&alpha](C3dCImage& own) { return own.CopyAlphaFrom(alpha.get()); }))
    return kErrOutOfMemory;
  NoteChanged();
  GetPreview(kAlphaPreview)->Redraw();
  RebuildComposite();
  return kNoErr;
}

// The texture takes the image's size; its alpha is resampled to it.
int32_t CPictTextures::SetColoursFrom(CImage* image) {
  CPictTexture* texture = GetCurrentTexture();
  if (!texture || !HasPixels(image)) return kErrOutOfMemory;
  bool made = false;
  {
    CHolder held(texture, true, false);
    C3dCImage& own = texture->GetPicture();
    made = held.IsLocked() && fWork->Allocate(image->GetWidth(), image->GetHeight(), 0, false, false) &&
           (!HasPixels(&own) || fWork->ScaleFrom(&own, kNearest)) && fWork->CopyColorFrom(image) &&
           CopyResized(own, fWork.get());
  }
  CImage* preview = GetPreviewImage(kPictPreview);
  if (!made || !preview || !preview->ScaleFrom(fWork.get(), kFiltered)) return kErrOutOfMemory;
  NoteChanged();
  GetPreview(kPictPreview)->Redraw();
  RebuildComposite();
  return kNoErr;
}

// ---- fills

int32_t CPictTextures::FillPicture(bool white) {
  CPictTexture* texture = GetCurrentTexture();
  if (!texture) {
    Beep();
    return kHandled;
  }
  const uint32_t colour = white ? kWhite : 0;
  CImage* preview = GetPreviewImage(kPictPreview);
  fWork->SetColorKeepAlpha(colour);
  if (preview) preview->SetColorKeepAlpha(colour);
  if (!ChangePicture(texture, [colour](C3dCImage& own) { return own.SetColorKeepAlpha(colour); })) return kErrOutOfMemory;
  NoteChanged();
  GetPreview(kPictPreview)->Redraw();
  RebuildComposite();
  return kHandled;
}

// White shows a = 0, black a = 255.
int32_t CPictTextures::FillAlpha(bool white) {
  CPictTexture* texture = GetCurrentTexture();
  if (!texture) {
    Beep();
    return kHandled;
  }
  const uint8_t alpha = white ? 0 : 255;
  if (CImage* preview = GetPreviewImage(kAlphaPreview)) preview->Fill(white ? kWhite : 0);
  fWork->SetAlpha(alpha);
  if (!ChangePicture(texture, [alpha](C3dCImage& own) { return own.SetAlpha(alpha); })) return kErrOutOfMemory;
  NoteChanged();
  GetPreview(kAlphaPreview)->Redraw();
  RebuildComposite();
  return kHandled;
}

int32_t CPictTextures::InvertAlpha() {
  CPictTexture* texture = GetCurrentTexture();
  if (!texture) {
    Beep();
    return kHandled;
  }
  if (CImage* preview = GetPreviewImage(kAlphaPreview)) preview->InvertColor();
  fWork->InvertAlpha();
  if (!ChangePicture(texture, [](C3dCImage& own) { return own.InvertAlpha(); })) return kErrOutOfMemory;
  NoteChanged();
  GetPreview(kAlphaPreview)->Redraw();
  RebuildComposite();
  return kHandled;
}

// ---- files

int32_t CPictTextures::LoadPicture(bool alpha) {
  CFileSpec spec;
  CImage* read = nullptr;
  const int32_t asked = AskAndReadImage(GetOwner(), &read, &spec);
  if (asked == kSilentCode24) return kNoErr;
  if (asked) return asked;
  std::unique_ptr<CImage> image(read);
  if (GetCurrentTexture()) {
    const int32_t err = alpha ? SetAlphaFrom(image.get()) : ShowPicture(image.get());
    return err ? err : kHandled;
  }
  // The path holds the system's UTF-8; the dialog's texts are ANSI.
  const std::string name = platform::Utf8ToAnsi(BareFileName(spec.GetPath()));
  if (!alpha) return FillSlotWith(image.get(), name.c_str());
  std::unique_ptr<CImage> prepared = AlphaPicture(image.get(), image->GetWidth(), image->GetHeight());
  return prepared ? FillSlotWith(prepared.get(), name.c_str()) : kErrOutOfMemory;
}

int32_t CPictTextures::FillSlotWith(CImage* image, const char* name) {
  CPictTexture* texture = fCurrent ? CreatePictTexture(image, name) : nullptr;
  if (!texture) return kErrOutOfMemory;
  fCurrent->SetUserWord(kTextureWord, texture->GetHandle());
  fCurrent->Redraw();
  const int32_t err = ShowPicture(&texture->GetPicture());
  return err ? err : kHandled;
}

CPictTexture* CPictTextures::CreatePictTexture(CImage* image, const char* name) {
  CDocumentHost* host = GetCurrentDocumentHost();
  C3dBaseSys* scene = host ? host->GetSceneTable() : nullptr;
  CAppl* app = GetApplication();
  if (!scene || !app || !HasPixels(image)) return nullptr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<CPictTexture>(app->GetObjectsEnv(), key, spec);
  CPictTexture* texture = nullptr;
  if (CPictTexture::New(&texture, scene, key, spec)) return nullptr;
  bool made = false;
  {
    CHolder held(texture, true, false);
    if (held.IsLocked()) {
      // Texture names are stored in Mac OS Roman.
      std::string stored = AnsiToMacRoman(name ? name : "");
      stored.resize(std::min<size_t>(stored.size(), C3dBase::kNameBytes - 1));
      char* field = reinterpret_cast<char*>(texture->GetData());
      std::fill(field, field + C3dBase::kNameBytes, 0);
      std::copy(stored.begin(), stored.end(), field);
      made = CopyResized(texture->GetPicture(), image);
    }
  }
  if (!made) {
    scene->RemoveObject(texture, true, false);
    return nullptr;
  }
  host->FindSceneParts(false);
  return texture;
}

// ---- the clipboard

int32_t CPictTextures::CopyToClipboard(bool alpha) {
  if (!GetCurrentTexture() || !PutOnClipboard(alpha)) Beep();
  return kHandled;
}

bool CPictTextures::PutOnClipboard(bool alpha) {
  CImage* source = fWork.get();
  std::unique_ptr<CImage> grey;
  if (alpha) {
    grey = NewImage(fWork->GetWidth(), fWork->GetHeight());
    if (!grey || !grey->CopyFrom(fWork.get()) || !EachPixel(grey.get(), &GreyOfAlpha)) return false;
    source = grey.get();
  }
  std::unique_ptr<CMemBlock> bitmap(CClipboard::ImageToDIB(source, 32));
  return bitmap && CClipboard(GetWindow()).PutDIBBytes(bitmap->GetData(), bitmap->GetSize());
}

// An empty slot takes a pasted picture as a new texture; a pasted alpha wants a texture.
int32_t CPictTextures::Paste(bool alpha) {
  std::unique_ptr<CImage> image(CClipboard(GetWindow()).GetDIB());
  const bool filled = GetCurrentTexture() != nullptr;
  if (!image || (alpha && !filled)) {
    Beep();
    return kHandled;
  }
  int32_t err = kNoErr;
  if (alpha) {
    err = SetAlphaFrom(image.get());
  } else if (filled) {
    err = SetColoursFrom(image.get());
  } else {
    char name[32];
    std::snprintf(name, sizeof name, kPastedName, long(fCurrent ? fCurrent->GetUserWord(kIndexWord) : 0));
    err = FillSlotWith(image.get(), name);
  }
  return err && err != kHandled ? err : kHandled;
}
