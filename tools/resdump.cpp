// resdump [--decode] FILE [TYPE NUMBER]: prints a resource file's resources, one a line as
// "TYPE NUMBER NAME SIZE" (NAME "-" when unnamed), an outline font's line followed by its counts, box
// and kind; with TYPE and NUMBER, that resource's bytes as they are stored. --decode turns the
// listing's lines into comments with each 'ixtx' list, 'menu', text style and text element after its
// line in resbuild's source syntax, and makes a TYPE NUMBER of one of them print its source alone.
// Exit status 0, 1 when the file or the resource cannot be read, 2 for wrong arguments.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/outline_font.h"
#include "platform/ansi_text.h"
#include "tools/command_line.h"
#include "tools/menu_source.h"
#include "tools/res_compiler.h"
#include "tools/record_decode.h"
#include "tools/res_store.h"
#include "tools/tool_app.h"

namespace {

enum EOption { kDecode };

const STool kTool{
    "resdump",
    {"[--decode] FILE [TYPE NUMBER]"},
    "Lists a resource file's resources as TYPE NUMBER NAME SIZE, or writes one resource's bytes.",
    {
        {"decode", kDecode, nullptr,
         "print each 'ixtx' text list, 'menu', text style and text element in resbuild's source syntax"},
    },
    "An OutlineFont's line ends with its glyph and point counts, its box and whether it is double-byte.\n"
    "With TYPE and NUMBER (a resource type of four characters and its number) the resource's stored\n"
    "bytes go to standard output; with --decode too, the source of an 'ixtx' list, a 'menu', a 'fost'\n"
    "style or a 'txel' text element.\n"
    "Exit status: 0 done, 1 the file or the resource cannot be read, 2 wrong arguments.\n"};

struct SOptions {
  std::string path;
  bool decode = false;
  std::string rawType;
  uint32_t rawNumber = 0;
};

// An empty answer, or what is wrong with the operands.
std::string TakeOperands(const std::vector<std::string>& operands, SOptions* options) {
  if (operands.empty()) return "a resource file is needed";
  if (operands.size() != 1 && operands.size() != 3) return "a resource file, then a type and a number or nothing";
  options->path = operands[0];
  if (operands.size() == 1) return "";
  options->rawType = operands[1];
  int64_t number = 0;
  if (!ParseWholeNumber(operands[2].c_str(), 0, UINT32_MAX, &number))
    return "\"" + operands[2] + "\" is no resource number";
  options->rawNumber = uint32_t(number);
  return "";
}

int Refuse(const std::string& what, int32_t code) {
  std::fprintf(stderr, "resdump: %s: %s\n", what.c_str(), ResultWords(code).c_str());
  return 1;
}

std::string Text(const char* ansi, size_t room) { return platform::AnsiToUtf8(std::string(ansi, strnlen(ansi, room))); }

std::vector<CTypeEntry> Types(CResourceEnv& env) {
  std::vector<CTypeEntry> types;
  CMasterTable* master = env.GetMasterTable();
  CHolder holder(master, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < master->GetCount(); ++i) types.push_back((*master)[i]);
  return types;
}

std::vector<CResEntry> Resources(CResourceEnv& env, const char* type, int32_t* error) {
  std::vector<CResEntry> resources;
  CResTypeTable* table = nullptr;
  if (!env.FindType(type, &table, nullptr)) {
    *error = env.GetLastResult();
    return resources;
  }
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) *error = NonZeroError(table->GetError());
  for (uint32_t i = 0; holder.IsLocked() && i < table->GetCount(); ++i) resources.push_back((*table)[i]);
  return resources;
}

bool IsDecoded(const std::string& type) {
  return type == "ixtx" || type == "menu" || type == "fost" || type == "txel";
}

// The resource's source, or the reason it has none.
bool PrintDecoded(CResourceEnv& env, const SSpoolKey& key) {
  std::vector<uint8_t> bytes;
  std::string text, reason;
  const std::string type = key.typeName;
  CResEntry entry{};
  // A menu is read as the program reads it, through its pageable object.
  if (type == "menu") DecodeMenu(env, key, &text, &reason);
  else if (const int32_t err = LoadResource(env, key, &bytes)) reason = ResultWords(err);
  else if (!env.GetResourceInfo(key, &entry)) reason = ResultWords(env.GetLastResult());
  else if (type == "fost") DecodeStyle(bytes, std::string(entry.name, strnlen(entry.name, sizeof entry.name)), key.id,
                                       &text, &reason);
  else if (type == "txel") DecodeTextElement(bytes, &text, &reason);
  else if (type == "ixtx") DecodeIxtx(bytes, &text, &reason);
  else reason = "resbuild has no source syntax for '" + type + "'";
  if (!reason.empty()) {
    std::fprintf(stderr, "resdump: %s %u: %s\n", key.typeName, key.id, reason.c_str());
    return false;
  }
  std::fputs(text.c_str(), stdout);
  return true;
}

// " glyphs G points P box ..." from the font's stored record, or false with the reason reported.
bool DescribeFont(CResourceEnv& env, const CResEntry& font, std::string* text) {
  CCmFile* file = env.GetCmFile();
  CMemBlock record(file->GetEntryField(font.second), GetDefaultPool());
  std::vector<uint8_t> bytes;
  std::string description, reason;
  if (const int32_t err = file->ReadEntry(font.second, record)) reason = ResultWords(err);
  else bytes.assign(record.GetData(), record.GetData() + record.GetSize());
  if (reason.empty() && DescribeOutlineFont(bytes, &description, &reason)) {
    *text = " " + description;
    return true;
  }
  std::fprintf(stderr, "resdump: %s %u: %s\n", kOutlineFontType, font.number, reason.c_str());
  return false;
}

int List(CResourceEnv& env, bool decode) {
  bool intact = true;
  for (const CTypeEntry& type : Types(env)) {
    const std::string typeName = Text(type.typeName, sizeof type.typeName);
    int32_t error = kNoErr;
    const std::vector<CResEntry> resources = Resources(env, typeName.c_str(), &error);
    if (error) {
      Refuse("type " + typeName, error);
      intact = false;
      continue;
    }
    for (const CResEntry& r : resources) {
      const std::string name = Text(r.name, sizeof r.name);
      std::string font;
      if (typeName == kOutlineFontType) intact = DescribeFont(env, r, &font) && intact;
      std::printf("%s%s %u %s %u%s\n", decode ? "# " : "", typeName.c_str(), r.number, name.empty() ? "-" : name.c_str(),
                  env.GetCmFile()->GetEntryField(r.first), font.c_str());
      if (decode && IsDecoded(typeName)) {
        SSpoolKey key;
        key.Set(typeName.c_str(), r.number, false);
        intact = PrintDecoded(env, key) && intact;
      }
    }
  }
  return intact ? 0 : 1;
}

int Raw(CResourceEnv& env, const SOptions& options) {
  SSpoolKey key;
  key.Set(platform::Utf8ToAnsi(options.rawType).c_str(), options.rawNumber, false);
  if (options.decode) return PrintDecoded(env, key) ? 0 : 1;
  std::vector<uint8_t> bytes;
  if (const int32_t err = LoadStoredEntry(env, key, &bytes))
    return Refuse(options.rawType + " " + std::to_string(options.rawNumber), err);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  SOptions options;
  const int status = line.Parse(argc, argv, [&options](int, const char*) {
    options.decode = true;
    return std::string();
  });
  if (status != CCommandLine::kGoOn) return status;
  if (const std::string problem = TakeOperands(line.Operands(), &options); !problem.empty())
    return line.UsageError(problem);
  CToolApp app("resdump");
  if (!app.IsReady()) return app.ReportNotReady(line);
  CFileSpec spec;
  if (const int32_t err = spec.Set(options.path.c_str())) return line.FailWithCode(options.path, err);
  // Opened for reading, a missing resource file would be refused as not writable.
  CFile probe(spec);
  if (const int32_t err = probe.Probe()) return line.FailWithCode(options.path, err);
  CResourceEnv env(spec, CFile::kModeRead);
  if (!env.IsOpen()) return line.FailWithCode(options.path, NonZeroError(env.GetLastResult()));
  return options.rawType.empty() ? List(env, options.decode) : Raw(env, options);
}
