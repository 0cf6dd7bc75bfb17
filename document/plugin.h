// The plug-in host: the run-time libraries of a "Plugins" folder, found, loaded, asked for their file
// formats and called for the length of one command.
//
// One process-wide host serves one command at a time: CreateTables (or FindPlugins) builds it,
// DeleteAll (or ReleasePlugins) takes it down on every path. Format indices name rows of the format
// table, which the query leaves sorted by description and BuildFilterText re-sorts by filter text; the
// plug-in's own number of a format is the row's fFormatIndex, which EnsureLoaded hands it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/plugin_protocol.h"
#include "framework/core/base_object.h"
#include "framework/core/file_spec.h"
#include "framework/core/rect.h"
#include "platform/library.h"

class CQNPlugin : public CBaseObject {
 public:
  static constexpr uint32_t kFilterChars = 127;
  static constexpr uint32_t kDescriptionChars = 127;
  static constexpr uint32_t kExtensionChars = 7;

  struct SIOFormatItem {
    char fFilter[kFilterChars + 1];
    char fDescription[kDescriptionChars + 1];
    char fExtension[kExtensionChars + 1];  // with its dot
    CQNPlugin* fPlugin;                    // not owned
    uint32_t fFormatIndex;                 // the plug-in's own number of the format
  };

  explicit CQNPlugin(const CFileSpec& spec);
  ~CQNPlugin() override;
  CQNPlugin(const CQNPlugin&) = delete;
  CQNPlugin& operator=(const CQNPlugin&) = delete;

  // The plug-in table and the format table, both growing by layout.second, and the callback table.
  // 9 when any cannot be had (nothing is kept then); 15 while a host exists.
  static int32_t CreateTables(SRange layout);
  // One record per file of the folder (resolved against the program's folder) whose name ends in
  // extension, in byte-wise name order. A folder that is missing or holds none adds nothing. A folder
  // or file that someone else could have put there (platform::UntrustedCodeReason) is left out and
  // noted among the problems.
  static int32_t ScanDirectory(const char* folder, const char* extension);
  // Rebuilds the format table from every plug-in that loads, answers selector 2 with 0 and a count,
  // and describes a format under selector 3; sorted by description. A plug-in that does not load is
  // noted among the problems with the reason. 15 without tables, 9 without memory, 5 when there is no
  // plug-in at all.
  static int32_t QueryFormats(bool unload);
  // The file-dialog filter list: "label\0patterns\0" pairs ended by one more terminator, with the
  // all-formats pair first when asked. Sorts the format table by filter text first. 15 without a
  // format table, 20 when it is empty, 21 (nothing written) when the list needs more than capacity.
  static int32_t BuildFilterText(char* buffer, size_t capacity, bool allFormats);
  // The first row whose extension matches, ignoring case: 15 without a table, 20 empty, 6 none.
  static int32_t FindFormat(const char* extension, uint32_t* index);
  // Copy the row's text with its terminator: 15 without a table, 16 for an index past the rows, 21
  // when it does not fit; destination is left empty on failure.
  static int32_t GetFormatDescription(char* destination, size_t capacity, uint32_t index);
  static int32_t GetFormatExtension(char* destination, size_t capacity, uint32_t index);
  // Calls the entry of the plug-in that offers row index, loading its library first when needed; the
  // plug-in sees its own format number at byte 528 of block, and the caller's value is back there
  // afterwards. The entry's answer; 15 without tables, 16 for an index past the rows, or the load's
  // failure.
  static int32_t EnsureLoaded(uint32_t selector, void* block, uint32_t index);
  // Slot 2 of the callback table: the function, or the default when none.
  static int32_t SetHostCallback(QNHostProgressFn progress);
  // Empties the format table and frees every library; the records stay. 15 without a plug-in table.
  static int32_t UnloadLibraries();
  // Frees every library, deletes every record and the three tables.
  static int32_t DeleteAll();

  // Loads the library, whose dependencies are never looked for beside it, and binds the entry that its
  // extension names (compared exactly); then calls selector 0. 13 when the library does not load or
  // has no such entry, the reason then in GetProblem(); a library without the entry stays loaded until
  // it is unloaded with the rest.
  int32_t Load();
  // Selector 1 when an entry is bound, then frees the library.
  void Unload();
  bool IsLoaded() const { return fLibrary != nullptr; }
  const char* GetPath() const { return fSpec.GetPath(); }
  const std::string& GetProblem() const { return fProblem; }

  static uint32_t GetPluginCount();
  static CQNPlugin* GetPlugin(uint32_t index);
  static uint32_t GetFormatCount();
  static const SIOFormatItem* GetFormat(uint32_t index);
  static QNHostFn* GetHostCallbacks();
  // What the scan and the query of the current host left out, one "NAME: why" a line.
  static const std::vector<std::string>& GetProblems();

 private:
  int32_t Call(uint32_t selector, void* block) const;
  void AddFormats(QNPluginParams* params);

  CFileSpec fSpec;
  QNPluginEntry fEntry = nullptr;
  platform::LibraryHandle fLibrary = nullptr;
  std::string fProblem;
};

// The finding step of the import and image commands: the host with no rows and a growth step of 8,
// the folder's plug-ins of the extension, and their formats, libraries left loaded; then the one
// message of the command that names each plug-in left out and why. The scan's failure, else the
// query's answer.
int32_t FindPlugins(const char* folder, const char* extension);
// The same without the message, for a caller that reports later.
int32_t FindPluginsQuietly(const char* folder, const char* extension);
// One message through the application naming the folder and every plug-in the current host left out,
// with the reason; nothing when none was.
void ReportPluginProblems();
// Ends the host the finding step built.
int32_t ReleasePlugins();
// The import command's plug-in call once the user has chosen a file: the format whose extension (ignoring
// case) is the file name's, the path into the block (which the caller zeroed) at 0 and at 540, the
// progress display captioned "Importing from " and the format's description with the progress step in
// slot 2, and the plug-in called with selector 7. Before the call, what an earlier import listed is
// forgotten. -120 for a path that does not fit the block's fields, and FindFormat's failure, both before
// any plug-in call; else the plug-in's answer.
int32_t CallImportPlugin(QNPluginParams* block, const char* path);
