#include "fuzz/fuzz_readers.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/el_registry.h"
#include "framework/core/holder.h"
#include "framework/core/ix_color.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image8.h"
#include "framework/image/image_record.h"
#include "framework/image/ix_image.h"
#include "framework/image/sp_gradient.h"
#include "framework/ui/element_types.h"
#include "fuzz/fuzz_support.h"

namespace {

// Every index is the same walk; more of them only make an input slower.
constexpr uint32_t kMostEntries = 64;

constexpr const char kMakes[] = "makes";
constexpr const char kRefuses[] = "refuses";
constexpr const char kMakesNothing[] = "nothing";

SElementRequest* RequestFor(void* record, const char* className) {
  return CElRegistry::IsRequestFor(record, className) ? static_cast<SElementRegistryRecord*>(record)->request
                                                      : nullptr;
}

int32_t Makes(void*, void* record, void*) {
  SElementRequest* request = RequestFor(record, kMakes);
  if (!request) return 0;
  request->element = new CElement(SElementDesc{});
  return 1;
}

int32_t Refuses(void*, void* record, void*) {
  SElementRequest* request = RequestFor(record, kRefuses);
  if (!request) return 0;
  request->element = new CElement(SElementDesc{});
  request->error = kErrInvalidFormat;
  return 1;
}

int32_t MakesNothing(void*, void* record, void*) { return RequestFor(record, kMakesNothing) ? 1 : 0; }

CElRegistry& Registry() {
  CElRegistry* registry = GetApplication()->GetElementRegistry();
  static const bool registered = registry->Register(kMakes, &Makes) && registry->Register(kRefuses, &Refuses) &&
                                 registry->Register(kMakesNothing, &MakesNothing);
  if (!registered) __builtin_trap();
  return *registry;
}

// A reader object of the resource of that type and number, through the record handler.
template <typename Object>
bool SubscribeStored(Object& object, const char* type, uint32_t number, SpoolTypeHandler handler) {
  SSpoolKey key;
  key.Set(type, number, false);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, handler);
  return object.Subscribe(spec);
}

void ReadTexts(CIxText& list) {
  CIxTxHolder holder(&list, true);
  for (uint32_t i = 0; i <= list.Count() && i < kMostEntries; ++i) FuzzConsume(uint32_t(std::strlen(list.TextAt(i))));
  if (list.Select(list.Count() ? list.Count() - 1 : 0) == 0) FuzzConsume(uint32_t(std::strlen(list.Text())));
}

void WalkImage(CImage* image) {
  CImNavigator nav(image, nullptr, false, false);
  uint32_t sum = 0;
  for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) sum += nav.Cells(y)[x].value;
  FuzzConsume(sum);
}

}  // namespace

void ReadTextList(CResourceEnv& env, uint32_t number, const char* name) {
  CIxText byNumber(&env, number, CIxText::kNone);
  ReadTexts(byNumber);
  if (name) {
    CIxTextLocal byName(&env, name, 0);
    ReadTexts(byName);
  }
}

void ReadColourList(CResourceEnv& env, uint32_t number, const char* name) {
  for (uint32_t index : {CIxColor::kNone, 0u, 1u, 2u, 7u, 0x7FFFFFFFu}) {
    CIxColor list(&env, number, index);
    uint32_t colour = 0;
    list.GetColor(&colour);
    FuzzConsume(colour);
  }
  if (name) CIxColor byName(&env, name, 0);
}

void ReadImageList(CResourceEnv& env, uint32_t number, const char* name) {
  CIxImage list(&env, number, 0);
  for (uint32_t i = 0; i < list.Count() && i < kMostEntries; ++i) {
    if (CImage* image = list.ImageAt(i)) WalkImage(image);
  }
  if (name) CIxImage byName(&env, name, CIxImage::kNone);
}

void ReadElementSet(CResourceEnv& env, uint32_t number, const char* name) {
  CElRegistry& registry = Registry();
  {
    CElement parent{SElementDesc{}};
    registry.LoadElementSet(&env, number, nullptr, &parent);
  }
  if (name) {
    CElement parent{SElementDesc{}};
    registry.LoadElementSet(&env, 0, name, &parent);
  }
}

void ReadStoredImage(CResourceEnv& env, uint32_t number) {
  SGridLayout grid;
  MakeImageGridSpec(grid, &env, 0, 0);
  CImage image(grid);
  if (SubscribeStored(image, kImageType, number, &ImageRecordTypeHandler)) WalkImage(&image);
}

void ReadStoredImage8(CResourceEnv& env, uint32_t number) {
  SImage8Layout layout;
  MakeImage8GridSpec(layout, &env, 0, 0);
  CImage8 image(layout);
  if (!SubscribeStored(image, kImage8Type, number, &Image8RecordTypeHandler)) return;
  {
    CIm8Navigator nav(&image, nullptr, false, false);
    uint32_t sum = 0;
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) sum += nav.Cells(y)[x].value;
    FuzzConsume(sum);
  }
  int32_t error = 0;
  CImage* target = NewDataImage(16, 16, &error);
  if (target) image.ToImage32(target);
  delete target;
}

void ReadStoredGradient(CResourceEnv& env, uint32_t number) {
  STableLayout layout;
  layout.SetSized(&env, sizeof(CImVector64), 0);
  CSpGradient gradient(layout);
  if (!SubscribeStored(gradient, kGradientType, number, &CSpGradient::HandleMessage)) return;
  CImVector colours[CSpGradient::kTableColours];
  if (gradient.ToColorTable(colours)) FuzzConsume(colours[255].value);
}

void ReadResourceByType(CResourceEnv& env, const char* typeName, uint32_t number, const char* name) {
  auto is = [typeName](const char* type) { return std::strncmp(typeName, type, SSpoolKey::kTypeNameChars) == 0; };
  if (is("ixtx")) ReadTextList(env, number, name);
  else if (is("ixco")) ReadColourList(env, number, name);
  else if (is("ixim")) ReadImageList(env, number, name);
  else if (is("eset")) ReadElementSet(env, number, name);
  else if (is(kImageType)) ReadStoredImage(env, number);
  else if (is(kImage8Type)) ReadStoredImage8(env, number);
  else if (is(kGradientType)) ReadStoredGradient(env, number);
}
