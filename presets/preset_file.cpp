#include "presets/preset_file.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/cm_file.h"
#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "platform/file.h"
#include "platform/system.h"
#include "presets/preset_description.h"
#include "document/class_table.h"
#include "document/document_reader.h"
#include "document/stored_refs.h"
#include "framework/core/handle_table.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/object.h"
#include "scene/factory.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"

namespace {

constexpr uint32_t kProcedural = FourCC("qntx");
constexpr uint32_t kPicture = FourCC("pctx");
constexpr const char* kPictureType = "C3dCImage";

SSpoolKey KeyOf(const char* type, uint32_t id) {
  SSpoolKey key;
  key.Set(type, id, false);
  return key;
}

// Copying a file whole: the library's working copy is made from the category file this way.
int32_t CopyWholeFile(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!platform::ReadWholeFile(from, &bytes)) return NonZeroError(MapLastError());
  const platform::FileHandle file =
      platform::OpenFile(to, platform::kAccessWrite, 0, platform::FileCreate::kCreateAlways);
  if (file == platform::kNoFile) return NonZeroError(MapLastError());
  uint32_t done = 0;
  bool written = bytes.empty() || (platform::WriteFile(file, bytes.data(), uint32_t(bytes.size()), &done) &&
                                   done == bytes.size());
  written = platform::FlushFile(file) && written;
  const int32_t error = written ? kNoErr : NonZeroError(MapLastError());
  platform::CloseFile(file);
  return error;
}

}  // namespace

bool IsInLibrary(CResourceEnv* library, const char* type, uint32_t id) {
  CResEntry entry{};
  return library->GetResourceInfo(KeyOf(type, id), &entry);
}

void DeleteFromLibrary(CResourceEnv* library, const char* type, uint32_t id) { library->DeleteResource(KeyOf(type, id)); }

int32_t PresetTableIds(CResourceEnv* library, const char* type, std::vector<uint32_t>* ids) {
  CResTypeTable* table = nullptr;
  if (!library || !library->FindType(type, &table, nullptr) || !table) return kNoErr;
  CHolder rows(table, false, false);
  if (!rows.IsLocked()) return NonZeroError(table->GetError());
  for (uint32_t i = 0; i < table->GetCount(); ++i) ids->push_back((*table)[i].number);
  return kNoErr;
}

int32_t CheckLibrary(CSpoolSys* environment) {
  if (!environment || !environment->IsReady()) return kErrUnexpectedStatus;
  if (environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  return static_cast<CResourceEnv*>(environment)->IsOpen() ? kNoErr : kErrUnexpectedStatus;
}

bool IsCompactionDue(bool usageRead, uint32_t freeBytes, bool ctrl, bool alt) {
  if (!usageRead) return false;
  return ctrl && alt ? freeBytes > 0 : freeBytes > preset::kCompactThreshold;
}

// ---- the library file

CPresetLibraryFile::~CPresetLibraryFile() { Close(false); }

int32_t CPresetLibraryFile::Open(const CFileSpec& file) {
  Close(false);
  const std::string path = file.GetPath();
  CFileSpec copy;
  if (const int32_t error = CFileSpec::MakeTempBeside(file, copy)) return error;
  const bool exists = CFile(file).Probe() == kNoErr;
  int32_t error = exists ? CopyWholeFile(path, copy.GetPath()) : kNoErr;
  // A missing file becomes a new library: the environment creates the copy.
  if (!error && !exists) platform::DeleteFile(copy.GetPath());
  CResourceEnv* library = nullptr;
  if (!error) {
    library = new CResourceEnv(copy, CFile::kModeReadWrite);
    if (!library) error = kErrOutOfMemory;
    else if (!library->IsOpen()) error = NonZeroError(library->GetLastResult());
  }
  if (error) {
    delete library;
    platform::DeleteFile(copy.GetPath());
    return error;
  }
  fLibrary = library;
  fPath = path;
  fCopyPath = copy.GetPath();
  fWritten = false;
  fNew = !exists;
  return kNoErr;
}

int32_t CPresetLibraryFile::Close(bool compactAllowed) {
  if (!fLibrary) return kNoErr;
  CCmFile::SUsage usage;
  const bool usageRead = compactAllowed && fLibrary->GetCmFile() && fLibrary->GetCmFile()->GetUsage(&usage) == kNoErr;
  CAppl* app = GetApplication();
  const bool compact = usageRead && IsCompactionDue(true, usage.free.dataBytes, app && app->IsControlDown(),
                                                    app && app->IsAltDown());
  int32_t error = fLibrary->Close();
  delete fLibrary;
  fLibrary = nullptr;
  if (compact && !error) {
    CFileSpec spec;
    if (spec.Set(fCopyPath.c_str()) == kNoErr) {
      CBusyCursor busy;
      CCmFile file(spec);
      // A failed compaction leaves a whole, only larger, file.
      if (file.Compact() == kNoErr) fWritten = true;
    }
  }
  if (!error && (fWritten || fNew)) {
    if (!platform::ReplaceFile(fCopyPath, fPath)) error = NonZeroError(MapLastError());
  }
  if (error || !(fWritten || fNew)) platform::DeleteFile(fCopyPath);
  fCopyPath.clear();
  fWritten = fNew = false;
  return error;
}

// ---- reading

int32_t ReadStoredMaterial(CSpoolSys* environment, uint32_t id, C3dMaterial** out) {
  *out = nullptr;
  if (const int32_t error = CheckLibrary(environment)) return error;
  auto* library = static_cast<CResourceEnv*>(environment);
  SObjectKey key;
  key.Set(library, C3dMaterial::kFamily, C3dMaterial::kClassTag, C3dMaterial::kTypeName);
  const SSpoolKey stored = KeyOf(C3dMaterial::kTypeName, id);
  SSpoolTableSpec spec;
  spec.SetForObjects(true, &stored);
  C3dMaterial* material = nullptr;
  if (const int32_t error = C3dMaterial::NewFromLibrary(&material, key, spec)) return error;
  int32_t error = kNoErr;
  if (material->GetEnvironment() != library)
    error = CheckLibrary(material->GetEnvironment());
  if (!error) error = material->MoveToObjects();
  if (error) {
    delete material;
    return error;
  }
  *out = material;
  return kNoErr;
}

int32_t LoadMaterialPreset(CResourceEnv* library, CResTypeTable* table, uint32_t index, C3dMaterial* target,
                           C3dBaseSys* scene, uint32_t* id) {
  if (!library) return kErrObjectNotFound;
  target->ReleaseTextureRefs(true);
  if (!table) return kNoErr;
  {
    CHolder rows(table, false, false);
    if (!rows.IsLocked()) return NonZeroError(table->GetError());
    if (index >= table->GetCount()) return kErrInvalidParameter;
    *id = (*table)[index].number;
  }
  C3dMaterial* read = nullptr;
  if (const int32_t error = ReadStoredMaterial(library, *id, &read)) return error;
  std::unique_ptr<C3dMaterial> preset(read);
  CHolder into(target, true, false);
  if (!into.IsLocked()) return NonZeroError(target->GetError());
  CHolder from(preset.get(), false, false);
  if (!from.IsLocked()) return NonZeroError(preset->GetError());
  target->GetRecord() = preset->GetRecord();
  bool textured = false;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    const SMaterialComponent& channel = preset->GetRecord().component[k];
    if (!channel.textureTag || !channel.textureId) continue;
    CBaseTexture* texture = nullptr;
    if (CBaseTexture::CopyByTag(channel.textureTag, channel.textureId, library, &texture, false)) break;
    // The copy belongs to the scene, which frees it with the table.
    if (scene && scene->AddObject(texture)) {
      delete texture;
      break;
    }
    if (target->SetChannelTexture(texture, k)) break;
    textured = true;
  }
  if (textured && target->AddTextureRefs()) target->ReleaseTextureRefs(true);
  return kNoErr;
}

// ---- storing

int32_t StoreObjectInEnvironment(C3dBase* thing, CResourceEnv* environment, const char* typeName) {
  if (!thing) return kErrInvalidParameter;
  C3dBaseSys* table = thing->GetOwningTable();
  if (table) return table->WriteObject(thing, environment, typeName);
  CAppl* app = GetApplication();
  C3dBaseSys writer(app ? app->GetObjectsEnv() : nullptr);
  return writer.WriteObject(thing, environment, typeName);
}

uint32_t DrawFreeId(CResourceEnv* library, const char* type) {
  uint32_t id = 0;
  while (id == 0 || IsInLibrary(library, type, id)) id = NextRandom(GetRandomState());
  return id;
}

int32_t StoreTextureCopy(CBaseTexture* texture, CResourceEnv* library, CBaseTexture** stored) {
  *stored = nullptr;
  const uint32_t tag = texture->GetClass();
  if (tag != kProcedural && tag != kPicture) return kErrUnexpectedType;
  CBaseTexture* copy = nullptr;
  if (const int32_t error = texture->Duplicate(&copy)) return error;
  copy->SetId(DrawFreeId(library, copy->TypeName()));
  // A picture's picture is stored under the texture's id too: that id must be free there as well.
  while (tag == kPicture && IsInLibrary(library, kPictureType, copy->GetId())) copy->SetId(DrawFreeId(library, copy->TypeName()));
  if (const int32_t error = StoreObjectInEnvironment(copy, library)) {
    delete copy;
    return error;
  }
  *stored = copy;
  return kNoErr;
}

int32_t StoreMaterialItem(C3dMaterial* material, CResourceEnv* library, bool newIds) {
  if (!material || !library || !library->IsOpen()) return kErrInvalidParameter;
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  C3dMaterial* made = nullptr;
  if (const int32_t error = C3dMaterial::New(&made, nullptr, key, spec)) return error;
  std::unique_ptr<C3dMaterial> written(made);
  // Copies of the channel textures, stored under the library's ids, which the written copy names.
  std::unique_ptr<CBaseTexture> copies[SMaterialRecord::kComponents];
  {
    CHolder source(material, false, false);
    if (!source.IsLocked()) return NonZeroError(material->GetError());
    CHolder into(written.get(), true, false);
    if (!into.IsLocked()) return NonZeroError(written->GetError());
    written->GetRecord() = material->GetRecord();
    for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
      written->GetRecord().component[k].textureTag = 0;
      written->GetRecord().component[k].textureId = 0;
    }
    for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
      CBaseTexture* texture = material->GetChannelTexture(k);
      if (!texture) continue;
      CBaseTexture* stored = nullptr;
      if (const int32_t error = StoreTextureCopy(texture, library, &stored)) return error;
      copies[k].reset(stored);
      if (const int32_t error = written->SetChannelTexture(stored, k)) return error;
    }
  }
  uint32_t id = material->GetId();
  if (id == 0 || (newIds && IsInLibrary(library, C3dMaterial::kTypeName, id))) id = DrawFreeId(library, C3dMaterial::kTypeName);
  written->SetId(id);
  const int32_t error = StoreObjectInEnvironment(written.get(), library);
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) written->SetChannelTexture(nullptr, k);
  if (!error) material->SetId(id);
  return error;
}

int32_t StorePreview(CResourceEnv* library, const char* type, uint32_t id, CImage* preview) {
  if (!library || !preview) return kErrInvalidParameter;
  SRect bounds;
  preview->GetBounds(&bounds);
  const uint32_t width = uint32_t(bounds.right - bounds.left), height = uint32_t(bounds.bottom - bounds.top);
  const SSpoolKey key = KeyOf(type, id);
  if (!library->PutResource(key) && library->GetLastResult() != kErrObjectDuplicated)
    return NonZeroError(library->GetLastResult());
  SGridLayout grid;
  MakeImageGridSpec(grid, library, width, height);
  CImage image(grid);
  SSpoolKey written = key;
  written.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &written, &ImageRecordTypeHandler);
  if (!image.Subscribe(spec)) return NonZeroError(image.GetError());
  if (!image.CopyFrom(preview)) return NonZeroError(image.GetError());
  return image.Unsubscribe() ? kNoErr : NonZeroError(image.GetError());
}

int32_t DrawStoredPreview(CResourceEnv* library, const char* type, uint32_t id, CImage* into) {
  if (!library || !into) return kErrInvalidParameter;
  // Read at the size it was stored with, whatever the panel's preview size is now.
  SGridLayout grid;
  MakeImageGridSpec(grid, library, 0, 0);
  CImage image(grid);
  const SSpoolKey key = KeyOf(type, id);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  if (!image.Subscribe(spec)) return NonZeroError(image.GetError());
  CHolder page(&image, false, false);
  if (!page.IsLocked()) return NonZeroError(image.GetError());
  return into->ScaleFrom(&image, 1) ? kNoErr : NonZeroError(into->GetError());
}

// ---- copies between libraries

int32_t CopyPreviewAndDescription(CResourceEnv* source, CResourceEnv* target, const char* previewType,
                                  const char* descriptionType, uint32_t sourceId, uint32_t targetId) {
  if (!source || !target) return kNoErr;
  {
    SGridLayout grid;
    MakeImageGridSpec(grid, source, 0, 0);
    CImage preview(grid);
    const SSpoolKey key = KeyOf(previewType, sourceId);
    SSpoolTableSpec spec;
    spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
    if (preview.Subscribe(spec)) {
      CHolder page(&preview, false, false);
      if (page.IsLocked()) StorePreview(target, previewType, targetId, &preview);
    }
  }
  CPresetDescription description;
  if (description.Read(source, descriptionType, sourceId) == kNoErr) description.Store(target, descriptionType, targetId);
  return kNoErr;
}

int32_t CopyTextures(C3dMaterial* material, CResourceEnv* source, CResourceEnv* target) {
  if (!material || !source || !target) return kErrInvalidParameter;
  CHolder held(material, true, false);
  if (!held.IsLocked()) return NonZeroError(material->GetError());
  for (SMaterialComponent& channel : material->GetRecord().component) {
    if (!channel.textureTag || !channel.textureId) continue;
    CBaseTexture* read = nullptr;
    if (const int32_t error = CBaseTexture::CopyByTag(channel.textureTag, channel.textureId, source, &read, false))
      return error;
    std::unique_ptr<CBaseTexture> copy(read);
    copy->SetId(DrawFreeId(target, copy->TypeName()));
    while (channel.textureTag == kPicture && IsInLibrary(target, kPictureType, copy->GetId()))
      copy->SetId(DrawFreeId(target, copy->TypeName()));
    if (const int32_t error = StoreObjectInEnvironment(copy.get(), target)) return error;
    channel.textureId = copy->GetId();
  }
  // The record read back names what was stored.
  material->RestoreState();
  return kNoErr;
}

// ---- the table

int32_t MoveTableEntry(CResTypeTable* table, uint32_t id, uint32_t index) {
  const uint32_t count = table->GetCount();
  if (index >= count) return kErrInvalidParameter;
  uint32_t from = count;
  for (uint32_t i = 0; i < count; ++i) {
    if ((*table)[i].number == id) {
      from = i;
      break;
    }
  }
  if (from == count) return kErrObjectNotFound;
  const CResEntry moved = (*table)[from];
  if (from > index) {
    for (uint32_t i = from; i > index; --i) (*table)[i] = (*table)[i - 1];
  } else {
    for (uint32_t i = from; i < index; ++i) (*table)[i] = (*table)[i + 1];
  }
  (*table)[index] = moved;
  return kNoErr;
}

// ---- deleting

bool IsTextureUnusedElsewhere(uint32_t materialId, uint32_t classTag, uint32_t textureId, CResourceEnv* library) {
  CResTypeTable* table = nullptr;
  if (!library->FindType(C3dMaterial::kTypeName, &table, nullptr) || !table) return true;
  std::vector<uint32_t> ids;
  {
    CHolder rows(table, false, false);
    if (!rows.IsLocked()) return false;
    for (uint32_t i = 0; i < table->GetCount(); ++i) ids.push_back((*table)[i].number);
  }
  for (const uint32_t id : ids) {
    if (id == materialId) continue;
    C3dMaterial* read = nullptr;
    if (ReadStoredMaterial(library, id, &read)) continue;
    std::unique_ptr<C3dMaterial> other(read);
    CHolder held(other.get(), false, false);
    if (!held.IsLocked()) continue;
    for (const SMaterialComponent& channel : other->GetRecord().component)
      if (channel.textureTag == classTag && channel.textureId == textureId) return false;
  }
  return true;
}

int32_t DeleteMaterialTextures(C3dMaterial* material, CResourceEnv* library) {
  CHolder held(material, false, false);
  if (!held.IsLocked()) return NonZeroError(material->GetError());
  SMaterialComponent channels[SMaterialRecord::kComponents];
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) channels[k] = material->GetRecord().component[k];
  const uint32_t own = material->GetId();
  held.Release();
  for (const SMaterialComponent& channel : channels) {
    if (!channel.textureTag || !channel.textureId) continue;
    if (channel.textureTag != kProcedural && channel.textureTag != kPicture) continue;
    if (!IsTextureUnusedElsewhere(own, channel.textureTag, channel.textureId, library)) continue;
    if (channel.textureTag == kProcedural) {
      DeleteFromLibrary(library, "C3dTexture", channel.textureId);
    } else {
      DeleteFromLibrary(library, "CPictTexture", channel.textureId);
      DeleteFromLibrary(library, kPictureType, channel.textureId);
    }
  }
  return kNoErr;
}

int32_t DeleteMaterialPreset(CResourceEnv* library, uint32_t id) {
  C3dMaterial* read = nullptr;
  const int32_t result = ReadStoredMaterial(library, id, &read);
  if (!result) {
    std::unique_ptr<C3dMaterial> material(read);
    // The read copy carries id 0 in the working environment; the library knows it by this id.
    material->SetId(id);
    DeleteMaterialTextures(material.get(), library);
  }
  DeleteFromLibrary(library, C3dMaterial::kTypeName, id);
  DeleteFromLibrary(library, preset::kMaterialPreviewType, id);
  DeleteFromLibrary(library, CPresetDescription::kMaterialType, id);
  return result;
}

// ---- object presets

namespace {

bool IsGroup(C3dBase* thing) {
  return thing && thing->GetFamily() == C3dGroup::kFamily && thing->GetClass() == C3dGroup::kClassTag;
}

C3dMaterial* MaterialOf(C3dObject* object) {
  C3dMaterial* material = object ? LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily) : nullptr;
  return material && material->IsReady() ? material : nullptr;
}

// Taken while the library or the thing's own table holds another thing of its key.
bool IsIdTaken(C3dBase* thing, CResourceEnv* library, uint32_t id) {
  if (id == 0 || IsInLibrary(library, thing->TypeName(), id)) return true;
  C3dBaseSys* table = thing->GetOwningTable();
  C3dBase* found = nullptr;
  return table && table->FindByKey(thing->GetFamily(), thing->GetClass(), id, &found) == kNoErr && found != thing;
}

void RenewId(C3dBase* thing, CResourceEnv* library) {
  uint32_t id = thing->GetId();
  while (IsIdTaken(thing, library, id)) id = NextRandom(GetRandomState());
  thing->SetId(id);
}

}  // namespace

int32_t ReadStoredGroup(CResourceEnv* library, uint32_t id, C3dBaseSys* table, C3dGroup** out) {
  *out = nullptr;
  if (const int32_t error = CheckLibrary(library)) return error;
  const SDocumentClass* groups = FindDocumentClass(C3dGroup::kFamily, C3dGroup::kClassTag);
  if (!groups || !table) return kErrUnexpectedStatus;
  // The outermost group is stored under the preset's own type name.
  SDocumentClass wrapper = *groups;
  wrapper.typeName = preset::kObjectItemType;
  CDocumentReader reader(table, library);
  C3dBase* thing = nullptr;
  int32_t result = reader.ReadKeyed(wrapper, id, &thing);
  if (!result) result = reader.ReadGroupMembers(static_cast<C3dGroup*>(thing));
  if (!result) result = reader.Link();
  if (result) {
    table->RemoveAll(true, false);
    return result;
  }
  *out = static_cast<C3dGroup*>(thing);
  return kNoErr;
}

int32_t RenewObjectIds(C3dObject* object, CResourceEnv* library) {
  if (!object) return kNoErr;
  if (IsGroup(object)) {
    auto* group = static_cast<C3dGroup*>(object);
    CHolder held(group, false, false);
    if (!held.IsLocked()) return kErrOutOfMemory;
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      if (const int32_t error = RenewObjectIds(group->GetMember(i), library)) return error;
    }
    return kNoErr;
  }
  RenewId(object, library);
  if (C3dMaterial* material = MaterialOf(object)) RenewId(material, library);
  return kNoErr;
}

int32_t StoreObjectTree(C3dObject* object, CResourceEnv* library, const char* ownType) {
  if (!object) return kErrInvalidParameter;
  if (IsGroup(object)) {
    auto* group = static_cast<C3dGroup*>(object);
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      if (const int32_t error = StoreObjectTree(group->GetMember(i), library)) return error;
    }
  }
  // Every object's record names its material, or none: a group's too, whose word would otherwise
  // hold whatever the working copy kept there.
  SMaterialRefs refs;
  if (C3dMaterial* material = IsGroup(object) ? nullptr : MaterialOf(object)) {
    if (const int32_t error = StoreMaterialItem(material, library, false)) return error;
    refs.material = {C3dMaterial::kClassTag, material->GetId()};
  }
  if (const int32_t error = WriteMaterialRefs(object, refs)) return error;
  if (object->GetId() == 0) RenewId(object, library);
  return StoreObjectInEnvironment(object, library, ownType);
}

int32_t StoreObjectPresetItem(C3dObject* object, CResourceEnv* library, uint32_t* id) {
  *id = 0;
  if (!object || !library) return kErrInvalidParameter;
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dGroup>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  C3dGroup* made = nullptr;
  if (const int32_t error = C3dGroup::New(&made, nullptr, key, spec)) return error;
  std::unique_ptr<C3dGroup> group(made);
  int32_t result = group->AddChild(object);
  if (result) return result;
  // A wrapper id that is taken would write over another preset's group.
  group->SetId(DrawFreeId(library, preset::kObjectItemType));
  result = RenewObjectIds(object, library);
  if (!result) result = StoreObjectTree(group.get(), library, preset::kObjectItemType);
  if (!result) *id = group->GetId();
  group->RemoveChild(object);
  return result;
}

int32_t DeleteObjectTree(CResourceEnv* library, uint32_t id) {
  CAppl* app = GetApplication();
  C3dBaseSys temporary(app ? app->GetObjectsEnv() : nullptr);
  if (!temporary.IsValid()) return kErrOutOfMemory;
  C3dGroup* group = nullptr;
  if (const int32_t error = ReadStoredGroup(library, id, &temporary, &group)) return error;
  std::vector<std::pair<SSpoolKey, C3dMaterial*>> things;
  {
    CHolder rows(&temporary, false, false);
    if (!rows.IsLocked()) return NonZeroError(temporary.GetError());
    for (uint32_t row = 0; row < temporary.GetCount(); ++row) {
      C3dBase* thing = temporary[row].object;
      if (!thing || thing == group) continue;
      // Read things carry the ids of the library, under which they are deleted.
      SSpoolKey key = KeyOf(thing->TypeName(), thing->GetId());
      things.push_back({key, thing->GetFamily() == C3dMaterial::kFamily ? static_cast<C3dMaterial*>(thing) : nullptr});
    }
  }
  for (const auto& [key, material] : things) {
    // Textures go with the materials that name them.
    if (std::string(key.typeName) == "C3dTexture" || std::string(key.typeName) == "CPictTexture") continue;
    if (material) {
      // The material's own resource goes first, so that it no longer counts as naming its textures.
      library->DeleteResource(key);
      DeleteMaterialTextures(material, library);
    } else {
      library->DeleteResource(key);
    }
  }
  return kNoErr;
}
