// Picture files: the user chooses one in the platform's open dialog, its extension gives a type
// code, and the reader for that code turns the file into a new image.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/base_object.h"
#include "framework/core/file_spec.h"
#include "platform/window.h"

class CImage;

class CImageIO : public CBaseObject {
 public:
  // Type codes, from the whole extension compared in upper case.
  enum EType : int32_t {
    kTypeNone = 0,
    kTypePhotoshop = 1,  // .PSD
    kTypeBmp = 3,        // .BMP
    kTypePhotoCd = 4,    // .PCD, no reader
    kTypeTiff = 5,       // .TIF
    kTypeJpeg = 6,       // .JPG, no reader
  };
  static constexpr const char* kFilterListName = "image get file filter";

  CImageIO();
  // A reader of the given file.
  explicit CImageIO(const CFileSpec& spec);
  ~CImageIO() override;

  // Shows the dialog; on success the caller's path becomes the chosen file's, *type its
  // type code, *cancelled false, and the answer 0. A cancel answers 24 and sets *cancelled; other
  // failures answer their code, and then the caller's path stays as it was.
  int32_t AskImageFile(CFileSpec* spec, int32_t* type, bool* cancelled);
  // The dialog alone: filter from the "image get file filter" list of the application's resources,
  // or the built-in one. fileTitle, when given, receives the chosen file's name.
  int32_t ShowOpenDialog(const char* initialName, std::string* fileTitle);

  static int32_t TypeOfPath(const char* path);
  // Reads the file with the reader of its type code (Photoshop, BMP or TIFF) into a new image, which
  // the caller owns; no image on failure, and 2 for a type without a reader. *refusal, when given,
  // receives the reader's sentence for a kind of file it does not take (empty for other failures).
  static int32_t ReadByType(const CFileSpec& spec, int32_t type, CImage** image, std::string* refusal = nullptr);

  const CFileSpec& GetSpec() const { return fSpec; }
  bool IsOpen() const { return fOpen; }
  // Why the reader refused a kind of file it does not take; empty otherwise.
  const std::string& GetRefusal() const { return fRefusal; }

 protected:
  CFileSpec fSpec;
  std::string fRefusal;
  platform::SFileDialog fDialog;
  bool fOpen = false;
};

// The BMP reader of the dispatch.
class CDibIO : public CImageIO {
 public:
  using CImageIO::CImageIO;
  int32_t Read(CImage** image);
};

// A path's extension with its dot, from the last dot of its file name on; empty when the name has
// none. Both '/' and '\' end folder names.
std::string PathExtension(const char* path);
// ASCII letters in upper case; every other byte as it was.
std::string AsciiUpper(std::string text);
