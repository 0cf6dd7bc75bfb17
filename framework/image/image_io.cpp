#include "framework/image/image_io.h"

#include <cstring>

#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/system_info.h"
#include "framework/core/win_appl.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "framework/image/photoshop_file.h"
#include "framework/image/tiff_file.h"

namespace {

struct SExtension {
  const char* text;
  int32_t type;
};
constexpr SExtension kExtensions[] = {
    {".PSD", CImageIO::kTypePhotoshop}, {".BMP", CImageIO::kTypeBmp},  {".TIF", CImageIO::kTypeTiff},
    {".PCD", CImageIO::kTypePhotoCd},   {".JPG", CImageIO::kTypeJpeg},
};

// Description and pattern texts alternately, each ended by a NUL, and one more NUL after them.
constexpr char kBuiltInFilter[] =
    "All Formats (*.bmp;*.psd;*.tif)\0*.bmp;*.psd;*.tif\0Bitmap Files (*.bmp)\0*.bmp\0"
    "Photoshop Files (*.psd)\0*.psd\0Tiff (*.tif)\0*.tif\0";

constexpr const char* kDefaultExtension = "bmp";
// The flag "prompt to create" has no use for a picture that is read: the chooser offers existing
// files only.
constexpr uint32_t kDialogFlags = platform::kOfnHideReadOnly | platform::kOfnEnableHook;

std::string FilterText() {
  const std::string builtIn(kBuiltInFilter, sizeof kBuiltInFilter);
  CAppl* app = GetApplication();
  if (!app || !app->GetResourceEnv()) return builtIn;
  CIxTextLocal list(app->GetResourceEnv(), CImageIO::kFilterListName, CIxText::kNone);
  if (list.GetResult() || list.Count() == 0) return builtIn;
  std::string filter;
  for (uint32_t i = 0; i < list.Count(); ++i) {
    filter += list.TextAt(i);
    filter += '\0';
  }
  return filter + '\0';
}

platform::WindowHandle MainWindow() {
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  return app ? app->GetMainWindow() : nullptr;
}

// Pictures are looked for where the last one was chosen, apart from the documents' folder.
std::string gPictureFolder;

}  // namespace

std::string PathExtension(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  const char* dot = std::strrchr(name, '.');
  return dot ? std::string(dot) : std::string();
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return text;
}

CImageIO::CImageIO() : fOpen(true) {}

CImageIO::CImageIO(const CFileSpec& spec) : fSpec(spec), fOpen(true) {}

CImageIO::~CImageIO() { fOpen = false; }

int32_t CImageIO::TypeOfPath(const char* path) {
  const std::string extension = AsciiUpper(PathExtension(path));
  for (const SExtension& e : kExtensions) {
    if (extension == e.text) return e.type;
  }
  return kTypeNone;
}

int32_t CImageIO::ShowOpenDialog(const char* initialName, std::string* fileTitle) {
  fDialog = platform::SFileDialog{};
  fDialog.owner = MainWindow();
  fDialog.filter = FilterText();
  fDialog.filterIndex = 1;
  fDialog.file = initialName ? initialName : "";
  fDialog.initialFolder = gPictureFolder;
  fDialog.defaultExtension = kDefaultExtension;
  fDialog.flags = kDialogFlags | (CSystemInfo::Get().HasNewShell() ? uint32_t(platform::kOfnExplorer) : 0u);
  if (!platform::GetOpenFileName(&fDialog)) {
    const uint32_t error = platform::CommonDialogError();
    return error ? MapSystemError(int32_t(error)) : kSilentCode24;
  }
  fSpec.Set(fDialog.file.c_str());
  const size_t slash = fDialog.file.find_last_of('/');
  if (slash != std::string::npos) gPictureFolder = fDialog.file.substr(0, slash + 1);
  if (fileTitle) *fileTitle = fDialog.file.substr(slash + 1);
  // The windows behind the closed dialog repaint now.
  platform::DispatchPaintMessages();
  return kNoErr;
}

int32_t CImageIO::AskImageFile(CFileSpec* spec, int32_t* type, bool* cancelled) {
  const int32_t err = ShowOpenDialog("", nullptr);
  if (err == kSilentCode24) *cancelled = true;
  if (err) return err;
  // A chosen path too long to hold is not a file the caller can read.
  if (fSpec.GetStatus()) return fSpec.GetStatus();
  *cancelled = false;
  *spec = fSpec;
  *type = TypeOfPath(fSpec.GetPath());
  return kNoErr;
}

int32_t CImageIO::ReadByType(const CFileSpec& spec, int32_t type, CImage** image, std::string* refusal) {
  *image = nullptr;
  if (refusal) refusal->clear();
  CImage* read = nullptr;
  int32_t err = kNoErr;
  switch (type) {
    case kTypePhotoshop: err = CPhShopIO(spec).Read(&read); break;
    case kTypeBmp: {
      CDibIO reader(spec);
      err = reader.Read(&read);
      if (refusal) *refusal = reader.GetRefusal();
      break;
    }
    case kTypeTiff: {
      CTiffIO reader(spec);
      err = reader.ReadImage(&read);
      if (refusal) *refusal = reader.GetRefusal();
      break;
    }
    default: return kErrInvalidFormat;
  }
  if (err || !read) {
    delete read;
    return NonZeroError(err);
  }
  *image = read;
  return kNoErr;
}

int32_t CDibIO::Read(CImage** image) { return CImBitmapFile::LoadImage(fSpec, image, &fRefusal); }
