// Documents of the earlier version of the format, read only: one flat big-endian file (old_records.h)
// whose object records become current scene things, each with its placement, family, group links and
// a material with channel textures and pictures, and whose settings block becomes the standard
// cameras, the current camera, the sun, the sky and its two cloud textures. The preset readers take
// one material after another out of the object records, or one sky after another out of the sky
// table.
//
// Every block is read whole and only once it is known to lie inside the file; a length, offset or
// count that does not fit, and a stored number that is not finite where it places or shades
// something, answers 2.
#pragma once

#include <cstdint>

#include "document/old_records.h"
#include "framework/core/dyn_table.h"
#include "framework/core/file.h"
#include "framework/core/mem_block.h"

class C3dBaseSys;
class C3dMaterial;
class C3dObject;
class C3dSky;
class C3dSunLight;
class CBaseTexture;

// The record work area of one import or preset read: the record, its extra data and its channel
// blocks, and the material made from it. A material that a preset read made (in no table) stays
// the area's with its textures: the next read or the area's end deletes them.
class CDupTextureTables {
 public:
  CDupTextureTables();
  ~CDupTextureTables();
  CDupTextureTables(const CDupTextureTables&) = delete;
  CDupTextureTables& operator=(const CDupTextureTables&) = delete;

  bool IsUsable() const { return fMade.IsValid(); }
  const old_format::SRecord& GetRecord() const { return fRecord; }
  C3dMaterial* GetMaterial() const { return fMaterial; }

 private:
  friend class COldQuarnFile;

  // Deletes the material and textures it owns, and forgets the material either way.
  void DropMaterial();

  old_format::SRecord fRecord;
  CMemBlock fExtra;
  CMemBlock fTextures[old_format::kChannels];
  CMemBlock fPictures[old_format::kChannels];
  C3dMaterial* fMaterial = nullptr;
  // The textures made for fMaterial, and whether they and it are the area's.
  CDynTable<CBaseTexture*> fMade;
  bool fOwnsMaterial = false;
};

class COldQuarnFile {
 public:
  // Opens the file for reading; see IsOpen.
  explicit COldQuarnFile(const CFileSpec& spec);
  ~COldQuarnFile();
  COldQuarnFile(const COldQuarnFile&) = delete;
  COldQuarnFile& operator=(const COldQuarnFile&) = delete;

  // The file is open and the reader's tables and settings buffer were had; otherwise
  // GetOpenResult tells why (9 for the memory).
  bool IsOpen() const { return fOpen; }
  int32_t GetOpenResult() const { return fOpenResult; }

  // Every object record, converted by kind into the table, under the progress title "progress
  // import"; with wholeDocument first the settings things. The first failure ends the import: 2
  // malformed, 6 without a settings block, 9 out of memory, or the failing step's code. What was
  // converted before it stays in the table.
  int32_t Import(C3dBaseSys* table, bool wholeDocument);
  // Whether Import has read the settings block, and its view rectangle and second rectangle.
  bool HasSettings() const { return fHasSettings; }
  const old_format::SRect& GetViewRect() const { return fSettings.viewRect; }
  const old_format::SRect& GetSecondRect() const { return fSettings.secondRect; }

  // The material of the next object record into the area, in no table, its channel references
  // resolved by name through the whole file; the material and each of its textures get a new random
  // id. 25 when no record is left.
  int32_t ReadNextMaterial(CDupTextureTables& area);
  // The next sky record into the sky and sun, and its two texture records into the sky's cloud
  // textures (9 when it has none). 25 when no sky record is left.
  int32_t ReadNextSky(C3dSky* sky, C3dSunLight* sun);

 private:
  // A texture or picture texture a record defined, by its name, for the records that name it.
  struct SDupTexture {
    old_format::SName name;
    CBaseTexture* texture;
  };

  int32_t ReadHeader();
  // length bytes at offset into the block (emptied for 0); 2 when they are not all in the file.
  int32_t ReadBlock(uint64_t offset, uint32_t length, CMemBlock& block);
  int32_t ReadBytes(uint64_t offset, uint32_t length, uint8_t* bytes);
  int32_t ReadSettings();
  // The record at the next position with what belongs to it; the position moves past it.
  int32_t ReadRecord(CDupTextureTables& area, bool resolve);
  // A block of only a name takes the definition of the first record that carries one by that name,
  // or is emptied; the next record position stays.
  void Resolve(CMemBlock& block, bool picture);
  int32_t FindDefinition(const old_format::SName& name, bool picture, CMemBlock& block);

  // Object conversion.
  int32_t ConvertRecord(C3dBaseSys* table, CDupTextureTables& area);
  template <typename T>
  int32_t ConvertObject(C3dBaseSys* table, CDupTextureTables& area);
  static int32_t ConvertPlacement(C3dObject& object, const old_format::SRecord& record);
  // The record's material, its channel textures and pictures, into the table when one is given and
  // to the object when one is given; left in the area. On failure nothing it made remains.
  int32_t ConvertSurface(C3dObject* object, C3dBaseSys* table, CDupTextureTables& area);
  int32_t ConvertChannels(C3dMaterial* material, C3dBaseSys* table, CDupTextureTables& area);
  int32_t AttachTexture(C3dMaterial* material, int channel, C3dBaseSys* table, CDupTextureTables& area);
  int32_t AttachPicture(C3dMaterial* material, int channel, C3dBaseSys* table, CDupTextureTables& area);
  // The last texture made by the block's name, when there is one.
  static int32_t AttachNamed(C3dMaterial* material, int channel, const CDynTable<SDupTexture>& duplicates,
                             const CMemBlock& block);
  // A new texture of the class, kept in the area to be taken back if the record fails.
  template <typename T>
  static int32_t MakeForChannel(T** out, C3dBaseSys* table, CDupTextureTables& area);
  // The new texture named, in the channel, and, on an import, listed for the records that name it.
  static int32_t AttachMade(C3dMaterial* material, int channel, CBaseTexture* texture, const old_format::SName& name,
                            CDynTable<SDupTexture>& duplicates, C3dBaseSys* table);

  // Settings conversion.
  int32_t BuildSettingsThings(C3dBaseSys* table);
  // The sky part into the locked sky and sun; 2, with both unchanged, when a value of it is not
  // finite.
  static int32_t ConvertSky(const uint8_t* part, bool sunFromCamera, C3dSky& sky, C3dSunLight& sun);

  CFile fFile;
  uint32_t fFileSize = 0;
  bool fOpen = false;
  int32_t fOpenResult = 0;
  old_format::SHeader fHeader;
  bool fHeaderRead = false;
  uint64_t fNextRecord = 0;
  uint32_t fRecordIndex = 0;
  uint32_t fSkyIndex = 0;
  CMemBlock fSettingsBlock;
  old_format::SSettings fSettings;
  bool fHasSettings = false;
  CDynTable<SDupTexture> fDupTextures;
  CDynTable<SDupTexture> fDupPictures;
};

struct SOldDocumentRects {
  old_format::SRect view;
  old_format::SRect second;
};

// Opens the file as a document of the earlier version and imports the whole of it into the table,
// handing back the settings block's two rectangles as stored. The groups are left for the caller to
// relink from their link numbers (C3dGroup::RelinkFromIds, then C3dGroup::RelinkGroups). The
// reader's open code when it does not open, else the import's.
int32_t ImportOldDocument(const CFileSpec& spec, C3dBaseSys* table, SOldDocumentRects* rects);
