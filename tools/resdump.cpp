// resdump FILE [--decode] [--raw TYPE NUMBER]: prints a resource file's types and resources, one
// resource a line as "TYPE NUMBER NAME SIZE" (NAME "-" when unnamed).
//   --decode            the listing's lines become comments, and each 'ixtx' list follows its line
//                       in resbuild's source syntax
//   --raw TYPE NUMBER   the resource's bytes as they are stored; with --decode, an 'ixtx' list's
//                       source alone
// Exit status 0, or 1 when the file or the resource cannot be read.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "platform/ansi_text.h"
#include "tools/res_compiler.h"
#include "tools/res_store.h"
#include "tools/tool_app.h"
#include "tools/tool_messages.h"

namespace {

struct SOptions {
  const char* path = nullptr;
  bool decode = false;
  const char* rawType = nullptr;
  uint32_t rawNumber = 0;
};

bool ParseOptions(int argc, char** argv, SOptions* options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--decode") == 0) {
      options->decode = true;
    } else if (std::strcmp(argv[i], "--raw") == 0 && i + 2 < argc) {
      options->rawType = argv[i + 1];
      char* end = nullptr;
      options->rawNumber = uint32_t(std::strtoul(argv[i + 2], &end, 0));
      if (!*argv[i + 2] || *end) return false;
      i += 2;
    } else if (!options->path && argv[i][0] != '-') {
      options->path = argv[i];
    } else {
      return false;
    }
  }
  return options->path != nullptr;
}

int Refuse(const std::string& what, int32_t code) {
  std::fprintf(stderr, "resdump: %s: %s (%d)\n", what.c_str(), BuiltInMessageFor(code).c_str(), code);
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

// The list's source, or the reason it has none.
bool PrintDecoded(CResourceEnv& env, const SSpoolKey& key) {
  std::vector<uint8_t> bytes;
  std::string text, reason;
  if (const int32_t err = LoadResource(env, key, &bytes)) reason = BuiltInMessageFor(err);
  else if (!DecodeIxtx(bytes, &text, &reason)) text.clear();
  if (!reason.empty()) {
    std::fprintf(stderr, "resdump: %s %u: %s\n", key.typeName, key.id, reason.c_str());
    return false;
  }
  std::fputs(text.c_str(), stdout);
  return true;
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
      std::printf("%s%s %u %s %u\n", decode ? "# " : "", typeName.c_str(), r.number, name.empty() ? "-" : name.c_str(),
                  env.GetCmFile()->GetEntryField(r.first));
      if (decode && typeName == "ixtx") {
        SSpoolKey key;
        key.Set("ixtx", r.number, false);
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
  if (const int32_t err = LoadResource(env, key, &bytes))
    return Refuse(std::string(options.rawType) + " " + std::to_string(options.rawNumber), err);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SOptions options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: resdump FILE [--decode] [--raw TYPE NUMBER]\n");
    return 1;
  }
  CToolApp app("resdump");
  if (!app.IsReady()) return app.ReportNotReady();
  CFileSpec spec;
  if (const int32_t err = spec.Set(options.path)) return ReportFileProblem("resdump", options.path, err);
  // Opened for reading, a missing resource file would be refused as not writable.
  CFile probe(spec);
  if (const int32_t err = probe.Probe()) return ReportFileProblem("resdump", options.path, err);
  CResourceEnv env(spec, CFile::kModeRead);
  if (!env.IsOpen()) return ReportFileProblem("resdump", options.path, NonZeroError(env.GetLastResult()));
  return options.rawType ? Raw(env, options) : List(env, options.decode);
}
